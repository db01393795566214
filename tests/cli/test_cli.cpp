#include <gtest/gtest.h>

#include <csignal>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <charconv>
#include <chrono>
#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <optional>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

namespace {

// A CSV number, read without the C library's locale.
double number(const std::string &text) {
    double value = 0.0;
    std::from_chars(text.data(), text.data() + text.size(), value);
    return value;
}

struct Result {
    int exitCode;
    std::string out;
    std::string err;
};

std::string readFile(const std::filesystem::path &path) {
    std::ifstream stream(path, std::ios::binary);
    std::stringstream text;
    text << stream.rdbuf();
    return text.str();
}

// Runs the tool with the given arguments (each quoted for the shell); standard output goes to a
// file that is read back, or where `stdoutRedirect` sends it (">/dev/full", ">&-").
// `environment` ("NAME=VALUE ...") is set for the tool alone.
Result runCli(const std::vector<std::string> &args, const std::string &stdoutRedirect = "",
              const std::string &environment = "") {
    const auto dir = std::filesystem::temp_directory_path();
    const auto outPath = dir / ("pulsefir-cli-out-" + std::to_string(::getpid()));
    const auto errPath = dir / ("pulsefir-cli-err-" + std::to_string(::getpid()));
    // English unless a case asks for another locale: the tool speaks its locale's language.
    std::string command = "env LC_ALL=en_US.UTF-8 " + environment + " '" PULSEFIR_CLI "'";
    for (const auto &arg : args)
        command += " '" + arg + "'";
    command += (stdoutRedirect.empty() ? " >'" + outPath.string() + "'" : " " + stdoutRedirect) + " 2>'" +
               errPath.string() + "' </dev/null";
    const int status = std::system(command.c_str());
    Result result{WIFEXITED(status) ? WEXITSTATUS(status) : -1, readFile(outPath), readFile(errPath)};
    std::filesystem::remove(outPath);
    std::filesystem::remove(errPath);
    return result;
}

std::vector<std::string> lines(const std::string &text) {
    std::vector<std::string> result;
    std::stringstream stream(text);
    for (std::string line; std::getline(stream, line);)
        result.push_back(line);
    return result;
}

// Value column of an "index,value" CSV, by index.
double valueAt(const std::string &csv, int index) {
    for (const auto &line : lines(csv)) {
        const auto comma = line.find(',');
        if (comma != std::string::npos && line.substr(0, comma) == std::to_string(index))
            return number(line.substr(comma + 1));
    }
    ADD_FAILURE() << "no row " << index;
    return 0.0;
}

// The comma-separated cells of a CSV row, empty ones included.
std::vector<std::string> cells(const std::string &row) {
    std::vector<std::string> result(1);
    for (const char c : row)
        if (c == ',')
            result.emplace_back();
        else
            result.back().push_back(c);
    return result;
}

// A cell as a number, read independently of the C library's locale; nothing for an empty cell.
std::optional<double> cellNumber(const std::string &cell) {
    double value = 0.0;
    const auto [end, ec] = std::from_chars(cell.data(), cell.data() + cell.size(), value);
    if (cell.empty() || ec != std::errc() || end != cell.data() + cell.size())
        return std::nullopt;
    return value;
}

} // namespace

TEST(CliTest, LoadSignalWritesTheDefaultBurst) {
    const auto result = runCli({"load-signal", "write-signal", "-"});
    ASSERT_EQ(result.exitCode, 0) << result.err;
    const auto rows = lines(result.out);
    ASSERT_EQ(rows.size(), 2002u);
    EXPECT_EQ(rows[0], "index,value");
    EXPECT_EQ(rows[1].substr(0, 6), "-1000,");
    EXPECT_NEAR(valueAt(result.out, 579), 0.427733, 1e-6);
    EXPECT_NEAR(valueAt(result.out, 1), -0.149386, 1e-6);
}

TEST(CliTest, SetBetweenTwoStepsMakesAnEcho) {
    const auto single = runCli({"load-signal", "write-signal", "-"});
    const auto echo =
        runCli({"load-signal", "--set", "SignalForm.Exp_Shift_NmSuperSpin=40", "add-signal", "write-signal", "-"});
    ASSERT_EQ(echo.exitCode, 0) << echo.err;
    const auto shifted = runCli({"--set", "SignalForm.Exp_Shift_NmSuperSpin=40", "load-signal", "write-signal", "-"});
    for (int i : {-50, 0, 300, 999})
        EXPECT_NEAR(valueAt(echo.out, i), valueAt(single.out, i) + valueAt(shifted.out, i), 1e-15) << i;
}

TEST(CliTest, CommaAndPointAreBothDecimalSeparators) {
    const auto point = runCli({"--set", "SignalForm.Exp_Am_NmSuperSpin=2.5", "load-signal", "write-signal", "-"});
    const auto comma = runCli({"--set", "SignalForm.Exp_Am_NmSuperSpin=2,5", "load-signal", "write-signal", "-"});
    ASSERT_EQ(point.exitCode, 0) << point.err;
    EXPECT_EQ(point.out, comma.out);
}

TEST(CliTest, HalfWidthTakesEffectAtTheNextDraw) {
    const auto result = runCli({"--set", "MainForm.SWNmSpinEdit=20", "write-signal", "-", "draw", "write-signal", "-"});
    ASSERT_EQ(result.exitCode, 0) << result.err;
    // 1 header + 2001 rows with the start-up half-width, then 1 header + 41 rows.
    EXPECT_EQ(lines(result.out).size(), 2002u + 42u);
}

TEST(CliTest, ApplyWithADeltaLikeDefaultFilterIsZero) {
    const auto result = runCli({"load-signal", "apply", "write-output", "-"});
    ASSERT_EQ(result.exitCode, 0) << result.err;
    EXPECT_EQ(valueAt(result.out, 579), 0.0) << "the all-zero start-up filter";
}

TEST(CliTest, WritesToAFile) {
    const auto path =
        std::filesystem::temp_directory_path() / ("pulsefir-cli-file-" + std::to_string(::getpid()) + ".csv");
    const auto result = runCli({"load-signal", "write-filter", path.string()});
    ASSERT_EQ(result.exitCode, 0) << result.err;
    const auto rows = lines(readFile(path));
    std::filesystem::remove(path);
    EXPECT_EQ(rows.size(), 22u) << "taps -10..10 of the start-up filter";
}

// write-hdl makes the folder, writes the hardware of the fixed-point settings, and the hardware's
// expected output is the integer filter's output the program shows (write-fixed-output), LATENCY
// clocks after the signal's samples enter.
TEST(CliTest, WriteHdlDescribesTheFixedPointFilterItShows) {
    const auto folder =
        std::filesystem::temp_directory_path() / ("pulsefir-cli-hdl-" + std::to_string(::getpid())) / "made" / "here";
    const std::vector<std::string> set{"--set", "FilterForm.AdcBitsNmSpinEdit=10",
                                       "--set", "FilterForm.OutBitsNmSpinEdit=14",
                                       "--set", "FilterForm.RoundingRadioGroup=2"};
    std::vector<std::string> args = set;
    for (const char *a : {"load-signal", "synthesize", "apply-fixed", "write-hdl"})
        args.push_back(a);
    args.push_back(folder.string());
    args.insert(args.end(), {"write-fixed-output", "-"});
    const auto result = runCli(args);
    ASSERT_EQ(result.exitCode, 0) << result.err;
    EXPECT_NE(result.out.find(" multipliers, "), std::string::npos) << result.out;
    const std::string module = readFile(folder / "pulsefir_fir.v");
    EXPECT_NE(module.find("parameter XW = 10,"), std::string::npos);
    EXPECT_NE(module.find("parameter YW = 14,"), std::string::npos);
    for (const char *file : {"pulsefir_fir.vhd", "pulsefir_fir_tb.v", "pulsefir_fir_tb.vhd"})
        EXPECT_FALSE(readFile(folder / file).empty()) << file;

    // The fixed output's rows: index,input,output,value over -N..+N.
    std::vector<long long> input;
    std::vector<long long> output;
    const std::string csv = result.out.substr(result.out.find("index,input,output,value\n") + 25);
    for (const std::string &row : lines(csv)) {
        const auto a = row.find(',');
        const auto b = row.find(',', a + 1);
        const auto c = row.find(',', b + 1);
        input.push_back(std::stoll(row.substr(a + 1, b - a - 1)));
        output.push_back(std::stoll(row.substr(b + 1, c - b - 1)));
    }
    ASSERT_GT(input.size(), 100u);
    const auto words = [](const std::string &text, int bits) {
        std::vector<long long> values;
        for (const std::string &line : lines(text)) {
            long long v = std::stoll(line, nullptr, 16);
            if (v >= 1LL << (bits - 1))
                v -= 1LL << bits;
            values.push_back(v);
        }
        return values;
    };
    const std::vector<long long> stimulus = words(readFile(folder / "stimulus.hex"), 10);
    const std::vector<long long> expected = words(readFile(folder / "expected.hex"), 14);
    ASSERT_GE(stimulus.size(), input.size() + 10000);
    EXPECT_TRUE(std::equal(input.begin(), input.end(), stimulus.begin()));
    // Away from the ends, where the program reads the signal beyond its half-width and the
    // hardware the random samples after it, both outputs are the same integers.
    const std::size_t margin = 100; // the default filter's half-width
    for (std::size_t k = margin; k + margin < input.size(); ++k)
        ASSERT_EQ(expected[k], output[k]) << "sample " << k;
    std::filesystem::remove_all(folder.parent_path().parent_path());
}

struct BadInput {
    const char *name;
    std::vector<std::string> args;
    int exitCode;
    const char *message;
    const char *stdoutRedirect = "";
};

// Names the case in test listings instead of dumping its bytes.
void PrintTo(const BadInput &c, std::ostream *os) {
    *os << c.name;
}

class CliBadInputTest : public ::testing::TestWithParam<BadInput> {};

TEST_P(CliBadInputTest, FailsWithAClearMessage) {
    const auto &c = GetParam();
    const auto result = runCli(c.args, c.stdoutRedirect);
    EXPECT_EQ(result.exitCode, c.exitCode) << result.err;
    EXPECT_NE(result.err.find(c.message), std::string::npos) << result.err;
    EXPECT_TRUE(result.out.empty()) << result.out;
}

INSTANTIATE_TEST_SUITE_P(
    Cases, CliBadInputTest,
    ::testing::Values(
        BadInput{"unknown_step", {"load-signal", "frobnicate"}, 2, "unknown step 'frobnicate'"},
        BadInput{"unknown_key", {"--set", "MainForm.Nothing=1"}, 2, "unknown key MainForm.Nothing"},
        BadInput{"not_a_number", {"--set", "MainForm.FNmSuperSpin=fast"}, 2, "'fast' is not a number"},
        BadInput{"out_of_range", {"--set", "MainForm.SWNmSpinEdit=20000"}, 2, "outside 1..10000"},
        BadInput{"fraction_for_integer", {"--set", "MainForm.SWNmSpinEdit=1.5"}, 2, "not a whole number"},
        BadInput{"missing_file", {"write-signal"}, 2, "needs a FILE"},
        BadInput{"unwritable_file",
                 {"write-signal", "/nonexistent-dir/x.csv"},
                 1,
                 "Unable to write to /nonexistent-dir/x.csv: No such file or directory"},
        BadInput{"full_disk_file",
                 {"write-signal", "/dev/full"},
                 1,
                 "Unable to write to /dev/full: a device, not a regular file"},
        BadInput{"fifo_filter",
                 {"write-filter", "/dev/stdin"},
                 1,
                 "Unable to write to /dev/stdin: a device, not a regular file"},
        BadInput{"unwritable_project", {"save-project", "/proc/p.flt"}, 1, "Unable to write to /proc/p.flt: "},
        BadInput{"project_from_a_device", {"--project", "/dev/stdin"}, 1, "/dev/stdin is not a project file"},
        BadInput{"full_standard_output",
                 {"load-signal", "write-signal", "-"},
                 1,
                 "Unable to write to standard output",
                 ">/dev/full"},
        BadInput{"closed_standard_output", {"--help"}, 1, "Unable to write to standard output", ">&-"},
        BadInput{"zero_time_constant_is_range_checked",
                 {"--set", "SignalForm.Exp_Front_NmSuperSpin=0", "load-signal"},
                 2,
                 "outside 0.001..10000"}),
    [](const auto &info) { return std::string(info.param.name); });

TEST(CliTest, SpectraOfTheDefaultDesignHaveOneRowPerPoint) {
    const auto result = runCli({"--set", "SignalForm.Exp_Shift_NmSuperSpin=75", "load-signal", "synthesize", "apply",
                                "spectra", "write-spectra", "-"});
    ASSERT_EQ(result.exitCode, 0) << result.err;
    const auto rows = lines(result.out);
    ASSERT_EQ(rows.size(), 401u);
    EXPECT_EQ(rows[0].rfind("frequency_mhz,signal_amplitude,signal_phase,filter_amplitude,filter_phase,"
                            "output_amplitude,output_phase,",
                            0),
              0u)
        << rows[0];
    EXPECT_NEAR(number(rows[1]), 0.01, 1e-15);
    EXPECT_NEAR(number(rows[400]), 0.07, 1e-15);
    double largest = 0.0;
    for (std::size_t k = 1; k < rows.size(); ++k)
        largest = std::max(largest, number(rows[k].substr(rows[k].find(',') + 1)));
    EXPECT_EQ(largest, 1.0) << "the signal's amplitudes are normalised";
}

// The nine view columns follow the seven of the computation. The default filter is symmetric
// about tap 0: its group delay is 0 wherever its amplitude is within 40 dB of its largest, right
// beside the zeros of its response too, and an empty cell (a gap) exactly where it is not.
TEST(CliTest, SpectraViewsFollowTheExistingColumns) {
    const auto result = runCli({"synthesize", "spectra", "write-spectra", "-"});
    ASSERT_EQ(result.exitCode, 0) << result.err;
    const auto rows = lines(result.out);
    ASSERT_EQ(rows.size(), 401u);
    EXPECT_EQ(rows[0].substr(rows[0].find(",signal_amplitude_db")),
              ",signal_amplitude_db,signal_phase_unwrapped,signal_group_delay_us,filter_amplitude_db,"
              "filter_phase_unwrapped,filter_group_delay_us,output_amplitude_db,output_phase_unwrapped,"
              "output_group_delay_us");
    std::vector<std::vector<double>> table; // [row][column]
    for (std::size_t k = 1; k < rows.size(); ++k) {
        table.emplace_back();
        for (const auto &cell : cells(rows[k]))
            table.back().push_back(cellNumber(cell).value_or(NAN));
        ASSERT_EQ(table.back().size(), 16u);
    }
    constexpr std::size_t Amplitude = 3, Phase = 4, Db = 10, Delay = 12; // the filter's columns
    double loudest = -1e300;
    int gaps = 0, besideZeros = 0;
    for (std::size_t k = 1; k + 1 < table.size(); ++k) {
        loudest = std::max(loudest, table[k][Db]);
        EXPECT_NEAR(table[k][Db], std::max(-200.0, 20 * std::log10(table[k][Amplitude])), 1e-9) << k;
        if (table[k][Amplitude] < 0.01) {
            EXPECT_TRUE(std::isnan(table[k][Delay])) << k;
            ++gaps;
            continue;
        }
        EXPECT_NEAR(table[k][Delay], 0.0, 1e-9) << k;
        if ((table[k - 1][Phase] > 0) != (table[k][Phase] > 0) || (table[k + 1][Phase] > 0) != (table[k][Phase] > 0))
            ++besideZeros;
    }
    EXPECT_GT(gaps, 0);
    EXPECT_GT(besideZeros, 0);
    EXPECT_EQ(loudest, 0.0) << "the normalised peak";
    EXPECT_EQ(table[0][7], -200.0) << "the all-zero signal";
    for (const auto &row : table)
        EXPECT_TRUE(std::isnan(row[9]) && std::isnan(row[15])) << "the all-zero signal and output have no delay";
}

// A grid above half the sampling frequency is computed, with a note on standard error.
TEST(CliTest, GridAboveHalfTheSamplingFrequencyIsNoted) {
    const std::string note = "above half the sampling frequency (0.4 MHz)";
    const auto above = runCli({"--set", "SpectorForm.FH_NmSuperSpin=0.5", "load-signal", "spectra"});
    ASSERT_EQ(above.exitCode, 0) << above.err;
    EXPECT_NE(above.err.find(note), std::string::npos) << above.err;
    const auto half = runCli({"--set", "SpectorForm.FH_NmSuperSpin=0.4", "load-signal", "spectra"});
    EXPECT_TRUE(half.err.empty()) << half.err;
}

TEST(CliTest, HelpStatesThePhaseConvention) {
    const auto result = runCli({"--help"});
    ASSERT_EQ(result.exitCode, 0);
    EXPECT_NE(result.out.find("measured against\na sine"), std::string::npos) << result.out;
    EXPECT_NE(result.out.find("arg(sum x[i] exp(-i omega t)) + pi/2"), std::string::npos);
}

TEST(CliTest, SearchPrintsTheLastEpochAndTheObjective) {
    const auto result = runCli({"load-signal", "--set", "FilterForm.RadioGroup1=1", "start-filter", "--set",
                                "FilterForm.EpochNmSpinEdit=20", "search", "write-filter", "-"});
    ASSERT_EQ(result.exitCode, 0) << result.err;
    const auto rows = lines(result.out);
    ASSERT_GE(rows.size(), 2u);
    EXPECT_EQ(rows[0].rfind("epoch 21 objective ", 0), 0u) << rows[0];
    EXPECT_EQ(rows.size(), 1u + 1u + 201u) << "the filter of half-width 100 follows";
    EXPECT_TRUE(result.err.empty()) << "no progress bar when standard error is not a terminal";
    const auto again = runCli({"load-signal", "--set", "FilterForm.RadioGroup1=1", "start-filter", "--set",
                               "FilterForm.EpochNmSpinEdit=20", "search", "write-filter", "-"});
    EXPECT_EQ(again.out, result.out) << "the generator is never reseeded: every run is the same";
}

TEST(CliTest, TooManySpectrumPointsIsACoreError) {
    const auto result = runCli({"--set", "SpectorForm.PointsNmSpinEdit=20000", "spectra"});
    EXPECT_EQ(result.exitCode, 1);
    EXPECT_NE(result.err.find("The number of points must not exceed 10001"), std::string::npos) << result.err;
}

TEST(CliTest, HelpListsEveryStepAndKey) {
    const auto result = runCli({"--help"});
    ASSERT_EQ(result.exitCode, 0);
    for (const char *word : {"load-signal", "add-signal", "add-noise", "apply", "write-output", "synthesize", "search",
                             "start-filter", "spectra", "write-spectra", "write-response", "draw",
                             "MainForm.FNmSuperSpin", "SpectorForm.CheckBox9", "FilterForm.WinTypeRadioGroup"})
        EXPECT_NE(result.out.find(word), std::string::npos) << word;
    // Defaults in their shortest form, not as the binary fraction's 17 digits.
    EXPECT_NE(result.out.find("0.001..10000, default 0.8\n"), std::string::npos);
    EXPECT_EQ(result.out.find("0.80000000000000004"), std::string::npos);
}

// A scripted design saved by the tool opens with every value it had: saving what was loaded
// gives the same file.
TEST(CliTest, SavedProjectLoadsBackUnchanged) {
    const auto dir = std::filesystem::temp_directory_path();
    const auto first = dir / ("pulsefir-cli-a-" + std::to_string(::getpid()) + ".flt");
    const auto second = dir / ("pulsefir-cli-b-" + std::to_string(::getpid()) + ".flt");
    const auto saved = runCli({"--set", "SignalForm.Exp_Am_NmSuperSpin=2.5", "--set", "FilterForm.WinTypeRadioGroup=3",
                               "save-project", first.string()});
    ASSERT_EQ(saved.exitCode, 0) << saved.err;
    const auto again = runCli({"--project", first.string(), "save-project", second.string()});
    ASSERT_EQ(again.exitCode, 0) << again.err;
    const std::string text = readFile(first);
    EXPECT_EQ(readFile(second), text);
    EXPECT_NE(text.find("Exp_Am_NmSuperSpin=2.5\r\n"), std::string::npos);
    EXPECT_NE(text.find("WinTypeRadioGroup=3\r\n"), std::string::npos);
    std::filesystem::remove(first);
    std::filesystem::remove(second);
}

// The work travels with the project: what one run computed and saved, the next run reads back
// and writes out unchanged, without computing anything.
TEST(CliTest, ProjectKeepsTheBuffers) {
    const auto dir = std::filesystem::temp_directory_path();
    const std::string tag = std::to_string(::getpid());
    const auto project = dir / ("pulsefir-cli-work-" + tag + ".flt");
    const auto computed =
        runCli({"load-signal", "least-squares", "apply", "write-output", "-", "save-project", project.string()});
    ASSERT_EQ(computed.exitCode, 0) << computed.err;
    const auto written = dir / ("pulsefir-cli-work-" + tag + ".csv");
    for (const char *step : {"write-output", "write-signal", "write-response", "write-filter"}) {
        ASSERT_EQ(runCli({"load-signal", "least-squares", "apply", step, written.string()}).exitCode, 0);
        const std::string before = readFile(written);
        const auto after = runCli({"--project", project.string(), step, written.string()});
        ASSERT_EQ(after.exitCode, 0) << after.err;
        EXPECT_GT(before.size(), 1000u) << step;
        EXPECT_TRUE(readFile(written) == before) << step; // the CSV writes 17 digits: every bit
    }
    std::filesystem::remove(written);
    std::filesystem::remove(project);
}

// Saving what was read keeps the windows' places and the sections the tool knows nothing of.
TEST(CliTest, SavingAReadProjectKeepsItsPlacesAndOtherSections) {
    const auto dir = std::filesystem::temp_directory_path();
    const std::string tag = std::to_string(::getpid());
    const auto a = dir / ("pulsefir-cli-place-a-" + tag + ".flt");
    const auto b = dir / ("pulsefir-cli-place-b-" + tag + ".flt");
    std::ofstream(a) << "[Mine]\r\nNote=kept\r\n[MainForm]\r\nTop=77\r\nLeft=33\r\nWidth=900\r\nHeight=700\r\n"
                        "[FilterForm]\r\nTop=5\r\nWisible=1\r\n";
    const auto result = runCli({"--project", a.string(), "save-project", b.string()});
    ASSERT_EQ(result.exitCode, 0) << result.err;
    const std::string text = readFile(b);
    EXPECT_NE(text.find("[Mine]\r\nNote=kept\r\n"), std::string::npos) << text;
    EXPECT_NE(text.find("[MainForm]\r\nTop=77\r\nLeft=33\r\nWidth=900\r\nHeight=700\r\n"), std::string::npos) << text;
    EXPECT_NE(text.find("[FilterForm]\r\nTop=5\r\nLeft=200\r\n"), std::string::npos) << text;
    const auto filter = text.substr(text.find("[FilterForm]"));
    EXPECT_NE(filter.find("Wisible=1\r\n"), std::string::npos);
    EXPECT_NE(text.find("[SignalBuffer]"), std::string::npos);
    std::filesystem::remove(a);
    std::filesystem::remove(b);
}

TEST(CliTest, ProjectWithoutWindowSectionsSaysSoAndGoesOn) {
    const auto path = std::filesystem::temp_directory_path() / ("pulsefir-cli-" + std::to_string(::getpid()) + ".flt");
    std::ofstream(path) << "[Other]\nFNmSuperSpin=5\n";
    const auto result = runCli({"--project", path.string(), "draw"});
    std::filesystem::remove(path);
    EXPECT_EQ(result.exitCode, 0);
    EXPECT_NE(result.err.find("has none of the sections"), std::string::npos) << result.err;
}

namespace {

std::vector<std::string> fields(const std::string &row) {
    std::vector<std::string> result;
    std::size_t start = 0;
    for (;;) {
        const auto comma = row.find(',', start);
        result.push_back(row.substr(start, comma - start));
        if (comma == std::string::npos)
            return result;
        start = comma + 1;
    }
}

// "objective X residual Y" as the two numbers.
std::pair<double, double> objectiveAndResidual(const std::string &line) {
    std::istringstream words(line);
    std::string objective, residual;
    double o = 0, r = 0;
    words >> objective >> o >> residual >> r;
    EXPECT_EQ(objective, "objective");
    EXPECT_EQ(residual, "residual");
    return {o, r};
}

} // namespace

// The residual printed is the distance of the filtered signal from the desired response, as the
// written CSV files give it; a larger regularisation gives a larger one.
TEST(CliTest, LeastSquaresPrintsObjectiveAndResidual) {
    const auto outputPath =
        std::filesystem::temp_directory_path() / ("pulsefir-cli-ls-" + std::to_string(::getpid()) + ".csv");
    const auto result =
        runCli({"load-signal", "least-squares", "apply", "write-output", outputPath.string(), "write-response", "-"});
    ASSERT_EQ(result.exitCode, 0) << result.err;
    const std::string output = readFile(outputPath);
    std::filesystem::remove(outputPath);
    const auto rows = lines(result.out);
    ASSERT_EQ(rows.size(), 1u + 1u + 2001u);
    EXPECT_EQ(rows[0].rfind("objective ", 0), 0u) << rows[0];
    const auto [objective, residual] = objectiveAndResidual(rows[0]);
    const std::string response = result.out.substr(result.out.find('\n') + 1);
    double sum = 0;
    for (int i = -1000; i <= 1000; ++i) {
        const double e = valueAt(output, i) - valueAt(response, i);
        sum += e * e;
    }
    EXPECT_NEAR(residual, sum, 1e-9 * sum);
    EXPECT_GT(objective, 0.0);
    EXPECT_LT(objective, residual) << "the search's objective ignores what stays under the peak after it";

    const auto stronger =
        runCli({"--set", "FilterForm.RegularizationNmSuperSpin=0,01", "load-signal", "least-squares"});
    ASSERT_EQ(stronger.exitCode, 0) << stronger.err;
    EXPECT_GT(objectiveAndResidual(stronger.out).second, residual);
}

TEST(CliTest, MetricsHaveOneRowPerCurveAndEmptyFieldsForMissingValues) {
    const auto result = runCli({"load-signal", "least-squares", "metrics", "-"});
    ASSERT_EQ(result.exitCode, 0) << result.err;
    const auto rows = lines(result.out);
    ASSERT_EQ(rows.size(), 7u);
    // The first twelve columns as they always were; the new ones after them.
    EXPECT_EQ(rows[1], "curve,peak,peak_index,peak_time_us,width_6db_us,ringdown_20db_us,ringdown_40db_us,"
                       "side_level_db,duration_20db_us,peak_frequency_mhz,centre_frequency_mhz,bandwidth_6db_percent,"
                       "width_6db_us_cut,ringdown_20db_us_cut,ringdown_40db_us_cut,duration_20db_us_cut,"
                       "lower_frequency_mhz,upper_frequency_mhz,noise_gain_db");
    const auto signal = fields(rows[2]);
    ASSERT_EQ(signal.size(), 19u) << rows[2];
    EXPECT_EQ(signal[0], "signal");
    // The default burst: carrier 0.04 MHz, envelope peak at sample 572 = 715 µs at 0.8 MHz.
    EXPECT_EQ(signal[2], "572");
    EXPECT_EQ(signal[3], "715");
    EXPECT_NEAR(number(signal[9]), 0.04, 1e-4);
    EXPECT_EQ(signal[18], "") << "a signal has no noise gain";
    EXPECT_LT(number(signal[16]), 0.04);
    EXPECT_GT(number(signal[17]), 0.04);
    // No filter applied yet: the output is zero and has no metrics at all, no cut flags either.
    EXPECT_EQ(rows[3], "output,,,,,,,,,,,,,,,,,,");
    const auto response = fields(rows[4]);
    ASSERT_EQ(response.size(), 19u);
    EXPECT_EQ(response[0], "response");
    // An even pulse: its Hilbert transform vanishes at the centre, so the envelope peak is Ar1.
    EXPECT_NEAR(number(response[1]), 1.4, 1e-9);
    EXPECT_EQ(response[2], "0");
    EXPECT_EQ(response[12], "0") << "the desired response lies inside the window";
    const auto filter = fields(rows[5]);
    ASSERT_EQ(filter.size(), 19u);
    EXPECT_EQ(filter[0], "filter");
    EXPECT_EQ(rows[6], "fixed_output,,,,,,,,,,,,,,,,,,") << "not computed yet";
}

// The default design's filtered signal still rings at the window's end, -12.4 dB: its -20 dB
// ring-down and duration and its -40 dB ring-down are values measured to the end, flagged cut;
// the burst before the filter has fallen below -20 dB inside the window.
struct FixedCase {
    const char *name;
    std::vector<std::string> settings;
    bool saturates;
};

class CliFixedPointTest : public testing::TestWithParam<FixedCase> {};

// The integer output as written: the input column is the ADC's word of the signal, the value
// column the output word times the LSB the step reports, within the reported largest error of the
// double output; the metrics gain the fixed-point output's row.
TEST_P(CliFixedPointTest, OutputWordsAgreeWithTheReportAndTheDoubleOutput) {
    const auto dir = std::filesystem::temp_directory_path();
    const auto signalPath = dir / ("pulsefir-cli-fx-s-" + std::to_string(::getpid()) + ".csv");
    const auto outputPath = dir / ("pulsefir-cli-fx-o-" + std::to_string(::getpid()) + ".csv");
    std::vector<std::string> args = GetParam().settings;
    for (const char *a : {"load-signal", "synthesize", "apply", "write-output"})
        args.push_back(a);
    args.push_back(outputPath.string());
    args.push_back("write-signal");
    args.push_back(signalPath.string());
    for (const char *a : {"apply-fixed", "write-fixed-output", "-", "metrics", "-"})
        args.push_back(a);
    const auto result = runCli(args);
    ASSERT_EQ(result.exitCode, 0) << result.err;
    const std::string signal = readFile(signalPath), output = readFile(outputPath);
    std::filesystem::remove(signalPath);
    std::filesystem::remove(outputPath);
    const auto rows = lines(result.out);
    ASSERT_EQ(rows.size(), 1u + 1u + 2001u + 6u);
    // "output shift S, output 16 bits, LSB = FS*2^-K; SNR x dB, largest error E, saturated samples N"
    const std::string &report = rows[0];
    const auto after = [&](const std::string &key) {
        const auto at = report.find(key);
        EXPECT_NE(at, std::string::npos) << report;
        return number(report.substr(at + key.size()));
    };
    const double lsb = 2.0 * std::ldexp(1.0, static_cast<int>(after("LSB = FS*2^")));
    const double largestError = after("largest error ");
    const int saturated = static_cast<int>(after("saturated samples "));
    EXPECT_EQ(saturated > 0, GetParam().saturates) << report;
    EXPECT_EQ(rows[1], "index,input,output,value");
    double worst = 0;
    int atLimit = 0;
    for (std::size_t r = 2; r < 2 + 2001; ++r) {
        const auto f = fields(rows[r]);
        ASSERT_EQ(f.size(), 4u);
        const int i = static_cast<int>(number(f[0]));
        const double x = valueAt(signal, i) / 2.0 * 2048;
        EXPECT_EQ(number(f[1]), std::max(-2048.0, std::min(2047.0, std::round(x)))) << i;
        EXPECT_EQ(number(f[3]), number(f[2]) * lsb) << i;
        worst = std::max(worst, std::abs(number(f[3]) - valueAt(output, i)));
        atLimit += std::abs(number(f[2])) >= 32767 ? 1 : 0;
    }
    EXPECT_NEAR(worst, largestError, 5e-6 * largestError); // six digits
    EXPECT_GE(atLimit, saturated);
    EXPECT_EQ(fields(rows.back())[0], "fixed_output");
    EXPECT_FALSE(fields(rows.back())[1].empty());
}

INSTANTIATE_TEST_SUITE_P(Shifts, CliFixedPointTest,
                         testing::Values(FixedCase{"automatic", {}, false},
                                         FixedCase{"user_shift_too_small",
                                                   {"--set", "FilterForm.OutShiftAutoCheckBox=0", "--set",
                                                    "FilterForm.OutShiftNmSpinEdit=4"},
                                                   true},
                                         FixedCase{"convergent_ten_bit_taps",
                                                   {"--set", "FilterForm.RoundingRadioGroup=2", "--set",
                                                    "FilterForm.CoeBitsNmSpinEdit=10"},
                                                   false}),
                         [](const auto &info) { return std::string(info.param.name); });

// "Подобрать разрядность" sets the field to the first width the table marks, and the export
// uses it; without any it says so and the field stays. The latency holds the later taps at zero.
TEST(CliTest, FitBitsSetsTheTapWidthAndLatencyHoldsLaterTaps) {
    const auto coe =
        std::filesystem::temp_directory_path() / ("pulsefir-cli-fit-" + std::to_string(::getpid()) + ".coe");
    const auto wide = runCli({"--set", "FilterForm.AdcBitsNmSpinEdit=24", "--set", "FilterForm.OutBitsNmSpinEdit=32",
                              "load-signal", "synthesize", "fit-bits", "write-filter", coe.string()});
    ASSERT_EQ(wide.exitCode, 0) << wide.err;
    const auto rows = lines(wide.out);
    ASSERT_EQ(rows.size(), 30u);
    EXPECT_EQ(rows[0], "bits,snr_db,side_level_db,duration_20db_us,qualifies");
    int first = 0;
    for (std::size_t r = 1; r < rows.size() && first == 0; ++r)
        if (fields(rows[r])[4] == "1")
            first = static_cast<int>(number(fields(rows[r])[0]));
    ASSERT_GT(first, 4);
    EXPECT_NE(wide.err.find("FilterForm.CoeBitsNmSpinEdit=" + std::to_string(first)), std::string::npos);
    EXPECT_NE(readFile(coe).find("; " + std::to_string(first) + "-bit signed coefficients"), std::string::npos);
    std::filesystem::remove(coe);

    const auto narrow = runCli({"--set", "FilterForm.AdcBitsNmSpinEdit=6", "load-signal", "synthesize", "fit-bits"});
    ASSERT_EQ(narrow.exitCode, 0) << narrow.err;
    EXPECT_NE(narrow.err.find("No tap width"), std::string::npos) << narrow.err;

    const auto causal =
        runCli({"--set", "FilterForm.LatencyNmSpinEdit=3", "load-signal", "least-squares", "write-filter", "-"});
    ASSERT_EQ(causal.exitCode, 0) << causal.err;
    EXPECT_NE(causal.err.find("filter latency 3 samples (3.75 µs)"), std::string::npos) << causal.err;
    EXPECT_NE(valueAt(causal.out, 3), 0.0);
    for (int j = 4; j <= 100; ++j)
        EXPECT_EQ(valueAt(causal.out, j), 0.0) << j;
}

TEST(CliTest, MetricsCutByTheWindowsEndAreFlagged) {
    const auto result = runCli({"load-signal", "synthesize", "apply", "metrics", "-"});
    ASSERT_EQ(result.exitCode, 0) << result.err;
    const auto rows = lines(result.out);
    ASSERT_EQ(rows.size(), 6u);
    const auto signal = fields(rows[1]);
    const auto output = fields(rows[2]);
    // width, ring-down -20 dB, ring-down -40 dB, duration -20 dB and their flags
    const std::pair<std::size_t, std::size_t> spans[] = {{4, 12}, {5, 13}, {6, 14}, {8, 15}};
    const char *signalCuts[] = {"0", "0", "1", "0"};
    const char *outputCuts[] = {"0", "1", "1", "1"};
    for (std::size_t k = 0; k < 4; ++k) {
        EXPECT_FALSE(signal[spans[k].first].empty());
        EXPECT_FALSE(output[spans[k].first].empty()) << "a cut value is still a value";
        EXPECT_EQ(signal[spans[k].second], signalCuts[k]) << k;
        EXPECT_EQ(output[spans[k].second], outputCuts[k]) << k;
    }
    // The peak at -23.75 µs, the last sample at 1250 µs.
    EXPECT_NEAR(number(output[5]), 1250 + 23.75, 1e-9);
    const auto filter = fields(rows[4]);
    EXPECT_EQ(filter[0], "filter");
    EXPECT_FALSE(filter[16].empty() || filter[17].empty() || filter[18].empty());
    EXPECT_LT(number(filter[16]), number(filter[17]));
}

TEST(CliTest, TraceListsTheAcceptedEpochsOfTheSearch) {
    const auto result = runCli({"load-signal", "--set", "FilterForm.EpochNmSpinEdit=40", "--set",
                                "FilterForm.RandomNmSuperSpin=0.01", "search", "write-trace", "-"});
    ASSERT_EQ(result.exitCode, 0) << result.err;
    const auto rows = lines(result.out);
    ASSERT_GE(rows.size(), 4u);
    EXPECT_EQ(rows[1], "epoch,objective");
    const auto first = fields(rows[2]);
    EXPECT_EQ(first[0], "1") << "the first epoch of a run is always accepted";
    int previousEpoch = 0;
    double previousObjective = INFINITY;
    for (std::size_t k = 2; k < rows.size(); ++k) {
        const auto f = fields(rows[k]);
        ASSERT_EQ(f.size(), 2u);
        EXPECT_GT(std::stoi(f[0]), previousEpoch);
        EXPECT_LT(number(f[1]), previousObjective);
        EXPECT_LE(std::stoi(f[0]), 41);
        previousEpoch = std::stoi(f[0]);
        previousObjective = number(f[1]);
    }
    // The search prints the last best objective, which is the last accepted one.
    EXPECT_EQ(rows[0].substr(rows[0].rfind(' ') + 1), fields(rows.back())[1]);
}

namespace {

// A 16-bit mono PCM WAV written byte by byte, independent of any library.
void writePcm16Wav(const std::filesystem::path &path, int rate, const std::vector<short> &samples) {
    const auto le = [](std::string &s, unsigned value, int bytes) {
        for (int b = 0; b < bytes; ++b)
            s += static_cast<char>((value >> (8 * b)) & 0xFF);
    };
    std::string data;
    for (short v : samples)
        le(data, static_cast<unsigned short>(v), 2);
    std::string file = "RIFF";
    le(file, static_cast<unsigned>(36 + data.size()), 4);
    file += "WAVEfmt ";
    le(file, 16, 4);
    le(file, 1, 2); // PCM
    le(file, 1, 2); // mono
    le(file, static_cast<unsigned>(rate), 4);
    le(file, static_cast<unsigned>(rate * 2), 4);
    le(file, 2, 2);
    le(file, 16, 2);
    file += "data";
    le(file, static_cast<unsigned>(data.size()), 4);
    std::ofstream(path, std::ios::binary) << file << data;
}

} // namespace

TEST(CliTest, MeasuredPulseToExportedCoefficients) {
    const auto dir = std::filesystem::temp_directory_path();
    const auto wav = dir / ("pulsefir-cli-pulse-" + std::to_string(::getpid()) + ".wav");
    const auto header = dir / ("pulsefir-cli-taps-" + std::to_string(::getpid()) + ".h");
    // 1 MHz file, field at 0.8 MHz: the file's rate is taken (FileRateRadioGroup 0).
    writePcm16Wav(wav, 1000000, {0, 16384, -32768, 8192});
    auto result = runCli({"--set", "SignalForm.FileOffsetNmSpinEdit=-2", "--set", "SignalForm.FileScaleNmSuperSpin=2",
                          "import-signal", wav.string(), "synthesize", "apply", "write-filter", header.string(),
                          "write-signal", "-"});
    ASSERT_EQ(result.exitCode, 0) << result.err;
    EXPECT_EQ(valueAt(result.out, -2), 0.0);
    EXPECT_EQ(valueAt(result.out, -1), 1.0); // 16384 / 32768 × 2
    EXPECT_EQ(valueAt(result.out, 0), -2.0);
    EXPECT_EQ(valueAt(result.out, 1), 0.5);
    const std::string taps = readFile(header);
    EXPECT_NE(taps.find("static const double pulsefir_taps[PULSEFIR_TAP_COUNT]"), std::string::npos);
    EXPECT_NE(taps.find("#define PULSEFIR_TAP_COUNT 201"), std::string::npos);
    EXPECT_NE(taps.find("Sampling frequency 1 MHz"), std::string::npos) << "the file's rate was taken";

    // "Добавить из файла" twice doubles; a failed read leaves the signal as it was.
    result = runCli({"import-signal", wav.string(), "add-signal-file", wav.string(), "import-signal", "missing.npy",
                     "write-signal", "-"});
    EXPECT_EQ(result.exitCode, 1);
    EXPECT_NE(result.err.find("missing.npy: no such file"), std::string::npos) << result.err;
    result = runCli({"import-signal", wav.string(), "add-signal-file", wav.string(), "write-signal", "-"});
    EXPECT_EQ(valueAt(result.out, 2), -2.0);
    std::filesystem::remove(wav);
    std::filesystem::remove(header);
}

struct PathCase {
    std::string name;
    std::vector<std::string> args;
};

std::vector<PathCase> pathCases() {
    std::vector<PathCase> cases{
        {"signal_with_noise", {"load-signal", "add-noise", "write-signal", "-"}},
        {"search_of_300_epochs",
         {"--set", "FilterForm.EpochNmSpinEdit=299", "load-signal", "start-filter", "search", "write-filter", "-",
          "apply", "write-output", "-"}},
        {"spectra_at_10001_points",
         {"--set", "SpectorForm.PointsNmSpinEdit=10001", "--set", "SpectorForm.FH_NmSuperSpin=0.39", "load-signal",
          "add-noise", "synthesize", "apply", "spectra", "write-spectra", "-"}},
    };
    for (int weighting = 0; weighting <= 2; ++weighting)
        for (int window = 0; window <= 6; ++window)
            cases.push_back(
                {"filter_n1000_weighting" + std::to_string(weighting) + "_window" + std::to_string(window),
                 {"--set", "FilterForm.WINNmSpinEdit=1000", "--set",
                  "FilterForm.FilterTypeRadioGroup=" + std::to_string(weighting), "--set",
                  "FilterForm.WinTypeRadioGroup=" + std::to_string(window), "synthesize", "write-filter", "-"}});
    return cases;
}

void PrintTo(const PathCase &c, std::ostream *os) {
    *os << c.name;
}

class CliPathTest : public ::testing::TestWithParam<PathCase> {};

// The portable kernels on one thread and the vector kernels on the default threads write the
// same files, character for character (every number in its shortest round-trip form).
TEST_P(CliPathTest, ScalarAndVectorPathsWriteTheSameFile) {
    const auto vector = runCli(GetParam().args);
    const auto scalar = runCli(GetParam().args, "", "PULSEFIR_SCALAR=1 PULSEFIR_THREADS=1");
    ASSERT_EQ(vector.exitCode, 0) << vector.err;
    ASSERT_EQ(scalar.exitCode, 0) << scalar.err;
    ASSERT_GT(vector.out.size(), 1000u);
    EXPECT_TRUE(vector.out == scalar.out) << "the outputs differ";
}

INSTANTIATE_TEST_SUITE_P(Runs, CliPathTest, ::testing::ValuesIn(pathCases()),
                         [](const auto &info) { return info.param.name; });

TEST(CliTest, HelpListsTheEnvironment) {
    const auto result = runCli({"--help"});
    ASSERT_EQ(result.exitCode, 0);
    const auto at = result.out.find("Environment:\n");
    ASSERT_NE(at, std::string::npos);
    EXPECT_NE(result.out.find("PULSEFIR_SCALAR=1", at), std::string::npos);
    EXPECT_NE(result.out.find("PULSEFIR_THREADS=N", at), std::string::npos);
}

// Every line of a run is in its locale's language: English has no Cyrillic letter, and every
// Russian line has one (file names and keys aside, which are the user's and the format's).
struct LanguageCase {
    const char *name;
    std::vector<std::string> args;
};

void PrintTo(const LanguageCase &c, std::ostream *os) {
    *os << c.name;
}

class CliLanguageTest : public ::testing::TestWithParam<LanguageCase> {};

bool hasCyrillic(const std::string &line) {
    // Cyrillic letters are U+0400..U+04FF: lead bytes 0xD0..0xD3 in UTF-8.
    for (unsigned char c : line)
        if (c >= 0xD0 && c <= 0xD3)
            return true;
    return false;
}

TEST_P(CliLanguageTest, OneLanguagePerRun) {
    for (const bool russian : {false, true}) {
        const auto result = runCli(GetParam().args, "", russian ? "LC_ALL=ru_RU.UTF-8" : "");
        const std::string printed = result.out + result.err;
        ASSERT_FALSE(printed.empty());
        for (const auto &line : lines(printed)) {
            if (line.find_first_not_of(' ') == std::string::npos)
                continue;
            EXPECT_EQ(hasCyrillic(line), russian) << (russian ? "ru: " : "en: ") << line;
        }
    }
}

INSTANTIATE_TEST_SUITE_P(
    Runs, CliLanguageTest,
    ::testing::Values(LanguageCase{"help", {"--help"}}, LanguageCase{"unknown_step", {"frobnicate"}},
                      LanguageCase{"bad_value", {"--set", "MainForm.FNmSuperSpin=fast"}},
                      LanguageCase{"unwritable", {"write-signal", "/dev/full"}},
                      LanguageCase{"missing_pulse", {"import-signal", "missing.csv"}},
                      LanguageCase{"core_error", {"--set", "SpectorForm.PointsNmSpinEdit=20000", "spectra"}},
                      LanguageCase{"search_result",
                                   {"load-signal", "--set", "FilterForm.EpochNmSpinEdit=3", "search", "least-squares"}},
                      LanguageCase{"project_note", {"--project", "/etc/hostname"}},
                      LanguageCase{"hardware",
                                   {"load-signal", "synthesize", "apply-fixed", "write-hdl", "hdl-language"}}),
    [](const auto &info) { return std::string(info.param.name); });

// A run killed at any moment leaves the file it writes either as it was or complete, and no
// temporary file beside it.
struct KillCase {
    const char *name;
    std::vector<std::string> args; // the file is appended
    const char *file;
};

std::size_t entriesIn(const std::filesystem::path &dir) {
    std::size_t entries = 0;
    for ([[maybe_unused]] const auto &entry : std::filesystem::directory_iterator(dir))
        ++entries;
    return entries;
}

void PrintTo(const KillCase &c, std::ostream *os) {
    *os << c.name;
}

class CliKillTest : public ::testing::TestWithParam<KillCase> {};

#ifdef PULSEFIR_SANITIZED
constexpr int KillRuns = 60; // each run of a sanitized build takes several times as long
#else
constexpr int KillRuns = 300;
#endif
constexpr int KillWindowMicroseconds = 20000; // the kill comes within the run's first 20 ms...

// Starts the tool with these arguments; its process number.
pid_t spawnCli(std::vector<char *> &argv) {
    const pid_t child = ::fork();
    if (child == 0) {
        ::execv(PULSEFIR_CLI, argv.data());
        ::_exit(127);
    }
    return child;
}

// ...or within a little more than a whole run where a run takes longer (the portable kernels, a
// sanitized build): the kills must land before, during and after the write, µs.
useconds_t killWindow(std::vector<char *> &argv) {
    std::vector<long long> runs;
    for (int k = 0; k < 3; ++k) {
        const auto start = std::chrono::steady_clock::now();
        ::waitpid(spawnCli(argv), nullptr, 0);
        runs.push_back(
            std::chrono::duration_cast<std::chrono::microseconds>(std::chrono::steady_clock::now() - start).count());
    }
    std::sort(runs.begin(), runs.end());
    return static_cast<useconds_t>(std::max<long long>(KillWindowMicroseconds, runs[1] * 5 / 4));
}

TEST_P(CliKillTest, FileIsOldOrNewAndNothingIsLeft) {
    const auto &c = GetParam();
    const auto dir = std::filesystem::temp_directory_path() / ("pulsefir-kill-" + std::to_string(::getpid()));
    std::filesystem::remove_all(dir);
    std::filesystem::create_directories(dir);
    const auto target = dir / c.file;
    std::vector<std::string> args = c.args;
    args.push_back(target.string());
    // The new content, from a run that is not killed; the old one is something else.
    const std::string old = "old content\n";
    std::ofstream(target, std::ios::binary) << old;
    ASSERT_EQ(runCli(args).exitCode, 0);
    const std::string fresh = readFile(target);
    ASSERT_GT(fresh.size(), 1000u);

    std::vector<char *> argv{const_cast<char *>(PULSEFIR_CLI)};
    for (auto &a : args)
        argv.push_back(a.data());
    argv.push_back(nullptr);
    const useconds_t window = killWindow(argv);
    unsigned seed = 12345;
    int oldSeen = 0;
    int newSeen = 0;
    for (int run = 0; run < KillRuns; ++run) {
        seed = seed * 1103515245u + 12345u;
        const useconds_t delay = (seed >> 8) % window;
        std::ofstream(target, std::ios::binary | std::ios::trunc) << old;
        const pid_t child = spawnCli(argv);
        ASSERT_GE(child, 0);
        ::usleep(delay);
        ::kill(child, SIGKILL);
        ::waitpid(child, nullptr, 0);
        const std::string now = readFile(target);
        ASSERT_TRUE(now == old || now == fresh)
            << "run " << run << ", killed after " << delay << " µs: " << now.size() << " bytes";
        (now == old ? oldSeen : newSeen)++;
        // A kill between naming the complete temporary file and the rename (a few microseconds)
        // can leave it; the next write in the folder removes it, so they never pile up.
        ASSERT_LE(entriesIn(dir), 2u) << "temporary files pile up after run " << run;
    }
    ASSERT_EQ(runCli(args).exitCode, 0);
    EXPECT_EQ(entriesIn(dir), 1u) << "a write leaves no temporary file of a killed run";
    std::filesystem::remove_all(dir);
    // Both outcomes happen, so the kills did land during the write and after it.
    EXPECT_GT(oldSeen, 0);
    EXPECT_GT(newSeen, 0);
}

INSTANTIATE_TEST_SUITE_P(
    Writers, CliKillTest,
    ::testing::Values(
        KillCase{"header", {"--set", "FilterForm.WINNmSpinEdit=1000", "synthesize", "write-filter"}, "taps.h"},
        KillCase{"csv", {"--set", "FilterForm.WINNmSpinEdit=1000", "synthesize", "write-filter"}, "taps.csv"},
        KillCase{"signal", {"load-signal", "write-signal"}, "signal.csv"},
        KillCase{"project", {"save-project"}, "p.flt"}),
    [](const auto &info) { return std::string(info.param.name); });

// The writing steps on a full disk, on a read-only file system and through a symbolic link, on a
// small tmpfs where the machine lets the test mount one: each failure says why and leaves the old
// file as it was; the link leads the new file to the file it points to.
TEST(CliTest, WritingStepsOnAFullOrReadOnlyDiskKeepTheOldFile) {
    const auto dir = std::filesystem::temp_directory_path() / ("pulsefir-disk-" + std::to_string(::getpid()));
    std::filesystem::remove_all(dir);
    std::filesystem::create_directories(dir);
    const std::string mount = "mount -t tmpfs -o size=64k tmpfs '" + dir.string() + "' 2>/dev/null";
    if (std::system(mount.c_str()) != 0) {
        std::filesystem::remove_all(dir);
        GTEST_SKIP() << "this machine does not let the test mount a tmpfs (needs root and CAP_SYS_ADMIN)";
    }
    const std::vector<std::pair<std::vector<std::string>, std::string>> writers = {
        {{"--set", "FilterForm.WINNmSpinEdit=1000", "synthesize", "write-filter"}, "taps.h"},
        {{"load-signal", "write-signal"}, "signal.csv"},
        {{"save-project"}, "p.flt"},
    };
    const std::string old = "old\n";
    for (const auto &[steps, name] : writers)
        std::ofstream(dir / name, std::ios::binary) << old;
    std::ofstream(dir / "filler", std::ios::binary) << std::string(60 * 1024, 'f');
    std::vector<Result> full;
    for (const auto &[steps, name] : writers) {
        auto args = steps;
        args.push_back((dir / name).string());
        full.push_back(runCli(args));
    }
    std::vector<std::string> afterFull;
    for (const auto &[steps, name] : writers)
        afterFull.push_back(readFile(dir / name));
    std::filesystem::remove(dir / "filler");
    std::filesystem::create_symlink("signal.csv", dir / "link.csv");
    const auto linked = runCli({"load-signal", "write-signal", (dir / "link.csv").string()});
    const bool linkKept = std::filesystem::is_symlink(dir / "link.csv");
    const std::string throughLink = readFile(dir / "signal.csv");
    std::system(("mount -o remount,ro '" + dir.string() + "'").c_str());
    std::vector<Result> readOnly;
    for (const auto &[steps, name] : writers) {
        auto args = steps;
        args.push_back((dir / name).string());
        readOnly.push_back(runCli(args));
    }
    const std::string afterReadOnly = readFile(dir / "taps.h");
    std::system(("umount '" + dir.string() + "'").c_str());
    std::filesystem::remove_all(dir);

    for (std::size_t k = 0; k < writers.size(); ++k) {
        const std::string target = (dir / writers[k].second).string();
        EXPECT_EQ(full[k].exitCode, 1) << target;
        EXPECT_NE(full[k].err.find("Unable to write to " + target + ": No space left on device"), std::string::npos)
            << full[k].err;
        EXPECT_EQ(afterFull[k], old) << target;
        EXPECT_EQ(readOnly[k].exitCode, 1) << target;
        EXPECT_NE(readOnly[k].err.find("Unable to write to " + target + ": Read-only file system"), std::string::npos)
            << readOnly[k].err;
    }
    EXPECT_EQ(linked.exitCode, 0) << linked.err;
    EXPECT_TRUE(linkKept);
    EXPECT_EQ(throughLink.rfind("index,value\n", 0), 0u) << "the file the link points to is the new one";
    EXPECT_EQ(afterReadOnly, old);
}

// ---- The tool's own files read back ---------------------------------------------------------------

// Every curve the tool writes comes back through import-signal at the same indices, sample for
// sample, and the rate stays; every tap format comes back through read-filter (.coe to its
// integers' precision).
TEST(CliTest, OwnFilesReadBackExactly) {
    const auto dir = std::filesystem::temp_directory_path();
    const std::string stem = (dir / ("pulsefir-own-" + std::to_string(::getpid()))).string();
    std::vector<std::string> args = {"--set",         "MainForm.FNmSuperSpin=1.25",
                                     "load-signal",   "least-squares",
                                     "apply",         "write-signal",
                                     stem + "-s.csv", "write-output",
                                     stem + "-o.csv", "write-response",
                                     stem + "-r.csv"};
    const std::vector<std::string> tapFormats = {".csv", ".txt", ".npy", ".h", ".coe", ".m"};
    for (const auto &ext : tapFormats) {
        args.push_back("write-filter");
        args.push_back(stem + "-f" + ext);
    }
    ASSERT_EQ(runCli(args).exitCode, 0);
    for (const char *curve : {"-s.csv", "-o.csv", "-r.csv"}) {
        const auto back = runCli({"--set", "MainForm.FNmSuperSpin=1.25", "import-signal", stem + curve, "write-signal",
                                  "-", "save-project", stem + ".flt"});
        ASSERT_EQ(back.exitCode, 0) << back.err;
        EXPECT_EQ(back.out, readFile(stem + curve)) << curve;
        EXPECT_NE(readFile(stem + ".flt").find("FNmSuperSpin=1.25"), std::string::npos) << curve;
    }
    const std::string taps = readFile(stem + "-f.csv");
    for (const auto &ext : tapFormats) {
        const auto back = runCli({"read-filter", stem + "-f" + ext, "write-filter", "-"});
        ASSERT_EQ(back.exitCode, 0) << back.err;
        if (ext == ".coe") {
            const auto rows = lines(back.out);
            ASSERT_EQ(rows.size(), lines(taps).size());
            // 16-bit words at the power-of-two scale that the largest tap fits: half a step apart at most.
            double largest = 0.0;
            for (int j = -100; j <= 100; ++j)
                largest = std::max(largest, std::abs(valueAt(taps, j)));
            const double step = std::ldexp(1.0, -static_cast<int>(std::floor(std::log2(32767.5 / largest))));
            for (int j = -100; j <= 100; ++j)
                EXPECT_NEAR(valueAt(back.out, j), valueAt(taps, j), 0.5000001 * step) << "tap " << j;
        } else {
            EXPECT_EQ(back.out, taps) << ext;
        }
    }
    for (const char *suffix :
         {"-s.csv", "-o.csv", "-r.csv", ".flt", "-f.csv", "-f.txt", "-f.npy", "-f.h", "-f.coe", "-f.m"})
        std::filesystem::remove(stem + suffix);
}

namespace {

// The signal of `steps` as a one-column text file (sample k at index k - 1000 when placed with
// SignalForm.FileOffsetNmSpinEdit=-1000).
std::filesystem::path signalFile(const std::vector<std::string> &steps, const std::string &name) {
    std::vector<std::string> args = steps;
    args.insert(args.end(), {"write-signal", "-"});
    const auto result = runCli(args);
    EXPECT_EQ(result.exitCode, 0) << result.err;
    const auto path = std::filesystem::temp_directory_path() / (name + std::to_string(::getpid()) + ".txt");
    std::ofstream out(path);
    for (const auto &row : lines(result.out))
        if (row.find(',') != std::string::npos && row != "index,value")
            out << row.substr(row.find(',') + 1) << '\n';
    return path;
}

} // namespace

TEST(CliTest, SetReportHasOneRowPerPulseWithItsRole) {
    const auto same = signalFile({"load-signal"}, "pulsefir-set-same-");
    const auto other =
        signalFile({"--set", "SignalForm.Exp_F_NmSuperSpin=0.042", "load-signal"}, "pulsefir-set-other-");
    const auto alone = runCli({"load-signal", "least-squares"});
    ASSERT_EQ(alone.exitCode, 0) << alone.err;
    const auto result = runCli({"load-signal", "--set", "SignalForm.FileOffsetNmSpinEdit=-1000", "add-training",
                                same.string(), "add-check", other.string(), "least-squares", "write-set-report", "-"});
    ASSERT_EQ(result.exitCode, 0) << result.err;
    const auto rows = lines(result.out);
    ASSERT_EQ(rows.size(), 5u) << result.out;
    EXPECT_EQ(rows[1], "file,role,residual,width_6db_us,duration_20db_us,side_level_db,peak,worst");
    const auto signal = cells(rows[2]);
    const auto training = cells(rows[3]);
    const auto check = cells(rows[4]);
    ASSERT_EQ(signal.size(), 8u);
    EXPECT_EQ(signal[0], "signal");
    EXPECT_EQ(signal[1], "training");
    EXPECT_EQ(training[0], same.string());
    EXPECT_EQ(training[1], "training");
    EXPECT_EQ(check[0], other.string());
    EXPECT_EQ(check[1], "check");
    // The file holds the signal itself: two equal pulses give the one-pulse filter, each row
    // its residual, and the design's residual is their sum.
    const double single = objectiveAndResidual(alone.out).second;
    EXPECT_NEAR(*cellNumber(signal[2]), single, 1e-9 * single);
    EXPECT_EQ(signal[2], training[2]);
    EXPECT_NEAR(objectiveAndResidual(rows[0]).second, 2 * single, 1e-9 * single);
    EXPECT_NE(check[2], signal[2]);
    for (std::size_t column = 2; column < 7; ++column)
        EXPECT_TRUE(cellNumber(check[column]).has_value()) << rows[4];

    // The automatic choice writes its mu back; the project keeps the list and the choice.
    const auto project =
        std::filesystem::temp_directory_path() / ("pulsefir-set-" + std::to_string(::getpid()) + ".flt");
    const auto automatic =
        runCli({"load-signal", "--set", "SignalForm.FileOffsetNmSpinEdit=-1000", "add-check", other.string(), "--set",
                "FilterForm.RegularizationAutoCheckBox=1", "least-squares", "save-project", project.string()});
    ASSERT_EQ(automatic.exitCode, 0) << automatic.err;
    EXPECT_NE(automatic.err.find("regularisation chosen over the set: FilterForm.RegularizationNmSuperSpin="),
              std::string::npos)
        << automatic.err;
    const std::string saved = readFile(project);
    EXPECT_NE(saved.find("[PulseSet]\r\nCount=1\r\nFile0000=" + other.string() + "\r\nCheck0000=1\r\n"),
              std::string::npos)
        << saved;
    EXPECT_NE(saved.find("RegularizationAutoCheckBox=1"), std::string::npos);
    const auto reloaded =
        runCli({"--project", project.string(), "load-signal", "least-squares", "write-set-report", "-"});
    ASSERT_EQ(reloaded.exitCode, 0) << reloaded.err;
    const auto reloadedRows = lines(reloaded.out);
    ASSERT_EQ(reloadedRows.size(), 4u) << reloaded.out;
    EXPECT_EQ(cells(reloadedRows[3])[0], other.string());
    EXPECT_EQ(cells(reloadedRows[3])[1], "check");

    std::filesystem::remove(same);
    std::filesystem::remove(other);
    std::filesystem::remove(project);
}

TEST(CliTest, SetReportBeforeADesignAndAMissingFileAreErrors) {
    const auto none = runCli({"load-signal", "write-set-report", "-"});
    EXPECT_EQ(none.exitCode, 1) << none.err;
    EXPECT_NE(none.err.find("no least-squares design over the set yet"), std::string::npos) << none.err;
    const auto missing = runCli({"load-signal", "add-training", "/nonexistent/pulse.csv"});
    EXPECT_EQ(missing.exitCode, 1);
    EXPECT_NE(missing.err.find("/nonexistent/pulse.csv"), std::string::npos) << missing.err;
}

// The air path on the command line: the signal carried to the same place is itself to the last
// digit, carried there and back (a --set between the steps) is itself within rounding, and a
// delay moves the burst by the travel time.
TEST(CliTest, PropagateCarriesTheSignalAndBack) {
    const std::vector<std::string> burst = {
        "--set", "SignalForm.Exp_F_NmSuperSpin=0.2",   "--set",      "SignalForm.Exp_Front_NmSuperSpin=5",
        "--set", "SignalForm.Exp_Time_NmSuperSpin=20", "--set",      "MainForm.FNmSuperSpin=2",
        "--set", "MainForm.SWNmSpinEdit=600",          "load-signal"};
    const auto with = [&](std::vector<std::string> steps) {
        std::vector<std::string> args = burst;
        args.insert(args.end(), steps.begin(), steps.end());
        args.insert(args.end(), {"write-signal", "-"});
        const auto result = runCli(args);
        EXPECT_EQ(result.exitCode, 0) << result.err;
        return result.out;
    };
    const std::string original = with({});
    EXPECT_EQ(with({"--set", "SignalForm.PathTargetDistanceNmSuperSpin=0.1", "propagate"}), original);
    const std::string back =
        with({"--set", "SignalForm.PathTargetDistanceNmSuperSpin=0.3", "--set",
              "SignalForm.PathTargetTemperatureNmSuperSpin=35", "propagate", "--set",
              "SignalForm.PathDistanceNmSuperSpin=0.3", "--set", "SignalForm.PathTemperatureNmSuperSpin=35", "--set",
              "SignalForm.PathTargetDistanceNmSuperSpin=0.1", "--set", "SignalForm.PathTargetTemperatureNmSuperSpin=20",
              "propagate"});
    const std::string there = with({"--set", "SignalForm.PathTargetDistanceNmSuperSpin=0.3", "--set",
                                    "SignalForm.PathTargetTemperatureNmSuperSpin=35", "propagate"});
    double peak = 0.0;
    for (int i = -600; i <= 600; i += 1)
        peak = std::max(peak, std::abs(valueAt(original, i)));
    double thereDifference = 0.0;
    for (int i = -600; i <= 600; i += 7) {
        EXPECT_NEAR(valueAt(back, i), valueAt(original, i), 1e-8 * peak) << i;
        thereDifference = std::max(thereDifference, std::abs(valueAt(there, i) - valueAt(original, i)));
    }
    EXPECT_GT(thereDifference, 0.5 * peak); // at 0.3 m the spherical wave has a third of the amplitude
    // Kept delay: 0.1 m -> 0.443 m at 20 °C is 999.4 µs later, 1998.8 samples at 2 MHz: beyond the
    // buffer, so the burst is gone.
    const std::string late = with({"--set", "SignalForm.PathTargetDistanceNmSuperSpin=0.443", "--set",
                                   "SignalForm.PathDelayCheckBox=1", "propagate"});
    for (int i = -600; i <= 600; i += 5)
        EXPECT_NEAR(valueAt(late, i), 0.0, 1e-9 * peak) << i;
}

TEST(CliTest, AbsorptionOnTheSpectraGridAtTheTargetClimate) {
    const auto result = runCli({"--set", "SpectorForm.FL_NmSuperSpin=0.04", "--set", "SpectorForm.FH_NmSuperSpin=1",
                                "--set", "SpectorForm.PointsNmSpinEdit=3", "--set",
                                "SignalForm.PathTemperatureNmSuperSpin=-30", "write-absorption", "-"});
    ASSERT_EQ(result.exitCode, 0) << result.err;
    const auto rows = lines(result.out);
    ASSERT_EQ(rows.size(), 4u) << result.out;
    EXPECT_EQ(rows[0], "frequency_mhz,alpha_db_per_m");
    // At 20 °C and 50 % (the target's, not the recorded pulse's -30 °C): about 1.3 dB/m at 40 kHz
    // and 160 dB/m at 1 MHz.
    EXPECT_EQ(cells(rows[1])[0], "0.04");
    EXPECT_NEAR(*cellNumber(cells(rows[1])[1]), 1.318, 0.001);
    EXPECT_EQ(cells(rows[2])[0], "0.52");
    EXPECT_EQ(cells(rows[3])[0], "1");
    EXPECT_NEAR(*cellNumber(cells(rows[3])[1]), 161.7, 0.1);
}

// add-path-set: one training member per grid point, named by its conditions with the point; the
// worst-pulse criterion lowers the largest residual; the project keeps the members as their
// conditions and computes them again.
TEST(CliTest, PathSetOverTheGridAndTheWorstPulse) {
    const std::vector<std::string> setup = {"--set",       "SignalForm.Exp_F_NmSuperSpin=0.2",
                                            "--set",       "SignalForm.Exp_Front_NmSuperSpin=5",
                                            "--set",       "SignalForm.Exp_Time_NmSuperSpin=20",
                                            "--set",       "SignalForm.Exp_Shift_NmSuperSpin=20",
                                            "--set",       "MainForm.FNmSuperSpin=2",
                                            "--set",       "MainForm.SWNmSpinEdit=300",
                                            "--set",       "SignalForm.PathSpreadingRadioGroup=0",
                                            "--set",       "FilterForm.WINNmSpinEdit=15",
                                            "--set",       "FilterForm.PathSetDistanceCountNmSpinEdit=3",
                                            "--set",       "FilterForm.PathSetTemperatureCountNmSpinEdit=2",
                                            "--set",       "FilterForm.PathSetHumidityToNmSuperSpin=90",
                                            "load-signal", "add-path-set"};
    const auto design = [&](int criterion, std::vector<std::string> more = {}) {
        std::vector<std::string> args = setup;
        args.insert(args.end(), {"--set", "FilterForm.SetCriterionRadioGroup=" + std::to_string(criterion),
                                 "least-squares", "write-set-report", "-"});
        args.insert(args.end(), more.begin(), more.end());
        const auto result = runCli(args);
        EXPECT_EQ(result.exitCode, 0) << result.err;
        return lines(result.out);
    };
    const auto sum = design(0);
    ASSERT_EQ(sum.size(), 2u + 1u + 6u);
    EXPECT_EQ(sum[2].substr(0, 7), "signal,");
    EXPECT_EQ(cells(sum[3])[0], "0.05 м; 10 °C; 50 %"); // a count of 1 takes the "from" humidity
    EXPECT_EQ(cells(sum[4])[0], "0.05 м; 30 °C; 50 %");
    EXPECT_EQ(cells(sum[5])[0], "0.53 м; 10 °C; 50 %");
    EXPECT_EQ(cells(sum[8])[0], "1.00 м; 30 °C; 50 %");
    const auto largest = [](const std::vector<std::string> &rows) {
        double value = 0.0;
        int marked = -1;
        for (std::size_t r = 2; r < rows.size(); ++r) {
            const auto row = cells(rows[r]);
            EXPECT_EQ(row[1], "training");
            value = std::max(value, *cellNumber(row[2]));
            if (row[7] == "1")
                marked = static_cast<int>(r);
        }
        EXPECT_GE(marked, 0);
        EXPECT_EQ(*cellNumber(cells(rows[static_cast<std::size_t>(marked)])[2]), value);
        return value;
    };
    const std::string saved =
        (std::filesystem::temp_directory_path() / ("pulsefir-path-" + std::to_string(::getpid()) + ".flt")).string();
    const auto worst = design(1, {"save-project", saved});
    EXPECT_LT(largest(worst), largest(sum));
    const std::string project = readFile(saved);
    EXPECT_NE(project.find("File0000=0.05 м; 10 °C; 50 %\r\nCheck0000=0\r\nPathDistance0000=0.05\r\n"
                           "PathTemperature0000=10\r\nPathHumidity0000=50\r\n"),
              std::string::npos)
        << project;
    const auto reloaded = runCli({"--project", saved, "load-signal", "least-squares", "write-set-report", "-"});
    ASSERT_EQ(reloaded.exitCode, 0) << reloaded.err;
    // The same members and filter; the metrics to rounding.
    const auto again = lines(reloaded.out);
    ASSERT_EQ(again.size(), worst.size());
    EXPECT_EQ(again[0], worst[0]);
    for (std::size_t r = 2; r < worst.size(); ++r) {
        const auto a = cells(again[r]);
        const auto b = cells(worst[r]);
        EXPECT_EQ(a[0], b[0]);
        EXPECT_EQ(a[2], b[2]);
        EXPECT_EQ(a[7], b[7]);
        for (std::size_t column = 3; column < 7; ++column)
            EXPECT_NEAR(*cellNumber(a[column]), *cellNumber(b[column]), 1e-9 * std::abs(*cellNumber(b[column])));
    }
    std::filesystem::remove(saved);
}
