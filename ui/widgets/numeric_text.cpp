#include "numeric_text.h"

#include <QLocale>

#include <algorithm>
#include <string_view>

#include "base/error.h"
#include "base/messages.h"
#include "base/number_text.h"

namespace pulsefir::ui::widgets {

namespace {

[[noreturn]] void invalidValue(const QString &text) {
    throw base::Error(base::Message::invalidFloat(text.toStdString()));
}

std::u16string_view utf16(const QString &text) {
    return {reinterpret_cast<const char16_t *>(text.utf16()), static_cast<std::size_t>(text.size())};
}

} // namespace

NumberSeparators NumberSeparators::current() {
    const QLocale locale;
    const QString decimal = locale.decimalPoint();
    const QString group = locale.groupSeparator();
    return {decimal.isEmpty() ? QChar('.') : decimal.at(0), group.isEmpty() ? QChar(' ') : group.at(0)};
}

double parseFieldText(const QString &text, const NumberSeparators &sep) {
    const auto value = base::parseFieldText(utf16(text), sep.decimal.unicode(), sep.group.unicode());
    if (!value)
        invalidValue(text);
    return *value;
}

QString formatValueText(double value, TNumberFormat format, int decimals, const NumberSeparators &sep) {
    return QString::fromStdU16String(
        base::formatFieldText(value, format, decimals, sep.decimal.unicode(), sep.group.unicode()));
}

std::optional<int> parseFieldInteger(const QString &text) {
    return base::parseFieldInteger(utf16(text));
}

QString integerText(long long value) {
    return QString::fromStdString(base::formatInteger(value));
}

QString significantText(double value, int digits) {
    QString text = QString::fromStdString(base::formatSignificant(value, digits));
    const QChar decimal = NumberSeparators::current().decimal;
    return decimal.isNull() ? text : text.replace('.', decimal);
}

// ---- Typing ----------------------------------------------------------------------------------

NumericTextEditor::NumericTextEditor(QString text, int caret, int selectionStart, int selectionLength,
                                     TNumberFormat format, NumberSeparators separators)
    : m_text(std::move(text)), m_caret(caret), m_selectionStart(selectionStart), m_selectionLength(selectionLength),
      m_format(format), m_separators(separators) {}

int NumericTextEditor::exponentPosition() const {
    return static_cast<int>(m_text.indexOf('E'));
}

int NumericTextEditor::separatorPosition() const {
    return static_cast<int>(m_text.indexOf(m_separators.decimal));
}

bool NumericTextEditor::isProtected(QChar c) const {
    return c == m_separators.group || c == m_separators.decimal || c == 'E';
}

QString NumericTextEditor::zeroText() const {
    return formatValueText(0.0, m_format, -1, m_separators);
}

void NumericTextEditor::typeCharacter(QChar c, int maxLength) {
    m_refused = false;
    if (c == 'e')
        c = 'E';
    // Where the decimal separator is another character and "." is no thousands separator, the "."
    // key (the numeric keypad's decimal key among them) types the decimal separator.
    if (c == '.' && m_separators.decimal != '.' && m_separators.group != '.')
        c = m_separators.decimal;
    const bool digit = c.isDigit() && c.unicode() < 128;
    if (digit || c == '-') {
        if (m_selectionLength > 0)
            deleteSelection();
    } else if (c == 'E' || c == m_separators.decimal) {
        if (m_selectionLength > 0) {
            m_caret = m_selectionStart + m_selectionLength;
            m_selectionLength = 0;
        }
    } else {
        m_refused = true;
        return;
    }
    // The caret never stands before a leading "-".
    if (m_text.startsWith('-') && m_caret == 0)
        m_caret = 1;
    const bool full = maxLength > 0 && m_text.size() >= maxLength;
    if (c == '-') {
        toggleSign();
    } else if (c == m_separators.decimal) {
        const int existing = separatorPosition();
        if (existing >= 0) {
            m_caret = existing + 1;
        } else if (full) {
            m_refused = true;
        } else {
            const int e = exponentPosition();
            const int at = e >= 0 ? e : static_cast<int>(m_text.size());
            m_text.insert(at, m_separators.decimal);
            m_caret = at + 1;
        }
    } else if (c == 'E') {
        const int e = exponentPosition();
        if (e >= 0) {
            m_caret = e + 1;
        } else if (full) {
            m_refused = true;
        } else {
            m_text += 'E';
            m_caret = static_cast<int>(m_text.size());
        }
    } else {
        const auto lengthBefore = m_text.size();
        const QString textBefore = m_text;
        const int caretBefore = m_caret;
        typeDigit(c);
        // The length limit holds for insertions; a digit that replaces one keeps the length.
        if (!m_refused && full && m_text.size() > lengthBefore) {
            m_text = textBefore;
            m_caret = caretBefore;
            m_refused = true;
        }
    }
}

void NumericTextEditor::typeDigit(QChar d) {
    const int signLength = m_text.startsWith('-') ? 1 : 0;
    int integerEnd = signLength;
    while (integerEnd < m_text.size() && m_text[integerEnd] != m_separators.decimal && m_text[integerEnd] != 'E')
        ++integerEnd;
    // A lone "0" integer part is replaced by the digit typed at it.
    if (integerEnd - signLength == 1 && m_text[signLength] == '0' &&
        (m_caret == signLength || m_caret == signLength + 1)) {
        m_text[signLength] = d;
        m_caret = signLength + 1;
        return;
    }
    const int e = exponentPosition();
    QString candidate = m_text;
    int caret = m_caret;
    // The exponent's placeholder "0" right after the "E", or after "E-" once "-" has toggled the
    // exponent's sign, is replaced by the digit typed there.
    const int exponentDigits = e + 1 + (e >= 0 && e + 1 < candidate.size() && candidate[e + 1] == '-' ? 1 : 0);
    if (e >= 0 && (caret == e + 1 || caret == exponentDigits) && exponentDigits < candidate.size() &&
        candidate[exponentDigits] == '0' && (exponentDigits + 1 == candidate.size())) {
        caret = exponentDigits;
        candidate[caret] = d;
        ++caret;
    } else if (e >= 0 && caret == e + 1 && caret < candidate.size() && candidate[caret] == '0') {
        candidate[caret] = d;
        ++caret;
    } else {
        candidate.insert(caret, d);
        ++caret;
    }
    if (e >= 0 && m_caret > e) {
        QString digits = candidate.mid(e + 1);
        digits.remove('-');
        const auto exponent = base::parseTypedExponent(utf16(digits));
        if (!digits.isEmpty() && (!exponent || *exponent > MaxExponent)) {
            m_refused = true;
            return;
        }
    }
    m_text = candidate;
    m_caret = caret;
}

void NumericTextEditor::toggleSign() {
    const int e = exponentPosition();
    if (e >= 0 && m_caret > e) {
        if (e + 1 < m_text.size() && m_text[e + 1] == '-') {
            m_text.remove(e + 1, 1);
            if (m_caret > e + 1)
                --m_caret;
        } else {
            m_text.insert(e + 1, '-');
            ++m_caret;
        }
        return;
    }
    if (m_text.startsWith('-')) {
        m_text.remove(0, 1);
        m_caret = std::max(0, m_caret - 1);
    } else {
        m_text.insert(0, '-');
        ++m_caret;
    }
}

void NumericTextEditor::removeAt(int index) {
    m_text.remove(index, 1);
    if (index < m_caret)
        --m_caret;
    // The only integer digit of an unsigned number leaves a "0" in its place.
    if (index == 0 && !m_text.startsWith('-') &&
        (m_text.isEmpty() || m_text[0] == m_separators.decimal || m_text[0] == 'E')) {
        m_text.insert(0, '0');
        if (m_caret > 0)
            ++m_caret;
    }
    afterDeletion();
}

void NumericTextEditor::afterDeletion() {
    if (m_text.isEmpty()) {
        m_text = "0";
        m_caret = 1;
    }
    if ((m_format == TNumberFormat::Scientific || m_format == TNumberFormat::Engineering) && m_text.endsWith('E'))
        m_text += '0';
    m_caret = std::clamp(m_caret, 0, static_cast<int>(m_text.size()));
}

void NumericTextEditor::backspace() {
    m_refused = false;
    if (m_selectionLength > 0) {
        deleteSelection();
        return;
    }
    int index = m_caret - 1;
    while (index >= 0 && isProtected(m_text[index]))
        --index;
    if (index < 0)
        return;
    removeAt(index);
}

void NumericTextEditor::deleteForward() {
    m_refused = false;
    if (m_selectionLength > 0) {
        deleteSelection();
        return;
    }
    int index = m_caret;
    while (index < m_text.size() && isProtected(m_text[index]))
        ++index;
    if (index >= m_text.size())
        return;
    removeAt(index);
}

void NumericTextEditor::deleteSelection() {
    if (m_selectionLength <= 0)
        return;
    if (m_selectionStart == 0 && m_selectionLength >= m_text.size()) {
        // The caret stands at the lone zero, so a digit typed next replaces it ("3" gives 3E0).
        m_text = zeroText();
        m_caret = 1;
        m_selectionLength = 0;
        return;
    }
    const int count = m_selectionLength;
    m_caret = m_selectionStart + m_selectionLength;
    m_selectionLength = 0;
    for (int k = 0; k < count; ++k)
        backspace();
}

} // namespace pulsefir::ui::widgets
