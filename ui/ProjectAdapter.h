#pragma once

#include <memory>
#include <vector>

#include "project/ProjectInterfaces.h"
#include "ui/FormBase.h"

namespace pulsefir::ui {

// A window of the program as the project file sees it: its stored controls, by the kind of each
// component, in the window's declaration order.
class FormProjectWindow : public project::ProjectWindow {
  public:
    FormProjectWindow(TForm &form, bool mainWindow);
    ~FormProjectWindow() override;

    QString name() const override { return m_form.objectName(); }
    QRect frame() const override;
    void moveTo(int left, int top) override;
    void resizeOuter(int width, int height) override;
    bool sizeable() const override { return m_form.sizeable(); }
    bool isVisible() const override { return m_form.isVisible(); }
    void setVisible(bool visible) override { m_form.setVisible(visible); }
    bool isEnabled() const override { return m_form.isEnabled(); }
    void setEnabled(bool enabled) override { m_form.setEnabled(enabled); }
    void repaint() override { m_form.repaint(); }
    bool isMainWindow() const override { return m_main; }
    std::vector<project::ProjectControl *> controls() override;

  private:
    TForm &m_form;
    bool m_main;
    std::vector<std::unique_ptr<project::ProjectControl>> m_controls;
};

// Adapters for a set of windows, the first one the main window.
class ProjectWindows {
  public:
    explicit ProjectWindows(const std::vector<TForm *> &forms);
    const std::vector<project::ProjectWindow *> &windows() const { return m_pointers; }

  private:
    std::vector<std::unique_ptr<FormProjectWindow>> m_windows;
    std::vector<project::ProjectWindow *> m_pointers;
};

// The project flows' dialogs and message boxes, shown by the platform over `parent`.
class PlatformProjectHost : public project::ProjectHost {
  public:
    explicit PlatformProjectHost(QWidget *parent) : m_parent(parent) {}
    std::optional<QString> runFileDialog(const project::FileDialogRequest &request) override;
    void showInformation(const QString &title, const QString &text) override;
    bool askYesNo(const QString &title, const QString &text) override;

  private:
    QWidget *m_parent;
};

} // namespace pulsefir::ui
