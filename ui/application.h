#pragma once

#include <QString>

#include <memory>
#include <optional>

#include "core/state.h"
#include "ui/FilterUnit.h"
#include "ui/MainUnit.h"
#include "ui/SignalUnit.h"
#include "ui/SpectorUnit.h"

namespace pulsefir::ui {

// The program's four windows over one core state, created in the order main, signal, filter,
// spectra; only the main window is shown.
class Application {
  public:
    Application();
    ~Application();

    core::CoreState &state() { return *m_state; }
    TMainForm &mainForm() { return *m_main; }
    TSignalForm &signalForm() { return *m_signal; }
    TFilterForm &filterForm() { return *m_filter; }
    TSpectorForm &spectorForm() { return *m_spector; }

    // Loads a project named on the command line through the handler of "Загрузить проект", the
    // name taking the place of the user's choice in the open dialog.
    void openProjectFile(const QString &fileName);

  private:
    std::unique_ptr<core::CoreState> m_state;
    std::unique_ptr<TMainForm> m_main;
    std::unique_ptr<TSignalForm> m_signal;
    std::unique_ptr<TFilterForm> m_filter;
    std::unique_ptr<TSpectorForm> m_spector;
    std::optional<QString> m_namedProject; // answers the next open dialog
};

} // namespace pulsefir::ui
