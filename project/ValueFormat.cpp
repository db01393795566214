#include "ValueFormat.h"

#include <cmath>
#include <string>

#include "NumberText.h"
#include "project/Parameters.h"

namespace pulsefir::project {

namespace {
constexpr int SignificantDigits = 15;
constexpr int FixedExponentLow = -3;
constexpr int FixedExponentHigh = 15;
} // namespace

QString FormatGeneralFloat(double value, QChar decimal) {
    if (!std::isfinite(value) || value == 0.0)
        return "0";
    const auto parts = text::ScientificParts(std::fabs(value), SignificantDigits - 1);
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
    // The number grammar is the command line's: one '.' or ',', an optional exponent.
    return ParseDecimal(text.toStdString());
}

QString InvalidFloatMessage(const QString &text) {
    return "'" + text + "' is not a valid floating point value.";
}

} // namespace pulsefir::project
