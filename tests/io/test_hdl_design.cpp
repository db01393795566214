// What the simulators cannot see in the hardware export: how taps fold and what the design costs,
// the widths and values of the written constants, the declared parameters, and the stimulus'
// runs at the extremes.
#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <regex>
#include <string>
#include <vector>

#include "core/fixed_point.h"
#include "io/hdl_design.h"
#include "io/hdl_writer.h"

using namespace pulsefir;
using namespace pulsefir::io;

namespace {

struct FoldingCase {
    const char *name;
    std::vector<std::int32_t> taps; // -N..+N
    int multipliers;
    int adders;
    int preAdders; // folded pairs
    int lead;      // samples the filter looks ahead
    int treeLevels;
};

std::ostream &operator<<(std::ostream &out, const FoldingCase &c) {
    return out << c.name;
}

class HdlFolding : public ::testing::TestWithParam<FoldingCase> {};

TEST_P(HdlFolding, FoldsPairsSkipsZerosAndCountsResources) {
    const FoldingCase &c = GetParam();
    HdlFilter f;
    f.taps = c.taps;
    f.tapBits = 32;
    f.shift = 0;
    f.rounding = core::Rounding::Truncate;
    const HdlDesign d = planHdl(f);
    EXPECT_EQ(d.multipliers, c.multipliers);
    EXPECT_EQ(d.adders, c.adders);
    EXPECT_EQ(std::count_if(d.terms.begin(), d.terms.end(), [](const HdlTerm &t) { return t.second >= 0; }),
              c.preAdders);
    EXPECT_EQ(d.lead, c.lead);
    EXPECT_EQ(static_cast<int>(d.tree.size()), c.treeLevels);
    // Every nonzero tap is in exactly one term, with its own value (opposite for a difference).
    const int n = static_cast<int>(c.taps.size() / 2);
    std::vector<int> seen(c.taps.size(), 0);
    for (const HdlTerm &t : d.terms) {
        if (t.coefficient == 0)
            continue; // the all-zero filter's one product, which synthesis removes
        EXPECT_EQ(t.coefficient, c.taps[static_cast<std::size_t>(t.firstTap + n)]);
        ++seen[static_cast<std::size_t>(t.firstTap + n)];
        if (t.second >= 0) {
            const std::int64_t partner = c.taps[static_cast<std::size_t>(t.secondTap + n)];
            EXPECT_EQ(partner, t.subtract ? -static_cast<std::int64_t>(t.coefficient) : t.coefficient);
            ++seen[static_cast<std::size_t>(t.secondTap + n)];
        }
    }
    for (std::size_t k = 0; k < c.taps.size(); ++k)
        EXPECT_EQ(seen[k], c.taps[k] != 0 ? 1 : 0) << "tap " << static_cast<int>(k) - n;
}

// Adders: pre-adders + tree adders (products - 1) + a negation per negative power of two.
const FoldingCase foldingCases[] = {
    {"symmetric pairs fold around the centre", {3, 5, 7, 5, 3}, 3, 2 + 2, 2, 2, 2},
    {"zero taps inside a symmetric filter cost nothing", {3, 0, 5, 0, 3}, 2, 1 + 1, 1, 2, 1},
    {"antisymmetric pairs fold into differences", {3, 5, 0, -5, -3}, 2, 2 + 1, 2, 2, 1},
    {"an asymmetric filter folds nothing", {3, 5, 7, 9, 11}, 5, 4, 0, 2, 3},
    {"a causal filter looks no sample ahead", {3, 5, 7, 0, 0}, 3, 2, 0, 0, 2},
    {"only earlier taps still wait no sample", {3, 0, 0, 0, 0}, 1, 0, 0, 0, 0},
    {"outer zeros shorten the look-ahead", {0, 3, 5, 3, 0}, 2, 1 + 1, 1, 1, 1},
    {"powers of two are shifts, negative ones negations", {4, -1, 0, -8, 2}, 0, 3 + 2, 0, 2, 2},
    {"equal taps that are not mirrored do not fold", {3, 3, 5, 7, 9}, 5, 4, 0, 2, 3},
    {"the most negative 32-bit word is a shift", {INT32_MIN, 7, 0}, 1, 1 + 1, 0, 0, 1},
    {"no taps at all: no multiplier", {0, 0, 0}, 0, 0, 0, 0, 0},
};

INSTANTIATE_TEST_SUITE_P(Designs, HdlFolding, ::testing::ValuesIn(foldingCases),
                         [](const ::testing::TestParamInfo<FoldingCase> &info) {
                             std::string name = info.param.name;
                             std::replace_if(
                                 name.begin(), name.end(), [](char c) { return !std::isalnum(c); }, '_');
                             return name;
                         });

// The value of a two's complement word written as hexadecimal digits.
long long fromHex(const std::string &digits, int bits) {
    unsigned long long v = std::stoull(digits, nullptr, 16);
    if (bits < 64 && (v >> (bits - 1)) != 0)
        v -= 1ULL << bits;
    return static_cast<long long>(v);
}

long long fromBits(const std::string &digits) {
    unsigned long long v = std::stoull(digits, nullptr, 2);
    const auto bits = static_cast<int>(digits.size());
    if ((v >> (bits - 1)) != 0)
        v -= 1ULL << bits;
    return static_cast<long long>(v);
}

// Tap constants keep the model's word width Bc in both languages and read back as the taps, at
// the extremes of each width; the parameters state the design's values.
TEST(HdlText, ConstantsHaveTheTapWidthAndTheTapValues) {
    const std::regex constantV("localparam signed \\[(\\d+):0\\] TAP_\\w+ = (\\d+)'sh(\\w+);");
    const std::regex constantH(
        "constant TAP_\\w+ : (?:integer := (-?\\d+)|signed\\((\\d+) downto 0\\) := \"([01]+)\");");
    for (int bits : {4, 5, 12, 16, 31, 32}) {
        const std::int32_t high = static_cast<std::int32_t>((std::int64_t{1} << (bits - 1)) - 1);
        HdlFilter f;
        f.tapBits = bits;
        f.inputBits = 12;
        f.outputBits = 16;
        f.rounding = core::Rounding::HalfEven;
        f.shift = 3;
        f.taps = {-high, 3, high - 2}; // -2^(Bc-1) + 1 is no power of two; nor 3, nor 2^(Bc-1) - 3
        const HdlDesign d = planHdl(f);
        const std::string v = verilogModule(f, d);
        const std::string h = vhdlEntity(f, d);
        std::smatch m;
        std::vector<long long> verilogValues;
        for (auto it = std::sregex_iterator(v.begin(), v.end(), constantV); it != std::sregex_iterator(); ++it) {
            EXPECT_EQ(std::stoi((*it)[1]), bits - 1);
            EXPECT_EQ(std::stoi((*it)[2]), bits);
            verilogValues.push_back(fromHex((*it)[3], bits));
        }
        EXPECT_EQ(verilogValues, (std::vector<long long>{high - 2, -high, 3})) << bits << " bits";
        // VHDL: integer constants where the product fits 31 bits, else signed words of Bc bits.
        std::vector<long long> vhdlValues;
        for (auto it = std::sregex_iterator(h.begin(), h.end(), constantH); it != std::sregex_iterator(); ++it) {
            if ((*it)[1].matched) {
                vhdlValues.push_back(std::stoll((*it)[1]));
            } else {
                EXPECT_EQ(std::stoi((*it)[2]), bits - 1);
                EXPECT_EQ((*it)[3].length(), bits);
                vhdlValues.push_back(fromBits((*it)[3]));
            }
        }
        EXPECT_EQ(vhdlValues, (std::vector<long long>{high - 2, -high, 3})) << bits << " bits";

        EXPECT_TRUE(std::regex_search(v, std::regex("parameter XW = 12,\\s*parameter YW = 16,")));
        EXPECT_TRUE(std::regex_search(v, m, std::regex("parameter LATENCY = (\\d+)\\n")));
        EXPECT_EQ(std::stoi(m[1]), d.latency);
        EXPECT_TRUE(std::regex_search(h, m, std::regex("LATENCY : integer := (\\d+)\\n")));
        EXPECT_EQ(std::stoi(m[1]), d.latency);
    }
}

// Words of any width 2..48 as hexadecimal lines read back as the values, the sign included.
TEST(HdlText, HexWordsAreTwosComplementOfTheirWidth) {
    const std::regex line("([0-9a-f]+)\\n");
    for (int bits : {2, 3, 4, 5, 12, 17, 32, 33, 48}) {
        const std::int64_t high = (std::int64_t{1} << (bits - 1)) - 1;
        const std::vector<std::int64_t> values{-high - 1, -1, 0, 1, high};
        const std::string text = hexWords(values, bits);
        std::vector<long long> back;
        for (auto it = std::sregex_iterator(text.begin(), text.end(), line); it != std::sregex_iterator(); ++it) {
            EXPECT_EQ((*it)[1].length(), static_cast<std::size_t>((bits + 3) / 4));
            back.push_back(fromHex((*it)[1], bits));
        }
        EXPECT_EQ(back, std::vector<long long>(values.begin(), values.end())) << bits << " bits";
    }
}

// The stimulus holds the signal, then at least the random samples and runs at both extremes as
// long as the delay line, and the inputs that drive the sum to its largest and smallest value.
TEST(HdlText, StimulusSaturatesAtBothEnds) {
    HdlFilter f;
    f.taps = {5, -7, 9, 4, -2};
    f.inputBits = 10;
    f.tapBits = 8;
    f.outputBits = 8;
    const HdlDesign d = planHdl(f);
    const std::vector<std::int32_t> signal{1, -2, 3};
    const std::vector<std::int32_t> x = hdlStimulus(signal, f, d);
    ASSERT_GE(x.size(), signal.size() + HdlRandomSamples);
    EXPECT_TRUE(std::equal(signal.begin(), signal.end(), x.begin()));
    const auto longestRun = [&](std::int32_t value) {
        int best = 0;
        int run = 0;
        for (std::int32_t v : x) {
            run = v == value ? run + 1 : 0;
            best = std::max(best, run);
        }
        return best;
    };
    EXPECT_GE(longestRun(511), d.lineLength);
    EXPECT_GE(longestRun(-512), d.lineLength);
    const std::vector<std::int64_t> y = core::filterIntegers(f.taps, x, 0, 40, core::Rounding::Truncate);
    EXPECT_EQ(*std::max_element(y.begin(), y.end()), d.accumulator.high);
    EXPECT_EQ(*std::min_element(y.begin(), y.end()), d.accumulator.low);
}

} // namespace
