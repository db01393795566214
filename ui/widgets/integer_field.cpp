#include "integer_field.h"

#include <QApplication>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QProxyStyle>
#include <QStyle>

#include <algorithm>
#include <limits>

#include "ui/widgets/field_behaviour.h"
#include "ui/widgets/numeric_text.h"

namespace pulsefir::ui::widgets {

namespace {

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

TSpinEdit::TSpinEdit(QWidget *parent)
    : QLineEdit(parent),
      m_spin(this, {[this] { stepUp(); }, [this] { stepDown(); }, [this] { forgetFocusingClick(); }}) {
    disableSideEntrances(this);
    setText("0");
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
    const auto v = parseFieldInteger(text());
    if (v && value)
        *value = *v;
    return v.has_value();
}

int TSpinEdit::value() const {
    int v = 0;
    return textIsInteger(&v) ? v : m_min;
}

int TSpinEdit::clamp(int value) const {
    return hasRange() ? std::clamp(value, m_min, m_max) : value;
}

void TSpinEdit::setValue(int value) {
    const QString t = integerText(clamp(value));
    if (t != text())
        setText(t);
}

void TSpinEdit::step(int sign) {
    if (isReadOnly()) {
        refuse(this);
        return;
    }
    const long long next = static_cast<long long>(value()) + sign * static_cast<long long>(m_increment);
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
    if (m_spin.stepOnArrowKey(event))
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
                refuse(this);
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
    m_spin.place();
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

} // namespace pulsefir::ui::widgets
