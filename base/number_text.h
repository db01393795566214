#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

namespace pulsefir::base {

// Every grammar the program reads numbers in and every form it writes them in, without the C
// library's locale: the printf and strtod families follow LC_NUMERIC, which is a comma on a
// Russian desktop. Texts are UTF-8, except the fields' text, which is UTF-16 as Qt holds it.
// The parsers give nothing for a text that is not a number; the caller says so in its own words.

// ---- Grammars ---------------------------------------------------------------------------------

// A float key of the project file: blanks (U+0020), an optional sign, ASCII digits with one '.'
// or ',' (a file carries the separator of whoever saved it), at least one digit, an optional
// exponent ('E' or 'e', a sign, digits that may be missing: exponent 0), blanks. A value beyond
// the double range reads as the largest finite double of its sign, one below it as zero.
std::optional<double> parseProjectFloat(std::string_view text);

// An integer key of the project file, trimmed of Unicode white space: an optional sign and ASCII
// decimal digits, or "0x" / "-0x" (either case) and hexadecimal digits, which may themselves carry
// blanks, a sign and a "0x" in front and blanks behind, and end at a NUL; within int.
std::optional<int> parseProjectInteger(std::string_view text);

// The text of a float field: `group` characters removed, then "" reads 0 and "-" reads -0, else
// blanks, an optional sign, ASCII digits with at most one `decimal`, an optional exponent ("E"
// alone is exponent 0), blanks; a lone separator reads 0. Out of the double range: zero when the
// exponent is negative or every digit is zero, else infinity of its sign.
std::optional<double> parseFieldText(std::u16string_view text, char16_t decimal, char16_t group);

// The text of an integer field: an optional sign and at least one ASCII digit, within int.
std::optional<int> parseFieldInteger(std::u16string_view text);

// The exponent digits being typed into a float field: ASCII white space, an optional sign, ASCII
// digits, white space; a NUL ends the text.
std::optional<long long> parseTypedExponent(std::u16string_view text);

// A number field of a measured-pulse text file: an optional '+', then what std::from_chars reads
// whole: an optional '-', digits with one '.', an optional exponent, or "nan" and "inf", which
// the caller refuses with its own message. With `decimalComma` a ',' counts as a '.'. At most 64
// characters; out of the double range: nothing.
std::optional<double> parseDataNumber(std::string_view field, bool decimalComma);

// A count in a data file's header (a NumPy shape): ASCII digits only, within std::size_t.
std::optional<std::size_t> parseDataCount(std::string_view text);

// A value on the command line: blanks (U+0020), an optional sign, ASCII digits with one '.' or
// ',', at least one digit, an optional exponent with at least one digit, blanks; finite only.
std::optional<double> parseCommandLineNumber(std::string_view text);

// An integer in an environment variable: an optional '-' and ASCII digits, within int.
std::optional<int> parseEnvironmentInteger(std::string_view text);

// ---- Forms ------------------------------------------------------------------------------------

// The shortest text that reads back as the same double ("0.8", "1e-05", "1.7976931348623157e+308").
std::string formatShortest(double value);

// `digits` significant digits, trailing zeros dropped, fixed or scientific by the exponent as
// "%.*g" writes them (17 digits give a double back exactly): "0.5", "1e-05".
std::string formatSignificant(double value, int digits);
std::string formatSignificant(long double value, int digits);

// Fixed notation with exactly `decimals` decimals, correctly rounded ("%.*f").
std::string formatFixed(long double value, int decimals);

// d.ddd and the decimal exponent of a magnitude with `decimals` digits after the point,
// correctly rounded; the mantissa keeps its trailing zeros.
struct ScientificDigits {
    std::string mantissa;
    int exponent = 0;
};
ScientificDigits scientificParts(double magnitude, int decimals);

// The general decimal form of a project file's float key: rounded to 15 significant digits,
// fixed notation for decimal exponents -3..15 (0.d1d2... x 10^e), "d,dddE-5" otherwise; no
// groups; `decimal` as the separator. NaN is "0"; infinity and a value whose 15 digits round
// above the largest double are written as the largest 15-digit value that still reads back.
std::string formatProjectFloat(double value, char32_t decimal);

// How a float field shows its value.
enum class FieldFormat { Standard, Thousands, Scientific, Engineering };

// A float field's text: `decimals` -1 shows as many decimals as the value needs, at most 15
// significant digits; 0..14 shows that many. Thousands groups the integer digits by three with
// `group`; Scientific writes "1,2345E4"; Engineering an exponent that is a multiple of 3. NaN
// shows as 0, infinity as the largest double.
std::u16string formatFieldText(double value, FieldFormat format, int decimals, char16_t decimal, char16_t group);

// The search objective as the filter window and the command line show it, "#0.000000########":
// at least one integer digit and 6 to 14 decimals, with the given decimal separator.
std::string formatObjective(long double value, char decimal);

// An integer in `radix` (2..36, lower-case letters), at least `minimumDigits` digits with zeros
// in front, and a '-' when negative: "42", "-7", formatInteger(9, 16, 2) is "09".
std::string formatInteger(long long value, int radix = 10, int minimumDigits = 1);

} // namespace pulsefir::base
