#pragma once

#include <QChar>
#include <QString>

#include <optional>

namespace pulsefir::project {

// The general decimal form of a float key: rounded to 15 significant digits, fixed notation
// for decimal exponents -3..15 (0.d1d2... x 10^e), scientific "d,dddE-5" otherwise; no
// thousands separators; `decimal` as the separator.
QString FormatGeneralFloat(double value, QChar decimal);

// A float key's text read with either '.' or ',' as its decimal separator (a file carries the
// separator of whoever saved it). Nothing when it is not a number.
std::optional<double> ParseProjectFloat(const QString &text);

// "'text' is not a valid floating point value."
QString InvalidFloatMessage(const QString &text);

} // namespace pulsefir::project
