#pragma once

#include <memory>
#include <vector>

#include "project/project_interfaces.h"
#include "ui/form_base.h"

namespace pulsefir::ui {

// A window of the program as the project file sees it: its stored controls, by the kind of each
// component, in the window's declaration order.
class FormProjectWindow : public project::ProjectWindow {
  public:
    FormProjectWindow(TForm &form, bool mainWindow);
    ~FormProjectWindow() override;

    std::string name() const override { return m_form.objectName().toStdString(); }
    project::Frame frame() const override;
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

} // namespace pulsefir::ui
