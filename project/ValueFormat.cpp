#include "ValueFormat.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <limits>
#include <string>

#include "NumberText.h"

namespace pulsefir::project {

namespace {
constexpr int SignificantDigits = 15;
constexpr int FixedExponentLow = -3;
constexpr int FixedExponentHigh = 15;
// 1.79769313486231E308: the largest value with 15 significant digits below the largest double.
constexpr double LargestWrittenMagnitude = 1.79769313486231e308;
// The decimal exponent of the first significant digit of integer.fraction x 10^exponent, held
// to +-1e9 (only its sign matters to the caller: above or below the double range).
long long decimalMagnitude(const std::string &integer, const std::string &fraction, const std::string &exponent) {
    long long e = 0;
    const bool negative = exponent[0] == '-';
    for (char c : exponent.substr(negative ? 1 : 0))
        e = std::min(e * 10 + (c - '0'), 1000000000LL);
    e = negative ? -e : e;
    const auto first = integer.find_first_not_of('0');
    if (first != std::string::npos)
        return e + static_cast<long long>(integer.size() - first) - 1;
    const auto firstFraction = fraction.find_first_not_of('0');
    return e - static_cast<long long>(firstFraction == std::string::npos ? 0 : firstFraction) - 1;
}

// A value as an error box shows it: control characters (a NUL among them) escaped as \xHH, and
// a long value cut to its first 80 characters and an ellipsis.
QString shownValue(const QString &text) {
    constexpr int ShownLimit = 80;
    QString shown;
    for (QChar c : text) {
        if (shown.size() >= ShownLimit)
            return shown.left(ShownLimit) + QChar(0x2026);
        if (c.unicode() < 0x20 || c.unicode() == 0x7F)
            shown += QString("\\x%1").arg(c.unicode(), 2, 16, QChar('0'));
        else
            shown += c;
    }
    return shown.size() > ShownLimit ? shown.left(ShownLimit) + QChar(0x2026) : shown;
}

} // namespace

QString FormatGeneralFloat(double value, QChar decimal) {
    if (std::isnan(value) || value == 0.0)
        return "0";
    // Infinity (a field holding 1E400 not yet left) and a value whose 15 digits round above the
    // largest double are written as the largest 15-digit value that still loads back.
    const double magnitude =
        std::isinf(value) ? LargestWrittenMagnitude : std::min(std::fabs(value), LargestWrittenMagnitude);
    const auto parts = text::ScientificParts(magnitude, SignificantDigits - 1);
    std::string digits = parts.mantissa.substr(0, 1) + parts.mantissa.substr(2);
    while (digits.size() > 1 && digits.back() == '0')
        digits.pop_back();
    const int e = parts.exponent + 1; // value = 0.d1d2... x 10^e
    QString out = value < 0 ? "-" : "";
    if (e >= FixedExponentLow && e <= FixedExponentHigh) {
        if (e <= 0) {
            out += "0";
            out += decimal;
            out += QString(-e, '0');
            out += QString::fromStdString(digits);
        } else {
            std::string integer = digits.substr(0, std::min<std::size_t>(digits.size(), static_cast<std::size_t>(e)));
            integer.append(static_cast<std::size_t>(e) - integer.size(), '0');
            out += QString::fromStdString(integer);
            if (digits.size() > static_cast<std::size_t>(e)) {
                out += decimal;
                out += QString::fromStdString(digits.substr(static_cast<std::size_t>(e)));
            }
        }
        return out;
    }
    out += QChar(digits[0]);
    if (digits.size() > 1) {
        out += decimal;
        out += QString::fromStdString(digits.substr(1));
    }
    out += "E";
    if (e - 1 < 0)
        out += "-";
    out += QString::number(std::abs(e - 1));
    return out;
}

std::optional<double> ParseProjectFloat(const QString &text) {
    // The fields' grammar with either separator, at least one digit, and an exponent whose
    // digits may be missing (exponent 0).
    const auto parts =
        text::ScanDecimal({reinterpret_cast<const char16_t *>(text.utf16()), static_cast<std::size_t>(text.size())}, u".,");
    if (!parts || (parts->integer.empty() && parts->fraction.empty()))
        return std::nullopt;
    const std::string number = parts->plainText();
    double value = 0.0;
    const auto [end, error] = std::from_chars(number.data(), number.data() + number.size(), value);
    if (error == std::errc::result_out_of_range) {
        // Beyond the double range: the largest finite double of its sign; below it (an
        // underflow, no error): zero.
        const std::string exponent =
            parts->exponent.empty() ? "0" : (parts->exponentNegative ? "-" : "") + parts->exponent;
        value = decimalMagnitude(parts->integer, parts->fraction, exponent) > 0 ? std::numeric_limits<double>::max()
                                                                                : 0.0;
    } else if (error != std::errc() || end != number.data() + number.size()) {
        return std::nullopt;
    }
    return parts->negative ? -value : value;
}

QString InvalidFloatMessage(const QString &text) {
    return "'" + shownValue(text) + "' is not a valid floating point value.";
}

} // namespace pulsefir::project
