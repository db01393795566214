#include "hdl_writer.h"

#include <algorithm>
#include <filesystem>
#include <random>
#include <sstream>
#include <system_error>

#include "base/error.h"
#include "base/file.h"
#include "base/messages.h"
#include "base/number_text.h"
#include "core/fixed_point.h"

namespace pulsefir::io {

namespace {

using core::Accumulator;
__extension__ typedef unsigned __int128 WideWord;

// The stimulus is the same at every export: the testbench files and the expected output stay
// comparable between runs.
constexpr std::uint64_t StimulusSeed = 20261209;
// Clocks the testbenches hold the reset while x carries other values.
constexpr int ResetClocks = 4;
// Mismatches a testbench lists before it only counts them.
constexpr int ListedMismatches = 10;

std::string num(long long value) {
    return base::formatInteger(value);
}

// value modulo 2^bits in ceil(bits / 4) hexadecimal digits.
std::string hexDigits(Accumulator value, int bits) {
    const auto word = static_cast<WideWord>(value);
    std::string text;
    for (int chunk = 3; chunk >= 0; --chunk)
        text += base::formatInteger(static_cast<long long>((word >> (32 * chunk)) & 0xffffffffU), 16, 8);
    const int digits = (bits + 3) / 4;
    text = text.substr(text.size() - static_cast<std::size_t>(digits));
    if (bits % 4 != 0) {
        // Keep only the word's bits in the leading digit.
        const int top = (text[0] >= 'a' ? text[0] - 'a' + 10 : text[0] - '0') & ((1 << (bits % 4)) - 1);
        text[0] = "0123456789abcdef"[top];
    }
    return text;
}

// value modulo 2^bits as VHDL bit string: "0101".
std::string bitString(Accumulator value, int bits) {
    const auto word = static_cast<WideWord>(value);
    std::string text = "\"";
    for (int b = bits - 1; b >= 0; --b)
        text += ((word >> b) & 1U) != 0 ? '1' : '0';
    return text + "\"";
}

// A sized Verilog literal: 16'sh8000.
std::string verilogLiteral(Accumulator value, int bits) {
    return num(bits) + "'sh" + hexDigits(value, bits);
}

std::string tapName(int j) {
    return j > 0 ? "P" + num(j) : j < 0 ? "M" + num(-j) : "0";
}

std::string tapLabel(int j) {
    return j > 0 ? "+" + num(j) : num(j);
}

std::string constantName(const HdlTerm &t) {
    return "TAP_" + tapName(t.firstTap) + (t.second >= 0 ? "_" + tapName(t.secondTap) : "");
}

// The names of the design's registers.
std::string named(std::string prefix, long long index) {
    return prefix.append(num(index));
}
std::string productName(std::size_t i) {
    return named("m", static_cast<long long>(i));
}
std::string preAddName(std::size_t i) {
    return named("pa", static_cast<long long>(i));
}
std::string nodeName(std::size_t level, std::size_t i) {
    return named("s", static_cast<long long>(level + 1)) + named("_", static_cast<long long>(i));
}
std::string lineName(int k) {
    return named("d", k);
}

// The register the adder tree ends in (the single product when there is no tree).
std::string rootName(const HdlDesign &d) {
    return d.tree.empty() ? productName(0) : nodeName(d.tree.size() - 1, 0);
}
int rootBits(const HdlDesign &d) {
    return d.tree.empty() ? d.terms.front().productBits : d.tree.back().front().bits;
}

// The name of the word a term multiplies and its width.
std::string sourceName(const HdlDesign &d, std::size_t i) {
    const HdlTerm &t = d.terms[i];
    if (t.second >= 0)
        return preAddName(i);
    return lineName(t.first + (d.preAdders ? 1 : 0));
}

int nodeBits(const HdlDesign &d, std::size_t level, std::size_t i) {
    return level == 0 ? d.terms[i].productBits : d.tree[level - 1][i].bits;
}
std::string nodeInput(std::size_t level, std::size_t i) {
    return level == 0 ? productName(i) : nodeName(level - 1, i);
}

// The header comment, the same in both languages but for its prefix.
std::string headerComment(const std::string &p, const HdlFilter &f, const HdlDesign &d) {
    std::string s;
    const std::string blank = p.substr(0, p.find_last_not_of(' ') + 1) + "\n";
    s += p + "pulsefir_fir: the FIR correction filter from pulsefir as the fixed-point model computes it.\n";
    s += blank;
    for (const std::string &line : f.description)
        s += p + line + "\n";
    if (!f.description.empty())
        s += blank;
    s += p + "The module computes yq[i] = saturate(round(sum over j of cq[j] * x[i + j] / 2^S)) with x of\n";
    s += p + "XW = " + num(f.inputBits) + " bits, y of YW = " + num(f.outputBits) + " bits, S = " + num(f.shift) +
         " and an exact sum of " + num(d.accumulatorBits) + " bits.\n";
    s += blank;
    s += p + "Timing: x[i] is the value on x at the i-th rising edge of clk after the reset (the first\n";
    s += p + "edge with rst low is i = 0; x counts as 0 before it). The output of clock t is the value on y\n";
    s += p +
         "at rising edge t, before that edge updates it: y at clock t is yq[t - LATENCY], LATENCY = " + num(d.latency) +
         ",\n";
    s += p + "of which " + num(d.lead) + " clocks are the samples the filter looks ahead and " +
         num(d.latency - d.lead) + " the pipeline.\n";
    s += p + "rst is synchronous and active high: while it is high every register is cleared.\n";
    s += p + "XW, YW and LATENCY describe this design; the filter is not built for other values.\n";
    s += blank;
    s += p + "Structure: a delay line of " + num(d.lineLength) + " words" +
         (d.preAdders ? ", pre-adders folding the symmetric taps" : "") + ", registered products,\n";
    s += p + "a pipelined adder tree of " + num(static_cast<long long>(d.tree.size())) +
         " levels and a registered rounding and saturation stage; zero taps cost\n";
    s += p + "nothing, taps of a power-of-two magnitude are shifts.\n";
    s += p + "Resources: " + num(d.multipliers) + " multipliers, " + num(d.adders) + " adders, " + num(d.registerBits) +
         " register bits.\n";
    return s;
}

// ---- Verilog ------------------------------------------------------------------------------------

// `name` of `from` bits sign-extended to `to` bits.
std::string vExtend(const std::string &name, int from, int to) {
    if (to <= from)
        return name;
    return "{{" + num(to - from) + "{" + name + "[" + num(from - 1) + "]}}, " + name + "}";
}

std::string vDeclare(const std::string &name, int bits) {
    return "    reg signed [" + num(bits - 1) + ":0] " + name + ";\n";
}

std::string vProduct(const HdlDesign &d, std::size_t i) {
    const HdlTerm &t = d.terms[i];
    const std::string source = sourceName(d, i);
    if (t.powerOfTwo < 0)
        return source + " * " + constantName(t);
    const int shifted = t.productBits - t.powerOfTwo;
    std::string word = vExtend(source, t.sourceBits, shifted);
    if (t.powerOfTwo > 0)
        word = "{" + word + ", " + num(t.powerOfTwo) + "'b0}";
    else if (word == source)
        word = "{" + word + "}";
    return (t.coefficient < 0 ? "-" : "") + word;
}

} // namespace

std::string verilogModule(const HdlFilter &f, const HdlDesign &d) {
    std::string s = headerComment("// ", f, d);
    s += "\nmodule pulsefir_fir #(\n";
    s += "    parameter XW = " + num(f.inputBits) + ",\n";
    s += "    parameter YW = " + num(f.outputBits) + ",\n";
    s += "    /* verilator lint_off UNUSEDPARAM */\n";
    s += "    parameter LATENCY = " + num(d.latency) + "\n";
    s += "    /* verilator lint_on UNUSEDPARAM */\n";
    s += ") (\n    input wire clk,\n    input wire rst,\n    input wire signed [XW-1:0] x,\n";
    s += "    output reg signed [YW-1:0] y\n);\n\n";

    s += "    // Taps (cq, " + num(f.tapBits) + "-bit words); a folded pair's taps are equal or opposite.\n";
    for (const HdlTerm &t : d.terms) {
        s += "    // tap " + tapLabel(t.firstTap) + " = " + num(t.coefficient);
        if (t.second >= 0)
            s += std::string(", tap ") + tapLabel(t.secondTap) + (t.subtract ? " = -" : " = ") + "that";
        if (t.powerOfTwo >= 0)
            s += ": a shift by " + num(t.powerOfTwo) + (t.coefficient < 0 ? " and a negation" : "");
        s += "\n";
        if (t.powerOfTwo < 0)
            s += "    localparam signed [" + num(f.tapBits - 1) + ":0] " + constantName(t) + " = " +
                 verilogLiteral(t.coefficient, f.tapBits) + ";\n";
    }

    s += "\n    // Delay line: d<k> holds x of k clocks before the newest.\n";
    for (int k = 0; k < d.lineLength; ++k)
        s += vDeclare(lineName(k), f.inputBits);
    if (d.preAdders) {
        s += "    // Pre-adders of the folded pairs.\n";
        for (std::size_t i = 0; i < d.terms.size(); ++i)
            if (d.terms[i].second >= 0)
                s += vDeclare(preAddName(i), d.terms[i].sourceBits);
    }
    s += "    // Products.\n";
    for (std::size_t i = 0; i < d.terms.size(); ++i)
        s += vDeclare(productName(i), d.terms[i].productBits);
    if (!d.tree.empty())
        s += "    // Adder tree, one register level per level.\n";
    for (std::size_t level = 0; level < d.tree.size(); ++level)
        for (std::size_t i = 0; i < d.tree[level].size(); ++i)
            s += vDeclare(nodeName(level, i), d.tree[level][i].bits);

    // Rounding and saturation, computed from the root register into y.
    const int a = rootBits(d);
    const std::string root = rootName(d);
    const int r = d.roundedBits;
    const int q = d.quotientBits;
    s += "\n    // Rounding: a bias, then an arithmetic shift by S = " + num(f.shift) +
         "; the bits below the output's\n    // least significant bit are dropped by design.\n";
    s += "    /* verilator lint_off UNUSEDSIGNAL */\n";
    s += "    wire signed [" + num(r - 1) + ":0] rounded = " + vExtend(root, a, r);
    if (f.shift > 0 && f.rounding == core::Rounding::HalfUp)
        s += " + " + verilogLiteral(static_cast<Accumulator>(1) << (f.shift - 1), r);
    if (f.shift > 0 && f.rounding == core::Rounding::HalfEven)
        s += " + " + verilogLiteral((static_cast<Accumulator>(1) << (f.shift - 1)) - 1, r) + " + {" + num(r - 1) +
             "'b0, " + root + "[" + num(std::min(f.shift, a - 1)) + "]}";
    s += ";\n";
    s += "    wire signed [" + num(q - 1) + ":0] quotient = rounded[" + num(r - 1) + ":" +
         num(f.shift < r ? f.shift : r - 1) + "];\n";
    s += "    /* verilator lint_on UNUSEDSIGNAL */\n";
    const Accumulator yHigh = (static_cast<Accumulator>(1) << (f.outputBits - 1)) - 1;
    const Accumulator yLow = -(static_cast<Accumulator>(1) << (f.outputBits - 1));
    std::string inRange =
        q > f.outputBits ? "quotient[" + num(f.outputBits - 1) + ":0]" : vExtend("quotient", q, f.outputBits);
    if (q == f.outputBits || (q < f.outputBits && inRange == "quotient"))
        inRange = "quotient";
    std::string next = inRange;
    if (d.saturateLow)
        next = "(quotient < " + verilogLiteral(yLow, q) + ") ? " + verilogLiteral(yLow, f.outputBits) + " : " + next;
    if (d.saturateHigh)
        next = "(quotient > " + verilogLiteral(yHigh, q) + ") ? " + verilogLiteral(yHigh, f.outputBits) + " : " + next;
    s += "    // Saturation to YW bits.\n";
    s += "    wire signed [YW-1:0] saturated = " + next + ";\n";

    s += "\n    always @(posedge clk) begin\n        if (rst) begin\n";
    const auto zero = [](const std::string &name, int bits) {
        return "            " + name + " <= " + num(bits) + "'sd0;\n";
    };
    for (int k = 0; k < d.lineLength; ++k)
        s += zero(lineName(k), f.inputBits);
    for (std::size_t i = 0; i < d.terms.size(); ++i) {
        if (d.terms[i].second >= 0)
            s += zero(preAddName(i), d.terms[i].sourceBits);
        s += zero(productName(i), d.terms[i].productBits);
    }
    for (std::size_t level = 0; level < d.tree.size(); ++level)
        for (std::size_t i = 0; i < d.tree[level].size(); ++i)
            s += zero(nodeName(level, i), d.tree[level][i].bits);
    s += "            y <= {YW{1'b0}};\n        end else begin\n";
    s += "            d0 <= x;\n";
    for (int k = 1; k < d.lineLength; ++k)
        s += "            " + lineName(k) + " <= " + lineName(k - 1) + ";\n";
    for (std::size_t i = 0; i < d.terms.size(); ++i) {
        const HdlTerm &t = d.terms[i];
        if (t.second < 0)
            continue;
        s += "            " + preAddName(i) + " <= " + vExtend(lineName(t.first), f.inputBits, t.sourceBits) +
             (t.subtract ? " - " : " + ") + vExtend(lineName(t.second), f.inputBits, t.sourceBits) + ";\n";
    }
    for (std::size_t i = 0; i < d.terms.size(); ++i)
        s += "            " + productName(i) + " <= " + vProduct(d, i) + ";\n";
    for (std::size_t level = 0; level < d.tree.size(); ++level)
        for (std::size_t i = 0; i < d.tree[level].size(); ++i) {
            const HdlNode &n = d.tree[level][i];
            const auto left = static_cast<std::size_t>(n.left);
            s += "            " + nodeName(level, i) +
                 " <= " + vExtend(nodeInput(level, left), nodeBits(d, level, left), n.bits);
            if (n.right >= 0) {
                const auto right = static_cast<std::size_t>(n.right);
                s += " + " + vExtend(nodeInput(level, right), nodeBits(d, level, right), n.bits);
            }
            s += ";\n";
        }
    s += "            y <= saturated;\n        end\n    end\n\nendmodule\n";
    return s;
}

// ---- VHDL ---------------------------------------------------------------------------------------

namespace {

std::string hExtend(const std::string &name, int from, int to) {
    return from == to ? name : "resize(" + name + ", " + num(to) + ")";
}

std::string hSigned(int bits) {
    return "signed(" + num(bits - 1) + " downto 0)";
}

// Words of up to 31 bits are ranged integers: the range VHDL-93 guarantees holds them, they
// synthesize to registers of the same width, and a simulator adds and multiplies them natively
// instead of bit by bit. Wider words are numeric_std's signed.
constexpr int IntegerWordBits = 31;
bool integerWord(int bits) {
    return bits <= IntegerWordBits;
}

std::string hType(int bits) {
    if (!integerWord(bits))
        return hSigned(bits);
    const long long high = (1LL << (bits - 1)) - 1;
    return "integer range " + num(-high - 1) + " to " + num(high);
}

std::string hZero(int bits) {
    return integerWord(bits) ? "0" : "(others => '0')";
}

// A word of `from` bits as a word of `to` bits (to >= from), integer or signed as hType says.
std::string hValue(const std::string &name, int from, int to) {
    if (integerWord(to))
        return name;
    if (integerWord(from))
        return "to_signed(" + name + ", " + num(to) + ")";
    return hExtend(name, from, to);
}

// The same as signed whatever its width.
std::string hAsSigned(const std::string &name, int from, int to) {
    return integerWord(from) ? "to_signed(" + name + ", " + num(to) + ")" : hExtend(name, from, to);
}

std::string hProduct(const HdlDesign &d, std::size_t i) {
    const HdlTerm &t = d.terms[i];
    const std::string source = sourceName(d, i);
    const std::string sign = t.coefficient < 0 ? "-" : "";
    if (integerWord(t.productBits)) {
        if (t.powerOfTwo < 0)
            return source + " * " + constantName(t);
        return t.powerOfTwo == 0 ? sign + source : sign + "(" + source + " * " + num(1LL << t.powerOfTwo) + ")";
    }
    if (t.powerOfTwo < 0)
        return hAsSigned(source, t.sourceBits, t.sourceBits) + " * " + constantName(t);
    std::string word = hValue(source, t.sourceBits, t.productBits);
    if (t.powerOfTwo > 0)
        word = "shift_left(" + word + ", " + num(t.powerOfTwo) + ")";
    return sign + word;
}

} // namespace

std::string vhdlEntity(const HdlFilter &f, const HdlDesign &d) {
    std::string s = headerComment("-- ", f, d);
    s += "\nlibrary ieee;\nuse ieee.std_logic_1164.all;\nuse ieee.numeric_std.all;\n\n";
    s += "entity pulsefir_fir is\n  generic (\n";
    s += "    XW      : integer := " + num(f.inputBits) + ";\n";
    s += "    YW      : integer := " + num(f.outputBits) + ";\n";
    s += "    LATENCY : integer := " + num(d.latency) + "\n  );\n";
    s += "  port (\n    clk : in  std_logic;\n    rst : in  std_logic;\n";
    s += "    x   : in  signed(XW - 1 downto 0);\n    y   : out signed(YW - 1 downto 0)\n  );\n";
    s += "end entity pulsefir_fir;\n\narchitecture rtl of pulsefir_fir is\n";
    s += "  -- Taps (cq, " + num(f.tapBits) + "-bit words); a folded pair's taps are equal or opposite.\n";
    for (const HdlTerm &t : d.terms) {
        s += "  -- tap " + tapLabel(t.firstTap) + " = " + num(t.coefficient);
        if (t.second >= 0)
            s += std::string(", tap ") + tapLabel(t.secondTap) + (t.subtract ? " = -" : " = ") + "that";
        if (t.powerOfTwo >= 0)
            s += ": a shift by " + num(t.powerOfTwo) + (t.coefficient < 0 ? " and a negation" : "");
        s += "\n";
        if (t.powerOfTwo < 0)
            s += "  constant " + constantName(t) +
                 (integerWord(t.productBits)
                      ? " : integer := " + num(t.coefficient)
                      : " : " + hSigned(f.tapBits) + " := " + bitString(t.coefficient, f.tapBits)) +
                 ";\n";
    }
    s += "  signal y_reg : signed(YW - 1 downto 0);\nbegin\n  y <= y_reg;\n\n";

    // The registers are the process's variables, each read before it is written within a clock:
    // the stages are updated from the output back to the input, so every stage reads what the
    // stage before it held after the previous edge.
    s += "  -- The registers are variables read before they are written in each clock, so the stages\n";
    s += "  -- are updated from the output back to the input.\n";
    s += "  pipeline : process (clk)\n";
    s += "    -- Delay line: d<k> holds x of k clocks before the newest.\n";
    for (int k = 0; k < d.lineLength; ++k)
        s += "    variable " + lineName(k) + " : " + hType(f.inputBits) + ";\n";
    for (std::size_t i = 0; i < d.terms.size(); ++i)
        if (d.terms[i].second >= 0)
            s += "    variable " + preAddName(i) + " : " + hType(d.terms[i].sourceBits) + ";\n";
    for (std::size_t i = 0; i < d.terms.size(); ++i)
        s += "    variable " + productName(i) + " : " + hType(d.terms[i].productBits) + ";\n";
    for (std::size_t level = 0; level < d.tree.size(); ++level)
        for (std::size_t i = 0; i < d.tree[level].size(); ++i)
            s += "    variable " + nodeName(level, i) + " : " + hType(d.tree[level][i].bits) + ";\n";
    const int a = rootBits(d);
    const int r = d.roundedBits;
    const int q = d.quotientBits;
    const bool convergent = f.shift > 0 && f.rounding == core::Rounding::HalfEven;
    s += "    -- Rounding (a bias, then an arithmetic shift by S = " + num(f.shift) + ") and saturation.\n";
    s += "    variable sum_word : " + hSigned(a) + ";\n";
    s += "    variable rounded : " + hSigned(r) + ";\n";
    if (convergent)
        s += "    variable quotient_lsb : " + hSigned(r) + ";\n";
    s += "    variable quotient : " + hSigned(q) + ";\n";
    s += "  begin\n    if rising_edge(clk) then\n      if rst = '1' then\n";
    const auto zero = [](const std::string &name, int bits) {
        return "        " + name + " := " + hZero(bits) + ";\n";
    };
    for (int k = 0; k < d.lineLength; ++k)
        s += zero(lineName(k), f.inputBits);
    for (std::size_t i = 0; i < d.terms.size(); ++i) {
        if (d.terms[i].second >= 0)
            s += zero(preAddName(i), d.terms[i].sourceBits);
        s += zero(productName(i), d.terms[i].productBits);
    }
    for (std::size_t level = 0; level < d.tree.size(); ++level)
        for (std::size_t i = 0; i < d.tree[level].size(); ++i)
            s += zero(nodeName(level, i), d.tree[level][i].bits);
    s += "        y_reg <= (others => '0');\n      else\n";

    const std::string root = "sum_word";
    s += "        sum_word := " + hAsSigned(rootName(d), a, a) + ";\n";
    s += "        rounded := " + hExtend(root, a, r);
    if (f.shift > 0 && f.rounding == core::Rounding::HalfUp)
        s += " + signed'(" + bitString(static_cast<Accumulator>(1) << (f.shift - 1), r) + ")";
    if (convergent)
        s += " + signed'(" + bitString((static_cast<Accumulator>(1) << (f.shift - 1)) - 1, r) + ") + quotient_lsb";
    s += ";\n";
    if (convergent)
        s = s.substr(0, s.rfind("        rounded := ")) + "        quotient_lsb := (others => '0');\n" +
            "        quotient_lsb(0) := " + root + "(" + num(std::min(f.shift, a - 1)) + ");\n" +
            s.substr(s.rfind("        rounded := "));
    s += "        quotient := rounded(" + num(r - 1) + " downto " + num(f.shift < r ? f.shift : r - 1) + ");\n";
    const Accumulator yHigh = (static_cast<Accumulator>(1) << (f.outputBits - 1)) - 1;
    const Accumulator yLow = -(static_cast<Accumulator>(1) << (f.outputBits - 1));
    std::string condition = "if";
    if (d.saturateHigh) {
        s += "        " + condition + " quotient > signed'(" + bitString(yHigh, q) + ") then\n";
        s += "          y_reg <= signed'(" + bitString(yHigh, f.outputBits) + ");\n";
        condition = "elsif";
    }
    if (d.saturateLow) {
        s += "        " + condition + " quotient < signed'(" + bitString(yLow, q) + ") then\n";
        s += "          y_reg <= signed'(" + bitString(yLow, f.outputBits) + ");\n";
        condition = "elsif";
    }
    if (condition == "if") {
        s += "        y_reg <= " + hExtend("quotient", q, f.outputBits) + ";\n";
    } else {
        s += "        else\n          y_reg <= " + hExtend("quotient", q, f.outputBits) + ";\n        end if;\n";
    }

    for (std::size_t level = d.tree.size(); level-- > 0;)
        for (std::size_t i = 0; i < d.tree[level].size(); ++i) {
            const HdlNode &n = d.tree[level][i];
            const auto left = static_cast<std::size_t>(n.left);
            s += "        " + nodeName(level, i) +
                 " := " + hValue(nodeInput(level, left), nodeBits(d, level, left), n.bits);
            if (n.right >= 0) {
                const auto right = static_cast<std::size_t>(n.right);
                s += " + " + hValue(nodeInput(level, right), nodeBits(d, level, right), n.bits);
            }
            s += ";\n";
        }
    for (std::size_t i = 0; i < d.terms.size(); ++i)
        s += "        " + productName(i) + " := " + hProduct(d, i) + ";\n";
    for (std::size_t i = 0; i < d.terms.size(); ++i) {
        const HdlTerm &t = d.terms[i];
        if (t.second < 0)
            continue;
        s += "        " + preAddName(i) + " := " + hValue(lineName(t.first), f.inputBits, t.sourceBits) +
             (t.subtract ? " - " : " + ") + hValue(lineName(t.second), f.inputBits, t.sourceBits) + ";\n";
    }
    for (int k = d.lineLength - 1; k >= 1; --k)
        s += "        " + lineName(k) + " := " + lineName(k - 1) + ";\n";
    s += std::string("        d0 := ") + (integerWord(f.inputBits) ? "to_integer(x)" : "x") + ";\n";
    s += "      end if;\n    end if;\n  end process;\n\nend architecture rtl;\n";
    return s;
}

// ---- Testbenches --------------------------------------------------------------------------------

std::string verilogTestbench(const HdlFilter &f, const HdlDesign &d, std::size_t samples) {
    const std::string n = num(static_cast<long long>(samples));
    std::string s;
    s += "// Self-checking testbench of pulsefir_fir: drives stimulus.hex into x after a reset, compares y\n";
    s += "// with expected.hex (the fixed-point model's output) LATENCY clocks later, prints\n";
    s += "// \"N samples, K mismatches\" and ends with a non-zero status on a mismatch.\n";
    s += "// x and rst change at the falling edge; y is read there too, which is its value at the next\n";
    s += "// rising edge before that edge updates it.\n";
    s += "`timescale 1ns / 1ps\n\nmodule pulsefir_fir_tb;\n";
    s += "    localparam XW = " + num(f.inputBits) + ";\n";
    s += "    localparam YW = " + num(f.outputBits) + ";\n";
    s += "    localparam LATENCY = " + num(d.latency) + ";\n";
    s += "    localparam N = " + n + ";\n\n";
    s += "    reg clk = 1'b0;\n    reg rst = 1'b1;\n    reg signed [XW-1:0] x = {XW{1'b0}};\n";
    s += "    wire signed [YW-1:0] y;\n";
    s += "    reg [XW-1:0] stimulus [0:N-1];\n    reg [YW-1:0] expected [0:N-1];\n";
    s += "    integer t;\n    integer mismatches;\n\n";
    s += "    pulsefir_fir #(.XW(XW), .YW(YW), .LATENCY(LATENCY)) dut (.clk(clk), .rst(rst), .x(x), .y(y));\n\n";
    s += "    always #5 clk = ~clk;\n\n";
    s += "    initial begin\n";
    s += "        $readmemh(\"stimulus.hex\", stimulus);\n        $readmemh(\"expected.hex\", expected);\n";
    s += "        mismatches = 0;\n";
    s += "        // The reset clears every register whatever x carries meanwhile.\n";
    s += "        for (t = 0; t < " + num(ResetClocks) + "; t = t + 1) begin\n";
    s += "            @(negedge clk);\n            x = $random;\n        end\n";
    s += "        for (t = 0; t < N + LATENCY; t = t + 1) begin\n";
    s += "            // The falling edge before rising edge t.\n";
    s += "            rst = 1'b0;\n";
    s += "            x = t < N ? stimulus[t] : {XW{1'b0}};\n";
    s += "            if (t >= LATENCY && y !== expected[t - LATENCY]) begin\n";
    s += "                if (mismatches < " + num(ListedMismatches) + ")\n";
    s += "                    $display(\"sample %0d: y = %0d, expected %0d\", t - LATENCY, y,\n";
    s += "                             $signed(expected[t - LATENCY]));\n";
    s += "                mismatches = mismatches + 1;\n            end\n";
    s += "            @(negedge clk);\n        end\n";
    s += "        $display(\"%0d samples, %0d mismatches\", N, mismatches);\n";
    s += "        if (mismatches != 0)\n            $fatal(1, \"the output differs from the model\");\n";
    s += "        $finish;\n    end\n\nendmodule\n";
    return s;
}

std::string vhdlTestbench(const HdlFilter &f, const HdlDesign &d, std::size_t samples) {
    const std::string n = num(static_cast<long long>(samples));
    std::string s;
    s += "-- Self-checking testbench of pulsefir_fir: drives stimulus.hex into x after a reset, compares y\n";
    s += "-- with expected.hex (the fixed-point model's output) LATENCY clocks later, prints\n";
    s += "-- \"N samples, K mismatches\" and fails on a mismatch.\n";
    s += "-- x and rst change at the falling edge; y is read there too, which is its value at the next\n";
    s += "-- rising edge before that edge updates it.\n";
    s += "library ieee;\nuse ieee.std_logic_1164.all;\nuse ieee.numeric_std.all;\nuse std.textio.all;\n\n";
    s += "entity pulsefir_fir_tb is\nend entity pulsefir_fir_tb;\n\narchitecture sim of pulsefir_fir_tb is\n";
    s += "  constant XW      : integer := " + num(f.inputBits) + ";\n";
    s += "  constant YW      : integer := " + num(f.outputBits) + ";\n";
    s += "  constant LATENCY : integer := " + num(d.latency) + ";\n";
    s += "  constant N       : integer := " + n + ";\n";
    s += "  type x_words is array (0 to N - 1) of signed(XW - 1 downto 0);\n";
    s += "  type y_words is array (0 to N - 1) of signed(YW - 1 downto 0);\n";
    s += "  signal clk     : std_logic := '0';\n  signal rst     : std_logic := '1';\n";
    s += "  signal x       : signed(XW - 1 downto 0) := (others => '0');\n";
    s += "  signal y       : signed(YW - 1 downto 0);\n  signal running : boolean := true;\n\n";
    s += "  -- A two's complement word of `bits` bits from its hexadecimal digits.\n";
    s += "  function hex_word(text : string; bits : integer) return signed is\n";
    s += "    variable word  : unsigned(4 * text'length - 1 downto 0) := (others => '0');\n";
    s += "    variable digit : integer;\n  begin\n    for i in text'range loop\n";
    s += "      case text(i) is\n";
    s += "        when '0' to '9' => digit := character'pos(text(i)) - character'pos('0');\n";
    s += "        when 'a' to 'f' => digit := character'pos(text(i)) - character'pos('a') + 10;\n";
    s += "        when 'A' to 'F' => digit := character'pos(text(i)) - character'pos('A') + 10;\n";
    s += "        when others     => digit := 0;\n      end case;\n";
    s += "      word := shift_left(word, 4);\n      word(3 downto 0) := to_unsigned(digit, 4);\n";
    s += "    end loop;\n    return signed(word(bits - 1 downto 0));\n  end function;\n";
    s += "begin\n";
    s += "  dut : entity work.pulsefir_fir\n    generic map (XW => XW, YW => YW, LATENCY => LATENCY)\n";
    s += "    port map (clk => clk, rst => rst, x => x, y => y);\n\n";
    s += "  clock : process\n  begin\n    while running loop\n";
    s += "      clk <= '0';\n      wait for 5 ns;\n      clk <= '1';\n      wait for 5 ns;\n";
    s += "    end loop;\n    wait;\n  end process;\n\n";
    s += "  check : process\n";
    s += "    file stimulus_file : text open read_mode is \"stimulus.hex\";\n";
    s += "    file expected_file : text open read_mode is \"expected.hex\";\n";
    s += "    variable l          : line;\n";
    s += "    variable x_text     : string(1 to " + num((f.inputBits + 3) / 4) + ");\n";
    s += "    variable y_text     : string(1 to " + num((f.outputBits + 3) / 4) + ");\n";
    s += "    variable stimulus   : x_words;\n    variable expected   : y_words;\n";
    s += "    variable mismatches : integer := 0;\n  begin\n";
    s += "    for i in 0 to N - 1 loop\n";
    s += "      readline(stimulus_file, l);\n      read(l, x_text);\n      stimulus(i) := hex_word(x_text, XW);\n";
    s += "      readline(expected_file, l);\n      read(l, y_text);\n      expected(i) := hex_word(y_text, YW);\n";
    s += "    end loop;\n";
    s += "    -- The reset clears every register whatever x carries meanwhile.\n";
    s += "    for i in 1 to " + num(ResetClocks) + " loop\n";
    s += "      wait until falling_edge(clk);\n      x <= not x;\n    end loop;\n";
    s += "    for t in 0 to N + LATENCY - 1 loop\n";
    s += "      -- The falling edge before rising edge t.\n";
    s += "      rst <= '0';\n";
    s += "      if t < N then\n        x <= stimulus(t);\n      else\n        x <= (others => '0');\n      end if;\n";
    s += "      if t >= LATENCY then\n        if y /= expected(t - LATENCY) then\n";
    s += "          if mismatches < " + num(ListedMismatches) + " then\n";
    s += "            write(l, \"sample \" & integer'image(t - LATENCY) & \": y differs\");\n";
    s += "            writeline(output, l);\n          end if;\n";
    s += "          mismatches := mismatches + 1;\n        end if;\n      end if;\n";
    s += "      wait until falling_edge(clk);\n    end loop;\n";
    s += "    write(l, integer'image(N) & \" samples, \" & integer'image(mismatches) & \" mismatches\");\n";
    s += "    writeline(output, l);\n    running <= false;\n";
    s += "    assert mismatches = 0 report \"the output differs from the model\" severity failure;\n";
    s += "    wait;\n  end process;\n\nend architecture sim;\n";
    return s;
}

std::string hexWords(std::span<const std::int64_t> values, int bits) {
    std::string s;
    s.reserve(values.size() * static_cast<std::size_t>((bits + 3) / 4 + 1));
    for (std::int64_t v : values)
        s += hexDigits(v, bits) + "\n";
    return s;
}

std::vector<std::int32_t> hdlStimulus(std::span<const std::int32_t> signal, const HdlFilter &f, const HdlDesign &d) {
    std::vector<std::int32_t> x(signal.begin(), signal.end());
    const auto high = static_cast<std::int32_t>((std::int64_t{1} << (f.inputBits - 1)) - 1);
    const auto low = static_cast<std::int32_t>(-(std::int64_t{1} << (f.inputBits - 1)));
    std::mt19937_64 random(StimulusSeed);
    std::uniform_int_distribution<std::int32_t> word(low, high);
    const auto randomRun = [&](int count) {
        for (int i = 0; i < count; ++i)
            x.push_back(word(random));
    };
    // The samples each tap weighs, oldest first: the input that makes every product its largest
    // (or, with the signs exchanged, its smallest) drives the sum to its extreme.
    const int n = static_cast<int>(f.taps.size() / 2);
    const auto extremePattern = [&](bool largest) {
        for (int k = d.lineLength - 1; k >= 0; --k) {
            const int j = d.lead - k;
            const std::int32_t c = j >= -n && j <= n ? f.taps[static_cast<std::size_t>(j + n)] : 0;
            x.push_back(c == 0 ? word(random) : (c > 0) == largest ? high : low);
        }
    };
    const int run = d.lineLength + 16;
    randomRun(HdlRandomSamples / 2);
    x.insert(x.end(), static_cast<std::size_t>(run), high);
    x.insert(x.end(), static_cast<std::size_t>(run), low);
    extremePattern(true);
    extremePattern(false);
    randomRun(HdlRandomSamples - HdlRandomSamples / 2);
    return x;
}

HdlFilter hdlFilterOf(const core::FixedPointRun &run, const core::FixedPointFormat &format,
                      const CoefficientExport &description) {
    HdlFilter f = hdlFilterOf(run, format);
    std::ostringstream text;
    describeArithmetic(text, "", description);
    std::istringstream lines(text.str());
    for (std::string line; std::getline(lines, line);)
        f.description.push_back(line);
    return f;
}

HdlFilter hdlFilterOf(const core::FixedPointRun &run, const core::FixedPointFormat &format) {
    HdlFilter f;
    f.taps = run.taps.taps;
    f.inputBits = format.inputBits;
    f.tapBits = format.tapBits;
    f.outputBits = format.outputBits;
    f.shift = run.shift;
    f.rounding = format.rounding;
    return f;
}

HdlExport hdlExportOf(const core::CoreState &state, double samplingFrequency, const core::FixedPointFormat &format) {
    const int m = std::max(core::usableFilterHalfWidth(state.FilterHalfWidth), 0);
    core::FixedPointRun run =
        core::runFixedPoint(state.SignalBuffer.centre(), state.SignalHalfWidth, state.FilterBuffer.range(m), format);
    HdlExport e;
    e.filter = hdlFilterOf(run, format, CoefficientExport::ofFilter(state, samplingFrequency, format));
    e.signal = std::move(run.input);
    return e;
}

std::string hdlReport(const HdlDesign &design, double samplingFrequency) {
    const std::string microseconds =
        samplingFrequency > 0.0 ? base::formatSignificant(design.latency / samplingFrequency, 6) : std::string();
    return base::Message::hdlResources(design.multipliers, design.adders, design.registerBits, design.latency,
                                       microseconds);
}

HdlDesign writeHdl(const std::string &folder, const HdlFilter &filter, std::span<const std::int32_t> signal) {
    const HdlDesign design = planHdl(filter);
    const std::vector<std::int32_t> x = hdlStimulus(signal, filter, design);
    const std::vector<std::int64_t> y =
        core::filterIntegers(filter.taps, x, filter.shift, filter.outputBits, filter.rounding);
    const std::vector<std::int64_t> stimulus(x.begin(), x.end());

    std::error_code error;
    std::filesystem::create_directories(folder, error);
    if (error)
        throw base::Error(base::Message::unableToWrite(folder, error.message()));
    const std::filesystem::path dir(folder);
    base::writeFileWhole((dir / HdlVerilogFile).string(), verilogModule(filter, design));
    base::writeFileWhole((dir / HdlVhdlFile).string(), vhdlEntity(filter, design));
    base::writeFileWhole((dir / HdlVerilogTestbenchFile).string(), verilogTestbench(filter, design, x.size()));
    base::writeFileWhole((dir / HdlVhdlTestbenchFile).string(), vhdlTestbench(filter, design, x.size()));
    base::writeFileWhole((dir / HdlStimulusFile).string(), hexWords(stimulus, filter.inputBits));
    base::writeFileWhole((dir / HdlExpectedFile).string(), hexWords(y, filter.outputBits));
    return design;
}

} // namespace pulsefir::io
