#include "ValueFormat.h"

#include "base/number_text.h"

namespace pulsefir::project {

namespace {

// A value as an error box shows it: control characters (a NUL among them) escaped as \xHH, and
// a long value cut to its first 80 characters and an ellipsis.
QString shownValue(const QString &text) {
    constexpr int ShownLimit = 80;
    QString shown;
    for (QChar c : text) {
        if (shown.size() >= ShownLimit)
            return shown.left(ShownLimit) + QChar(0x2026);
        if (c.unicode() < 0x20 || c.unicode() == 0x7F)
            shown += "\\x" + QString::fromStdString(base::formatInteger(c.unicode(), 16, 2));
        else
            shown += c;
    }
    return shown.size() > ShownLimit ? shown.left(ShownLimit) + QChar(0x2026) : shown;
}

} // namespace

QString InvalidFloatMessage(const QString &text) {
    return "'" + shownValue(text) + "' is not a valid floating point value.";
}

} // namespace pulsefir::project
