#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace pulsefir::text {

// Numbers as text with '.' as the decimal point, whatever the C library's locale says: the
// printf and strtod families follow LC_NUMERIC, which is a comma on a Russian desktop. Callers
// put the user's separators in themselves.

// Fixed notation with exactly `decimals` decimals, correctly rounded ("%.*f" without a locale).
std::string FixedText(long double value, int decimals);

// d.ddd and the decimal exponent of |value| with `decimals` digits after the point, correctly
// rounded; the mantissa keeps its trailing zeros.
struct ScientificDigits {
    std::string mantissa;
    int exponent = 0;
};
ScientificDigits ScientificParts(double magnitude, int decimals);

// The shortest text that reads back as the same double ("0.8", "1e-05", "1.7976931348623157e+308").
std::string ShortestText(double value);

// `significant` significant digits, trailing zeros dropped ("%.*Lg" without a locale).
std::string GeneralText(long double value, int significant);

// The objective as the filter window and the command line show it: "#0.000000########", at
// least one integer digit and 6 to 14 decimals, with the given decimal separator.
std::string FormatObjective(long double value, char decimalSeparator);

// The parts of a decimal number as the fields and the project file write it: blanks, an optional
// sign, ASCII digits with at most one decimal separator (any character of `separators`), an
// optional exponent ('E' or 'e', an optional sign, digits that may be missing), blanks. Empty
// when anything else is left; a text without any digit is the caller's to judge.
struct DecimalParts {
    bool negative = false;
    std::string integer;  // digits before the separator
    std::string fraction; // digits after it
    bool separator = false;
    bool exponentMark = false; // an 'E' or 'e' was there
    bool exponentNegative = false;
    std::string exponent; // the exponent's digits, empty when there are none
    // "integer.fraction e exponent" as std::from_chars reads it (a missing part as 0).
    std::string plainText() const;
};
std::optional<DecimalParts> ScanDecimal(std::u16string_view text, std::u16string_view separators);

} // namespace pulsefir::text
