#include <gtest/gtest.h>

#include <sndfile.h>
#include <unistd.h>

#include <charconv>
#include <cmath>
#include <filesystem>
#include <fstream>
#include <memory>
#include <random>
#include <sstream>
#include <string>
#include <vector>

#include "core/errors.h"
#include "core/state.h"
#include "io/coefficient_writer.h"
#include "io/pulse_import.h"
#include "io/pulse_reader.h"

using namespace pulsefir;
using namespace pulsefir::io;

namespace {

constexpr double TwoPi = 6.283185307179586;

std::filesystem::path tempPath(const std::string &name) {
    return std::filesystem::temp_directory_path() / ("pulsefir-io-" + std::to_string(::getpid()) + "-" + name);
}

void writeBytes(const std::filesystem::path &path, const std::string &bytes) {
    std::ofstream(path, std::ios::binary) << bytes;
}

std::string readBytes(const std::filesystem::path &path) {
    std::ifstream stream(path, std::ios::binary);
    std::stringstream text;
    text << stream.rdbuf();
    return text.str();
}

std::string npyBytes(const std::string &descr, const std::string &shape, const std::string &data) {
    std::string header = "{'descr': '" + descr + "', 'fortran_order': False, 'shape': " + shape + ", }";
    while ((10 + header.size() + 1) % 64 != 0)
        header += ' ';
    header += '\n';
    std::string bytes = "\x93NUMPY";
    bytes += '\x01';
    bytes += '\x00';
    bytes += static_cast<char>(header.size() & 0xFF);
    bytes += static_cast<char>(header.size() >> 8);
    return bytes + header + data;
}

template <typename T> std::string rawBytes(const std::vector<T> &values) {
    return std::string(reinterpret_cast<const char *>(values.data()), values.size() * sizeof(T));
}

// A sine of `cycles` per `period` samples, amplitude 0.75, on both channels' first.
double testSine(std::size_t k) {
    return 0.75 * std::sin(TwoPi * static_cast<double>(k) / 40.0);
}

// A WAV written by libsndfile itself: channel 0 the sine, channel 1 its negation.
void writeWav(const std::filesystem::path &path, int subtype, int rate, std::size_t frames) {
    SF_INFO info{};
    info.samplerate = rate;
    info.channels = 2;
    info.format = SF_FORMAT_WAV | subtype;
    SNDFILE *file = sf_open(path.c_str(), SFM_WRITE, &info);
    ASSERT_NE(file, nullptr) << sf_strerror(nullptr);
    std::vector<double> interleaved;
    for (std::size_t k = 0; k < frames; ++k) {
        interleaved.push_back(testSine(k));
        interleaved.push_back(-testSine(k));
    }
    sf_writef_double(file, interleaved.data(), static_cast<sf_count_t>(frames));
    sf_close(file);
}

std::vector<double> parseNumbers(const std::string &text, char separator) {
    std::vector<double> values;
    std::size_t at = 0;
    while (at < text.size()) {
        std::size_t end = text.find(separator, at);
        if (end == std::string::npos)
            end = text.size();
        std::string field = text.substr(at, end - at);
        field.erase(0, field.find_first_not_of(" \n"));
        field.erase(field.find_last_not_of(" \n;") + 1);
        if (!field.empty()) {
            double v = 0;
            const auto [p, ec] = std::from_chars(field.data(), field.data() + field.size(), v);
            EXPECT_TRUE(ec == std::errc() && p == field.data() + field.size()) << "'" << field << "'";
            values.push_back(v);
        }
        at = end + 1;
    }
    return values;
}

// The text between `open` and the next `close` after it.
std::string between(const std::string &text, const std::string &open, const std::string &close) {
    const std::size_t a = text.find(open);
    EXPECT_NE(a, std::string::npos) << open;
    const std::size_t b = text.find(close, a + open.size());
    return text.substr(a + open.size(), b - a - open.size());
}

std::vector<double> smoothTaps(int halfWidth, double peak) {
    std::vector<double> taps;
    for (int j = -halfWidth; j <= halfWidth; ++j)
        taps.push_back(peak * std::cos(0.3 * j) * std::exp(-0.002 * j * j) + 1e-9 * j);
    return taps;
}

} // namespace

// ---- Round trips --------------------------------------------------------------------------------

struct RoundTripCase {
    const char *name;
    const char *extension;
    double peak; // largest tap; above 1 the Q formats must shift
};

class CoefficientRoundTrip : public ::testing::TestWithParam<RoundTripCase> {};

TEST_P(CoefficientRoundTrip, ExportedTapsReadBackToTheFormatsPrecision) {
    const RoundTripCase c = GetParam();
    const int halfWidth = 40;
    const std::vector<double> taps = smoothTaps(halfWidth, c.peak);
    const auto path = tempPath(std::string("taps") + c.extension);
    const CoefficientFormat format = CoefficientFormatForFileName(path.string());
    {
        std::ofstream out(path, std::ios::binary);
        WriteCoefficients(out, {taps, halfWidth, 0.8, 12}, format);
    }
    const std::string text = readBytes(path);
    switch (format) {
    case CoefficientFormat::Csv:
    case CoefficientFormat::Text: {
        // The program's own reader takes the plain formats back, exactly.
        EXPECT_EQ(ReadPulseText(text, path.string()).samples, taps);
        break;
    }
    case CoefficientFormat::Npy: {
        EXPECT_EQ(ReadPulseFile(path.string()).samples, taps);
        break;
    }
    case CoefficientFormat::Octave: {
        EXPECT_EQ(parseNumbers(between(text, "h = [", "];"), '\n'), taps);
        break;
    }
    case CoefficientFormat::CHeader: {
        EXPECT_EQ(parseNumbers(between(text, "pulsefir_taps[PULSEFIR_TAP_COUNT] = {", "}"), ','), taps);
        for (const auto &[array, scaleName, fraction] : {std::tuple{"pulsefir_taps_q15", "PULSEFIR_Q15_SCALE ", 15},
                                                         std::tuple{"pulsefir_taps_q31", "PULSEFIR_Q31_SCALE ", 31}}) {
            const double scale = parseNumbers(between(text, scaleName, "\n"), '\n').at(0);
            const auto q = parseNumbers(between(text, std::string(array) + "[PULSEFIR_TAP_COUNT] = {", "}"), ',');
            ASSERT_EQ(q.size(), taps.size()) << array;
            const double word = std::ldexp(1.0, fraction);
            for (std::size_t k = 0; k < taps.size(); ++k) {
                EXPECT_LE(std::abs(q[k]), word - 1) << array;
                EXPECT_LE(std::abs(taps[k] - q[k] / scale), 0.5 / scale + 1e-15) << array << " tap " << k;
            }
            // The scale is a power of two, and the full word is used when the taps need no shift.
            EXPECT_EQ(std::exp2(std::round(std::log2(scale))), scale);
            if (c.peak < 1)
                EXPECT_EQ(scale, word);
            else
                EXPECT_GE(2 * c.peak * scale, word - 1);
        }
        break;
    }
    case CoefficientFormat::Coe: {
        EXPECT_NE(text.find("radix=10;\ncoefdata=\n"), std::string::npos);
        const auto q = parseNumbers(between(text, "coefdata=\n", ";"), ',');
        ASSERT_EQ(q.size(), taps.size());
        double largest = 0;
        for (double v : q)
            largest = std::max(largest, std::abs(v));
        EXPECT_EQ(largest, 2047); // 12 bits: 2^11 - 1
        const double scale = 2047 / c.peak;
        for (std::size_t k = 0; k < taps.size(); ++k)
            EXPECT_LE(std::abs(taps[k] * scale - q[k]), 0.5 + 1e-9) << "tap " << k;
        EXPECT_EQ(text.back(), '\n');
        EXPECT_EQ(text[text.size() - 2], ';');
        break;
    }
    }
    // Every format that has room for comments says where the centre is and how the taps apply.
    if (format != CoefficientFormat::Csv && format != CoefficientFormat::Npy) {
        EXPECT_NE(text.find("centre tap, tap 0"), std::string::npos);
        EXPECT_NE(text.find("correlation"), std::string::npos);
        EXPECT_NE(text.find("tap +j weighs the sample j places LATER"), std::string::npos);
    }
    std::filesystem::remove(path);
}

INSTANTIATE_TEST_SUITE_P(EveryFormat, CoefficientRoundTrip,
                         ::testing::Values(RoundTripCase{"csv", ".csv", 0.8}, RoundTripCase{"text", ".txt", 0.8},
                                           RoundTripCase{"numpy", ".npy", 0.8}, RoundTripCase{"c_header", ".h", 0.8},
                                           RoundTripCase{"c_header_gain_above_one", ".h", 5.5},
                                           RoundTripCase{"coe", ".coe", 0.8},
                                           RoundTripCase{"coe_gain_above_one", ".COE", 5.5},
                                           RoundTripCase{"octave", ".m", 0.8},
                                           RoundTripCase{"unknown_extension_is_csv", ".out", 0.8}),
                         [](const auto &info) { return std::string(info.param.name); });

TEST(Quantisation, SnrFollowsTheSixDecibelsPerBitRule) {
    // Rounding to a step Δ leaves noise of power Δ²/12 per tap; for many taps the measured SNR
    // must sit within a decibel of 10 log10(Σh² / (N Δ²/12)).
    std::mt19937 random(7);
    std::uniform_real_distribution<double> uniform(-1.0, 1.0);
    std::vector<double> taps(2001);
    for (double &t : taps)
        t = uniform(random);
    double power = 0;
    for (double t : taps)
        power += t * t;
    for (int bits : {8, 12, 16, 24}) {
        const QuantisedTaps q = QuantiseToBits(taps, bits);
        const double step = 1.0 / q.scale;
        const double expected = 10 * std::log10(power / (static_cast<double>(taps.size()) * step * step / 12));
        ASSERT_TRUE(q.snrDb);
        EXPECT_NEAR(*q.snrDb, expected, 1.0) << bits << " bits";
        EXPECT_LE(q.maxError, 0.5 * step * (1 + 1e-12));
    }
    const QuantisedTaps zero = QuantiseQ(std::vector<double>(5, 0.0), 15);
    EXPECT_FALSE(zero.snrDb);
    const QuantisedTaps exact = QuantiseQ(std::vector<double>{0.5, -0.25}, 15);
    EXPECT_TRUE(exact.snrDb && std::isinf(*exact.snrDb));
}

// ---- Reading --------------------------------------------------------------------------------------

struct TextCase {
    const char *name;
    const char *content;
    std::vector<double> samples;
    double rate; // MHz, 0: the file states none
};

class TextReading : public ::testing::TestWithParam<TextCase> {};

TEST_P(TextReading, ColumnsSeparatorsAndDecimalMarks) {
    const TextCase c = GetParam();
    const PulseData data = ReadPulseText(c.content, "pulse.csv");
    EXPECT_EQ(data.samples, c.samples);
    if (c.rate == 0)
        EXPECT_FALSE(data.samplingFrequency);
    else
        EXPECT_NEAR(data.samplingFrequency.value_or(0), c.rate, 1e-12);
}

INSTANTIATE_TEST_SUITE_P(
    Layouts, TextReading,
    ::testing::Values(TextCase{"one_column_header_and_comments",
                               "Pulse from scope\n# volts\n0.5\n\n-1.25e-3\n% end\n2\n",
                               {0.5, -1.25e-3, 2},
                               0},
                      TextCase{
                          "semicolons_with_decimal_commas", "t;u\n0,0;1,5\n1,25;-2,5\n2,5;0\n", {1.5, -2.5, 0}, 0.8},
                      TextCase{"tabs", "0\t1.5\n0.5\t2\n1.0\t3\n", {1.5, 2, 3}, 2},
                      TextCase{"blanks_with_decimal_commas", "  0   1,5\n 1  -2,5\n", {1.5, -2.5}, 1},
                      TextCase{"commas_with_points", "time_us,value\n0,0.5\n1.25,0.25\n2.5,-1\n", {0.5, 0.25, -1}, 0.8},
                      TextCase{"comma_and_blank_separated", "0, 0.5\n1, -0.5\n", {0.5, -0.5}, 1},
                      TextCase{"single_column_decimal_commas", "1,5\n-2,25\n+3\n", {1.5, -2.25, 3}, 0},
                      TextCase{"crlf_lines_and_bom", "\xEF\xBB\xBFvalue\r\n1.5\r\n2.5\r\n", {1.5, 2.5}, 0},
                      TextCase{"irregular_time_has_no_rate", "0;1\n1;2\n3;3\n", {1, 2, 3}, 0}),
    [](const auto &info) { return std::string(info.param.name); });

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
    const PulseData data = ReadPulseFile(path.string());
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

TEST(Resampling, SineKeepsItsFrequencyAtTheNewRate) {
    // 0.04 MHz sampled at 1 MHz, converted to 0.8 MHz: away from the ends the result is the same
    // sine sampled at 0.8 MHz.
    const double f = 0.04;
    std::vector<double> in(2000);
    for (std::size_t k = 0; k < in.size(); ++k)
        in[k] = std::sin(TwoPi * f * static_cast<double>(k) / 1.0);
    const std::vector<double> out = ResamplePulse(in, 1.0, 0.8);
    ASSERT_EQ(out.size(), 1600u);
    for (std::size_t k = 200; k < 1400; ++k)
        ASSERT_NEAR(out[k], std::sin(TwoPi * f * static_cast<double>(k) / 0.8), 2e-4) << "sample " << k;
    EXPECT_THROW(ResamplePulse(in, 1.0, 1000.0), base::Error); // ratio beyond 256
}

TEST(Import, FileRateIsTakenOrTheFileIsResampled) {
    auto state = std::make_unique<CoreState>();
    const auto path = tempPath("rate.wav");
    writeWav(path, SF_FORMAT_DOUBLE, 1000000, 1000);
    PulseImportRequest request;
    request.fileName = path.string();
    request.samplingFrequency = 0.8;
    PulseImportOutcome taken = ImportPulse(*state, request);
    EXPECT_DOUBLE_EQ(taken.newSamplingFrequency.value_or(0), 1.0);
    EXPECT_FALSE(taken.resampled);
    EXPECT_EQ(taken.placed.written, 1000u);
    EXPECT_DOUBLE_EQ(taken.peak, 0.75);
    EXPECT_DOUBLE_EQ(state->SignalBuffer[10], testSine(10));

    request.rate = RateChoice::Resample;
    PulseImportOutcome converted = ImportPulse(*state, request);
    EXPECT_FALSE(converted.newSamplingFrequency);
    EXPECT_TRUE(converted.resampled);
    EXPECT_EQ(converted.placed.written, 800u);
    EXPECT_DOUBLE_EQ(state->SignalBuffer[800], 0.0);
    // Index 400 at 0.8 MHz is 500 µs: sample 500 of the 1 MHz file.
    EXPECT_NEAR(state->SignalBuffer[400], testSine(500), 2e-4);
    std::filesystem::remove(path);
}

// ---- Malformed files ------------------------------------------------------------------------------

struct BadFile {
    const char *name;
    const char *extension;
    std::string bytes;
    const char *message; // a part of the text the user sees
};

std::string truncatedWav() {
    const auto path = tempPath("whole.wav");
    writeWav(path, SF_FORMAT_PCM_16, 800000, 1000);
    std::string bytes = readBytes(path);
    std::filesystem::remove(path);
    return bytes.substr(0, bytes.size() / 2);
}

// 200 Hz is 0.0002 MHz, below the sampling frequency field's 0.001.
std::string wavBelowTheFieldsRate() {
    const auto path = tempPath("slow.wav");
    writeWav(path, SF_FORMAT_PCM_16, 200, 10);
    std::string bytes = readBytes(path);
    std::filesystem::remove(path);
    return bytes;
}

std::string floatWavWithNan() {
    const auto path = tempPath("nan.wav");
    writeWav(path, SF_FORMAT_FLOAT, 800000, 10);
    std::string bytes = readBytes(path);
    std::filesystem::remove(path);
    const float nan = std::nanf("");
    bytes.replace(bytes.size() - 8, 4, reinterpret_cast<const char *>(&nan), 4); // frame 9, channel 0
    return bytes;
}

class MalformedFile : public ::testing::TestWithParam<BadFile> {};

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
        ImportPulse(*state, request);
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

INSTANTIATE_TEST_SUITE_P(
    Faults, MalformedFile,
    ::testing::Values(
        BadFile{"empty", ".csv", "", "нет ни одного числа"},
        BadFile{"comments_only", ".txt", "# nothing\n\n", "нет ни одного числа"},
        BadFile{"text_in_number_column", ".csv", "u\n0.1\n0.2\nabc\n", "строка 4: 'abc' не число"},
        BadFile{"wrong_column_count", ".csv", "0;1\n1;2\n3\n", "строка 3: 1 столбец вместо 2"},
        BadFile{"three_columns", ".dat", "1 2 3\n", "строка 1: 3 столбца"},
        BadFile{"nan_in_text", ".txt", "1.5\nNaN\n", "строка 2: 'NaN' не конечное число"},
        BadFile{"inf_in_text", ".csv", "0;1\n1;-inf\n", "строка 2: '-inf' не конечное число"},
        BadFile{"ambiguous_commas", ".csv", "1,5,2\n", "запятая и разделяет столбцы"},
        BadFile{"truncated_wav", ".wav", truncatedWav(), "файл обрывается"},
        BadFile{"not_a_wav", ".wav", "RIFX0000WAVEdata", "не файл WAV"},
        BadFile{"rate_the_field_cannot_take", ".wav", wavBelowTheFieldsRate(), "вне допустимых 0.001..10000 МГц"},
        BadFile{"nan_in_float_wav", ".wav", floatWavWithNan(), "отсчёт 9 не конечное число"},
        BadFile{"npy_int32", ".npy", npyBytes("<i4", "(2,)", rawBytes(std::vector<int>{1, 2})),
                "'<i4' не поддерживается"},
        BadFile{"npy_big_endian", ".npy", npyBytes(">f8", "(1,)", std::string(8, '\0')), "'>f8' не поддерживается"},
        BadFile{"npy_two_dimensional", ".npy", npyBytes("<f8", "(2, 2)", rawBytes(std::vector<double>(4))),
                "одномерный"},
        BadFile{"npy_truncated", ".npy", npyBytes("<f8", "(4,)", rawBytes(std::vector<double>(3))),
                "ожидалось 4 отсчётов, есть 3"},
        BadFile{"npy_nan", ".npy", npyBytes("<f4", "(3,)", rawBytes(std::vector<float>{1, std::nanf(""), 2})),
                "байт 132: отсчёт 1 не конечное число"},
        BadFile{"npy_over_ten_million", ".npy", npyBytes("<f8", "(10000001,)", ""), "больше 10000000"},
        BadFile{"not_npy", ".npy", "PK\x03\x04 zip archive", "не файл NumPy"},
        BadFile{"unknown_extension", ".xls", "1\n", "неизвестный тип файла"}),
    [](const auto &info) { return std::string(info.param.name); });

TEST(FileLimits, FileAbove64MiBIsRefusedUnread) {
    // A sparse file: its size is what counts, it is never read.
    const auto path = tempPath("huge.csv");
    { std::ofstream out(path, std::ios::binary); }
    std::filesystem::resize_file(path, MaxPulseFileBytes + 1);
    try {
        ReadPulseFile(path.string());
        ADD_FAILURE() << "no error";
    } catch (const base::Error &error) {
        EXPECT_NE(std::string(error.what()).find("больше 64 МиБ"), std::string::npos) << error.what();
    }
    std::filesystem::remove(path);
}

// ---- Placement ------------------------------------------------------------------------------------

struct PlacementCase {
    const char *name;
    std::size_t count;
    int offset;
    std::size_t written;
    std::size_t droppedBefore;
    std::size_t droppedAfter;
};

class Placement : public ::testing::TestWithParam<PlacementCase> {};

TEST_P(Placement, SamplesOutsideTheBufferAreDropped) {
    const PlacementCase c = GetParam();
    auto state = std::make_unique<CoreState>();
    state->SignalBuffer.fill(7.0);
    std::vector<double> pulse(c.count);
    for (std::size_t k = 0; k < pulse.size(); ++k)
        pulse[k] = static_cast<double>(k) + 1;
    const PlacementResult r = PlacePulse(*state, pulse, {c.offset, 2.0, PlacementMode::Replace});
    EXPECT_EQ(r.written, c.written);
    EXPECT_EQ(r.droppedBefore, c.droppedBefore);
    EXPECT_EQ(r.droppedAfter, c.droppedAfter);
    for (int i = -MaxSignalHalfWidth; i <= MaxSignalHalfWidth; ++i) {
        const long long k = static_cast<long long>(i) - c.offset;
        const double expected = k >= 0 && k < static_cast<long long>(c.count) ? 2.0 * static_cast<double>(k + 1) : 0.0;
        ASSERT_EQ(state->SignalBuffer[i], expected) << "index " << i;
    }
}

INSTANTIATE_TEST_SUITE_P(Offsets, Placement,
                         ::testing::Values(PlacementCase{"inside", 100, -50, 100, 0, 0},
                                           PlacementCase{"longer_than_the_right_half", 30000, 0, 10001, 0, 19999},
                                           PlacementCase{"fills_the_whole_buffer", 30000, -10000, 20001, 0, 9999},
                                           PlacementCase{"starts_before_the_buffer", 100, -10050, 50, 50, 0},
                                           PlacementCase{"last_index_only", 5, 10000, 1, 0, 4},
                                           PlacementCase{"entirely_before", 5, -20000, 0, 5, 0},
                                           PlacementCase{"entirely_after", 5, 10001, 0, 0, 5}),
                         [](const auto &info) { return std::string(info.param.name); });

TEST(Placement, AddingPutsAnEchoOnTopAndThePeakHelperCentresIt) {
    auto state = std::make_unique<CoreState>();
    const std::vector<double> pulse{0.0, 0.5, -3.0, 2.0};
    EXPECT_EQ(OffsetPeakAtZero(pulse), -2);
    EXPECT_EQ(OffsetStartAt(1000), -1000);
    PlacePulse(*state, pulse, {OffsetPeakAtZero(pulse), 1.0, PlacementMode::Replace});
    PlacePulse(*state, pulse, {OffsetPeakAtZero(pulse) + 1, 0.5, PlacementMode::Add});
    EXPECT_EQ(state->SignalBuffer[-1], 0.5);
    EXPECT_EQ(state->SignalBuffer[0], -3.0 + 0.25);
    EXPECT_EQ(state->SignalBuffer[1], 2.0 - 1.5);
    EXPECT_EQ(state->SignalBuffer[2], 1.0);

    // A scale that overflows is refused before anything is written.
    const std::vector<double> huge{1e305};
    EXPECT_THROW(PlacePulse(*state, huge, {0, 10000.0, PlacementMode::Replace}), FloatingPointError);
    EXPECT_EQ(state->SignalBuffer[0], -2.75);
}
