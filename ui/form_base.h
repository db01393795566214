#pragma once

#include <QCheckBox>
#include <QFrame>
#include <QLabel>
#include <QPushButton>
#include <QScrollArea>
#include <QWidget>

#include <functional>
#include <optional>
#include <vector>

#include "project/project_interfaces.h"
#include "project/settings_table.h"
#include "ui/widgets/float_field.h"
#include "ui/widgets/integer_field.h"
#include "ui/widgets/radio_group.h"

namespace pulsefir::ui {

// A window of the program: it knows its components in the order its layout declares them
// (the order the project file stores them in), and runs its handlers so that an error ends
// the handler with a message box, never the program.
class TForm : public QWidget {
    Q_OBJECT
  public:
    TForm(const QString &name, const QString &caption);

    // Every component, containers before what they hold, in declaration order.
    const std::vector<QWidget *> &components() const { return m_components; }
    QWidget *component(const QString &name) const;
    // Whether the window's border lets the user resize it (the project file restores the size
    // of such windows only).
    bool sizeable() const { return m_sizeable; }

    // Shows the window, brings it to the front and gives it the focus.
    void showAndFocus();

    // The outer frame (what the window system draws around the client area, title bar
    // included), in screen pixels. A hidden window has no frame of its own: it is given the
    // margins it had when last shown, or those of another window with the same kind of border
    // (a window manager may frame a fixed-size window differently: no resize handle). A window
    // placed by the program and shown, whose frame the window manager has not reported yet,
    // answers with the frame it was placed at: it is put there once the frame is known, so a save
    // before the window manager answers writes what a save after it does.
    QRect outerGeometry() const;
    QMargins frameMargins() const;
    // Whether the window manager has reported this shown window's frame and the window stands
    // where the program placed it.
    bool frameSettled() const {
        return isVisible() && !m_pendingOuter && ownMargins().has_value() && geometry() == m_placedClient;
    }
    // Moves and sizes the window so that its outer frame becomes `frame` (the size only when
    // `resize` is set).
    void setOuterGeometry(const QRect &frame, bool resize);

    // Where the screen's available area is smaller than the window, the window is made to fit it
    // and its content scrolls; where the designed size fits, it stays. Runs whenever the window is
    // shown; the first time it puts the window's content into a scroll area (`ContentScrollArea`),
    // which only shows scroll bars when the window is smaller than its content.
    void fitToScreen();
    QScrollArea *contentScrollArea() const { return m_scroll; }

  signals:
    // A handler run through guard() has ended, however it ended: what it computed may have
    // left results elsewhere out of date.
    void acted();
    // F1 in this window: the user guide at `chapter`, this window's object name.
    void helpRequested(const QString &chapter);

  protected:
    template <typename T> T *declare(T *component) {
        m_components.push_back(component);
        return component;
    }
    void setSizeable(bool sizeable) { m_sizeable = sizeable; }
    // Runs a click handler; an error is shown with its text and the handler ends there.
    void guard(const std::function<void()> &handler);

    // Field factories: name, range, default and display settings come from the setting
    // definitions shared with the command-line tool, looked up while the program compiles
    // (project::setting), so a key that is not in the table does not compile.
    widgets::TNmSuperSpin *floatField(QWidget *parent, const project::SettingDefinition &setting,
                                      widgets::TNumberFormat format = widgets::TNumberFormat::Thousands);
    widgets::TNmSpinEdit *integerField(QWidget *parent, const project::SettingDefinition &setting);
    widgets::TSpinEdit *arrowSpin(QWidget *parent, const project::SettingDefinition &setting);
    QCheckBox *checkBox(QWidget *parent, const project::SettingDefinition &setting, const QString &caption);
    widgets::TRadioGroup *radioGroup(QWidget *parent, const project::SettingDefinition &setting, const QString &caption,
                                     const QStringList &items);
    QPushButton *button(QWidget *parent, const char *name, const QString &caption, bool bold = false);
    QLabel *label(QWidget *parent, const QString &text, const char *name = nullptr);
    // A framed panel; a height of 0 leaves it to the layout.
    QFrame *panel(QWidget *parent, const char *name, int height = 0);

  private:
    // The key of a setting of this window's section.
    const char *keyOf(const project::SettingDefinition &setting) const;
    std::vector<QWidget *> m_components;
    bool m_sizeable = true;
    QScrollArea *m_scroll = nullptr;
    QSize m_designedSize;                           // a fixed-size window's designed client size
    mutable std::optional<QMargins> m_frameMargins; // as the window manager last reported them
    // Where a hidden window's frame is to stand: the window system knows no frame for it, and
    // places a window never shown by its client area.
    std::optional<QRect> m_outerWhileHidden;
    QRect m_clientWhileHidden; // what was set for it; a window moved since by anyone else drops it
    // Where a shown window's frame is to stand until the window manager reports the frame.
    std::optional<QRect> m_pendingOuter;
    QRect m_placedClient; // the client area the program last gave the shown window
    bool m_awaitingFrame = false;
    // The margins the window manager reports for this shown window, once it has framed it.
    std::optional<QMargins> answeredMargins() const;
    // This window's margins as last reported, refreshed while it is shown.
    std::optional<QMargins> ownMargins() const;
    // This window's margins, else those of another window with the same kind of border, else
    // those of any other window.
    std::optional<QMargins> knownMargins() const;
    QRect clientFor(const QRect &outer, const QMargins &margins) const;
    // Places a shown window so that its frame becomes `outer`: at once where its frame is known,
    // else by the best known margins and again once the window manager has reported the frame.
    void placeShown(const QRect &outer);
    void awaitFrame(int pollsLeft);

  protected:
    void showEvent(QShowEvent *event) override;
    void hideEvent(QHideEvent *event) override;
};

// A stored frame as the window system takes it.
inline QRect rectOf(const project::Frame &frame) {
    return QRect(frame.left, frame.top, frame.width, frame.height);
}

// Disables a button for the duration of a handler and enables it again however it ends.
class DisabledWhile {
  public:
    explicit DisabledWhile(QWidget *widget) : m_widget(widget) { m_widget->setEnabled(false); }
    ~DisabledWhile() { m_widget->setEnabled(true); }
    DisabledWhile(const DisabledWhile &) = delete;
    DisabledWhile &operator=(const DisabledWhile &) = delete;

  private:
    QWidget *m_widget;
};

} // namespace pulsefir::ui
