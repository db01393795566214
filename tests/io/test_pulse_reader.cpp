#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>

#include "base/error.h"
#include "io/pulse_reader.h"
#include "io/tap_reader.h"
#include "io_test_files.h"
#include "malformed_file.h"

using namespace pulsefir;
using namespace pulsefir::io;

// An extension the reader does not know.
INSTANTIATE_TEST_SUITE_P(Faults, MalformedFile,
                         ::testing::Values(BadFile{"unknown_extension", ".xls", "1\n", "неизвестный тип файла"}),
                         badFileName);

struct EmptyCase {
    const char *name;
    const char *extension;
    bool taps; // read as a filter's taps, else as a pulse
};

class EmptyFileTest : public ::testing::TestWithParam<EmptyCase> {};

// A file of no byte is called empty by every reader, never reported at a line or byte.
TEST_P(EmptyFileTest, IsCalledEmpty) {
    const EmptyCase &c = GetParam();
    const auto path = tempPath(std::string("empty_") + c.name + c.extension);
    writeBytes(path, "");
    try {
        if (c.taps)
            readFilterFile(path.string());
        else
            readPulseFile(path.string());
        ADD_FAILURE() << "no error";
    } catch (const base::Error &error) {
        EXPECT_EQ(std::string(error.what()), path.string() + ": файл пуст");
    }
    std::filesystem::remove(path);
}

INSTANTIATE_TEST_SUITE_P(Formats, EmptyFileTest,
                         ::testing::Values(EmptyCase{"text", ".txt", false}, EmptyCase{"csv", ".csv", false},
                                           EmptyCase{"npy", ".npy", false}, EmptyCase{"wav", ".wav", false},
                                           EmptyCase{"taps_csv", ".csv", true}, EmptyCase{"taps_npy", ".npy", true},
                                           EmptyCase{"taps_header", ".h", true}, EmptyCase{"taps_coe", ".coe", true},
                                           EmptyCase{"taps_octave", ".m", true}),
                         [](const auto &info) { return std::string(info.param.name); });

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
