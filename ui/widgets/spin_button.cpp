#include "spin_button.h"

#include <QMouseEvent>
#include <QPainter>
#include <QStyle>
#include <QStyleOption>

namespace pulsefir::ui::widgets {

namespace {
constexpr int ButtonWidth = 16; // px
}

TSpinButton::TSpinButton(QWidget *parent) : QWidget(parent) {
    setFocusPolicy(Qt::NoFocus);
    setCursor(Qt::ArrowCursor);
    m_repeat.setSingleShot(false);
    connect(&m_repeat, &QTimer::timeout, this, &TSpinButton::repeatStep);
}

QSize TSpinButton::sizeHint() const {
    return {ButtonWidth, 20};
}

QRect TSpinButton::upRect() const {
    return {0, 0, width(), height() / 2};
}

QRect TSpinButton::downRect() const {
    return {0, height() / 2, width(), height() - height() / 2};
}

void TSpinButton::paintEvent(QPaintEvent *) {
    QPainter painter(this);
    // Two raised halves, each with its arrow; the held one drawn sunken.
    for (const bool up : {true, false}) {
        QStyleOptionButton button;
        button.initFrom(this);
        button.rect = up ? upRect() : downRect();
        const bool sunken = (up && m_held == Held::Up) || (!up && m_held == Held::Down);
        button.state |= sunken ? QStyle::State_Sunken : QStyle::State_Raised;
        style()->drawPrimitive(QStyle::PE_PanelButtonBevel, &button, &painter, this);
        QStyleOption arrow;
        arrow.initFrom(this);
        arrow.rect = button.rect.adjusted(3, 2, -3, -2);
        style()->drawPrimitive(up ? QStyle::PE_IndicatorArrowUp : QStyle::PE_IndicatorArrowDown, &arrow, &painter,
                               this);
    }
}

void TSpinButton::mousePressEvent(QMouseEvent *event) {
    if (event->button() != Qt::LeftButton)
        return;
    m_held = upRect().contains(event->position().toPoint()) ? Held::Up : Held::Down;
    update();
    emit pressed();
    if (m_held == Held::Up)
        emit upClicked();
    else
        emit downClicked();
    m_repeat.start(FirstRepeatMs);
}

void TSpinButton::mouseReleaseEvent(QMouseEvent *event) {
    if (event->button() != Qt::LeftButton)
        return;
    m_held = Held::None;
    m_repeat.stop();
    update();
}

void TSpinButton::repeatStep() {
    if (m_held == Held::None) {
        m_repeat.stop();
        return;
    }
    m_repeat.setInterval(RepeatMs);
    if (m_held == Held::Up)
        emit upClicked();
    else
        emit downClicked();
}

} // namespace pulsefir::ui::widgets
