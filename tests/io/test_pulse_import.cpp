#include <gtest/gtest.h>

#include <sndfile.h>

#include <filesystem>
#include <memory>
#include <string>

#include "base/error.h"
#include "core/state.h"
#include "io/pulse_import.h"
#include "io_test_files.h"
#include "malformed_file.h"

using namespace pulsefir;
using namespace pulsefir::core;
using namespace pulsefir::io;

TEST(Import, FileRateIsTakenOrTheFileIsResampled) {
    auto state = std::make_unique<CoreState>();
    const auto path = tempPath("rate.wav");
    writeWav(path, SF_FORMAT_DOUBLE, 1000000, 1000);
    PulseImportRequest request;
    request.fileName = path.string();
    request.samplingFrequency = 0.8;
    PulseImportOutcome taken = importPulse(*state, request);
    EXPECT_DOUBLE_EQ(taken.newSamplingFrequency.value_or(0), 1.0);
    EXPECT_FALSE(taken.resampled);
    EXPECT_EQ(taken.placed.written, 1000u);
    EXPECT_DOUBLE_EQ(taken.peak, 0.75);
    EXPECT_DOUBLE_EQ(state->SignalBuffer[10], testSine(10));

    request.rate = RateChoice::Resample;
    PulseImportOutcome converted = importPulse(*state, request);
    EXPECT_FALSE(converted.newSamplingFrequency);
    EXPECT_TRUE(converted.resampled);
    EXPECT_EQ(converted.placed.written, 800u);
    EXPECT_DOUBLE_EQ(state->SignalBuffer[800], 0.0);
    // Index 400 at 0.8 MHz is 500 µs: sample 500 of the 1 MHz file.
    EXPECT_NEAR(state->SignalBuffer[400], testSine(500), 2e-4);
    std::filesystem::remove(path);
}

// ---- Malformed files ------------------------------------------------------------------------------

TEST_P(MalformedFile, NamesTheFaultAndLeavesTheSignalAlone) {
    const BadFile c = GetParam();
    const auto path = tempPath(std::string(c.name) + c.extension);
    writeBytes(path, c.bytes);
    auto state = std::make_unique<CoreState>();
    for (int i = -MaxSignalHalfWidth; i <= MaxSignalHalfWidth; ++i)
        state->SignalBuffer[i] = 0.001 * i;
    PulseImportRequest request;
    request.fileName = path.string();
    request.samplingFrequency = 0.8;
    request.minimumRate = 0.001; // the sampling-frequency field's range
    request.maximumRate = 10000;
    try {
        importPulse(*state, request);
        ADD_FAILURE() << "no error";
    } catch (const base::Error &error) {
        const std::string text = error.what();
        EXPECT_NE(text.find(c.message), std::string::npos) << text;
        EXPECT_EQ(text.rfind(path.string(), 0), 0u) << "the message starts with the file name: " << text;
    }
    for (int i = -MaxSignalHalfWidth; i <= MaxSignalHalfWidth; ++i)
        ASSERT_EQ(state->SignalBuffer[i], 0.001 * i) << i;
    std::filesystem::remove(path);
}

namespace {

// 200 Hz is 0.0002 MHz, below the sampling frequency field's 0.001.
std::string wavBelowTheFieldsRate() {
    return wavBytes("slow.wav", SF_FORMAT_PCM_16, 200, 10);
}

} // namespace

// A rate that the file states and the sampling-frequency field cannot take.
INSTANTIATE_TEST_SUITE_P(Faults, MalformedFile,
                         ::testing::Values(BadFile{"rate_the_field_cannot_take", ".wav", wavBelowTheFieldsRate(),
                                                   "вне допустимых 0.001..10000 МГц"}),
                         badFileName);
