#include <gtest/gtest.h>

#include <sndfile.h>

#include <cmath>
#include <filesystem>
#include <string>
#include <vector>

#include "base/error.h"
#include "base/number_text.h"
#include "core/state.h"
#include "io/pulse_import.h"
#include "io/pulse_reader.h"
#include "io/text_reader.h"
#include "io_test_files.h"

using namespace pulsefir;
using namespace pulsefir::io;

namespace {

// The samples every layout file below carries on its first channel; the second is its negation
// times two.
double sampleAt(std::size_t k) {
    return 0.001 * static_cast<double>((k * 37) % 101) - 0.05;
}

std::string num(double value) {
    return base::formatSignificant(value, 10);
}

// A time axis as instruments print it: `start` + k × `step`, in the file's unit.
std::string timeAt(double start, double step, std::size_t k) {
    return num(start + step * static_cast<double>(k));
}

constexpr std::size_t Points = 40;

// Older bench scope: 18 header rows in fields 0-2 beside the time and value in fields 3-4.
std::string sixFieldRows(bool spreadsheet) {
    const char *header[18][3] = {{"Record Length", "4.000000e+01", "Points"},
                                 {"Sample Interval", "2.000000e-06", "s"},
                                 {"Trigger Point", "1.247000000000e+03", "Samples"},
                                 {"", "", ""},
                                 {"", "", ""},
                                 {"", "", ""},
                                 {"Source", "CH2", ""},
                                 {"Vertical Units", "V", ""},
                                 {"Vertical Scale", "2.000000e-02", ""},
                                 {"Vertical Offset", "0.000000e+00", ""},
                                 {"Horizontal Units", "s", ""},
                                 {"Horizontal Scale", "2.500000e-04", ""},
                                 {"Pt Fmt", "Y", ""},
                                 {"Yzero", "0.000000e+00", ""},
                                 {"Probe Atten", "1.000000e+01", ""},
                                 {"Model Number", "TDS2024B", ""},
                                 {"Serial Number", "C012345", ""},
                                 {"Firmware Version", "FV:v22.11", ""}};
    std::string out = spreadsheet ? ",,,x,y\r\n" : "";
    for (std::size_t k = 0; k < Points; ++k) {
        if (k < 18) {
            std::string value = header[k][1];
            if (spreadsheet && k == 0)
                value = "4.00E+01"; // what a spreadsheet makes of the numbers
            else if (spreadsheet && k == 1)
                value = "2.00E-06";
            out += std::string(header[k][0]) + "," + value + "," + header[k][2];
        } else {
            out += ",,";
        }
        out += "," + timeAt(-2.494e-3, 2e-6, k) + "," + num(sampleAt(k)) + ",\r\n";
    }
    return out;
}

// Newer scope: a block of "name,value" lines, bare separators, then TIME,CH1,CH2. The times are
// printed with 5 digits after a 1 µs delay, too few to give the step: the header's interval does.
std::string timeTable() {
    std::string out = "Model,MDO3024\nFirmware Version,1.20\n,,\nWaveform Type,ANALOG\nPoint Format,Y\n"
                      "Horizontal Units,s\nHorizontal Scale,4e-09\nSample Interval,4e-10\n"
                      "Record Length,40\nGating,0.0% to 100.0%\nVertical Units,V,V\nLabel,,\n,,\n"
                      "TIME,CH1,CH2\n";
    for (std::size_t k = 0; k < Points; ++k)
        out += base::formatSignificant(1e-6 + 4e-10 * static_cast<double>(k), 5) + "," + num(sampleAt(k)) + "," +
               num(-2 * sampleAt(k)) + "\n";
    return out;
}

// "Save all": the channels' table beside a shorter MATH table of a coarser step.
std::string timeTablesSideBySide() {
    std::string out = "Model,MDO3024\nRecord Length,40,40,,20\n,,,,\nTIME,CH1,CH2,,TIME,MATH\n";
    for (std::size_t k = 0; k < Points; ++k) {
        out += timeAt(-8e-9, 4e-10, k) + "," + num(sampleAt(k)) + "," + num(-2 * sampleAt(k)) + ",,";
        out += k < Points / 2 ? timeAt(0, 1e-9, k) + "," + num(3 * sampleAt(k)) + "\n" : ",\n";
    }
    return out;
}

// Channels with the start and increment on the second line: the first row of samples, or a row
// of units after an X column.
std::string startIncrement(bool sequence) {
    std::string out = sequence ? "X,CH1,CH2,Start,Increment,\nSequence,Volt,Volt,-5.000000e-02,1.000000e-03,\n"
                               : "CH1,CH2,Start,Increment,\n";
    for (std::size_t k = 0; k < Points; ++k) {
        out += (sequence ? std::to_string(k) + "," : "") + num(sampleAt(k)) + "," + num(-2 * sampleAt(k)) + ",";
        if (k == 0 && !sequence)
            out += "-6.000000e-05,2.000000e-07,";
        out += "\n";
    }
    return out;
}

// Handheld scope: "Name :,value" with units glued to the numbers, then index,CH1_Voltage(mV).
std::string colonHeader(const std::string &interval) {
    std::string out = "Channel :,CH1\nFrequency :,F=1.25000MHz\nPeriod :,T=800.0nS\nPoints :,40\n"
                      "Voltage per ADC value :,0.08mV\n" +
                      interval + "\n\nindex,CH1_Voltage(mV)\n";
    for (std::size_t k = 0; k < Points; ++k)
        out += std::to_string(k) + "," + num(1000 * sampleAt(k)) + "\n";
    return out;
}

// A sample-number column before the time and the channels, the rate in a comment; the times,
// printed with 4 digits, are too coarse to give the rate.
std::string sampleTimeChannels() {
    std::string out = ";Sample rate,1.2e+07\n;Samples,40\n;Exported on,Mon Jan 1 2024\nSample,Time(S),CH1(V),CH2(V)\n";
    for (std::size_t k = 0; k < Points; ++k)
        out += std::to_string(k) + "," + base::formatSignificant(static_cast<double>(k) / 1.2e7, 4) + "," +
               num(sampleAt(k)) + "," + num(-2 * sampleAt(k)) + "\n";
    return out;
}

// Every field of every line in double quotes, as some programs export.
std::string quoted(const std::string &content) {
    std::string out = "\"";
    for (char c : content)
        out += c == ',' ? std::string("\",\"") : c == '\n' ? std::string("\"\n\"") : std::string(1, c);
    out.resize(out.size() - 1); // no quote opens after the last line
    return out;
}

// A generic table: `names` and maybe a units row above columns of time and two channels.
std::string table(const std::string &names, double start, double step, char separator, bool decimalComma,
                  const std::string &lineStart = "") {
    std::string out = names;
    for (std::size_t k = 0; k < Points; ++k) {
        std::string row = timeAt(start, step, k) + separator + num(sampleAt(k)) + separator + num(-2 * sampleAt(k));
        if (decimalComma)
            for (char &c : row)
                if (c == '.')
                    c = ',';
        out += (k == 0 ? lineStart : "") + row + "\n";
    }
    return out;
}

} // namespace

struct LayoutCase {
    const char *name;
    std::string content;
    TimeUnit unit;      // the user's choice
    int column;         // the value column taken
    double rate;        // MHz
    double first;       // µs, the first sample's time; NaN: the file states none
    std::size_t count;  // samples
    double scale;       // of the samples against sampleAt: the channel and its unit
    const char *report; // a part of the import report
};

class InstrumentLayoutFile : public ::testing::TestWithParam<LayoutCase> {};

TEST_P(InstrumentLayoutFile, LoadsAtTheStatedRateSampleForSample) {
    const LayoutCase c = GetParam();
    const auto path = tempPath(std::string(c.name) + ".csv");
    writeBytes(path, c.content);
    PulseReadOptions options;
    options.timeUnit = c.unit;
    options.column = c.column;
    options.minimumRate = 0.001; // the sampling-frequency field's range
    options.maximumRate = 10000;
    const PulseData data = readPulseFile(path.string(), options);
    std::filesystem::remove(path);
    EXPECT_NEAR(data.samplingFrequency.value_or(0), c.rate, c.rate * 1e-9) << data.description;
    if (std::isnan(c.first))
        EXPECT_FALSE(data.firstTime) << data.description;
    else
        EXPECT_NEAR(data.firstTime.value_or(1e300), c.first, 1e-6 * (1 + std::abs(c.first))) << data.description;
    ASSERT_EQ(data.samples.size(), c.count) << data.description;
    EXPECT_NEAR(data.samples.front(), c.scale * sampleAt(0), 1e-12);
    EXPECT_NEAR(data.samples.back(), c.scale * sampleAt(c.count - 1), 1e-12);
    EXPECT_NE(data.description.find(c.report), std::string::npos) << data.description;
}

constexpr double None = std::numeric_limits<double>::quiet_NaN();
constexpr auto Auto = TimeUnit::Automatic;

INSTANTIATE_TEST_SUITE_P(
    Layouts, InstrumentLayoutFile,
    ::testing::Values(
        LayoutCase{"six_fields_header_beside_data", sixFieldRows(false), Auto, 1, 0.5, -2494, Points, 1,
                   "время в с (указано в файле: 's')"},
        LayoutCase{"six_fields_saved_again_by_a_spreadsheet", sixFieldRows(true), TimeUnit::Microseconds, 1, 0.5, -2494,
                   Points, 1, "Record Length"},
        LayoutCase{"time_table_under_a_block", timeTable(), Auto, 2, 2500, 1.0, Points, -2, "'CH2'"},
        LayoutCase{"time_tables_side_by_side_first", timeTablesSideBySide(), Auto, 1, 2500, -0.008, Points, 1, "из 3"},
        LayoutCase{"time_tables_side_by_side_shorter", timeTablesSideBySide(), Auto, 3, 1000, 0, Points / 2, 3,
                   "'MATH'"},
        LayoutCase{"channels_start_increment", startIncrement(false), Auto, 2, 5, -60, Points, -2,
                   "так пишет этот прибор"},
        // 1 ms steps: read as µs they would give 1 MHz, inside the field's range.
        LayoutCase{"sequence_channels_start_increment", startIncrement(true), Auto, 1, 0.001, -50000, Points, 1,
                   "время в с"},
        LayoutCase{"colon_header_glued_microseconds", colonHeader("Time interval :,0.08uS"), Auto, 1, 12.5, None,
                   Points, 1000, "'uS'"},
        LayoutCase{"colon_header_no_comma_nanoseconds", colonHeader("Interval : 80nS"), TimeUnit::Seconds, 1, 12.5,
                   None, Points, 1000, "время в нс"},
        LayoutCase{"sample_time_channels_rate_in_a_comment", sampleTimeChannels(), TimeUnit::Milliseconds, 2, 12, 0,
                   Points, -2, "время в с (указано в файле: 'S')"},
        // Generic tables as other instruments and programs write them.
        LayoutCase{"second_volt_under_an_empty_first_cell",
                   table(",CH1,CH2,\nSecond,Volt,Volt,\n", -1e-6, 1e-8, ',', false), Auto, 1, 100, -1, Points, 1,
                   "'Second"},
        LayoutCase{"in_s_c1_in_v", table("in s,C1 in V,C2 in V\n", 0, 2e-9, ',', false), Auto, 1, 500, 0, Points, 1,
                   "время в с"},
        LayoutCase{"record_length_analog_second_volt",
                   table("Record Length,Analog:40\nSample Interval,Analog:1.00E-06\nSecond,Volt,Volt\n", -2e-5, 1e-6,
                         ',', false),
                   Auto, 2, 1, -20, Points, -2, "время в с"},
        LayoutCase{"logger_sekunden_tabs_commas_nul",
                   table("Zeit\tKanal 1\tKanal 2\nSekunden\tV\tV\n", 0, 1e-6, '\t', true, std::string(2, '\0')), Auto,
                   1, 1, 0, Points, 1, "'Zeit Sekunden'"},
        LayoutCase{"temps_en_secondes", table("Temps (secondes);U1;U2\n", 0, 4e-6, ';', true), Auto, 1, 0.25, 0, Points,
                   1, "время в с"},
        LayoutCase{"vremya_sek_capitals", table("ВРЕМЯ, СЕК;U1;U2\n", 0, 4e-6, ';', true), Auto, 1, 0.25, 0, Points, 1,
                   "время в с"},
        LayoutCase{"vremya_mikrosekundy", table("Время, микросекунды;U1;U2\n", 0, 4, ';', true), Auto, 1, 0.25, 0,
                   Points, 1, "время в мкс (указано в файле"},
        LayoutCase{"quoted_fields", quoted(table("Time (s),CH1 (V),CH2 (V)\n", 0, 2e-9, ',', false)), Auto, 2, 500, 0,
                   Points, -2, "'CH2 (V)'"},
        LayoutCase{"greek_mu_microseconds", table("t (\xCE\xBCs)\tu\tv\n", 0, 0.5, '\t', false), Auto, 1, 2, 0, Points,
                   1, "время в мкс"},
        // A unit named in a row under the column names, which is no data row.
        LayoutCase{"units_row_milliseconds", table("t,u,v\nms,V,V\n", 0, 1, ',', false), Auto, 1, 0.001, 0, Points, 1,
                   "время в мс"},
        // No unit named at all: the guess says so.
        LayoutCase{"no_unit_guessed", table("", 0, 1, ' ', false), Auto, 1, 1, 0, Points, 1, "авто"}),
    [](const auto &info) { return std::string(info.param.name); });

// Numbers that start with the point, and the decimal mark named only where it was in doubt.
struct ReportCase {
    const char *name;
    std::string content;
    std::vector<double> samples;
    const char *named;    // a part of the report; "" for none
    const char *notNamed; // what the report must not say
};

class TextReport : public ::testing::TestWithParam<ReportCase> {};

TEST_P(TextReport, ReadsAndNamesTheDecimalMarkOnlyInDoubt) {
    const ReportCase c = GetParam();
    const PulseData data = readPulseText(c.content, "pulse.csv");
    EXPECT_EQ(data.samples, c.samples) << data.description;
    EXPECT_NE(data.description.find(c.named), std::string::npos) << data.description;
    EXPECT_EQ(data.description.find(c.notNamed), std::string::npos) << data.description;
}

INSTANTIATE_TEST_SUITE_P(
    Reports, TextReport,
    ::testing::Values(
        ReportCase{"leading_points", "value\n.5\n-.25\n+.125\n", {0.5, -0.25, 0.125}, "", "десятичн"},
        // A "name,value" line is no colon header: the own index still places the samples.
        ReportCase{"own_index_under_a_name_value_line",
                   "Exported by,pulsefir\nindex,value\n-2,0.5\n-1,0.25\n",
                   {0.5, 0.25},
                   "первый отсчёт в индексе -2",
                   "формат"},
        ReportCase{"semicolons_decimal_commas", "t;u\n0;0,5\n1;-0,25\n", {0.5, -0.25}, "", "десятичн"},
        ReportCase{
            "counting_commas_are_columns", "0,512\n1,530\n2,601\n", {512, 530, 601}, "десятичная точка", "запятая"},
        ReportCase{"uneven_commas_are_decimal", "1,5\n-2,25\n+3\n", {1.5, -2.25, 3}, "десятичная запятая", "точка"}),
    [](const auto &info) { return std::string(info.param.name); });

// Files refused, each with the message that names the real cause, the signal untouched.
struct RefusalCase {
    const char *name;
    std::string content;
    DecimalChoice decimal;
    int column;
    const char *message;
};

class LayoutRefusal : public ::testing::TestWithParam<RefusalCase> {};

TEST_P(LayoutRefusal, NamesTheCause) {
    const RefusalCase c = GetParam();
    const auto path = tempPath(std::string(c.name) + ".txt");
    writeBytes(path, c.content);
    auto state = std::make_unique<core::CoreState>();
    state->SignalBuffer[0] = 0.5;
    PulseImportRequest request;
    request.fileName = path.string();
    request.samplingFrequency = 0.8;
    request.minimumRate = 0.001;
    request.maximumRate = 10000;
    request.read.decimal = c.decimal;
    request.read.column = c.column;
    try {
        importPulse(*state, request);
        ADD_FAILURE() << "no error";
    } catch (const base::Error &error) {
        EXPECT_NE(std::string(error.what()).find(c.message), std::string::npos) << error.what();
    }
    EXPECT_EQ(state->SignalBuffer[0], 0.5);
    std::filesystem::remove(path);
}

INSTANTIATE_TEST_SUITE_P(
    Refusals, LayoutRefusal,
    ::testing::Values(
        // 3 s steps in German seconds: 0.33 µHz, never a rate the field takes, never read as µs.
        RefusalCase{"logger_seconds_out_of_range",
                    "Zeit\tTemperatur\nSekunden\t\xC2\xB0"
                    "C\n" +
                        std::string(2, '\0') + "0\t21,5\n3\t21,6\n6\t21,7\n",
                    DecimalChoice::Automatic, 1, "частота файла 3.33333333e-07 МГц вне допустимых"},
        RefusalCase{"minutes_in_brackets", "Time (min),U\n0,1\n1,2\n", DecimalChoice::Automatic, 1,
                    "единица времени 'min' не известна"},
        RefusalCase{"stunden_in_a_units_row", "Zeit;U\nStunden;V\n0;1\n1;2\n", DecimalChoice::Automatic, 1,
                    "единица времени 'Stunden' не известна"},
        RefusalCase{"glued_unit_unknown", colonHeader("Time interval :,0.08xS"), DecimalChoice::Automatic, 1,
                    "единица времени 'xS' не известна"},
        RefusalCase{"horizontal_units_unknown", "Horizontal Units,Hz\nSample Interval,1e-6\nVolts\n0.1\n0.2\n",
                    DecimalChoice::Automatic, 1, "единица времени 'Hz' не известна"},
        RefusalCase{"control_byte_inside_a_line", "0;1\n1;2\x01\x33\n", DecimalChoice::Automatic, 1,
                    "строка 2: управляющий байт \\x01 внутри строки"},
        RefusalCase{"values_after_the_shorter_table_ended", "TIME,CH1,,TIME,MATH\n0,1,,0,5\n1,2,,,\n2,3,,2,6\n",
                    DecimalChoice::Automatic, 2, "строка 4: столбец значений кончился в строке 3"},
        RefusalCase{"six_fields_have_one_channel", sixFieldRows(false), DecimalChoice::Automatic, 2,
                    "нет столбца значений 2: в файле их 1"},
        RefusalCase{"comma_and_blank_under_decimal_comma", "0, 0.5\n1, 0.25\n", DecimalChoice::Comma, 1,
                    "выбрана десятичная запятая, но запятая и разделяет столбцы"}),
    [](const auto &info) { return std::string(info.param.name); });

// A block codec pads its last block: only the frames the "fact" chunk states are the pulse.
// libsndfile states the padded count; other writers state the true one, set here.
TEST(BlockCodecWav, ReadsTheFramesTheFactChunkStates) {
    // Two blocks of 2041 frames: the fact ends somewhere in the second.
    for (const std::uint32_t frames : {2042u, 3001u, 4081u}) {
        std::string bytes = wavBytes("ima.wav", SF_FORMAT_IMA_ADPCM, 48000, 4081);
        const std::size_t fact = bytes.find("fact");
        ASSERT_NE(fact, std::string::npos);
        for (int b = 0; b < 4; ++b)
            bytes[fact + 8 + static_cast<std::size_t>(b)] = static_cast<char>((frames >> (8 * b)) & 0xFFu);
        const PulseData data =
            readPulseWav({reinterpret_cast<const unsigned char *>(bytes.data()), bytes.size()}, "ima.wav");
        ASSERT_EQ(data.samples.size(), frames);
        EXPECT_NEAR(data.samples.back(), testSine(frames - 1), 0.05);
    }
}

// An increment no rate in a double can follow from (2e307 s: 0 MHz) is refused even where the
// caller sets no range (the fuzzer's find), never passed on as a rate of 0.
TEST(TextReaderRate, AnIntervalWithoutARateIsRefused) {
    const PulseReadOptions noRange;
    EXPECT_THROW(readPulseText("CH1,CH2,Start,Increment,\n1,2,-6e-05,2e307,\n3,4,\n", "f.csv", noRange), base::Error);
}
