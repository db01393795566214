#include "number_text.h"

#include <algorithm>
#include <array>
#include <cfloat>
#include <charconv>
#include <cmath>
#include <limits>
#include <system_error>

#include "base/text.h"

namespace pulsefir::base {

namespace {

// ---- Reading ------------------------------------------------------------------------------------

// Fields longer than any number a data file carries are not numbers.
constexpr std::size_t LongestDataNumber = 64;

// The parts of a decimal number as the fields, the project file and the command line write it:
// blanks (U+0020), an optional sign, ASCII digits with at most one decimal separator (any
// character of `separators`), an optional exponent ('E' or 'e', an optional sign, digits that may
// be missing), blanks. Nothing when anything else is left; a text without any digit is the
// grammar's to judge.
struct DecimalParts {
    bool negative = false;
    std::string integer;  // digits before the separator
    std::string fraction; // digits after it
    bool separator = false;
    bool exponentMark = false; // an 'E' or 'e' was there
    bool exponentNegative = false;
    std::string exponent; // the exponent's digits, empty when there are none

    // "integer.fraction e exponent" as std::from_chars reads it (a missing part as 0).
    std::string plainText() const {
        return (integer.empty() ? "0" : integer) + (fraction.empty() ? "" : "." + fraction) + "e" +
               (exponentNegative ? "-" : "") + (exponent.empty() ? "0" : exponent);
    }
    bool hasDigits() const { return !integer.empty() || !fraction.empty(); }
};

template <typename Char>
std::optional<DecimalParts> scanDecimal(std::basic_string_view<Char> text, std::basic_string_view<Char> separators) {
    DecimalParts parts;
    std::size_t p = 0;
    const std::size_t n = text.size();
    const auto digit = [&](std::size_t k) { return k < n && text[k] >= Char('0') && text[k] <= Char('9'); };
    const auto skipBlanks = [&] {
        while (p < n && text[p] == Char(' '))
            ++p;
    };
    skipBlanks();
    if (p < n && (text[p] == Char('+') || text[p] == Char('-')))
        parts.negative = text[p++] == Char('-');
    for (; p < n; ++p) {
        if (digit(p))
            (parts.separator ? parts.fraction : parts.integer) += static_cast<char>(text[p]);
        else if (!parts.separator && separators.find(text[p]) != std::basic_string_view<Char>::npos)
            parts.separator = true;
        else
            break;
    }
    if (p < n && (text[p] == Char('E') || text[p] == Char('e'))) {
        parts.exponentMark = true;
        ++p;
        if (p < n && (text[p] == Char('+') || text[p] == Char('-')))
            parts.exponentNegative = text[p++] == Char('-');
        while (digit(p))
            parts.exponent += static_cast<char>(text[p++]);
    }
    skipBlanks();
    if (p != n)
        return std::nullopt;
    return parts;
}

// from_chars over the whole text: the error it reports, or none.
std::errc readWhole(const std::string &number, double &value) {
    const auto [end, error] = std::from_chars(number.data(), number.data() + number.size(), value);
    if (error != std::errc())
        return error;
    return end == number.data() + number.size() ? std::errc() : std::errc::invalid_argument;
}

// The decimal exponent of the first significant digit of integer.fraction x 10^exponent, held
// to +-1e9 (only its sign matters to the caller: above or below the double range).
long long decimalMagnitude(const DecimalParts &parts) {
    constexpr long long Held = 1000000000LL;
    long long e = 0;
    for (char c : parts.exponent)
        e = std::min(e * 10 + (c - '0'), Held);
    e = parts.exponentNegative ? -e : e;
    const auto first = parts.integer.find_first_not_of('0');
    if (first != std::string::npos)
        return e + static_cast<long long>(parts.integer.size() - first) - 1;
    const auto firstFraction = parts.fraction.find_first_not_of('0');
    return e - static_cast<long long>(firstFraction == std::string::npos ? 0 : firstFraction) - 1;
}

bool allZero(std::string_view digits) {
    return std::all_of(digits.begin(), digits.end(), [](char c) { return c < '1' || c > '9'; });
}

bool asciiDigit(char32_t c) {
    return c >= '0' && c <= '9';
}

// Optional sign and ASCII decimal digits, nothing else, as a long long.
template <typename Char> std::optional<long long> signedDigits(std::basic_string_view<Char> text) {
    std::size_t p = text.empty() || (text[0] != Char('+') && text[0] != Char('-')) ? 0 : 1;
    if (p == text.size())
        return std::nullopt;
    std::string ascii = text[0] == Char('-') ? "-" : "";
    for (; p < text.size(); ++p) {
        if (!asciiDigit(static_cast<char32_t>(text[p])))
            return std::nullopt;
        ascii += static_cast<char>(text[p]);
    }
    long long value = 0;
    const auto [end, error] = std::from_chars(ascii.data(), ascii.data() + ascii.size(), value);
    if (error != std::errc() || end != ascii.data() + ascii.size())
        return std::nullopt;
    return value;
}

std::optional<int> asInt(std::optional<long long> value) {
    if (!value || *value < std::numeric_limits<int>::min() || *value > std::numeric_limits<int>::max())
        return std::nullopt;
    return static_cast<int>(*value);
}

bool cSpace(char c) {
    return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
}

int digitValue(char c) {
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'a' && c <= 'z')
        return c - 'a' + 10;
    if (c >= 'A' && c <= 'Z')
        return c - 'A' + 10;
    return 99;
}

// An integer in `radix` (10 or 16) as the toolkit's C-locale conversion has always read the
// project file's hexadecimal digits and the typed exponent: white space, an optional sign, a
// "0x" in front of hexadecimal digits, the digits, white space, then the end or a NUL (what
// follows a NUL is not looked at). One byte per character; any byte beyond ASCII fails.
std::optional<long long> cInteger(std::string_view text, int radix) {
    std::size_t p = 0;
    const std::size_t n = text.size();
    while (p < n && cSpace(text[p]))
        ++p;
    bool negative = false;
    if (p < n && (text[p] == '+' || text[p] == '-'))
        negative = text[p++] == '-';
    if (radix == 16 && p + 2 < n && text[p] == '0' && (text[p + 1] == 'x' || text[p + 1] == 'X') &&
        digitValue(text[p + 2]) < 16)
        p += 2;
    // The magnitude of the most negative long long, one more than the largest.
    const unsigned long long limit =
        static_cast<unsigned long long>(std::numeric_limits<long long>::max()) + (negative ? 1 : 0);
    unsigned long long magnitude = 0;
    const std::size_t first = p;
    for (; p < n && digitValue(text[p]) < radix; ++p) {
        const auto d = static_cast<unsigned long long>(digitValue(text[p]));
        if (magnitude > (limit - d) / static_cast<unsigned long long>(radix))
            return std::nullopt;
        magnitude = magnitude * static_cast<unsigned long long>(radix) + d;
    }
    if (p == first)
        return std::nullopt;
    while (p < n && cSpace(text[p]))
        ++p;
    if (p < n && text[p] != '\0')
        return std::nullopt;
    if (!negative)
        return static_cast<long long>(magnitude);
    return magnitude == limit ? std::numeric_limits<long long>::min() : -static_cast<long long>(magnitude);
}

bool startsWithHexMark(std::string_view text) {
    return text.size() >= 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X');
}

// ---- Writing ------------------------------------------------------------------------------------

constexpr int FieldSignificantDigits = 15;
constexpr int FieldMaxDecimals = 14;
constexpr int ProjectSignificantDigits = 15;
constexpr int ProjectFixedExponentLow = -3;
constexpr int ProjectFixedExponentHigh = 15;
// 1.79769313486231E308: the largest value with 15 significant digits below the largest double.
constexpr double LargestProjectMagnitude = 1.79769313486231e308;
constexpr int ObjectiveMaxDecimals = 14;
constexpr int ObjectiveMinDecimals = 6;

// Formats with std::to_chars into a buffer that grows until the text fits: fixed notation of a
// long double near its largest value takes almost 5000 characters.
template <typename... Args> std::string toChars(Args... args) {
    std::string buffer(64, '\0');
    for (;;) {
        const auto [end, error] = std::to_chars(buffer.data(), buffer.data() + buffer.size(), args...);
        if (error == std::errc()) {
            buffer.resize(static_cast<std::size_t>(end - buffer.data()));
            return buffer;
        }
        buffer.resize(buffer.size() * 4);
    }
}

void appendUtf8(std::string &out, char32_t c) {
    if (c >= 0xD800 && c <= 0xDFFF) {
        out += '?'; // a lone surrogate has no UTF-8 form
    } else if (c < 0x80) {
        out += static_cast<char>(c);
    } else if (c < 0x800) {
        out += static_cast<char>(0xC0 | (c >> 6));
        out += static_cast<char>(0x80 | (c & 0x3F));
    } else if (c < 0x10000) {
        out += static_cast<char>(0xE0 | (c >> 12));
        out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (c >> 18));
        out += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
    }
}

void stripTrailingZeros(std::string &s) {
    const auto point = s.find('.');
    if (point == std::string::npos)
        return;
    std::size_t end = s.size();
    while (end > point + 1 && s[end - 1] == '0')
        --end;
    if (end == point + 1)
        --end;
    s.resize(end);
}

// Fixed notation of a field's magnitude: decimals -1 drops trailing zeros and keeps 15
// significant digits.
std::string fieldFixedDigits(double magnitude, int decimals) {
    if (decimals >= 0)
        return formatFixed(magnitude, std::min(decimals, FieldMaxDecimals));
    std::string s = formatFixed(magnitude, FieldMaxDecimals);
    stripTrailingZeros(s);
    const auto point = s.find('.');
    if (point != std::string::npos) {
        const int integerDigits = static_cast<int>(point);
        s = formatFixed(magnitude, std::max(0, FieldSignificantDigits - integerDigits));
        stripTrailingZeros(s);
    }
    return s;
}

// Mantissa "d.ddd" and exponent of a field's magnitude; engineering notation moves the point so
// that the exponent is a multiple of 3 (mantissa 1..999).
ScientificDigits fieldScientificDigits(double magnitude, int decimals, bool engineering) {
    ScientificDigits parts =
        scientificParts(magnitude, decimals >= 0 ? std::min(decimals, FieldMaxDecimals) : FieldMaxDecimals);
    if (decimals < 0)
        stripTrailingZeros(parts.mantissa);
    if (!engineering || magnitude == 0.0)
        return parts;
    const int shift = ((parts.exponent % 3) + 3) % 3;
    std::string digitsOnly;
    for (char c : parts.mantissa)
        if (c != '.')
            digitsOnly += c;
    while (static_cast<int>(digitsOnly.size()) < shift + 1)
        digitsOnly += '0';
    parts.mantissa = digitsOnly.substr(0, static_cast<std::size_t>(shift + 1));
    if (digitsOnly.size() > static_cast<std::size_t>(shift + 1)) {
        parts.mantissa.push_back('.');
        parts.mantissa.append(digitsOnly, static_cast<std::size_t>(shift + 1), std::string::npos);
    }
    if (decimals < 0)
        stripTrailingZeros(parts.mantissa);
    parts.exponent -= shift;
    return parts;
}

// "1234.5" with the field's separators, the integer digits grouped by three when `group`.
std::u16string withFieldSeparators(const std::string &plain, bool grouped, char16_t decimal, char16_t group) {
    const auto point = plain.find('.');
    const std::string integer = plain.substr(0, point);
    std::u16string out;
    for (std::size_t k = 0; k < integer.size(); ++k) {
        if (grouped && k > 0 && (integer.size() - k) % 3 == 0)
            out += group;
        out += static_cast<char16_t>(integer[k]);
    }
    if (point != std::string::npos) {
        out += decimal;
        for (std::size_t k = point + 1; k < plain.size(); ++k)
            out += static_cast<char16_t>(plain[k]);
    }
    return out;
}

std::u16string widen(const std::string &ascii) {
    return std::u16string(ascii.begin(), ascii.end());
}

} // namespace

// ---- Grammars ---------------------------------------------------------------------------------

std::optional<double> parseProjectFloat(std::string_view text) {
    const auto parts = scanDecimal(text, std::string_view(".,"));
    if (!parts || !parts->hasDigits())
        return std::nullopt;
    double value = 0.0;
    const std::errc error = readWhole(parts->plainText(), value);
    if (error == std::errc::result_out_of_range)
        value = decimalMagnitude(*parts) > 0 ? std::numeric_limits<double>::max() : 0.0;
    else if (error != std::errc())
        return std::nullopt;
    return parts->negative ? -value : value;
}

std::optional<int> parseProjectInteger(std::string_view text) {
    const std::string_view t = trimSpace(text);
    const bool negative = !t.empty() && t[0] == '-';
    if (!startsWithHexMark(t.substr(negative ? 1 : 0)))
        return asInt(signedDigits(t));
    const std::string_view digits = t.substr(negative ? 3 : 2);
    if (digits.empty() || digits[0] == '+' || digits[0] == '-')
        return std::nullopt;
    const auto value = cInteger(digits, 16);
    if (!value || *value == std::numeric_limits<long long>::min())
        return std::nullopt;
    return asInt(negative ? -*value : *value);
}

std::optional<double> parseFieldText(std::u16string_view text, char16_t decimal, char16_t group) {
    std::u16string s;
    for (char16_t c : text)
        if (c != group)
            s += c;
    if (s.empty())
        s = u"0";
    else if (s == u"-")
        s = u"-0";
    const auto parts = scanDecimal(std::u16string_view(s), std::u16string_view(&decimal, 1));
    if (!parts || (!parts->hasDigits() && !parts->separator))
        return std::nullopt;
    double value = 0.0;
    const std::errc error = readWhole(parts->plainText(), value);
    if (error == std::errc::result_out_of_range)
        value = parts->exponentNegative || allZero(parts->integer + parts->fraction) ? 0.0 : HUGE_VAL;
    else if (error != std::errc())
        return std::nullopt;
    return parts->negative ? -value : value;
}

std::optional<int> parseFieldInteger(std::u16string_view text) {
    return asInt(signedDigits(text));
}

std::optional<long long> parseTypedExponent(std::u16string_view text) {
    std::string bytes;
    for (char16_t c : text)
        bytes += c <= 0xFF ? static_cast<char>(c) : '?';
    return cInteger(bytes, 10);
}

std::optional<double> parseDataNumber(std::string_view field, bool decimalComma) {
    if (field.empty() || field.size() > LongestDataNumber)
        return std::nullopt;
    std::string number;
    for (std::size_t k = field[0] == '+' ? 1 : 0; k < field.size(); ++k) { // from_chars takes no '+'
        if (field[k] == ',' && !decimalComma)
            return std::nullopt;
        number += field[k] == ',' ? '.' : field[k];
    }
    double value = 0.0;
    if (number.empty() || readWhole(number, value) != std::errc())
        return std::nullopt;
    return value;
}

std::optional<std::size_t> parseDataCount(std::string_view text) {
    std::size_t count = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), count);
    if (error != std::errc() || end != text.data() + text.size())
        return std::nullopt;
    return count;
}

std::optional<double> parseCommandLineNumber(std::string_view text) {
    const auto parts = scanDecimal(text, std::string_view(".,"));
    if (!parts || !parts->hasDigits() || (parts->exponentMark && parts->exponent.empty()))
        return std::nullopt;
    double value = 0.0;
    if (readWhole(parts->plainText(), value) != std::errc() || !std::isfinite(value))
        return std::nullopt;
    return parts->negative ? -value : value;
}

std::optional<int> parseEnvironmentInteger(std::string_view text) {
    int value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (error != std::errc() || end != text.data() + text.size())
        return std::nullopt;
    return value;
}

// ---- Forms ------------------------------------------------------------------------------------

std::string formatShortest(double value) {
    return toChars(value);
}

std::string formatSignificant(double value, int digits) {
    return toChars(value, std::chars_format::general, digits);
}

std::string formatSignificant(long double value, int digits) {
    return toChars(value, std::chars_format::general, digits);
}

std::string formatFixed(long double value, int decimals) {
    return toChars(value, std::chars_format::fixed, decimals);
}

ScientificDigits scientificParts(double magnitude, int decimals) {
    const std::string s = toChars(magnitude, std::chars_format::scientific, decimals);
    const auto e = s.find('e');
    ScientificDigits parts;
    parts.mantissa = s.substr(0, e);
    // The exponent is "e+dd" or "e-dd"; from_chars takes no '+'.
    const char *first = s.data() + e + 1;
    if (*first == '+')
        ++first;
    std::from_chars(first, s.data() + s.size(), parts.exponent);
    return parts;
}

std::string formatProjectFloat(double value, char32_t decimal) {
    if (std::isnan(value) || value == 0.0)
        return "0";
    const double magnitude =
        std::isinf(value) ? LargestProjectMagnitude : std::min(std::fabs(value), LargestProjectMagnitude);
    const ScientificDigits parts = scientificParts(magnitude, ProjectSignificantDigits - 1);
    std::string digits = parts.mantissa.substr(0, 1) + parts.mantissa.substr(2);
    while (digits.size() > 1 && digits.back() == '0')
        digits.pop_back();
    const int e = parts.exponent + 1; // value = 0.d1d2... x 10^e
    std::string out = value < 0 ? "-" : "";
    if (e >= ProjectFixedExponentLow && e <= ProjectFixedExponentHigh) {
        if (e <= 0) {
            out += "0";
            appendUtf8(out, decimal);
            out.append(static_cast<std::size_t>(-e), '0');
            out += digits;
        } else {
            const auto integerDigits = static_cast<std::size_t>(e);
            std::string integer = digits.substr(0, std::min(digits.size(), integerDigits));
            integer.append(integerDigits - integer.size(), '0');
            out += integer;
            if (digits.size() > integerDigits) {
                appendUtf8(out, decimal);
                out += digits.substr(integerDigits);
            }
        }
        return out;
    }
    out += digits[0];
    if (digits.size() > 1) {
        appendUtf8(out, decimal);
        out += digits.substr(1);
    }
    return out + "E" + formatInteger(e - 1);
}

std::u16string formatFieldText(double value, FieldFormat format, int decimals, char16_t decimal, char16_t group) {
    if (std::isnan(value))
        value = 0.0;
    if (std::isinf(value))
        value = value > 0 ? DBL_MAX : -DBL_MAX;
    const double magnitude = std::fabs(value);
    switch (format) {
    case FieldFormat::Standard:
    case FieldFormat::Thousands: {
        const std::string digits = fieldFixedDigits(magnitude, decimals);
        const bool negative = value < 0 && !allZero(digits);
        return (negative ? u"-" : u"") + withFieldSeparators(digits, format == FieldFormat::Thousands, decimal, group);
    }
    case FieldFormat::Scientific:
    case FieldFormat::Engineering: {
        const ScientificDigits parts = fieldScientificDigits(magnitude, decimals, format == FieldFormat::Engineering);
        const bool negative = value < 0 && !allZero(parts.mantissa);
        return (negative ? u"-" : u"") + withFieldSeparators(parts.mantissa, false, decimal, group) + u"E" +
               widen(formatInteger(parts.exponent));
    }
    }
    return {};
}

std::string formatObjective(long double value, char decimal) {
    std::string text = formatFixed(value, ObjectiveMaxDecimals);
    const auto point = text.find('.');
    if (point == std::string::npos)
        return text;
    std::size_t end = text.size();
    while (end > point + 1 + ObjectiveMinDecimals && text[end - 1] == '0')
        --end;
    text.resize(end);
    text[point] = decimal;
    return text;
}

std::string formatInteger(long long value, int radix, int minimumDigits) {
    std::string text = toChars(value, radix);
    const std::size_t sign = value < 0 ? 1 : 0;
    const auto digits = static_cast<int>(text.size() - sign);
    if (digits < minimumDigits)
        text.insert(sign, static_cast<std::size_t>(minimumDigits - digits), '0');
    return text;
}

} // namespace pulsefir::base
