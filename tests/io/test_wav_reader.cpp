#include <gtest/gtest.h>

#include <sndfile.h>

#include <cmath>
#include <filesystem>
#include <string>

#include "io/pulse_reader.h"
#include "io_test_files.h"
#include "malformed_file.h"

using namespace pulsefir;
using namespace pulsefir::io;

struct WavCase {
    const char *name;
    int subtype;
    double tolerance; // two steps of the format: libsndfile writes with 2^(n-1) - 1, reads with 2^(n-1)
};

class WavReading : public ::testing::TestWithParam<WavCase> {};

TEST_P(WavReading, FirstChannelAndRateOfEverySampleFormat) {
    const WavCase c = GetParam();
    const auto path = tempPath(std::string(c.name) + ".wav");
    writeWav(path, c.subtype, 800000, 500);
    const PulseData data = readPulseFile(path.string());
    ASSERT_EQ(data.samples.size(), 500u);
    EXPECT_DOUBLE_EQ(data.samplingFrequency.value_or(0), 0.8);
    for (std::size_t k = 0; k < 500; ++k)
        ASSERT_NEAR(data.samples[k], testSine(k), c.tolerance) << "sample " << k;
    std::filesystem::remove(path);
}

INSTANTIATE_TEST_SUITE_P(
    SampleFormats, WavReading,
    ::testing::Values(WavCase{"pcm_u8", SF_FORMAT_PCM_U8, 2.0 / 128}, WavCase{"pcm_16", SF_FORMAT_PCM_16, 2.0 / 32768},
                      WavCase{"pcm_24", SF_FORMAT_PCM_24, 2.0 / 8388608}, WavCase{"pcm_32", SF_FORMAT_PCM_32, 1e-9},
                      WavCase{"float_32", SF_FORMAT_FLOAT, 1e-7}, WavCase{"float_64", SF_FORMAT_DOUBLE, 0.0}),
    [](const auto &info) { return std::string(info.param.name); });

namespace {

std::string truncatedWav() {
    const std::string bytes = wavBytes("whole.wav", SF_FORMAT_PCM_16, 800000, 1000);
    return bytes.substr(0, bytes.size() / 2);
}

std::string floatWavWithNan() {
    std::string bytes = wavBytes("nan.wav", SF_FORMAT_FLOAT, 800000, 10);
    const float nan = std::nanf("");
    bytes.replace(bytes.size() - 8, 4, reinterpret_cast<const char *>(&nan), 4); // frame 9, channel 0
    return bytes;
}

} // namespace

// The WAV rows of the malformed files.
INSTANTIATE_TEST_SUITE_P(Faults, MalformedFile,
                         ::testing::Values(BadFile{"truncated_wav", ".wav", truncatedWav(), "файл обрывается"},
                                           BadFile{"not_a_wav", ".wav", "RIFX0000WAVEdata", "не читается как WAV"},
                                           BadFile{"nan_in_float_wav", ".wav", floatWavWithNan(),
                                                   "отсчёт 9 не конечное число"}),
                         badFileName);
