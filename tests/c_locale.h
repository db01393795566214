#pragma once

#include <clocale>
#include <cstdlib>
#include <string>

// The test programs of the windows, the fields and the project file run once under a comma and
// once under a point locale of the C library, as users run the program. The registration names
// the decimal point it expects in PULSEFIR_EXPECT_DECIMAL; a run whose C library locale is not
// really active (the locale is not generated, say) must fail rather than pass under "C".
// Call after the application object (which sets the locale from the environment) exists.
inline std::string cLocaleMismatch() {
    const char *expected = std::getenv("PULSEFIR_EXPECT_DECIMAL");
    if (!expected)
        return {};
    const std::string actual = std::localeconv()->decimal_point;
    if (actual == expected)
        return {};
    return "the C library's decimal point is '" + actual + "', the run expects '" + expected +
           "' (LANG=" + (std::getenv("LANG") ? std::getenv("LANG") : "") + "; is the locale generated?)";
}
