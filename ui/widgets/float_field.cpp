#include "float_field.h"

#include <QApplication>
#include <QClipboard>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QTimer>

#include <cmath>

#include "base/error.h"
#include "ui/widgets/field_behaviour.h"
#include "ui/widgets/platform.h"

namespace pulsefir::ui::widgets {

namespace {

// A text that cannot be read as a number is reported as reading `Value` reports it.
void reportInvalidText(QWidget *field, const base::Error &error) {
    Platform::current().showError(field, QString::fromUtf8(error.what()));
}

} // namespace

// ---- Float field -------------------------------------------------------------------------------

TNmNumEdit::TNmNumEdit(QWidget *parent) : QLineEdit(parent) {
    disableSideEntrances(this);
    setAlignment(Qt::AlignCenter);
    setText("0");
}

QString TNmNumEdit::formatted(double value) const {
    return formatValueText(value, m_format, m_decimals, NumberSeparators::current());
}

double TNmNumEdit::value() const {
    return parseFieldText(text(), NumberSeparators::current());
}

void TNmNumEdit::setValue(double value) {
    const QString t = formatted(value);
    if (t != text())
        setText(t);
}

void TNmNumEdit::setRange(double minimum, double maximum) {
    m_min = minimum;
    m_max = maximum;
}

void TNmNumEdit::setDecimals(int decimals) {
    m_decimals = std::clamp(decimals, -1, 14);
}

void TNmNumEdit::setNumberFormat(TNumberFormat format) {
    m_format = format;
}

NumericTextEditor TNmNumEdit::editor() const {
    const bool selected = hasSelectedText();
    return NumericTextEditor(text(), cursorPosition(), selected ? selectionStart() : cursorPosition(),
                             selected ? static_cast<int>(selectedText().size()) : 0, m_format,
                             NumberSeparators::current());
}

void TNmNumEdit::apply(const NumericTextEditor &e) {
    if (e.text() != text())
        setText(e.text());
    deselect();
    setCursorPosition(e.caret());
    if (e.refused())
        refuse(this);
}

void TNmNumEdit::typeText(const QString &typed) {
    for (QChar c : typed) {
        NumericTextEditor e = editor();
        e.typeCharacter(c, m_maxLength);
        apply(e);
    }
}

void TNmNumEdit::copySelection() {
    QString t = hasSelectedText() ? selectedText() : QString("0");
    t.remove(NumberSeparators::current().group);
    QApplication::clipboard()->setText(t);
}

void TNmNumEdit::keyPressEvent(QKeyEvent *event) {
    if (isEnter(event)) {
        pressDefaultButtonOrBeep(this, m_autoSelect);
        event->accept();
        return;
    }
    if (event->matches(QKeySequence::Copy)) {
        copySelection();
        return;
    }
    if (event->matches(QKeySequence::Cut)) {
        if (editable()) {
            copySelection();
            NumericTextEditor e = editor();
            e.deleteSelection();
            apply(e);
        }
        return;
    }
    if (event->matches(QKeySequence::Paste)) {
        if (editable()) {
            NumericTextEditor e = editor();
            e.deleteSelection();
            apply(e);
            typeText(QApplication::clipboard()->text());
        }
        return;
    }
    if (isEditingShortcut(event))
        return;
    if (event->key() == Qt::Key_Backspace || event->key() == Qt::Key_Delete) {
        if (!isReadOnly()) {
            NumericTextEditor e = editor();
            if (event->key() == Qt::Key_Backspace)
                e.backspace();
            else
                e.deleteForward();
            apply(e);
        }
        event->accept();
        return;
    }
    const QString typed = event->text();
    const bool printable =
        !typed.isEmpty() && typed[0].isPrint() && !(event->modifiers() & (Qt::ControlModifier | Qt::AltModifier));
    if (printable) {
        if (!editable()) {
            refuse(this);
            return;
        }
        typeText(typed);
        event->accept();
        return;
    }
    QLineEdit::keyPressEvent(event);
}

void TNmNumEdit::keyReleaseEvent(QKeyEvent *event) {
    QLineEdit::keyReleaseEvent(event);
    if (!event->isAutoRepeat())
        groupDigits(event->key());
}

// After a key release the digits are regrouped when the separators no longer fit the number;
// the caret moves by the separators gained or lost so it stays by the same digit.
void TNmNumEdit::groupDigits(int releasedKey) {
    if (m_format != TNumberFormat::Thousands || hasSelectedText())
        return;
    double v = 0.0;
    try {
        v = value();
    } catch (const base::Error &) {
        return;
    }
    const QChar group = NumberSeparators::current().group;
    const QString current = text();
    const QString wanted = formatted(v);
    const bool force = releasedKey == Qt::Key_Return || releasedKey == Qt::Key_Enter || releasedKey == Qt::Key_Space;
    if (current.count(group) == wanted.count(group) && current.indexOf(group) == wanted.indexOf(group) && !force)
        return;
    if (wanted == current)
        return;
    const int caret = cursorPosition() + static_cast<int>(wanted.count(group) - current.count(group));
    setText(wanted);
    setCursorPosition(std::clamp(caret, 0, static_cast<int>(wanted.size())));
}

void TNmNumEdit::focusInEvent(QFocusEvent *event) {
    QLineEdit::focusInEvent(event);
    m_clickFocused = event->reason() == Qt::MouseFocusReason;
    if (m_autoSelect)
        selectAll();
}

void TNmNumEdit::mousePressEvent(QMouseEvent *event) {
    if (!takeFocusingClick(this, event, m_autoSelect, m_clickFocused))
        QLineEdit::mousePressEvent(event);
}

void TNmNumEdit::focusOutEvent(QFocusEvent *event) {
    QLineEdit::focusOutEvent(event);
    // Switching to another application or opening a menu is not leaving the field.
    if (event->reason() == Qt::ActiveWindowFocusReason || event->reason() == Qt::PopupFocusReason)
        return;
    double v = 0.0;
    try {
        v = value();
    } catch (const base::Error &error) {
        reportInvalidText(this, error); // the text stays for the user to correct
        return;
    }
    setValue(v);
    if (hasRange() && (v < m_min || v > m_max)) {
        invalidEntry();
        return;
    }
    emit exited();
}

void TNmNumEdit::invalidEntry() {
    if (OnInvalidEntry) {
        OnInvalidEntry();
        return;
    }
    try {
        const double v = value();
        if (v < m_min)
            setValue(m_min);
        else if (v > m_max)
            setValue(m_max);
    } catch (const base::Error &) {
    }
    refuse(this);
    // Taken back once the focus change that is under way has finished.
    QTimer::singleShot(0, this, [this] { setFocus(Qt::OtherFocusReason); });
}

// ---- Float field with spin button --------------------------------------------------------------

TNmSuperSpin::TNmSuperSpin(QWidget *parent)
    : TNmNumEdit(parent),
      m_spin(this, {[this] { stepUp(); }, [this] { stepDown(); }, [this] { forgetFocusingClick(); }}) {}

void TNmSuperSpin::setIncrement(double increment) {
    m_increment = increment;
    m_step = increment;
}

void TNmSuperSpin::resetStep() {
    m_step = m_increment;
    m_fastSteps = 0;
}

// Steps less than 200 ms apart speed up: every second one after the fourth adds Increment to
// the step, until the step reaches a fifth of the range.
void TNmSuperSpin::accelerate() {
    const qint64 now = Platform::current().tickCount();
    if (!m_stepped || now - m_lastStep > AccelerationPauseMs) {
        resetStep();
    } else if (m_step < (maxValue() - minValue()) / 5) {
        ++m_fastSteps;
        if (m_fastSteps > 4 && m_fastSteps % 2 == 0)
            m_step += m_increment;
    }
    m_lastStep = now;
    m_stepped = true;
}

double TNmSuperSpin::rounded(double value) const {
    if (!m_roundValues || m_increment == 0.0)
        return value;
    return std::round(value / m_increment) * m_increment;
}

void TNmSuperSpin::step(bool up) {
    if (isReadOnly()) {
        refuse(this);
        return;
    }
    accelerate();
    double v = 0.0;
    try {
        v = value();
    } catch (const base::Error &error) {
        reportInvalidText(this, error);
        return;
    }
    const bool ranged = hasRange();
    const double sign = up ? 1.0 : -1.0;
    const bool beyondStart = up ? v < minValue() : v > maxValue();
    const auto within = [&](double x) { return up ? x <= maxValue() : x >= minValue(); };
    if (ranged && beyondStart) {
        invalidEntry();
    } else if (!ranged || within(v + sign * m_step)) {
        setValue(rounded(v + sign * m_step));
    } else if (m_wrap) {
        setValue(up ? minValue() : maxValue());
    } else if (within(v + sign * m_increment)) {
        m_step = m_increment;
        setValue(rounded(v + sign * m_increment));
    } else {
        invalidEntry();
    }
}

void TNmSuperSpin::stepUp() {
    step(true);
}

void TNmSuperSpin::stepDown() {
    step(false);
}

void TNmSuperSpin::keyPressEvent(QKeyEvent *event) {
    if (m_spin.stepOnArrowKey(event))
        return;
    TNmNumEdit::keyPressEvent(event);
}

void TNmSuperSpin::keyReleaseEvent(QKeyEvent *event) {
    if (!event->isAutoRepeat())
        resetStep();
    TNmNumEdit::keyReleaseEvent(event);
}

void TNmSuperSpin::resizeEvent(QResizeEvent *event) {
    TNmNumEdit::resizeEvent(event);
    m_spin.place();
}

} // namespace pulsefir::ui::widgets
