#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>

#include "base/error.h"
#include "io/pulse_reader.h"
#include "io_test_files.h"
#include "malformed_file.h"

using namespace pulsefir;
using namespace pulsefir::io;

// An extension the reader does not know.
INSTANTIATE_TEST_SUITE_P(Faults, MalformedFile,
                         ::testing::Values(BadFile{"unknown_extension", ".xls", "1\n", "неизвестный тип файла"}),
                         badFileName);

TEST(FileLimits, FileAbove64MiBIsRefusedUnread) {
    // A sparse file: its size is what counts, it is never read.
    const auto path = tempPath("huge.csv");
    { std::ofstream out(path, std::ios::binary); }
    std::filesystem::resize_file(path, MaxPulseFileBytes + 1);
    try {
        readPulseFile(path.string());
        ADD_FAILURE() << "no error";
    } catch (const base::Error &error) {
        EXPECT_NE(std::string(error.what()).find("больше 64 МиБ"), std::string::npos) << error.what();
    }
    std::filesystem::remove(path);
}
