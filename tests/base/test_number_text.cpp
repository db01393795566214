#include "base/number_text.h"

#include <algorithm>
#include <cfloat>
#include <charconv>
#include <climits>
#include <cmath>
#include <cstring>
#include <limits>
#include <string>
#include <tuple>

#include <gtest/gtest.h>

// Every table here runs under the C library's comma locale too: no text may carry its comma.
namespace pulsefir::base {
namespace {

constexpr double Max = std::numeric_limits<double>::max();
constexpr double Inf = std::numeric_limits<double>::infinity();
constexpr double DenormMin = std::numeric_limits<double>::denorm_min();
const std::optional<double> NoDouble;
const std::optional<int> NoInt;
// 1 and 400 zeros, times 10^-10: above the double range although its exponent is negative.
const std::string LongInteger = "1" + std::string(400, '0') + "E-10";

// The same double, bit for bit (so -0 is not 0), or both NaN, or both nothing.
bool sameDouble(const std::optional<double> &a, const std::optional<double> &b) {
    if (!a || !b)
        return a.has_value() == b.has_value();
    return std::memcmp(&*a, &*b, sizeof(double)) == 0 || (std::isnan(*a) && std::isnan(*b));
}

std::string shown(const std::optional<double> &v) {
    return v ? formatShortest(*v) : "nothing";
}

// The separators of a Russian (comma, no-break space) and an English (point, comma) desktop.
struct Separators {
    char16_t decimal;
    char16_t group;
};
constexpr Separators Russian{u',', u'\u00A0'};
constexpr Separators English{u'.', u','};

// A field's text written in the notation "1 234,5": ' ' stands for the group separator, ',' for
// the decimal one, '_' for a real blank.
std::u16string fieldText(std::string_view example, Separators s) {
    std::u16string out;
    for (char c : example)
        out += c == ' ' ? s.group : c == ',' ? s.decimal : c == '_' ? u' ' : static_cast<char16_t>(c);
    return out;
}

std::string utf8(const std::u16string &text) {
    std::string out;
    for (char16_t c : text)
        out += c == u'\u00A0' ? std::string("\u00A0") : std::string(1, static_cast<char>(c));
    return out;
}

// ---- Grammars -------------------------------------------------------------------------------

struct FloatCase {
    const char *name;
    std::string_view text;
    std::optional<double> value;
};
void PrintTo(const FloatCase &c, std::ostream *os) {
    *os << c.name;
}

class ProjectFloatGrammar : public ::testing::TestWithParam<FloatCase> {};
TEST_P(ProjectFloatGrammar, Reads) {
    const auto read = parseProjectFloat(GetParam().text);
    EXPECT_TRUE(sameDouble(read, GetParam().value)) << shown(read);
}
INSTANTIATE_TEST_SUITE_P(
    Texts, ProjectFloatGrammar,
    ::testing::Values(FloatCase{"comma", "0,04", 0.04}, FloatCase{"point", "0.04", 0.04},
                      FloatCase{"exponent", "2E-5", 2e-5}, FloatCase{"blanks and sign", "  -12,5 ", -12.5},
                      FloatCase{"lone fraction", ",5", 0.5}, FloatCase{"separator last", "5,", 5.0},
                      FloatCase{"exponent without digits", "1E", 1.0}, FloatCase{"lower-case e alone", "2,5e", 2.5},
                      FloatCase{"overflow is the largest double", "1E400", Max},
                      FloatCase{"negative overflow", "-1,5E99999999999", -Max},
                      FloatCase{"overflow from a fraction", "0,0001E400", Max},
                      FloatCase{"overflow from integer digits", LongInteger, Max},
                      FloatCase{"underflow is zero", "1E-400", 0.0},
                      FloatCase{"negative underflow keeps the sign", "-1E-400", -0.0},
                      FloatCase{"smallest denormal", "4,9E-324", DenormMin},
                      FloatCase{"largest double", "1,7976931348623157E308", Max},
                      FloatCase{"15 digits rounding above the largest", "1,79769313486232E308", Max},
                      FloatCase{"empty", "", NoDouble}, FloatCase{"letters", "abc", NoDouble},
                      FloatCase{"two separators", "1,2,3", NoDouble}, FloatCase{"inner blank", "1 000", NoDouble},
                      FloatCase{"exponent without mantissa", "E5", NoDouble}, FloatCase{"two signs", "--1", NoDouble},
                      FloatCase{"hexadecimal", "0x10", NoDouble}, FloatCase{"tab is no blank", "1\t", NoDouble},
                      FloatCase{"digit beyond ASCII", "\u0661", NoDouble}, FloatCase{"infinity", "inf", NoDouble}));

class CommandLineGrammar : public ::testing::TestWithParam<FloatCase> {};
TEST_P(CommandLineGrammar, Reads) {
    const auto read = parseCommandLineNumber(GetParam().text);
    EXPECT_TRUE(sameDouble(read, GetParam().value)) << shown(read);
}
INSTANTIATE_TEST_SUITE_P(
    Texts, CommandLineGrammar,
    ::testing::Values(FloatCase{"whole", "75", 75.0}, FloatCase{"comma", "0,5", 0.5},
                      FloatCase{"point and exponent", "-2.5e-3", -2.5e-3}, FloatCase{"blanks", " 1.5 ", 1.5},
                      FloatCase{"lone fraction", ".5", 0.5}, FloatCase{"exponent needs digits", "1e", NoDouble},
                      FloatCase{"finite only", "1e400", NoDouble}, FloatCase{"empty", "", NoDouble},
                      FloatCase{"lone separator", ".", NoDouble}, FloatCase{"two separators", "1.2.3", NoDouble},
                      FloatCase{"hexadecimal", "0x10", NoDouble}, FloatCase{"unit", "5MHz", NoDouble},
                      FloatCase{"full-width digit", "\uFF11", NoDouble}, FloatCase{"nan", "nan", NoDouble}));

struct DataCase {
    const char *name;
    std::string_view text;
    bool decimalComma;
    std::optional<double> value;
};
void PrintTo(const DataCase &c, std::ostream *os) {
    *os << c.name;
}

class DataNumberGrammar : public ::testing::TestWithParam<DataCase> {};
TEST_P(DataNumberGrammar, Reads) {
    const auto read = parseDataNumber(GetParam().text, GetParam().decimalComma);
    EXPECT_TRUE(sameDouble(read, GetParam().value)) << shown(read);
}
INSTANTIATE_TEST_SUITE_P(
    Fields, DataNumberGrammar,
    ::testing::Values(DataCase{"decimal comma", "1,5", true, 1.5}, DataCase{"comma refused", "1,5", false, NoDouble},
                      DataCase{"point in a comma file", "1.5", true, 1.5},
                      DataCase{"plus and exponent", "+2.5e-3", false, 2.5e-3}, DataCase{"minus", "-0.25", false, -0.25},
                      DataCase{"unit", "1.5V", false, NoDouble}, DataCase{"out of range", "1e999", false, NoDouble},
                      DataCase{"underflow", "1e-400", false, NoDouble},
                      DataCase{"nan for the caller to refuse", "nan", false, std::nan("")},
                      DataCase{"infinity for the caller to refuse", "-inf", false, -Inf},
                      DataCase{"empty", "", false, NoDouble}, DataCase{"lone plus", "+", false, NoDouble},
                      DataCase{"blank", " 1", false, NoDouble}, DataCase{"two commas", "1,5,5", true, NoDouble},
                      DataCase{"64 characters", "0.00000000000000000000000000000000000000000000000000000000000025",
                               false, 2.5e-61},
                      DataCase{"65 characters", "0.000000000000000000000000000000000000000000000000000000000000025",
                               false, NoDouble}));

struct IntCase {
    const char *name;
    std::string_view text;
    std::optional<int> value;
};
void PrintTo(const IntCase &c, std::ostream *os) {
    *os << c.name;
}

class ProjectIntegerGrammar : public ::testing::TestWithParam<IntCase> {};
TEST_P(ProjectIntegerGrammar, Reads) {
    EXPECT_EQ(parseProjectInteger(GetParam().text), GetParam().value);
}
INSTANTIATE_TEST_SUITE_P(
    Texts, ProjectIntegerGrammar,
    ::testing::Values(
        IntCase{"negative", "-42", -42}, IntCase{"plus", "+7", 7}, IntCase{"leading zeros", "007", 7},
        IntCase{"hexadecimal", "0x1F", 31}, IntCase{"upper-case mark", "0X10", 16},
        IntCase{"negative hexadecimal", "-0x1f", -31}, IntCase{"ASCII blanks trimmed", " \t7\r ", 7},
        IntCase{"Unicode blanks trimmed", "\u00A07\u3000", 7}, IntCase{"blanks inside the hexadecimal", "0x 1F", 31},
        IntCase{"a second mark", "0x0x1F", 31}, IntCase{"a second mark before a letter", "0x0xFF", 255},
        IntCase{"a NUL ends the hexadecimal", {"0x1F\0junk", 9}, 31}, IntCase{"largest", "2147483647", INT_MAX},
        IntCase{"smallest", "-2147483648", INT_MIN}, IntCase{"smallest in hexadecimal", "-0x80000000", INT_MIN},
        IntCase{"above int", "2147483648", NoInt}, IntCase{"hexadecimal above int", "0x80000000", NoInt},
        IntCase{"above long long", "99999999999999999999", NoInt}, IntCase{"letters after digits", "12a", NoInt},
        IntCase{"fraction", "1,5", NoInt}, IntCase{"empty", "", NoInt}, IntCase{"lone sign", "-", NoInt},
        IntCase{"mark alone", "0x", NoInt}, IntCase{"sign after the mark", "0x+1", NoInt},
        IntCase{"plus before the mark", "+0x1F", NoInt}, IntCase{"inner blank", "1 2", NoInt},
        IntCase{"a NUL in decimal digits", {"5\0", 2}, NoInt}, IntCase{"digit beyond ASCII", "\u0663", NoInt}));

struct FieldIntCase {
    const char *name;
    std::u16string_view text;
    std::optional<long long> value;
};
void PrintTo(const FieldIntCase &c, std::ostream *os) {
    *os << c.name;
}

class FieldIntegerGrammar : public ::testing::TestWithParam<FieldIntCase> {};
TEST_P(FieldIntegerGrammar, Reads) {
    const auto read = parseFieldInteger(GetParam().text);
    EXPECT_EQ(read ? std::optional<long long>(*read) : std::nullopt, GetParam().value);
}
INSTANTIATE_TEST_SUITE_P(
    Texts, FieldIntegerGrammar,
    ::testing::Values(FieldIntCase{"digits", u"1000", 1000}, FieldIntCase{"minus", u"-5", -5},
                      FieldIntCase{"plus", u"+5", 5}, FieldIntCase{"smallest", u"-2147483648", INT_MIN},
                      FieldIntCase{"above int", u"2147483648", std::nullopt}, FieldIntCase{"empty", u"", std::nullopt},
                      FieldIntCase{"lone sign", u"-", std::nullopt}, FieldIntCase{"fraction", u"1,5", std::nullopt},
                      FieldIntCase{"blank", u" 5", std::nullopt},
                      FieldIntCase{"digit beyond ASCII", u"\u0665", std::nullopt}));

// The exponent being typed: the field refuses a digit that takes it above 4932.
class TypedExponentGrammar : public ::testing::TestWithParam<FieldIntCase> {};
TEST_P(TypedExponentGrammar, Reads) {
    EXPECT_EQ(parseTypedExponent(GetParam().text), GetParam().value);
}
INSTANTIATE_TEST_SUITE_P(
    Texts, TypedExponentGrammar,
    ::testing::Values(FieldIntCase{"digits", u"4932", 4932}, FieldIntCase{"leading zeros", u"00012", 12},
                      FieldIntCase{"blanks", u" 12\t", 12}, FieldIntCase{"a NUL ends it", {u"12\0x", 4}, 12},
                      FieldIntCase{"above long long", u"99999999999999999999", std::nullopt},
                      FieldIntCase{"inner blank", u"1 2", std::nullopt}, FieldIntCase{"empty", u"", std::nullopt},
                      FieldIntCase{"beyond Latin-1", u"1\u0131", std::nullopt}));

class EnvironmentIntegerGrammar : public ::testing::TestWithParam<IntCase> {};
TEST_P(EnvironmentIntegerGrammar, Reads) {
    EXPECT_EQ(parseEnvironmentInteger(GetParam().text), GetParam().value);
}
INSTANTIATE_TEST_SUITE_P(Texts, EnvironmentIntegerGrammar,
                         ::testing::Values(IntCase{"digits", "4", 4}, IntCase{"minus", "-3", -3},
                                           IntCase{"plus", "+4", NoInt}, IntCase{"leading blank", " 4", NoInt},
                                           IntCase{"trailing blank", "4 ", NoInt}, IntCase{"empty", "", NoInt},
                                           IntCase{"above int", "2147483648", NoInt}));

TEST(DataCountGrammar, DigitsOnlyWithinSize) {
    const std::tuple<std::string_view, std::optional<std::size_t>> cases[] = {{"3", 3},
                                                                              {"10000000", 10000000},
                                                                              {"", std::nullopt},
                                                                              {"-1", std::nullopt},
                                                                              {"+1", std::nullopt},
                                                                              {" 1", std::nullopt},
                                                                              {"18446744073709551616", std::nullopt}};
    for (const auto &[text, value] : cases)
        EXPECT_EQ(parseDataCount(text), value) << text;
}

// Rows in the "1 234,5" notation, read with a Russian and an English desktop's separators.
struct FieldCase {
    const char *name;
    std::string_view example;
    std::optional<double> value;
};
void PrintTo(const FieldCase &c, std::ostream *os) {
    *os << c.name;
}

class FieldTextGrammar : public ::testing::TestWithParam<std::tuple<FieldCase, Separators>> {};
TEST_P(FieldTextGrammar, Reads) {
    const auto &[c, separators] = GetParam();
    const auto read = parseFieldText(fieldText(c.example, separators), separators.decimal, separators.group);
    EXPECT_TRUE(sameDouble(read, c.value)) << shown(read);
}
INSTANTIATE_TEST_SUITE_P(
    Texts, FieldTextGrammar,
    ::testing::Combine(
        ::testing::Values(FieldCase{"grouped", "1 234,5", 1234.5}, FieldCase{"empty is zero", "", 0.0},
                          FieldCase{"lone minus is negative zero", "-", -0.0}, FieldCase{"lone separator", ",5", 0.5},
                          FieldCase{"separator alone", ",", 0.0}, FieldCase{"exponent without digits", "1E", 1.0},
                          FieldCase{"negative exponent", "2E-4", 0.0002},
                          FieldCase{"fraction with exponent", "1,5E3", 1500.0},
                          FieldCase{"lower-case e and blanks", "_7e1_", 70.0},
                          FieldCase{"groups anywhere", " 7e1 ", 70.0}, FieldCase{"overflow is infinity", "1E400", Inf},
                          FieldCase{"negative overflow", "-1E400", -Inf}, FieldCase{"underflow is zero", "1E-400", 0.0},
                          FieldCase{"zero digits", "0E400", 0.0}, FieldCase{"sign before the E", "-E5", NoDouble},
                          FieldCase{"lone E", "E", NoDouble}, FieldCase{"letters", "abc", NoDouble},
                          FieldCase{"two separators", "1,2,3", NoDouble}),
        ::testing::Values(Russian, English)));

TEST(FieldTextGrammar, OnlyTheUsersSeparatorsCount) {
    // Under a point locale the comma is the thousands separator and "1,5" reads 15; under a
    // comma locale a point is neither.
    EXPECT_EQ(parseFieldText(u"1,5", English.decimal, English.group), std::optional<double>(15.0));
    EXPECT_EQ(parseFieldText(u"1.5", Russian.decimal, Russian.group), NoDouble);
    EXPECT_EQ(parseFieldText(u"1 5", Russian.decimal, Russian.group), NoDouble) << "a blank is not a group";
    EXPECT_EQ(parseFieldText(u"\u0661", Russian.decimal, Russian.group), NoDouble) << "digits are ASCII";
}

// ---- Forms ----------------------------------------------------------------------------------

TEST(ShortestForm, ReadsBackExactlyWithAPoint) {
    const std::tuple<double, const char *> texts[] = {{0.8, "0.8"},       {2e-4, "2e-04"},
                                                      {1e-5, "1e-05"},    {-12.5, "-12.5"},
                                                      {1e-310, "1e-310"}, {DBL_MAX, "1.7976931348623157e+308"}};
    for (const auto &[value, text] : texts)
        EXPECT_EQ(formatShortest(value), text);
    for (double v : {0.8, 0.04, 2e-4, 1e-310, -12.5, DBL_MAX, -DBL_MIN, 1.0 / 3.0}) {
        const std::string t = formatShortest(v);
        double back = 0.0;
        std::from_chars(t.data(), t.data() + t.size(), back);
        EXPECT_EQ(back, v) << t;
    }
}

TEST(SignificantForm, RoundedToTheDigitsAndShortest) {
    const std::tuple<double, int, const char *> texts[] = {
        {0.1, 17, "0.10000000000000001"}, {-1e-5, 6, "-1e-05"}, {0.5, 17, "0.5"},
        {1234567.0, 3, "1.23e+06"},       {0.8, 9, "0.8"},      {92.34567, 4, "92.35"}};
    for (const auto &[value, digits, text] : texts)
        EXPECT_EQ(formatSignificant(value, digits), text);
    EXPECT_EQ(formatSignificant(1e4000L, 5), "1e+4000") << "an objective beyond the double range";
    EXPECT_EQ(formatSignificant(static_cast<long double>(0.1), 17), "0.10000000000000001");
}

TEST(FixedAndScientificForms, CorrectlyRoundedWithAPoint) {
    EXPECT_EQ(formatFixed(0.8, 14), "0.80000000000000");
    EXPECT_EQ(formatFixed(1234.5678, 1), "1234.6");
    EXPECT_EQ(formatFixed(0.125, 2), "0.12") << "an exact tie goes to the even digit, as in printf";
    EXPECT_EQ(formatFixed(DBL_MAX, 0).size(), 309u);
    const auto small = scientificParts(0.0002, 14);
    EXPECT_EQ(small.mantissa, "2.00000000000000");
    EXPECT_EQ(small.exponent, -4);
    const auto big = scientificParts(12345.0, 3);
    EXPECT_EQ(big.mantissa, "1.234"); // an exact tie goes to the even digit, as in printf
    EXPECT_EQ(big.exponent, 4);
    EXPECT_EQ(scientificParts(DBL_MAX, 14).exponent, 308);
}

struct ProjectText {
    double value;
    const char *comma;
};
void PrintTo(const ProjectText &c, std::ostream *os) {
    *os << c.comma;
}

class ProjectFloatForm : public ::testing::TestWithParam<ProjectText> {};
TEST_P(ProjectFloatForm, WrittenInTheGeneralDecimalForm) {
    std::string point = GetParam().comma;
    std::replace(point.begin(), point.end(), ',', '.');
    EXPECT_EQ(formatProjectFloat(GetParam().value, U','), GetParam().comma);
    EXPECT_EQ(formatProjectFloat(GetParam().value, U'.'), point);
    EXPECT_EQ(parseProjectFloat(formatProjectFloat(GetParam().value, U',')), parseCommandLineNumber(GetParam().comma));
}
INSTANTIATE_TEST_SUITE_P(Values, ProjectFloatForm,
                         ::testing::Values(ProjectText{0.8, "0,8"}, ProjectText{10000, "10000"},
                                           ProjectText{-180, "-180"}, ProjectText{0.0002, "0,0002"},
                                           ProjectText{0.00002, "2E-5"}, ProjectText{1.5e20, "1,5E20"},
                                           ProjectText{0, "0"}, ProjectText{1.0 / 3.0, "0,333333333333333"},
                                           ProjectText{123456789012345678.0, "1,23456789012346E17"},
                                           ProjectText{999999999999999.0, "999999999999999"}, ProjectText{1e15, "1E15"},
                                           ProjectText{0.001, "0,001"}, ProjectText{-2.5e-7, "-2,5E-7"},
                                           ProjectText{12.5, "12,5"}, ProjectText{0.1 + 1.0, "1,1"}));

// Values at the edges of the double range are written so that they load back; every value a
// save writes loads back and is written again the same.
TEST(ProjectFloatForm, EdgesOfTheDoubleRangeReadBack) {
    EXPECT_EQ(formatProjectFloat(Inf, U','), "1,79769313486231E308");
    EXPECT_EQ(formatProjectFloat(-Inf, U','), "-1,79769313486231E308");
    EXPECT_EQ(formatProjectFloat(Max, U','), "1,79769313486231E308");
    EXPECT_EQ(formatProjectFloat(std::nan(""), U','), "0");
    EXPECT_EQ(formatProjectFloat(0.8, U'\u066B'), "0\u066B8") << "a separator beyond ASCII in UTF-8";
    for (double v : {Max, -Max, Inf, -Inf, std::numeric_limits<double>::min(), DenormMin, 1e-310, 0.1, 1.0 / 3.0,
                     -20000.0, 20000.0, 0.001, 10000.0, 1e15, 1e16, 123456789012345678.0, -0.0}) {
        const std::string text = formatProjectFloat(v, U',');
        const auto back = parseProjectFloat(text);
        ASSERT_TRUE(back.has_value()) << text;
        EXPECT_TRUE(std::isfinite(*back)) << text;
        EXPECT_EQ(formatProjectFloat(*back, U','), text);
    }
}

struct FieldShown {
    const char *name;
    double value;
    FieldFormat format;
    int decimals;
    std::string_view example;
};
void PrintTo(const FieldShown &c, std::ostream *os) {
    *os << c.name;
}

class FieldTextForm : public ::testing::TestWithParam<std::tuple<FieldShown, Separators>> {};
TEST_P(FieldTextForm, ShowsTheValue) {
    const auto &[c, separators] = GetParam();
    const std::u16string text = formatFieldText(c.value, c.format, c.decimals, separators.decimal, separators.group);
    EXPECT_EQ(text, fieldText(c.example, separators)) << utf8(text);
}
constexpr auto T = FieldFormat::Thousands;
constexpr auto S = FieldFormat::Scientific;
INSTANTIATE_TEST_SUITE_P(
    Values, FieldTextForm,
    ::testing::Combine(
        ::testing::Values(
            FieldShown{"fraction", 0.8, T, -1, "0,8"}, FieldShown{"thousands grouped", 10000.0, T, -1, "10 000"},
            FieldShown{"grouped with fraction", 1234.5678, T, -1, "1 234,5678"},
            FieldShown{"negative whole", -180.0, T, -1, "-180"}, FieldShown{"small fraction", 0.0002, T, -1, "0,0002"},
            FieldShown{"binary fraction shows 15 digits", 0.1 + 1.0, T, -1, "1,1"},
            FieldShown{"15 significant digits", 1234.56789012345678, T, -1, "1 234,56789012346"},
            FieldShown{"negative rounding to zero", -1e-20, T, -1, "0"},
            FieldShown{"fixed decimals keep zeros", 2.5, T, 3, "2,500"},
            FieldShown{"no decimals", 1234.0, T, 0, "1 234"}, FieldShown{"nan shows zero", std::nan(""), T, -1, "0"},
            FieldShown{"scientific small", 0.0002, S, -1, "2E-4"},
            FieldShown{"scientific large", 12345.0, S, -1, "1,2345E4"},
            FieldShown{"scientific zero", 0.0, S, -1, "0E0"}, FieldShown{"scientific negative", -0.5, S, -1, "-5E-1"},
            FieldShown{"infinity as the largest double", Inf, S, -1, "1,79769313486232E308"},
            FieldShown{"engineering", 12345.0, FieldFormat::Engineering, -1, "12,345E3"},
            FieldShown{"engineering small", -0.00049, FieldFormat::Engineering, -1, "-490E-6"},
            FieldShown{"standard has no groups", 1234.5, FieldFormat::Standard, -1, "1234,5"}),
        ::testing::Values(Russian, English)));

struct ObjectiveText {
    long double value;
    char separator;
    std::string text;
};
void PrintTo(const ObjectiveText &c, std::ostream *os) {
    *os << c.text.substr(0, 40);
}

class ObjectiveForm : public ::testing::TestWithParam<ObjectiveText> {};
TEST_P(ObjectiveForm, SixToFourteenDecimals) {
    EXPECT_EQ(formatObjective(GetParam().value, GetParam().separator), GetParam().text);
}
INSTANTIATE_TEST_SUITE_P(Texts, ObjectiveForm,
                         ::testing::Values(ObjectiveText{0.0L, ',', "0,000000"}, ObjectiveText{0.5L, '.', "0.500000"},
                                           ObjectiveText{123.456L, ',', "123,456000"},
                                           ObjectiveText{1.2166604320214241L, '.', "1.21666043202142"},
                                           ObjectiveText{2.5e-9L, ',', "0,0000000025"},
                                           ObjectiveText{1e-15L, '.', "0.000000"}));

TEST(ObjectiveForm, HugeObjectivesKeepEveryIntegerDigit) {
    // No fixed buffer: every integer digit is there. The nearest extended values are just above
    // 1e120 and just below 1e4000.
    for (const auto &[value, digits, lead] :
         {std::tuple{1e120L, 121, "100000000000000000"}, std::tuple{1e4000L, 4000, "999999999999999999"}}) {
        const std::string text = formatObjective(value, ',');
        EXPECT_EQ(text.size(), static_cast<std::size_t>(digits) + 7);
        EXPECT_EQ(text.substr(0, 18), lead);
        EXPECT_EQ(text.substr(text.size() - 7), ",000000");
    }
}

TEST(IntegerForm, DigitsInTheRadixPaddedWithZeros) {
    const std::tuple<long long, int, int, const char *> texts[] = {
        {42, 10, 1, "42"},       {-7, 10, 1, "-7"},
        {0, 10, 1, "0"},         {1234567, 10, 1, "1234567"},
        {9, 16, 2, "09"},        {0x7F, 16, 2, "7f"},
        {5, 10, 4, "0005"},      {-5, 10, 4, "-0005"},
        {12345, 10, 4, "12345"}, {LLONG_MIN, 10, 1, "-9223372036854775808"}};
    for (const auto &[value, radix, digits, text] : texts)
        EXPECT_EQ(formatInteger(value, radix, digits), text) << value;
}

} // namespace
} // namespace pulsefir::base
