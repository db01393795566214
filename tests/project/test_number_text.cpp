#include "project/NumberText.h"

#include <cfloat>
#include <charconv>
#include <string>
#include <tuple>

#include <gtest/gtest.h>

namespace pulsefir::text {
namespace {

// These run under the C library's comma locale too: every text must still carry a '.'.
struct ObjectiveText {
    long double value;
    char separator;
    std::string text;
};

void PrintTo(const ObjectiveText &c, std::ostream *os) {
    *os << c.text.substr(0, 40);
}

class FormatObjectiveTest : public ::testing::TestWithParam<ObjectiveText> {};

TEST_P(FormatObjectiveTest, SixToFourteenDecimals) {
    EXPECT_EQ(FormatObjective(GetParam().value, GetParam().separator), GetParam().text);
}

INSTANTIATE_TEST_SUITE_P(Texts, FormatObjectiveTest,
                         ::testing::Values(ObjectiveText{0.0L, ',', "0,000000"}, ObjectiveText{0.5L, '.', "0.500000"},
                                           ObjectiveText{123.456L, ',', "123,456000"},
                                           ObjectiveText{1.2166604320214241L, '.', "1.21666043202142"},
                                           ObjectiveText{2.5e-9L, ',', "0,0000000025"},
                                           ObjectiveText{1e-15L, '.', "0.000000"}));

TEST(FormatObjectiveTest, HugeObjectivesKeepEveryIntegerDigit) {
    // No fixed buffer: every integer digit is there. The nearest extended values are just above
    // 1e120 and just below 1e4000.
    for (const auto &[value, digits, lead] :
         {std::tuple{1e120L, 121, "100000000000000000"}, std::tuple{1e4000L, 4000, "999999999999999999"}}) {
        const std::string text = FormatObjective(value, ',');
        EXPECT_EQ(text.size(), static_cast<std::size_t>(digits) + 7);
        EXPECT_EQ(text.substr(0, 18), lead);
        EXPECT_EQ(text.substr(text.size() - 7), ",000000");
    }
}

TEST(NumberTextTest, FixedAndScientificAreCorrectlyRoundedWithAPoint) {
    EXPECT_EQ(FixedText(0.8, 14), "0.80000000000000");
    EXPECT_EQ(FixedText(1234.5678, 1), "1234.6");
    EXPECT_EQ(FixedText(DBL_MAX, 0).size(), 309u);
    const auto small = ScientificParts(0.0002, 14);
    EXPECT_EQ(small.mantissa, "2.00000000000000");
    EXPECT_EQ(small.exponent, -4);
    const auto big = ScientificParts(12345.0, 3);
    EXPECT_EQ(big.mantissa, "1.234"); // an exact tie goes to the even digit, as in printf
    EXPECT_EQ(big.exponent, 4);
    EXPECT_EQ(ScientificParts(DBL_MAX, 14).exponent, 308);
    EXPECT_EQ(GeneralText(static_cast<double>(0.1), 17), "0.10000000000000001");
}

TEST(NumberTextTest, ShortestTextReadsBackExactly) {
    for (double v : {0.8, 0.04, 2e-4, 1e-310, -12.5, DBL_MAX, -DBL_MIN, 1.0 / 3.0}) {
        const std::string t = ShortestText(v);
        double back = 0.0;
        std::from_chars(t.data(), t.data() + t.size(), back);
        EXPECT_EQ(back, v) << t;
        EXPECT_EQ(t.find(','), std::string::npos) << t;
    }
    EXPECT_EQ(ShortestText(0.8), "0.8");
}

} // namespace
} // namespace pulsefir::text
