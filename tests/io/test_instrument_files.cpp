#include <gtest/gtest.h>

#include <sndfile.h>

#include <chrono>
#include <cmath>
#include <cstring>
#include <filesystem>
#include <sstream>
#include <string>
#include <vector>

#include "base/error.h"
#include "core/state.h"
#include "io/coefficient_writer.h"
#include "io/pulse_import.h"
#include "io/pulse_reader.h"
#include "io/tap_reader.h"
#include "io_test_files.h"
#include "malformed_file.h"

using namespace pulsefir;
using namespace pulsefir::io;

// ---- Text files as instruments export them ------------------------------------------------------

struct InstrumentCase {
    const char *name;
    std::string content;
    TimeUnit unit; // the user's choice
    int column;    // the value column taken
    double rate;   // MHz expected, 0: none
    double first;  // µs, the first sample's time; NaN: none stated
    std::vector<double> samples;
};

class InstrumentFile : public ::testing::TestWithParam<InstrumentCase> {};

TEST_P(InstrumentFile, LoadsAtTheRateAndTimeItStatesSampleForSample) {
    const InstrumentCase c = GetParam();
    PulseReadOptions options;
    options.timeUnit = c.unit;
    options.column = c.column;
    options.minimumRate = 0.001; // the sampling-frequency field's range
    options.maximumRate = 10000;
    const PulseData data = readPulseText(c.content, "scope.csv", options);
    EXPECT_EQ(data.samples, c.samples) << data.description;
    if (c.rate == 0)
        EXPECT_FALSE(data.samplingFrequency) << data.description;
    else
        EXPECT_NEAR(data.samplingFrequency.value_or(0), c.rate, c.rate * 1e-9) << data.description;
    if (std::isnan(c.first))
        EXPECT_FALSE(data.firstTime);
    else
        EXPECT_NEAR(data.firstTime.value_or(1e300), c.first, 1e-9 * (1 + std::abs(c.first))) << data.description;
}

constexpr double None = std::numeric_limits<double>::quiet_NaN();

INSTANTIATE_TEST_SUITE_P(
    Layouts, InstrumentFile,
    ::testing::Values(
        // Header rows beside the data columns; time in seconds, found as the only unit in range.
        InstrumentCase{"header_rows_beside_data",
                       "Record Length,4,Points,-0.000002,0.04\r\nSample Interval,1e-06,s,-0.000001,0.08\r\n"
                       "Trigger Point,2,Samples,0.000000,0.12\r\n,,,0.000001,0.02\r\n",
                       TimeUnit::Automatic,
                       1,
                       1.0,
                       -2.0,
                       {0.04, 0.08, 0.12, 0.02}},
        // Sequence and channel, then the start and increment under their names.
        InstrumentCase{"x_ch1_start_increment",
                       "X,CH1,Start,Increment,\nSequence,Volt,-6.000000e-05,2.000000e-07,\n0,1.20e-02,\n1,-4.0e-03,\n"
                       "2,8.0e-03,\n",
                       TimeUnit::Automatic,
                       1,
                       5.0,
                       -60.0,
                       {0.012, -0.004, 0.008}},
        InstrumentCase{"x_axis_second_volt",
                       "x-axis,1\nsecond,Volt\n-1.0e-06,0.5\n0.0e+00,0.25\n1.0e-06,-0.5\n",
                       TimeUnit::Automatic,
                       1,
                       1.0,
                       -1.0,
                       {0.5, 0.25, -0.5}},
        InstrumentCase{"time_ampl_after_header_block",
                       "LECROYWR44,12345,Waveform\nSegments,1,SegmentSize,4\nSegment,TrigTime,TimeSinceSegment1\n"
                       "#1,01-Jan-2024 10:00:00,0\nTime,Ampl\n-2e-8,0.1\n-1e-8,0.2\n0,0.3\n1e-8,0.4\n",
                       TimeUnit::Automatic,
                       1,
                       100.0,
                       -0.02,
                       {0.1, 0.2, 0.3, 0.4}},
        InstrumentCase{"time_channel_a_units_row",
                       "Time,Channel A\n(us),(V)\n\n-0.5,1.5\n0.0,2.5\n0.5,3.5\n",
                       TimeUnit::Automatic,
                       1,
                       2.0,
                       -0.5,
                       {1.5, 2.5, 3.5}},
        InstrumentCase{"nr_time_ch1_ch2_second_channel",
                       "nr,time,ch1,ch2\n0,0.000,1,10\n1,0.001,2,20\n2,0.002,3,30\n",
                       TimeUnit::Milliseconds,
                       2,
                       1.0,
                       0.0,
                       {10, 20, 30}},
        InstrumentCase{"time_in_ms_by_name",
                       "Time [ms];U [V]\n0,000;1\n0,001;2\n0,002;3\n",
                       TimeUnit::Automatic,
                       1,
                       1.0,
                       0.0,
                       {1, 2, 3}},
        InstrumentCase{
            "time_in_ns_by_name", "t (ns)\tu\n100\t1\n150\t2\n200\t3\n", TimeUnit::Automatic, 1, 20.0, 0.1, {1, 2, 3}},
        InstrumentCase{"time_in_mks_by_name",
                       "время, мкс;отсчёт\n-120;1\n-118,75;2\n-117,5;3\n",
                       TimeUnit::Automatic,
                       1,
                       0.8,
                       -120.0,
                       {1, 2, 3}},
        InstrumentCase{"time_in_us_by_name", "Time (µs),V\n10,1\n11,2\n", TimeUnit::Automatic, 1, 1.0, 10.0, {1, 2}},
        InstrumentCase{
            "unnamed_seconds_chosen", "0\t1\n0.5e-6\t2\n1e-6\t3\n", TimeUnit::Seconds, 1, 2.0, 0.0, {1, 2, 3}},
        InstrumentCase{
            "unnamed_microseconds_auto", "0 1\n1.25 2\n2.5 3\n", TimeUnit::Automatic, 1, 0.8, 0.0, {1, 2, 3}},
        InstrumentCase{"sample_interval_only",
                       "Sample Interval,2e-07\nHorizontal Units,s\nVolts\n0.1\n0.2\n0.3\n",
                       TimeUnit::Automatic,
                       1,
                       5.0,
                       None,
                       {0.1, 0.2, 0.3}},
        InstrumentCase{"own_index_csv",
                       "index,value\n-2,0.5\n-1,0.25\n0,1\n1,-0.125\n",
                       TimeUnit::Automatic,
                       1,
                       0,
                       None,
                       {0.5, 0.25, 1, -0.125}},
        InstrumentCase{
            "integers_counting_from_zero", "0,512\n1,530\n2,601\n", TimeUnit::Automatic, 1, 1.0, 0.0, {512, 530, 601}},
        InstrumentCase{
            "integers_with_blanks", "0, 512\n1, -530\n2, 601\n", TimeUnit::Automatic, 1, 1.0, 0.0, {512, -530, 601}},
        InstrumentCase{
            "decimal_commas_by_uneven_commas", "1,5\n-2,25\n+3\n", TimeUnit::Automatic, 1, 0, None, {1.5, -2.25, 3}}),
    [](const auto &info) { return std::string(info.param.name); });

TEST(InstrumentFile, AnIndexColumnPlacesTheSamplesAtTheirIndices) {
    const PulseData data = readPulseText("index,value\n-2,0.5\n-1,0.25\n", "own.csv");
    EXPECT_EQ(data.firstIndex.value_or(0), -2);
}

TEST(InstrumentFile, TheDecimalChoiceDecidesWhatTheFileLeavesOpen) {
    PulseReadOptions options;
    options.decimal = DecimalChoice::Comma;
    EXPECT_EQ(readPulseText("1,5\n2,5\n", "a.csv", options).samples, (std::vector<double>{1.5, 2.5}));
    options.decimal = DecimalChoice::Point;
    const PulseData columns = readPulseText("1,5\n2,5\n", "a.csv", options);
    EXPECT_EQ(columns.samples, (std::vector<double>{5, 5}));
    EXPECT_NEAR(columns.samplingFrequency.value_or(0), 1.0, 1e-12);
}

// The text rows of the malformed files: each refused with its message, the signal untouched.
INSTANTIATE_TEST_SUITE_P(
    TextFaults, MalformedFile,
    ::testing::Values(
        BadFile{"integers_or_decimals", ".csv", "0,512\n0,530\n", "FileDecimalRadioGroup"},
        BadFile{"descending_time", ".csv", "time,u\n3,1\n2,2\n1,3\n", "строка 3: время не возрастает"},
        BadFile{"jittered_time", ".csv", "t;u\n0;1\n1;1\n2,01;1\n3;1\n4;1\n", "строка 4: шаг времени перед отсчётом 2"},
        BadFile{"random_time", ".txt", "5 1\n1 1\n9 1\n2 1\n", "время не возрастает"},
        BadFile{"index_not_counting", ".csv", "index,value\n0,1\n1,2\n3,3\n", "строка 4: столбец index"},
        BadFile{"no_unit_fits", ".csv", "time,u\n0,1\n1e9,2\n", "ни в с, ни в мс"},
        BadFile{"line_too_long", ".csv", "1\n" + std::string(100000, '1') + "\n", "строка 2: строка длиннее 65536"},
        BadFile{"text_after_data", ".csv", "0;1\n1;2\n2;x\n", "строка 3: 'x' не число"}),
    badFileName);

TEST(InstrumentFile, AColumnBeyondTheFilesIsNamed) {
    PulseReadOptions options;
    options.column = 3;
    try {
        readPulseText("time,a,b\n0,1,2\n1,1,2\n", "two.csv", options);
        FAIL() << "no error";
    } catch (const base::Error &error) {
        EXPECT_NE(std::string(error.what()).find("нет столбца значений 3: в файле их 2"), std::string::npos)
            << error.what();
    }
}

TEST(InstrumentFile, AnOverLongLineIsRefusedBeforeItIsSplit) {
    // 60 MB on one line: refused at once, without reading it into fields.
    const std::string huge(60u * 1024u * 1024u, '7');
    const auto start = std::chrono::steady_clock::now();
    EXPECT_THROW(readPulseText(huge, "huge.csv"), base::Error);
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(2));
}

TEST(InstrumentFile, AQuotedValueInAMessageIsCutAt80Characters) {
    try {
        readPulseText("1\n" + std::string(5000, 'x') + "\n", "long.csv");
        FAIL() << "no error";
    } catch (const base::Error &error) {
        EXPECT_LT(std::strlen(error.what()), 200u) << error.what();
    }
}

// ---- NumPy files as numpy writes them -----------------------------------------------------------

namespace {

std::string npy(const std::string &descr, const std::string &shape, const std::string &data, int major = 1,
                const std::string &extra = "") {
    std::string header = "{'descr': '" + descr + "', 'fortran_order': False, 'shape': " + shape + ", " + extra + "}";
    const std::size_t preamble = major == 1 ? 10 : 12;
    while ((preamble + header.size() + 1) % 64 != 0)
        header += ' ';
    header += '\n';
    std::string bytes = "\x93NUMPY";
    bytes += static_cast<char>(major);
    bytes += '\0';
    bytes += static_cast<char>(header.size() & 0xFF);
    bytes += static_cast<char>(header.size() >> 8);
    if (major != 1)
        bytes += std::string(2, '\0');
    return bytes + header + data;
}

std::string bigEndian(std::string littleEndianItems, std::size_t itemSize) {
    for (std::size_t k = 0; k + itemSize <= littleEndianItems.size(); k += itemSize)
        std::reverse(littleEndianItems.begin() + static_cast<std::ptrdiff_t>(k),
                     littleEndianItems.begin() + static_cast<std::ptrdiff_t>(k + itemSize));
    return littleEndianItems;
}

template <typename T> std::string raw(std::vector<T> values) {
    return std::string(reinterpret_cast<const char *>(values.data()), values.size() * sizeof(T));
}

} // namespace

struct NpyCase {
    const char *name;
    std::string bytes;
    std::vector<double> samples;
};

class NpyVariant : public ::testing::TestWithParam<NpyCase> {};

TEST_P(NpyVariant, ValuesAsStored) {
    const NpyCase c = GetParam();
    const std::string &b = c.bytes;
    const PulseData data =
        readPulseNpy({reinterpret_cast<const unsigned char *>(b.data()), b.size()}, std::string(c.name) + ".npy");
    EXPECT_EQ(data.samples, c.samples);
}

INSTANTIATE_TEST_SUITE_P(
    Variants, NpyVariant,
    ::testing::Values(
        NpyCase{
            "big_endian_f8", npy(">f8", "(3,)", bigEndian(raw<double>({0.1, -2.5, 1e-300}), 8)), {0.1, -2.5, 1e-300}},
        NpyCase{"native_f8", npy("=f8", "(2,)", raw<double>({1.5, 2.5})), {1.5, 2.5}},
        NpyCase{"no_order_f8", npy("f8", "(2,)", raw<double>({1.5, 2.5})), {1.5, 2.5}},
        NpyCase{"big_endian_f4", npy(">f4", "(2,)", bigEndian(raw<float>({0.5f, -0.25f}), 4)), {0.5, -0.25}},
        NpyCase{"float16",
                npy("<f2", "(4,)", raw<std::uint16_t>({0x3C00, 0xC000, 0x3555, 0x0001})),
                {1.0, -2.0, 0.333251953125, 5.9604644775390625e-8}},
        NpyCase{"int8", npy("|i1", "(3,)", raw<std::int8_t>({-128, 0, 127})), {-128, 0, 127}},
        NpyCase{"uint8", npy("|u1", "(2,)", raw<std::uint8_t>({0, 255})), {0, 255}},
        NpyCase{"int16_big_endian", npy(">i2", "(2,)", bigEndian(raw<std::int16_t>({-32768, 512}), 2)), {-32768, 512}},
        NpyCase{"int32", npy("<i4", "(2,)", raw<std::int32_t>({-7, 1 << 30})), {-7, 1 << 30}},
        NpyCase{"uint64", npy("<u8", "(1,)", raw<std::uint64_t>({1ull << 53})), {9007199254740992.0}},
        NpyCase{"column_n_by_1", npy("<f8", "(3, 1)", raw<double>({1, 2, 3})), {1, 2, 3}},
        NpyCase{"row_1_by_n", npy("<f8", "(1, 3)", raw<double>({1, 2, 3})), {1, 2, 3}},
        NpyCase{"python2_long_shape", npy("<f8", "(2L,)", raw<double>({4, 5})), {4, 5}},
        NpyCase{"version_2", npy("<f8", "(2,)", raw<double>({6, 7}), 2), {6, 7}}),
    [](const auto &info) { return std::string(info.param.name); });

// ---- WAV encodings and containers as libsndfile writes them -------------------------------------

struct SoundCase {
    const char *name;
    const char *extension;
    int format;       // container | encoding
    double tolerance; // of the encoding, on the test sine of amplitude 0.75
};

class SoundEncoding : public ::testing::TestWithParam<SoundCase> {};

TEST_P(SoundEncoding, DecodesTheChosenChannelAtItsRate) {
    const SoundCase c = GetParam();
    const auto path = tempPath(std::string(c.name) + c.extension);
    SF_INFO info{};
    info.samplerate = 500000;
    info.channels = 2;
    info.format = c.format;
    ASSERT_TRUE(sf_format_check(&info)) << c.name;
    SNDFILE *file = sf_open(path.c_str(), SFM_WRITE, &info);
    ASSERT_NE(file, nullptr) << sf_strerror(nullptr);
    std::vector<double> frames;
    for (std::size_t k = 0; k < 2000; ++k) {
        frames.push_back(testSine(k));
        frames.push_back(-0.5 * testSine(k));
    }
    sf_writef_double(file, frames.data(), 2000);
    sf_close(file);

    PulseReadOptions options;
    options.column = 2;
    const PulseData data = readPulseFile(path.string(), options);
    EXPECT_DOUBLE_EQ(data.samplingFrequency.value_or(0), 0.5);
    EXPECT_NE(data.description.find("2"), std::string::npos) << data.description; // the channel note
    ASSERT_GE(data.samples.size(), 1900u);
    // ADPCM codecs start from a predicted zero: compare after their first blocks.
    for (std::size_t k = 600; k < 1900; ++k)
        ASSERT_NEAR(data.samples[k], -0.5 * testSine(k), c.tolerance) << c.name << " sample " << k;
    std::filesystem::remove(path);
}

INSTANTIATE_TEST_SUITE_P(Encodings, SoundEncoding,
                         ::testing::Values(SoundCase{"ulaw", ".wav", SF_FORMAT_WAV | SF_FORMAT_ULAW, 0.02},
                                           SoundCase{"alaw", ".wav", SF_FORMAT_WAV | SF_FORMAT_ALAW, 0.02},
                                           SoundCase{"ima_adpcm", ".wav", SF_FORMAT_WAV | SF_FORMAT_IMA_ADPCM, 0.05},
                                           SoundCase{"ms_adpcm", ".wav", SF_FORMAT_WAV | SF_FORMAT_MS_ADPCM, 0.05},
                                           SoundCase{"rf64_float", ".rf64", SF_FORMAT_RF64 | SF_FORMAT_FLOAT, 1e-7},
                                           SoundCase{"w64_pcm24", ".w64", SF_FORMAT_W64 | SF_FORMAT_PCM_24, 1e-6},
                                           SoundCase{"wavex_pcm16", ".wav", SF_FORMAT_WAVEX | SF_FORMAT_PCM_16, 1e-4}),
                         [](const auto &info) { return std::string(info.param.name); });

TEST(SoundFile, AJunkChunkOfFourGigabytesIsRefusedAtOnce) {
    std::string bytes = "RIFF";
    bytes += std::string("\x24\x00\x00\x00", 4) + "WAVE" + "JUNK" + std::string("\xF8\xFF\xFF\xFF", 4);
    bytes.resize(44, '\0');
    const auto start = std::chrono::steady_clock::now();
    EXPECT_THROW(readPulseWav({reinterpret_cast<const unsigned char *>(bytes.data()), bytes.size()}, "junk.wav"),
                 base::Error);
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(1));
}

TEST(SoundFile, AMissingChannelIsNamed) {
    const std::string bytes = wavBytes("two.wav", SF_FORMAT_PCM_16, 8000, 10);
    PulseReadOptions options;
    options.column = 3;
    try {
        readPulseWav({reinterpret_cast<const unsigned char *>(bytes.data()), bytes.size()}, "two.wav", options);
        FAIL() << "no error";
    } catch (const base::Error &error) {
        EXPECT_NE(std::string(error.what()).find("нет канала 3: в файле 2"), std::string::npos) << error.what();
    }
}

// ---- Filter taps back in ------------------------------------------------------------------------

class TapRoundTrip : public ::testing::TestWithParam<const char *> {};

TEST_P(TapRoundTrip, EveryExportedFormatLoadsBack) {
    const std::string extension = GetParam();
    std::vector<double> taps;
    for (int j = -7; j <= 7; ++j)
        taps.push_back(std::sin(0.7 * j + 0.3) / (1.0 + j * j) * 1.2345678901234567);
    CoefficientExport data{taps, 7, 0.8, 18};
    std::ostringstream text;
    writeCoefficients(text, data, coefficientFormatForFileName("f" + extension));
    const auto path = tempPath("taps" + extension);
    writeBytes(path, text.str());
    const FilterTaps back = readFilterFile(path.string());
    EXPECT_EQ(back.centre, 7);
    ASSERT_EQ(back.taps.size(), taps.size());
    // .coe holds integers: back within half a step of the scale it states.
    const double tolerance = extension == ".coe" ? quantiseModel(taps, 18).maxError * 1.0000001 : 0.0;
    for (std::size_t k = 0; k < taps.size(); ++k)
        EXPECT_NEAR(back.taps[k], taps[k], tolerance) << extension << " tap " << k;

    auto state = std::make_unique<core::CoreState>();
    EXPECT_EQ(loadFilterTaps(*state, back), 7);
    EXPECT_EQ(state->FilterHalfWidth, 7);
    EXPECT_EQ(state->FilterBuffer[-7], back.taps[0]);
    EXPECT_EQ(state->FilterBuffer[8], 0.0);
    std::filesystem::remove(path);
}

INSTANTIATE_TEST_SUITE_P(Formats, TapRoundTrip, ::testing::Values(".csv", ".txt", ".npy", ".h", ".coe", ".m"),
                         [](const auto &info) { return std::string(info.param + 1); });

struct TapCase {
    const char *name;
    const char *extension;
    std::string bytes;
    std::vector<double> taps;
    long long centre;
};

class OtherToolTaps : public ::testing::TestWithParam<TapCase> {};

TEST_P(OtherToolTaps, CentredOrAtTheStatedCentre) {
    const TapCase c = GetParam();
    const FilterTaps t = readFilterTaps({reinterpret_cast<const unsigned char *>(c.bytes.data()), c.bytes.size()},
                                        std::string(c.name) + c.extension);
    EXPECT_EQ(t.taps, c.taps);
    EXPECT_EQ(t.centre, c.centre);
}

INSTANTIATE_TEST_SUITE_P(
    Files, OtherToolTaps,
    ::testing::Values(
        TapCase{"plain_column_odd", ".txt", "0.25\n0.5\n0.25\n", {0.25, 0.5, 0.25}, 1},
        TapCase{"plain_column_even", ".dat", "1\n2\n3\n4\n", {1, 2, 3, 4}, 2},
        TapCase{"index_off_centre", ".csv", "index,tap\n-1,0.5\n0,1\n1,0.5\n2,0.25\n", {0.5, 1, 0.5, 0.25}, 1},
        TapCase{"float_array", ".h", "const float h[3] = {0.5f, 1.0f, -0.5f};\n", {0.5, 1, -0.5}, 1},
        TapCase{"row_vector", ".m", "% taps\nb = [0.1, 0.2, 0.1];\n", {0.1, 0.2, 0.1}, 1},
        TapCase{"plain_coe", ".coe", "radix=10;\ncoefdata=\n-3,\n5,\n-3;\n", {-3, 5, -3}, 1}),
    [](const auto &info) { return std::string(info.param.name); });

TEST(OtherToolTaps, AFilterLongerThan2001TapsIsRefusedWithItsLength) {
    std::string column;
    for (int k = 0; k < 2003; ++k)
        column += "0.001\n";
    try {
        readFilterTaps({reinterpret_cast<const unsigned char *>(column.data()), column.size()}, "long.txt");
        FAIL() << "no error";
    } catch (const base::Error &error) {
        EXPECT_NE(std::string(error.what()).find("2003"), std::string::npos) << error.what();
    }
}

// ---- Resampling of the part that lands ----------------------------------------------------------

TEST(ResamplingPart, MatchesTheWholeConversionWhereItLands) {
    std::vector<double> pulse(20000);
    for (std::size_t k = 0; k < pulse.size(); ++k)
        pulse[k] = testSine(k) * std::exp(-static_cast<double>(k) / 8000.0);
    for (const auto &[from, to] : {std::pair{1.0, 0.8}, std::pair{0.8, 1.0}, std::pair{2.0, 0.5}}) {
        const std::vector<double> whole = resamplePulse(pulse, from, to);
        const auto first = static_cast<long long>(whole.size() * 3 / 8);
        const auto last = static_cast<long long>(whole.size() * 5 / 8);
        const ResampledPart part = resamplePulsePart(pulse, from, to, first, last);
        ASSERT_EQ(part.first, first);
        ASSERT_EQ(part.samples.size(), static_cast<std::size_t>(last - first + 1));
        for (std::size_t k = 0; k < part.samples.size(); ++k)
            ASSERT_NEAR(part.samples[k], whole[first + k], 1e-6) << from << " → " << to << " output " << first + k;
    }
}

TEST(ResamplingPart, ImportConvertsOnlyWhatLandsAndCountsTheRestAsDropped) {
    const auto path = tempPath("long.wav");
    writeWav(path, SF_FORMAT_FLOAT, 1000000, 100000); // 100 ms at 1 MHz
    auto state = std::make_unique<core::CoreState>();
    PulseImportRequest request;
    request.fileName = path.string();
    request.samplingFrequency = 0.8;
    request.rate = RateChoice::Resample;
    request.placement.offset = -10000;
    const PulseImportOutcome outcome = importPulse(*state, request);
    EXPECT_EQ(outcome.pulseSamples, 80000u);
    EXPECT_EQ(outcome.placed.written, 20001u);
    EXPECT_EQ(outcome.placed.droppedBefore + outcome.placed.droppedAfter, 80000u - 20001u);
    // Index 0 is output 10000 at 0.8 MHz: 12 500 µs, file sample 12 500.
    EXPECT_NEAR(state->SignalBuffer[0], testSine(12500), 2e-4);
    std::filesystem::remove(path);
}
