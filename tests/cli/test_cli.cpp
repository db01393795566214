#include <gtest/gtest.h>

#include <sys/wait.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

namespace {

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

// Runs the tool with the given arguments (each quoted for the shell).
Result runCli(const std::vector<std::string> &args) {
    const auto dir = std::filesystem::temp_directory_path();
    const auto outPath = dir / ("pulsefir-cli-out-" + std::to_string(::getpid()));
    const auto errPath = dir / ("pulsefir-cli-err-" + std::to_string(::getpid()));
    std::string command = "'" PULSEFIR_CLI "'";
    for (const auto &arg : args)
        command += " '" + arg + "'";
    command += " >'" + outPath.string() + "' 2>'" + errPath.string() + "' </dev/null";
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
            return std::stod(line.substr(comma + 1));
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
};

// Names the case in test listings instead of dumping its bytes.
void PrintTo(const BadInput &c, std::ostream *os) {
    *os << c.name;
}

class CliBadInputTest : public ::testing::TestWithParam<BadInput> {};

TEST_P(CliBadInputTest, FailsWithAClearMessage) {
    const auto &c = GetParam();
    const auto result = runCli(c.args);
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
    EXPECT_NEAR(std::stod(rows[1]), 0.01, 1e-15);
    EXPECT_NEAR(std::stod(rows[400]), 0.07, 1e-15);
    double largest = 0.0;
    for (std::size_t k = 1; k < rows.size(); ++k)
        largest = std::max(largest, std::stod(rows[k].substr(rows[k].find(',') + 1)));
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
    EXPECT_NE(result.err.find("missing.npy: файл не открывается"), std::string::npos) << result.err;
    result = runCli({"import-signal", wav.string(), "add-signal-file", wav.string(), "write-signal", "-"});
    EXPECT_EQ(valueAt(result.out, 2), -2.0);
    std::filesystem::remove(wav);
    std::filesystem::remove(header);
}
