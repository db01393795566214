#pragma once

#include <QChar>
#include <QString>

#include <optional>

#include "base/number_text.h"

namespace pulsefir::ui::widgets {

// How a float field shows its value: Standard, Thousands, Scientific, Engineering.
using TNumberFormat = base::FieldFormat;

// The user's decimal and thousands separators, read where they are used.
struct NumberSeparators {
    QChar decimal;
    QChar group;
    static NumberSeparators current();
};

// Text to number in the field grammar (base::parseFieldText): thousands separators removed, ""
// read as 0 and "-" as -0, then an optional sign, digits with the decimal separator, an optional
// exponent ("E" alone is exponent 0). Throws base::Error "'text' is not a valid floating point
// value." for anything else.
double parseFieldText(const QString &text, const NumberSeparators &separators);

// Number to text in the field's format (base::formatFieldText): Decimals -1 shows as many
// decimals as the value needs, at most 15 significant digits; 0..14 shows that many.
QString formatValueText(double value, TNumberFormat format, int decimals, const NumberSeparators &separators);

// An integer field's text in its grammar (base::parseFieldInteger): an optional sign and ASCII
// digits within int; nothing for anything else.
std::optional<int> parseFieldInteger(const QString &text);

// An integer as the windows show it ("-42"), base's integer form.
QString integerText(long long value);
// `digits` significant digits with the user's decimal separator, for labels and notes.
QString significantText(double value, int digits);

// The text and caret of a float field while the user types; every rule of typing and deleting.
// A rule that refuses a key sets `refused`, and the field beeps.
class NumericTextEditor {
  public:
    NumericTextEditor(QString text, int caret, int selectionStart, int selectionLength, TNumberFormat format,
                      NumberSeparators separators);

    void typeCharacter(QChar c, int maxLength);
    void backspace();
    void deleteForward();
    void deleteSelection();

    const QString &text() const { return m_text; }
    int caret() const { return m_caret; }
    bool refused() const { return m_refused; }

    static constexpr int MaxExponent = 4932;

  private:
    int exponentPosition() const;    // index of "E", or -1
    int separatorPosition() const;   // index of the decimal separator, or -1
    bool isProtected(QChar c) const; // never deleted: separators and the "E"
    void removeAt(int index);
    void afterDeletion();
    void toggleSign();
    void typeDigit(QChar digit);
    QString zeroText() const;

    QString m_text;
    int m_caret;
    int m_selectionStart;
    int m_selectionLength;
    TNumberFormat m_format;
    NumberSeparators m_separators;
    bool m_refused = false;
};

} // namespace pulsefir::ui::widgets
