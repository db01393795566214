#pragma once

#include <QString>

namespace pulsefir::project {

// "'text' is not a valid floating point value."
QString InvalidFloatMessage(const QString &text);

} // namespace pulsefir::project
