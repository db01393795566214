#include <gtest/gtest.h>

#include <sys/wait.h>

#include <charconv>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
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
    std::string command = (environment.empty() ? "" : "env " + environment + " ") + "'" PULSEFIR_CLI "'";
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
    ::testing::Values(BadInput{"unknown_step", {"load-signal", "frobnicate"}, 2, "unknown step 'frobnicate'"},
                      BadInput{"unknown_key", {"--set", "MainForm.Nothing=1"}, 2, "unknown key MainForm.Nothing"},
                      BadInput{"not_a_number", {"--set", "MainForm.FNmSuperSpin=fast"}, 2, "'fast' is not a number"},
                      BadInput{"out_of_range", {"--set", "MainForm.SWNmSpinEdit=20000"}, 2, "outside 1..10000"},
                      BadInput{"fraction_for_integer", {"--set", "MainForm.SWNmSpinEdit=1.5"}, 2, "not a whole number"},
                      BadInput{"missing_file", {"write-signal"}, 2, "needs a FILE"},
                      BadInput{"unwritable_file", {"write-signal", "/nonexistent-dir/x.csv"}, 1, "Unable to write to"},
                      BadInput{"full_disk_file", {"write-signal", "/dev/full"}, 1, "Unable to write to /dev/full"},
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
    EXPECT_EQ(rows[0], "frequency_mhz,signal_amplitude,signal_phase,filter_amplitude,filter_phase,output_amplitude,"
                       "output_phase");
    EXPECT_NEAR(number(rows[1]), 0.01, 1e-15);
    EXPECT_NEAR(number(rows[400]), 0.07, 1e-15);
    double largest = 0.0;
    for (std::size_t k = 1; k < rows.size(); ++k)
        largest = std::max(largest, number(rows[k].substr(rows[k].find(',') + 1)));
    EXPECT_EQ(largest, 1.0) << "the signal's amplitudes are normalised";
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
    EXPECT_NE(result.err.find("Количество точек не должно превышать 10001"), std::string::npos) << result.err;
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

TEST(CliTest, ProjectWithoutWindowSectionsSaysSoAndGoesOn) {
    const auto path = std::filesystem::temp_directory_path() / ("pulsefir-cli-" + std::to_string(::getpid()) + ".flt");
    std::ofstream(path) << "[Other]\nFNmSuperSpin=5\n";
    const auto result = runCli({"--project", path.string(), "draw"});
    std::filesystem::remove(path);
    EXPECT_EQ(result.exitCode, 0);
    EXPECT_NE(result.err.find("has none of the sections"), std::string::npos) << result.err;
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
            cases.push_back({"filter_n1000_weighting" + std::to_string(weighting) + "_window" + std::to_string(window),
                             {"--set", "FilterForm.WINNmSpinEdit=1000", "--set",
                              "FilterForm.FilterTypeRadioGroup=" + std::to_string(weighting), "--set",
                              "FilterForm.WinTypeRadioGroup=" + std::to_string(window), "synthesize", "write-filter",
                              "-"}});
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
