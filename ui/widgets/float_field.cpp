#include "float_field.h"

#include <QApplication>
#include <QClipboard>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QProxyStyle>
#include <QPushButton>
#include <QStyle>
#include <QTimer>

#include <cmath>
#include <limits>

#include "base/error.h"
#include "ui/widgets/platform.h"

namespace pulsefir::ui {

namespace {

void beep() {
    Platform::current().beep();
}

// The spin button gives the field the focus (Qt itself does so first, as for a click in the
// text); the next click in the text then places the caret instead of selecting all.
constexpr Qt::FocusReason SpinButtonFocusReason = Qt::OtherFocusReason;

// A text that cannot be read as a number is reported as reading `Value` reports it.
void reportInvalidText(QWidget *field, const base::Error &error) {
    Platform::current().showError(field, QString::fromUtf8(error.what()));
}

// Places the spin button inside the edit's right edge and keeps the text clear of it.
void placeSpinButton(QLineEdit *edit, TSpinButton *button) {
    const int frame = edit->style()->pixelMetric(QStyle::PM_DefaultFrameWidth, nullptr, edit);
    const int width = button->sizeHint().width();
    button->setGeometry(edit->width() - frame - width, frame, width, edit->height() - 2 * frame);
    edit->setTextMargins(0, 0, width, 0);
}

// Up and Down step a field on key-down, so keyboard auto-repeat repeats the step.
template <typename Field> bool stepOnArrowKey(Field *field, const QKeyEvent *event) {
    if (event->key() == Qt::Key_Up)
        field->stepUp();
    else if (event->key() == Qt::Key_Down)
        field->stepDown();
    else
        return false;
    return true;
}

bool isEnter(const QKeyEvent *event) {
    return event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter;
}

// Enter: the window's default push button, if a direct child of it has one, is clicked as if
// with the focus on it; otherwise a beep.
void pressDefaultButtonOrBeep(QLineEdit *edit, bool selectAll) {
    QWidget *window = edit->window();
    for (QObject *child : window->children()) {
        auto *button = qobject_cast<QPushButton *>(child);
        if (button && button->isDefault() && button->isEnabled()) {
            const int start = edit->selectionStart();
            const int length = static_cast<int>(edit->selectedText().size());
            button->setFocus(Qt::OtherFocusReason);
            button->click();
            edit->setFocus(Qt::OtherFocusReason);
            if (selectAll)
                edit->selectAll();
            else if (start >= 0)
                edit->setSelection(start, length);
            return;
        }
    }
    beep();
}

// The left click that gave an unfocused field the focus selects all of it instead of placing
// the caret. The application hands the focus over before the press reaches the field, so the
// focus-in remembers its reason for the press that follows.
bool takeFocusingClick(QLineEdit *edit, QMouseEvent *event, bool autoSelect, bool &clickFocused) {
    const bool focusing = clickFocused;
    clickFocused = false;
    if (!focusing || event->button() != Qt::LeftButton || !autoSelect)
        return false;
    edit->selectAll();
    event->accept();
    return true;
}

bool isEditingShortcut(QKeyEvent *event) {
    // Shortcuts of the line edit that would change the text past the typing rules.
    return event->matches(QKeySequence::Undo) || event->matches(QKeySequence::Redo) ||
           event->matches(QKeySequence::DeleteEndOfWord) || event->matches(QKeySequence::DeleteStartOfWord) ||
           event->matches(QKeySequence::DeleteEndOfLine) || event->matches(QKeySequence::DeleteCompleteLine);
}

void disableSideEntrances(QLineEdit *edit) {
    // Text may only change through the keys handled below, never around them.
    edit->setContextMenuPolicy(Qt::NoContextMenu);
    edit->setDragEnabled(false);
    edit->setAcceptDrops(false);
    edit->setAttribute(Qt::WA_InputMethodEnabled, false);
}

// The widget's style with a text caret zero pixels wide: the line edit draws no caret at all.
class NoCaretStyle : public QProxyStyle {
  public:
    int pixelMetric(PixelMetric metric, const QStyleOption *option, const QWidget *widget) const override {
        if (metric == PM_TextCursorWidth)
            return 0;
        return QProxyStyle::pixelMetric(metric, option, widget);
    }
};

} // namespace

// ---- Integer spin edit -------------------------------------------------------------------------

TSpinEdit::TSpinEdit(QWidget *parent) : QLineEdit(parent), m_button(new TSpinButton(this)) {
    disableSideEntrances(this);
    setText("0");
    connect(m_button, &TSpinButton::pressed, this, [this] {
        forgetFocusingClick();
        if (!hasFocus())
            setFocus(SpinButtonFocusReason);
    });
    connect(m_button, &TSpinButton::upClicked, this, &TSpinEdit::stepUp);
    connect(m_button, &TSpinButton::downClicked, this, &TSpinEdit::stepDown);
}

void TSpinEdit::setEditorEnabled(bool enabled) {
    if (enabled == m_editorEnabled)
        return;
    m_editorEnabled = enabled;
    if (enabled) {
        QStyle *own = style();
        setStyle(nullptr); // back to the application's style
        if (own != QApplication::style())
            own->deleteLater();
        setCursor(Qt::IBeamCursor);
    } else {
        auto *noCaret = new NoCaretStyle;
        noCaret->setParent(this);
        setStyle(noCaret);
        setCursor(Qt::ArrowCursor);
        deselect();
    }
}

void TSpinEdit::mousePressEvent(QMouseEvent *event) {
    if (m_editorEnabled) {
        QLineEdit::mousePressEvent(event);
        return;
    }
    // The press only focuses the field, for the arrow keys.
    if (focusPolicy() & Qt::ClickFocus)
        setFocus(Qt::MouseFocusReason);
    deselect();
    event->accept();
}

void TSpinEdit::mouseMoveEvent(QMouseEvent *event) {
    if (m_editorEnabled)
        QLineEdit::mouseMoveEvent(event);
    else
        event->accept();
}

void TSpinEdit::mouseDoubleClickEvent(QMouseEvent *event) {
    if (m_editorEnabled)
        QLineEdit::mouseDoubleClickEvent(event);
    else
        event->accept();
}

void TSpinEdit::setRange(int minimum, int maximum) {
    m_min = minimum;
    m_max = maximum;
}

bool TSpinEdit::textIsInteger(int *value) const {
    const auto v = ParseFieldInteger(text());
    if (v && value)
        *value = *v;
    return v.has_value();
}

int TSpinEdit::Value() const {
    int v = 0;
    return textIsInteger(&v) ? v : m_min;
}

int TSpinEdit::clamp(int value) const {
    return hasRange() ? std::clamp(value, m_min, m_max) : value;
}

void TSpinEdit::setValue(int value) {
    const QString t = IntegerText(clamp(value));
    if (t != text())
        setText(t);
}

void TSpinEdit::step(int sign) {
    if (isReadOnly()) {
        beep();
        return;
    }
    const long long next = static_cast<long long>(Value()) + sign * static_cast<long long>(m_increment);
    setValue(static_cast<int>(
        std::clamp<long long>(next, std::numeric_limits<int>::min(), std::numeric_limits<int>::max())));
}

void TSpinEdit::stepUp() {
    step(+1);
}

void TSpinEdit::stepDown() {
    step(-1);
}

void TSpinEdit::keyPressEvent(QKeyEvent *event) {
    if (stepOnArrowKey(this, event))
        return;
    if (isEnter(event)) {
        enterPressed();
        event->accept();
        return;
    }
    if (isEditingShortcut(event))
        return;
    const QString typed = event->text();
    const bool printable = !typed.isEmpty() && typed[0].isPrint() && !(event->modifiers() & Qt::ControlModifier);
    if (printable) {
        const QChar decimal = NumberSeparators::current().decimal;
        for (QChar c : typed) {
            const bool accepted = (c.isDigit() && c.unicode() < 128) || c == '+' || c == '-' || c == decimal;
            if (!accepted || !m_editorEnabled || isReadOnly()) {
                beep();
                return;
            }
        }
    } else if (!m_editorEnabled && (event->key() == Qt::Key_Backspace || event->key() == Qt::Key_Delete ||
                                    event->matches(QKeySequence::Paste) || event->matches(QKeySequence::Cut))) {
        return;
    }
    QLineEdit::keyPressEvent(event);
}

void TSpinEdit::focusOutEvent(QFocusEvent *event) {
    QLineEdit::focusOutEvent(event);
    int v = 0;
    if (textIsInteger(&v) && clamp(v) != v)
        setValue(v);
}

void TSpinEdit::resizeEvent(QResizeEvent *event) {
    QLineEdit::resizeEvent(event);
    placeSpinButton(this, m_button);
}

TNmSpinEdit::TNmSpinEdit(QWidget *parent) : TSpinEdit(parent) {
    setAlignment(Qt::AlignCenter);
}

void TNmSpinEdit::enterPressed() {
    pressDefaultButtonOrBeep(this, true);
}

void TNmSpinEdit::focusInEvent(QFocusEvent *event) {
    TSpinEdit::focusInEvent(event);
    m_clickFocused = event->reason() == Qt::MouseFocusReason;
    selectAll();
}

void TNmSpinEdit::mousePressEvent(QMouseEvent *event) {
    if (!takeFocusingClick(this, event, true, m_clickFocused))
        TSpinEdit::mousePressEvent(event);
}

// ---- Float field -------------------------------------------------------------------------------

TNmNumEdit::TNmNumEdit(QWidget *parent) : QLineEdit(parent) {
    disableSideEntrances(this);
    setAlignment(Qt::AlignCenter);
    setText("0");
}

QString TNmNumEdit::formatted(double value) const {
    return FormatValueText(value, m_format, m_decimals, NumberSeparators::current());
}

double TNmNumEdit::Value() const {
    return ParseFieldText(text(), NumberSeparators::current());
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
        beep();
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
            beep();
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
        v = Value();
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
        v = Value();
    } catch (const base::Error &error) {
        reportInvalidText(this, error); // the text stays for the user to correct
        return;
    }
    setValue(v);
    if (hasRange() && (v < m_min || v > m_max)) {
        InvalidEntry();
        return;
    }
    emit exited();
}

void TNmNumEdit::InvalidEntry() {
    if (OnInvalidEntry) {
        OnInvalidEntry();
        return;
    }
    try {
        const double v = Value();
        if (v < m_min)
            setValue(m_min);
        else if (v > m_max)
            setValue(m_max);
    } catch (const base::Error &) {
    }
    beep();
    // Taken back once the focus change that is under way has finished.
    QTimer::singleShot(0, this, [this] { setFocus(Qt::OtherFocusReason); });
}

// ---- Float field with spin button --------------------------------------------------------------

TNmSuperSpin::TNmSuperSpin(QWidget *parent) : TNmNumEdit(parent), m_button(new TSpinButton(this)) {
    connect(m_button, &TSpinButton::pressed, this, [this] {
        forgetFocusingClick();
        if (!hasFocus())
            setFocus(SpinButtonFocusReason);
    });
    connect(m_button, &TSpinButton::upClicked, this, &TNmSuperSpin::stepUp);
    connect(m_button, &TSpinButton::downClicked, this, &TNmSuperSpin::stepDown);
}

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
    } else if (m_step < (MaxValue() - MinValue()) / 5) {
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
        beep();
        return;
    }
    accelerate();
    double v = 0.0;
    try {
        v = Value();
    } catch (const base::Error &error) {
        reportInvalidText(this, error);
        return;
    }
    const bool ranged = hasRange();
    const double sign = up ? 1.0 : -1.0;
    const bool beyondStart = up ? v < MinValue() : v > MaxValue();
    const auto within = [&](double x) { return up ? x <= MaxValue() : x >= MinValue(); };
    if (ranged && beyondStart) {
        InvalidEntry();
    } else if (!ranged || within(v + sign * m_step)) {
        setValue(rounded(v + sign * m_step));
    } else if (m_wrap) {
        setValue(up ? MinValue() : MaxValue());
    } else if (within(v + sign * m_increment)) {
        m_step = m_increment;
        setValue(rounded(v + sign * m_increment));
    } else {
        InvalidEntry();
    }
}

void TNmSuperSpin::stepUp() {
    step(true);
}

void TNmSuperSpin::stepDown() {
    step(false);
}

void TNmSuperSpin::keyPressEvent(QKeyEvent *event) {
    if (stepOnArrowKey(this, event))
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
    placeSpinButton(this, m_button);
}

} // namespace pulsefir::ui
