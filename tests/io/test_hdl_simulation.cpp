// The hardware export proven by free tools: for each filter of the table the generated Verilog and
// VHDL run their own testbenches and one written here (random input, resets in the middle, other
// edges for driving and reading) under Icarus Verilog and GHDL, Verilator lints the Verilog, and
// Yosys synthesizes the small designs and counts their multipliers.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <random>
#include <regex>
#include <sstream>
#include <string>
#include <vector>

#include <unistd.h>

#include "base/file.h"
#include "core/fixed_point.h"
#include "io/hdl_writer.h"

using namespace pulsefir;
using core::Rounding;

namespace {

enum class Shape {
    Symmetric,     // a window-method filter: every pair folds
    Asymmetric,    // least squares: no pair folds
    Causal,        // least squares with L = 0: taps +1..+N zero
    Antisymmetric, // pairs fold into differences
    PowersOfTwo,   // shifts and negations instead of multipliers
};

struct Entry {
    const char *name;
    Shape shape;
    int halfWidth;
    int inputBits;  // Bx
    int tapBits;    // Bc
    int outputBits; // By
    Rounding rounding;
    int shiftBelowAutomatic; // S = the automatic shift minus this: outputs saturate when > 0
    bool synthesize;         // Yosys: only the small designs, larger ones take minutes
};

std::ostream &operator<<(std::ostream &out, const Entry &e) {
    return out << e.name;
}

// Double taps of the shape; the model quantises them.
std::vector<double> doubleTaps(const Entry &e) {
    std::mt19937 random(static_cast<unsigned>(e.halfWidth * 7919 + e.tapBits));
    std::uniform_real_distribution<double> noise(-0.3, 0.3);
    std::vector<double> taps;
    for (int j = -e.halfWidth; j <= e.halfWidth; ++j) {
        const double window = 0.54 + 0.46 * std::cos(M_PI * j / (e.halfWidth + 1));
        const double sinc = j == 0 ? 1.0 : std::sin(0.9 * j) / (0.9 * j);
        switch (e.shape) {
        case Shape::Symmetric:
            taps.push_back(window * sinc);
            break;
        case Shape::Asymmetric:
            taps.push_back(window * (sinc + noise(random)));
            break;
        case Shape::Causal:
            taps.push_back(j > 0 ? 0.0 : window * (sinc + noise(random)));
            break;
        case Shape::Antisymmetric:
            taps.push_back(j == 0 ? 0.0 : window * std::sin(0.7 * j) * (j > 0 ? 1.0 : 1.0));
            break;
        case Shape::PowersOfTwo: {
            static const double values[] = {1.0, -0.5, 0.25, 0.0, -0.125, 0.75, -1.0, 0.0625, 0.3};
            taps.push_back(values[static_cast<std::size_t>(j + e.halfWidth) % std::size(values)]);
            break;
        }
        }
    }
    return taps;
}

// A signal as the ADC delivers it: a tone burst with ring-down, then noise.
std::vector<std::int32_t> signalSamples(const Entry &e) {
    std::vector<std::int32_t> x;
    for (int i = 0; i < 300; ++i) {
        const double v = 1.9 * std::sin(0.6 * i) * std::exp(-0.01 * i) * (1.0 - std::exp(-0.1 * i));
        x.push_back(core::quantiseInput(v, e.inputBits, 2.0));
    }
    return x;
}

io::HdlFilter makeFilter(const Entry &e, std::span<const std::int32_t> signal) {
    const std::vector<double> taps = doubleTaps(e);
    io::HdlFilter f;
    f.taps = core::quantiseTaps(taps, e.tapBits).taps;
    f.inputBits = e.inputBits;
    f.tapBits = e.tapBits;
    f.outputBits = e.outputBits;
    f.rounding = e.rounding;
    // The shift the program would choose for the signal, lowered so that outputs saturate.
    std::vector<std::int32_t> padded(static_cast<std::size_t>(e.halfWidth), 0);
    padded.insert(padded.end(), signal.begin(), signal.end());
    padded.resize(padded.size() + static_cast<std::size_t>(e.halfWidth), 0);
    const std::vector<core::Accumulator> acc =
        core::accumulate(f.taps, padded.data() + e.halfWidth, 0, static_cast<int>(signal.size()) - 1);
    f.shift = std::max(0, core::automaticShift(acc, e.outputBits, e.rounding) - e.shiftBelowAutomatic);
    if (e.shape == Shape::Antisymmetric)
        for (int j = 1; j <= e.halfWidth; ++j)
            f.taps[static_cast<std::size_t>(e.halfWidth - j)] = -f.taps[static_cast<std::size_t>(e.halfWidth + j)];
    return f;
}

std::string readText(const std::filesystem::path &path) {
    std::ifstream in(path);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
}

struct ToolRun {
    int status;
    std::string output;
};

// Runs a shell command in `dir`, its output and errors together.
ToolRun run(const std::filesystem::path &dir, const std::string &command) {
    const std::string log = (dir / "command.log").string();
    const int status = std::system(("cd '" + dir.string() + "' && (" + command + ") > '" + log + "' 2>&1").c_str());
    return {status, readText(log)};
}

bool haveTool(const char *tool) {
    return std::system(("command -v " + std::string(tool) + " >/dev/null").c_str()) == 0;
}

// The count N of "N samples, K mismatches" when K is 0, or -1.
long long samplesWithoutMismatch(const std::string &output) {
    std::smatch m;
    if (!std::regex_search(output, m, std::regex("(\\d+) samples, (\\d+) mismatches")) || m[2] != "0")
        return -1;
    return std::stoll(m[1]);
}

std::string hexWord(std::int64_t value, int bits) {
    const std::vector<std::int64_t> one{value};
    std::string text = io::hexWords(one, bits);
    text.pop_back();
    return text;
}

// A testbench of this test's own: phases of random input, each begun by a reset of 1 to 3 clocks
// while x carries random words; x and rst change just after the rising edge and y is compared
// at the rising edge itself (its value before the edge updates it). The model's output of each
// phase is computed here, from the phase's input alone.
struct OwnBench {
    std::string stimulus; // rst x per line, both in hex
    std::string expected; // check flag and y per line
    long long checks = 0;
};

OwnBench ownBench(const io::HdlFilter &f, const io::HdlDesign &d) {
    std::mt19937_64 random(12345);
    const std::int64_t high = (std::int64_t{1} << (f.inputBits - 1)) - 1;
    std::uniform_int_distribution<std::int64_t> word(-high - 1, high);
    OwnBench b;
    const int phases = 3;
    for (int p = 0; p < phases; ++p) {
        const int resetClocks = 1 + p % 3;
        for (int i = 0; i < resetClocks; ++i) {
            b.stimulus += "1 " + hexWord(word(random), f.inputBits) + "\n";
            b.expected += "0 0\n";
        }
        std::vector<std::int32_t> x(static_cast<std::size_t>(400 + 2 * d.latency));
        for (auto &v : x)
            v = static_cast<std::int32_t>(p == 1 ? (random() % 2 == 0 ? high : -high - 1) : word(random));
        std::vector<std::int32_t> model = x;
        const std::vector<std::int64_t> y = core::filterIntegers(f.taps, model, f.shift, f.outputBits, f.rounding);
        // Output of clock t is yq[t - LATENCY]; only the phase's own samples are compared (the
        // input after them belongs to the next reset).
        for (std::size_t t = 0; t < x.size(); ++t) {
            b.stimulus += "0 " + hexWord(x[t], f.inputBits) + "\n";
            const long long i = static_cast<long long>(t) - d.latency;
            const bool check = i >= 0 && i + d.lead < static_cast<long long>(x.size());
            b.expected += check ? "1 " + hexWord(y[static_cast<std::size_t>(i)], f.outputBits) + "\n" : "0 0\n";
            b.checks += check ? 1 : 0;
        }
    }
    return b;
}

std::string ownVerilogBench(const io::HdlFilter &f, std::size_t clocks) {
    const std::string xw = std::to_string(f.inputBits);
    const std::string yw = std::to_string(f.outputBits);
    const std::string n = std::to_string(clocks);
    return "`timescale 1ns / 1ps\nmodule own_tb;\n"
           "  reg clk = 0; reg rst = 1; reg [" +
           xw + "-1:0] x = 0; wire [" + yw +
           "-1:0] y;\n"
           "  reg [" +
           xw + "-1:0] xs [0:" + n + "-1]; reg rs [0:" + n +
           "-1];\n"
           "  reg [" +
           yw + "-1:0] ys [0:" + n + "-1]; reg cs [0:" + n +
           "-1];\n"
           "  integer t, k, fd, r, mismatches, checks; reg [63:0] a, b;\n"
           "  pulsefir_fir dut (.clk(clk), .rst(rst), .x(x), .y(y));\n"
           "  initial begin\n"
           "    fd = $fopen(\"own_stimulus.txt\", \"r\");\n"
           "    for (k = 0; k < " +
           n +
           "; k = k + 1) begin r = $fscanf(fd, \"%h %h\\n\", a, b); rs[k] = a[0]; xs[k] = b; end\n"
           "    $fclose(fd);\n"
           "    fd = $fopen(\"own_expected.txt\", \"r\");\n"
           "    for (k = 0; k < " +
           n +
           "; k = k + 1) begin r = $fscanf(fd, \"%h %h\\n\", a, b); cs[k] = a[0]; ys[k] = b; end\n"
           "    $fclose(fd);\n"
           "    mismatches = 0; checks = 0;\n"
           "    // clock t: inputs set 1 ns after rising edge t-1, y compared at rising edge t\n"
           "    for (t = 0; t < " +
           n +
           "; t = t + 1) begin\n"
           "      #1 rst = rs[t]; x = xs[t];\n"
           "      #4 clk = 0; #5 clk = 1;\n"
           "      // y at this rising edge, before the module's update of it\n"
           "      if (cs[t]) begin checks = checks + 1; if (y !== ys[t]) mismatches = mismatches + 1; end\n"
           "    end\n"
           "    $display(\"%0d samples, %0d mismatches\", checks, mismatches);\n"
           "    $finish;\n"
           "  end\n"

           "endmodule\n";
}

std::string ownVhdlBench(const io::HdlFilter &f, std::size_t clocks) {
    const std::string xw = std::to_string(f.inputBits);
    const std::string yw = std::to_string(f.outputBits);
    const std::string n = std::to_string(clocks);
    const std::string last = std::to_string(clocks - 1);
    return "library ieee; use ieee.std_logic_1164.all; use ieee.numeric_std.all; use std.textio.all;\n"
           "entity own_tb is end entity;\n"
           "architecture a of own_tb is\n"
           "  signal clk, rst : std_logic := '0';\n"
           "  signal x : signed(" +
           xw +
           " - 1 downto 0) := (others => '0');\n"
           "  signal y : signed(" +
           yw +
           " - 1 downto 0);\n"
           "  function hex(s : string; bits : integer) return signed is\n"
           "    variable v : unsigned(4 * s'length + 63 downto 0) := (others => '0'); variable d : integer;\n"
           "  begin\n"
           "    for i in s'range loop\n"
           "      if s(i) >= 'a' then d := character'pos(s(i)) - 87; else d := character'pos(s(i)) - 48; end if;\n"
           "      v := shift_left(v, 4); v(3 downto 0) := to_unsigned(d, 4);\n"
           "    end loop;\n"
           "    return signed(v(bits - 1 downto 0));\n"
           "  end function;\n"
           "  -- the hex field after a flag and a blank\n"
           "  procedure field(l : inout line; flag : out boolean; word : out line) is\n"
           "    variable c : character;\n"
           "  begin\n"
           "    read(l, c); flag := c = '1'; read(l, c); word := new string'(l.all);\n"
           "  end procedure;\n"
           "begin\n"
           "  dut : entity work.pulsefir_fir port map (clk => clk, rst => rst, x => x, y => y);\n"
           "  process\n"
           "    file fs : text open read_mode is \"own_stimulus.txt\";\n"
           "    file fe : text open read_mode is \"own_expected.txt\";\n"
           "    variable ls, le, w, lo : line; variable r, c : boolean; variable ye : signed(" +
           yw +
           " - 1 downto 0);\n"
           "    variable mismatches, checks : integer := 0;\n"
           "  begin\n"
           "    for t in 0 to " +
           last +
           " loop\n"
           "      readline(fs, ls); field(ls, r, w);\n"
           "      wait for 1 ns;\n"
           "      if r then rst <= '1'; else rst <= '0'; end if;\n"
           "      x <= hex(w.all, " +
           xw +
           ");\n"
           "      readline(fe, le); field(le, c, w); ye := hex(w.all, " +
           yw +
           ");\n"
           "      wait for 4 ns; clk <= '0'; wait for 5 ns; clk <= '1';\n"
           "      -- y at this rising edge before the edge updates it\n"
           "      if c then\n"
           "        checks := checks + 1;\n"
           "        if y /= ye then mismatches := mismatches + 1; end if;\n"
           "      end if;\n"
           "    end loop;\n"
           "    write(lo, integer'image(checks) & \" samples, \" & integer'image(mismatches) & \" mismatches\");\n"
           "    writeline(output, lo);\n"
           "    wait;\n"
           "  end process;\n"
           "end architecture;\n";
}

// The number of `$mul` cells in the last statistics Yosys printed to `file`.
int multipliersInStat(const std::string &stat) {
    std::smatch m;
    int count = 0;
    std::string::const_iterator from = stat.begin();
    while (std::regex_search(from, stat.end(), m, std::regex("\\$mul\\s+(\\d+)"))) {
        count = std::stoi(m[1]);
        from = m[0].second;
    }
    return count;
}

class HdlSimulation : public ::testing::TestWithParam<Entry> {
  protected:
    void SetUp() override {
        for (const char *tool : {"iverilog", "vvp", "ghdl", "verilator", "yosys"})
            if (!haveTool(tool))
                GTEST_SKIP() << tool << " is not installed (scripts/common.sh installs it)";
        m_dir = std::filesystem::temp_directory_path() /
                ("pulsefir_hdl_" + std::string(GetParam().name) + "_" + std::to_string(getpid()));
        std::filesystem::remove_all(m_dir);
    }
    void TearDown() override {
        if (!HasFailure() && !m_dir.empty())
            std::filesystem::remove_all(m_dir);
    }
    std::filesystem::path m_dir;
};

TEST_P(HdlSimulation, SimulatorsAgreeWithTheModelBitForBit) {
    const Entry &e = GetParam();
    const std::vector<std::int32_t> signal = signalSamples(e);
    const io::HdlFilter filter = makeFilter(e, signal);
    const io::HdlDesign design = io::writeHdl(m_dir.string(), filter, signal);
    const std::string dir = m_dir.string();
    const std::string stimulus = readText(m_dir / io::HdlStimulusFile);
    const auto samples = static_cast<long long>(std::count(stimulus.begin(), stimulus.end(), '\n'));
    ASSERT_GE(samples, static_cast<long long>(signal.size()) + io::HdlRandomSamples);

    const ToolRun lint = run(m_dir, "verilator --lint-only -Wall pulsefir_fir.v");
    EXPECT_EQ(lint.status, 0) << lint.output;
    EXPECT_EQ(lint.output, "") << "Verilator warns";

    const ToolRun icarus = run(m_dir, "iverilog -g2001 -o tb.vvp pulsefir_fir_tb.v pulsefir_fir.v && vvp -n tb.vvp");
    EXPECT_EQ(icarus.status, 0) << icarus.output;
    EXPECT_EQ(samplesWithoutMismatch(icarus.output), samples) << icarus.output;

    const ToolRun ghdl =
        run(m_dir, "mkdir -p ghdl && ghdl -a --std=93 --workdir=ghdl pulsefir_fir.vhd pulsefir_fir_tb.vhd"
                   " && ghdl -e --std=93 --workdir=ghdl pulsefir_fir_tb"
                   " && ghdl -r --std=93 --workdir=ghdl pulsefir_fir_tb --ieee-asserts=disable-at-0");
    EXPECT_EQ(ghdl.status, 0) << ghdl.output;
    EXPECT_EQ(samplesWithoutMismatch(ghdl.output), samples) << ghdl.output;

    // This test's own testbench, in both languages.
    const OwnBench own = ownBench(filter, design);
    const std::size_t clocks = static_cast<std::size_t>(std::count(own.stimulus.begin(), own.stimulus.end(), '\n'));
    base::writeFileWhole((m_dir / "own_stimulus.txt").string(), own.stimulus);
    base::writeFileWhole((m_dir / "own_expected.txt").string(), own.expected);
    base::writeFileWhole((m_dir / "own_tb.v").string(), ownVerilogBench(filter, clocks));
    base::writeFileWhole((m_dir / "own_tb.vhd").string(), ownVhdlBench(filter, clocks));
    const ToolRun ownIcarus = run(m_dir, "iverilog -o own.vvp own_tb.v pulsefir_fir.v && vvp -n own.vvp");
    EXPECT_EQ(samplesWithoutMismatch(ownIcarus.output), own.checks) << ownIcarus.output;
    const ToolRun ownGhdl =
        run(m_dir, "ghdl -a --std=93 --workdir=ghdl own_tb.vhd && ghdl -e --std=93 --workdir=ghdl own_tb"
                   " && ghdl -r --std=93 --workdir=ghdl own_tb --ieee-asserts=disable-at-0");
    EXPECT_EQ(samplesWithoutMismatch(ownGhdl.output), own.checks) << ownGhdl.output;

    if (e.synthesize) {
        // The multipliers counted after Yosys's own simplification (constant and power-of-two
        // factors), before its arithmetic is merged and mapped; then the whole synthesis.
        const ToolRun yosys = run(m_dir, "yosys -q -p 'read_verilog pulsefir_fir.v; hierarchy -top pulsefir_fir; proc; "
                                         "opt; wreduce; opt_clean; tee -o coarse.txt stat; synth -top pulsefir_fir'");
        EXPECT_EQ(yosys.status, 0) << yosys.output;
        EXPECT_EQ(multipliersInStat(readText(m_dir / "coarse.txt")), design.multipliers);
    }
}

// Windows-method filters fold; least squares and L = 0 do not; every rounding; widths 4 to 32
// (outputs to 48); saturating stimuli where the shift is lowered below the automatic one.
const Entry entries[] = {
    {"sym_hw1_4bit_truncate_saturating", Shape::Symmetric, 1, 4, 4, 4, Rounding::Truncate, 2, true},
    {"sym_hw20_12bit_halfup", Shape::Symmetric, 20, 12, 16, 16, Rounding::HalfUp, 0, true},
    {"asym_hw8_16bit_halfeven_saturating", Shape::Asymmetric, 8, 16, 14, 12, Rounding::HalfEven, 3, true},
    {"causal_hw15_14bit_halfeven", Shape::Causal, 15, 14, 12, 16, Rounding::HalfEven, 0, true},
    {"antisym_hw6_8bit_halfup_saturating", Shape::Antisymmetric, 6, 8, 10, 10, Rounding::HalfUp, 1, true},
    {"pow2_hw5_10bit_truncate", Shape::PowersOfTwo, 5, 10, 8, 8, Rounding::Truncate, 1, true},
    {"sym_hw3_32bit_halfeven_48out", Shape::Symmetric, 3, 32, 32, 48, Rounding::HalfEven, 0, false},
    {"asym_hw2_32bit_truncate_saturating", Shape::Asymmetric, 2, 32, 32, 20, Rounding::Truncate, 5, false},
    {"causal_hw60_10bit_halfup", Shape::Causal, 60, 10, 20, 24, Rounding::HalfUp, 0, false},
    {"sym_hw300_12bit_halfup", Shape::Symmetric, 300, 12, 16, 16, Rounding::HalfUp, 0, false},
};

INSTANTIATE_TEST_SUITE_P(Filters, HdlSimulation, ::testing::ValuesIn(entries),
                         [](const ::testing::TestParamInfo<Entry> &info) { return std::string(info.param.name); });

} // namespace
