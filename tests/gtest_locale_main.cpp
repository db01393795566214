#include <clocale>
#include <cstdio>

#include <gtest/gtest.h>

#include "c_locale.h"

// GoogleTest's own main, with the C library's locale taken from the environment first, as the
// program's application object does.
int main(int argc, char **argv) {
    std::setlocale(LC_ALL, "");
    ::testing::InitGoogleTest(&argc, argv);
    const std::string mismatch = cLocaleMismatch();
    if (!mismatch.empty()) {
        std::fputs(("locale: " + mismatch + "\n").c_str(), stderr);
        return 1;
    }
    return RUN_ALL_TESTS();
}
