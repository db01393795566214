#include "NumberText.h"

#include <charconv>
#include <system_error>

namespace pulsefir::text {

namespace {

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

} // namespace

std::string FixedText(long double value, int decimals) {
    return toChars(value, std::chars_format::fixed, decimals);
}

ScientificDigits ScientificParts(double magnitude, int decimals) {
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

std::string ShortestText(double value) {
    return toChars(value);
}

std::string GeneralText(long double value, int significant) {
    return toChars(value, std::chars_format::general, significant);
}

std::string FormatObjective(long double value, char decimalSeparator) {
    // Up to 14 decimals, trailing zeros dropped down to 6.
    std::string text = FixedText(value, 14);
    const auto point = text.find('.');
    if (point == std::string::npos)
        return text;
    std::size_t end = text.size();
    while (end > point + 7 && text[end - 1] == '0')
        --end;
    text.resize(end);
    text[point] = decimalSeparator;
    return text;
}

std::string DecimalParts::plainText() const {
    return (integer.empty() ? "0" : integer) + (fraction.empty() ? "" : "." + fraction) + "e" +
           (exponentNegative ? "-" : "") + (exponent.empty() ? "0" : exponent);
}

std::optional<DecimalParts> ScanDecimal(std::u16string_view text, std::u16string_view separators) {
    DecimalParts parts;
    std::size_t p = 0;
    const std::size_t n = text.size();
    const auto digit = [&](std::size_t k) { return k < n && text[k] >= u'0' && text[k] <= u'9'; };
    const auto skipBlanks = [&] {
        while (p < n && text[p] == u' ')
            ++p;
    };
    skipBlanks();
    if (p < n && (text[p] == u'+' || text[p] == u'-'))
        parts.negative = text[p++] == u'-';
    for (; p < n; ++p) {
        if (digit(p))
            (parts.separator ? parts.fraction : parts.integer) += static_cast<char>(text[p]);
        else if (!parts.separator && separators.find(text[p]) != std::u16string_view::npos)
            parts.separator = true;
        else
            break;
    }
    if (p < n && (text[p] == u'E' || text[p] == u'e')) {
        parts.exponentMark = true;
        ++p;
        if (p < n && (text[p] == u'+' || text[p] == u'-'))
            parts.exponentNegative = text[p++] == u'-';
        while (digit(p))
            parts.exponent += static_cast<char>(text[p++]);
    }
    skipBlanks();
    if (p != n)
        return std::nullopt;
    return parts;
}

} // namespace pulsefir::text
