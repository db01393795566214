#include "spin_attachment.h"

#include <QKeyEvent>
#include <QLineEdit>
#include <QStyle>

namespace pulsefir::ui::widgets {

namespace {

// The spin button gives the field the focus (Qt itself does so first, as for a click in the
// text); the next click in the text then places the caret instead of selecting all.
constexpr Qt::FocusReason SpinButtonFocusReason = Qt::OtherFocusReason;

} // namespace

SpinAttachment::SpinAttachment(QLineEdit *field, Hooks hooks)
    : m_field(field), m_button(new TSpinButton(field)), m_hooks(std::move(hooks)) {
    QObject::connect(m_button, &TSpinButton::pressed, field, [this] {
        m_hooks.forgetFocusingClick();
        if (!m_field->hasFocus())
            m_field->setFocus(SpinButtonFocusReason);
    });
    QObject::connect(m_button, &TSpinButton::upClicked, field, [this] { m_hooks.stepUp(); });
    QObject::connect(m_button, &TSpinButton::downClicked, field, [this] { m_hooks.stepDown(); });
}

void SpinAttachment::place() {
    const int frame = m_field->style()->pixelMetric(QStyle::PM_DefaultFrameWidth, nullptr, m_field);
    const int width = m_button->sizeHint().width();
    m_button->setGeometry(m_field->width() - frame - width, frame, width, m_field->height() - 2 * frame);
    m_field->setTextMargins(0, 0, width, 0);
}

bool SpinAttachment::stepOnArrowKey(const QKeyEvent *event) const {
    if (event->key() == Qt::Key_Up)
        m_hooks.stepUp();
    else if (event->key() == Qt::Key_Down)
        m_hooks.stepDown();
    else
        return false;
    return true;
}

} // namespace pulsefir::ui::widgets
