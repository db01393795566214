#include "form_base.h"

#include <QApplication>
#include <QGuiApplication>
#include <QHideEvent>
#include <QScreen>
#include <QShortcut>
#include <QShowEvent>
#include <QStyle>
#include <QTimer>
#include <QVBoxLayout>
#include <QWindow>

#include <algorithm>
#include <exception>
#include <new>
#include <stdexcept>
#include <string>
#include <utility>

#include "base/messages.h"
#include "project/settings_table.h"
#include "ui/widgets/platform.h"
#include "ui/window_frame.h"

namespace pulsefir::ui {

TForm::TForm(const QString &name, const QString &caption) {
    setObjectName(name);
    setWindowTitle(caption);
    auto *help = new QShortcut(QKeySequence::HelpContents, this);
    help->setContext(Qt::WindowShortcut);
    connect(help, &QShortcut::activated, this, [this] { emit helpRequested(objectName()); });
}

QWidget *TForm::component(const QString &name) const {
    for (QWidget *w : m_components)
        if (w->objectName() == name)
            return w;
    return nullptr;
}

std::optional<QMargins> TForm::answeredMargins() const {
    // Asked of the window manager's announcement: the widget's own frame geometry is refreshed
    // only by a move or a resize, and a window manager that puts the window exactly where it was
    // asked sends neither, so it can report no frame, or a transient one, long after the frame is
    // drawn.
    const QWindow *window = isVisible() ? windowHandle() : nullptr;
    return window ? announcedFrameMargins(*window) : std::nullopt;
}

std::optional<QMargins> TForm::ownMargins() const {
    if (const auto answered = answeredMargins())
        m_frameMargins = answered;
    return m_frameMargins;
}

std::optional<QMargins> TForm::knownMargins() const {
    if (const auto own = ownMargins())
        return own;
    std::optional<QMargins> otherKind;
    for (QWidget *w : QApplication::topLevelWidgets()) {
        const auto *form = qobject_cast<const TForm *>(w);
        if (!form || form == this)
            continue;
        if (const auto margins = form->ownMargins()) {
            if (form->m_sizeable == m_sizeable)
                return margins;
            if (!otherKind)
                otherKind = margins;
        }
    }
    return otherKind;
}

QMargins TForm::frameMargins() const {
    return knownMargins().value_or(QMargins());
}

QRect TForm::outerGeometry() const {
    if (isVisible()) {
        if (m_pendingOuter)
            return m_sizeable ? *m_pendingOuter : QRect(m_pendingOuter->topLeft(), size().grownBy(frameMargins()));
        return geometry().marginsAdded(frameMargins());
    }
    if (m_outerWhileHidden)
        return m_sizeable ? *m_outerWhileHidden : QRect(m_outerWhileHidden->topLeft(), size().grownBy(frameMargins()));
    return geometry().marginsAdded(frameMargins());
}

QRect TForm::clientFor(const QRect &outer, const QMargins &margins) const {
    const QRect client = outer.marginsRemoved(margins);
    return m_sizeable ? client : QRect(client.topLeft(), size());
}

void TForm::setOuterGeometry(const QRect &frame, bool resizeToo) {
    QRect outer = outerGeometry();
    outer.moveTopLeft(frame.topLeft());
    if (resizeToo)
        outer.setSize(frame.size());
    if (isVisible()) {
        placeShown(outer);
        return;
    }
    m_outerWhileHidden = outer;
    setGeometry(clientFor(outer, frameMargins()));
    m_clientWhileHidden = geometry();
}

void TForm::placeShown(const QRect &outer) {
    // Placed by its client area, which the window system puts exactly where it is asked to; the
    // frame then stands where it should.
    if (const auto answered = answeredMargins()) {
        m_frameMargins = answered;
        m_pendingOuter.reset();
        setGeometry(clientFor(outer, *answered));
        m_placedClient = geometry();
        return;
    }
    m_pendingOuter = outer;
    setGeometry(clientFor(outer, frameMargins()));
    m_placedClient = geometry();
    constexpr int MaxPolls = 1500; // 30 s: a window manager answers within milliseconds when idle
    if (!m_awaitingFrame)
        awaitFrame(MaxPolls);
}

void TForm::awaitFrame(int pollsLeft) {
    constexpr int PollMs = 20;
    m_awaitingFrame = false;
    if (!isVisible() || !m_pendingOuter)
        return;
    if (const auto answered = answeredMargins()) {
        m_frameMargins = answered;
        const QRect outer = *m_pendingOuter;
        m_pendingOuter.reset();
        setGeometry(clientFor(outer, *answered));
        m_placedClient = geometry();
        return;
    }
    // No window manager, or one that draws no frame: the window stays where it was put, and its
    // frame is what the known margins make of it from then on (a move by the user then counts).
    if (pollsLeft <= 0) {
        m_pendingOuter.reset();
        return;
    }
    m_awaitingFrame = true;
    QTimer::singleShot(PollMs, this, [this, pollsLeft] { awaitFrame(pollsLeft - 1); });
}

namespace {
// The frame assumed for a window before the window manager has framed any: a title bar and a thin
// border, so that a window fitted before it is framed does not reach past the screen.
constexpr QMargins AssumedFrame(4, 28, 4, 4);
} // namespace

void TForm::fitToScreen() {
    if (!m_scroll && layout()) {
        if (!m_sizeable)
            m_designedSize = size();
        auto *content = new QWidget;
        content->setObjectName("ContentWidget");
        content->setLayout(layout()); // takes the layout over, and the widgets it lays out
        m_scroll = new QScrollArea(this);
        m_scroll->setObjectName("ContentScrollArea");
        m_scroll->setFrameShape(QFrame::NoFrame);
        m_scroll->setWidgetResizable(true);
        m_scroll->setWidget(content);
        if (!m_sizeable)
            content->setMinimumSize(m_designedSize);
        auto *outer = new QVBoxLayout(this);
        outer->setContentsMargins(0, 0, 0, 0);
        outer->addWidget(m_scroll);
    }
    const QScreen *shown = screen() ? screen() : QGuiApplication::primaryScreen();
    if (!shown)
        return;
    const QRect available = shown->availableGeometry();
    const QMargins margins = knownMargins().value_or(AssumedFrame);
    const QSize room = available.size().shrunkBy(margins);
    bool shrunk = false;
    if (!m_sizeable) {
        // Room for the scroll bar that the other direction then needs, so that one bar suffices.
        const int bar = m_scroll->style()->pixelMetric(QStyle::PM_ScrollBarExtent, nullptr, m_scroll);
        QSize fitted = m_designedSize.boundedTo(room);
        if (fitted.height() < m_designedSize.height())
            fitted.setWidth(std::min(m_designedSize.width() + bar, room.width()));
        if (fitted.width() < m_designedSize.width())
            fitted.setHeight(std::min(m_designedSize.height() + bar, room.height()));
        if (fitted != size()) {
            setFixedSize(fitted);
            m_placedClient = geometry();
            shrunk = fitted.width() < m_designedSize.width() || fitted.height() < m_designedSize.height();
        }
    } else if (width() > room.width() || height() > room.height()) {
        resize(size().boundedTo(room));
        m_placedClient = geometry();
        shrunk = true;
    }
    // A window that stands partly off the screen moves onto it: one shrunk to the screen, and one
    // that fits once a frame is known (a window opened after the first, whose outer rectangle can
    // then be told). The first window's frame is not known yet at this point, and its place is set
    // by the outer geometry once the window manager has framed it.
    if (!shrunk && !knownMargins())
        return;
    QRect outer = geometry().marginsAdded(margins);
    if (outer.bottom() > available.bottom())
        outer.moveBottom(available.bottom());
    if (outer.right() > available.right())
        outer.moveRight(available.right());
    outer.moveTop(std::max(outer.top(), available.top()));
    outer.moveLeft(std::max(outer.left(), available.left()));
    const QPoint client = outer.marginsRemoved(margins).topLeft();
    if (client != geometry().topLeft())
        setGeometry(QRect(client, size()));
    m_placedClient = geometry();
    if (m_pendingOuter)
        m_pendingOuter = outer;
}

void TForm::showEvent(QShowEvent *event) {
    // Moved (or, for a sizeable window, resized) by other means since: that placement stands. A
    // fixed-size window sets its size after its place.
    if (m_outerWhileHidden && (geometry().topLeft() != m_clientWhileHidden.topLeft() ||
                               (m_sizeable && geometry().size() != m_clientWhileHidden.size())))
        m_outerWhileHidden.reset();
    if (m_outerWhileHidden && !event->spontaneous())
        placeShown(*std::exchange(m_outerWhileHidden, std::nullopt));
    else if (!event->spontaneous())
        m_placedClient = geometry(); // shown where it stands
    if (!event->spontaneous())
        fitToScreen();
    QWidget::showEvent(event);
}

void TForm::hideEvent(QHideEvent *event) {
    QWidget::hideEvent(event);
    if (!event->spontaneous()) {
        m_outerWhileHidden = outerGeometry();
        m_clientWhileHidden = geometry();
        m_pendingOuter.reset();
    }
}

void TForm::showAndFocus() {
    show();
    raise();
    activateWindow();
    setFocus(Qt::OtherFocusReason);
}

void TForm::guard(const std::function<void()> &handler) {
    try {
        handler();
    } catch (const std::bad_alloc &) {
        widgets::Platform::current().showError(this, QString::fromStdString(base::Message::outOfMemory()));
    } catch (const std::exception &error) {
        widgets::Platform::current().showError(this, QString::fromUtf8(error.what()));
    }
    emit acted();
}

const char *TForm::keyOf(const project::SettingDefinition &setting) const {
    if (setting.section != objectName().toStdString())
        throw std::logic_error(std::string(setting.key) + " belongs to " + std::string(setting.section));
    return setting.key.data(); // the table's keys are string literals
}

widgets::TNmSuperSpin *TForm::floatField(QWidget *parent, const project::SettingDefinition &d,
                                         widgets::TNumberFormat format) {
    const char *key = keyOf(d);
    auto *field = declare(new widgets::TNmSuperSpin(parent));
    field->setObjectName(key);
    field->setNumberFormat(format);
    field->setDecimals(-1);
    field->setIncrement(1);
    field->setRange(d.minimum, d.maximum);
    field->setMaxLength(10);
    field->setValue(d.defaultValue());
    return field;
}

widgets::TNmSpinEdit *TForm::integerField(QWidget *parent, const project::SettingDefinition &d) {
    const char *key = keyOf(d);
    auto *field = declare(new widgets::TNmSpinEdit(parent));
    field->setObjectName(key);
    field->setRange(static_cast<int>(d.minimum), static_cast<int>(d.maximum));
    field->setValue(static_cast<int>(d.defaultValue()));
    return field;
}

widgets::TSpinEdit *TForm::arrowSpin(QWidget *parent, const project::SettingDefinition &d) {
    const char *key = keyOf(d);
    auto *field = declare(new widgets::TSpinEdit(parent));
    field->setObjectName(key);
    field->setRange(static_cast<int>(d.minimum), static_cast<int>(d.maximum));
    field->setValue(static_cast<int>(d.defaultValue()));
    field->setEditorEnabled(false);
    field->setAlignment(Qt::AlignCenter);
    field->setMaximumWidth(60);
    return field;
}

QCheckBox *TForm::checkBox(QWidget *parent, const project::SettingDefinition &d, const QString &caption) {
    const char *key = keyOf(d);
    auto *box = declare(new QCheckBox(caption, parent));
    box->setObjectName(key);
    box->setChecked(d.defaultValue() != 0);
    return box;
}

widgets::TRadioGroup *TForm::radioGroup(QWidget *parent, const project::SettingDefinition &d, const QString &caption,
                                        const QStringList &items) {
    const char *key = keyOf(d);
    auto *group = declare(new widgets::TRadioGroup(caption, items, parent));
    group->setObjectName(key);
    group->setItemIndex(static_cast<int>(d.defaultValue()));
    return group;
}

QPushButton *TForm::button(QWidget *parent, const char *name, const QString &caption, bool bold) {
    auto *b = declare(new QPushButton(caption, parent));
    b->setObjectName(name);
    b->setAutoDefault(false);
    if (bold) {
        QFont f = b->font();
        f.setBold(true);
        b->setFont(f);
    }
    return b;
}

QLabel *TForm::label(QWidget *parent, const QString &text, const char *name) {
    auto *l = new QLabel(text, parent);
    if (name) {
        l->setObjectName(name);
        declare(l);
    }
    return l;
}

} // namespace pulsefir::ui

namespace pulsefir::ui {

QFrame *TForm::panel(QWidget *parent, const char *name, int height) {
    auto *frame = declare(new QFrame(parent));
    frame->setObjectName(name);
    frame->setFrameShape(QFrame::StyledPanel);
    if (height > 0)
        frame->setFixedHeight(height);
    return frame;
}

} // namespace pulsefir::ui
