#include "numeric_text.h"

#include <QLocale>

#include <cfloat>
#include <charconv>
#include <cmath>
#include <string>

#include "base/error.h"
#include "project/NumberText.h"

namespace pulsefir::ui {

namespace {

constexpr int MaxSignificantDigits = 15;
constexpr int MaxDecimals = 14;

[[noreturn]] void invalidValue(const QString &text) {
    throw base::Error(("'" + text + "' is not a valid floating point value.").toStdString());
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

// Fixed notation of |value|: decimals -1 drops trailing zeros and keeps 15 significant digits.
std::string fixedDigits(double magnitude, int decimals) {
    if (decimals >= 0)
        return text::FixedText(magnitude, std::min(decimals, MaxDecimals));
    std::string s = text::FixedText(magnitude, MaxDecimals);
    stripTrailingZeros(s);
    const auto point = s.find('.');
    if (point != std::string::npos) {
        const int integerDigits = static_cast<int>(point);
        s = text::FixedText(magnitude, std::max(0, MaxSignificantDigits - integerDigits));
        stripTrailingZeros(s);
    }
    return s;
}

// Mantissa digits and exponent of |value| in scientific notation, d.ddd and e.
void scientificParts(double magnitude, int decimals, std::string &mantissa, int &exponent) {
    const int precision = decimals >= 0 ? std::min(decimals, MaxDecimals) : MaxDecimals;
    auto parts = text::ScientificParts(magnitude, precision);
    exponent = parts.exponent;
    mantissa = std::move(parts.mantissa);
    if (decimals < 0)
        stripTrailingZeros(mantissa);
}

QString withSeparators(const std::string &plain, bool group, const NumberSeparators &sep) {
    const auto point = plain.find('.');
    const std::string integer = plain.substr(0, point);
    QString out;
    for (std::size_t k = 0; k < integer.size(); ++k) {
        if (group && k > 0 && (integer.size() - k) % 3 == 0)
            out += sep.group;
        out += QChar(integer[k]);
    }
    if (point != std::string::npos) {
        out += sep.decimal;
        out += QString::fromStdString(plain.substr(point + 1));
    }
    return out;
}

bool allZero(const std::string &digits) {
    for (char c : digits)
        if (c >= '1' && c <= '9')
            return false;
    return true;
}

} // namespace

NumberSeparators NumberSeparators::current() {
    const QLocale locale;
    const QString decimal = locale.decimalPoint();
    const QString group = locale.groupSeparator();
    return {decimal.isEmpty() ? QChar('.') : decimal.at(0), group.isEmpty() ? QChar(' ') : group.at(0)};
}

double ParseFieldText(const QString &text, const NumberSeparators &sep) {
    QString s = text;
    s.remove(sep.group);
    if (s.isEmpty())
        s = "0";
    else if (s == "-")
        s = "-0";
    const char16_t decimal = sep.decimal.unicode();
    const auto parts = text::ScanDecimal(
        {reinterpret_cast<const char16_t *>(s.utf16()), static_cast<std::size_t>(s.size())}, {&decimal, 1});
    if (!parts || (parts->integer.empty() && parts->fraction.empty() && !parts->separator))
        invalidValue(text);
    const std::string number = parts->plainText();
    double value = 0.0;
    const auto [end, error] = std::from_chars(number.data(), number.data() + number.size(), value);
    if (error == std::errc::result_out_of_range)
        value = (parts->exponentNegative || allZero(parts->integer + parts->fraction)) ? 0.0 : HUGE_VAL;
    else if (error != std::errc() || end != number.data() + number.size())
        invalidValue(text);
    return parts->negative ? -value : value;
}

QString FormatValueText(double value, TNumberFormat format, int decimals, const NumberSeparators &sep) {
    if (std::isnan(value))
        value = 0.0;
    if (std::isinf(value))
        value = value > 0 ? DBL_MAX : -DBL_MAX;
    const double magnitude = std::fabs(value);
    switch (format) {
    case TNumberFormat::Standard:
    case TNumberFormat::Thousands: {
        const std::string digits = fixedDigits(magnitude, decimals);
        const bool negative = value < 0 && !allZero(digits);
        return (negative ? "-" : "") + withSeparators(digits, format == TNumberFormat::Thousands, sep);
    }
    case TNumberFormat::Scientific:
    case TNumberFormat::Engineering: {
        std::string mantissa;
        int exponent = 0;
        scientificParts(magnitude, decimals, mantissa, exponent);
        if (format == TNumberFormat::Engineering && magnitude != 0.0) {
            // Move the point so that the exponent is a multiple of 3 (mantissa 1..999).
            const int shift = ((exponent % 3) + 3) % 3;
            std::string digitsOnly;
            for (char c : mantissa)
                if (c != '.')
                    digitsOnly += c;
            while (static_cast<int>(digitsOnly.size()) < shift + 1)
                digitsOnly += '0';
            mantissa = digitsOnly.substr(0, static_cast<std::size_t>(shift + 1));
            if (digitsOnly.size() > static_cast<std::size_t>(shift + 1)) {
                mantissa.push_back('.');
                mantissa.append(digitsOnly, static_cast<std::size_t>(shift + 1), std::string::npos);
            }
            if (decimals < 0)
                stripTrailingZeros(mantissa);
            exponent -= shift;
        }
        const bool negative = value < 0 && !allZero(mantissa);
        return (negative ? "-" : "") + withSeparators(mantissa, false, sep) + "E" + (exponent < 0 ? "-" : "") +
               QString::number(std::abs(exponent));
    }
    }
    return {};
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
    return FormatValueText(0.0, m_format, -1, m_separators);
}

void NumericTextEditor::typeCharacter(QChar c, int maxLength) {
    m_refused = false;
    if (c == 'e')
        c = 'E';
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
    if (e >= 0 && caret == e + 1 && caret < candidate.size() && candidate[caret] == '0') {
        candidate[caret] = d;
        ++caret;
    } else {
        candidate.insert(caret, d);
        ++caret;
    }
    if (e >= 0 && m_caret > e) {
        bool ok = false;
        QString digits = candidate.mid(e + 1);
        digits.remove('-');
        const long exponent = digits.isEmpty() ? 0 : digits.toLong(&ok);
        if (!digits.isEmpty() && (!ok || exponent > MaxExponent)) {
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

} // namespace pulsefir::ui
