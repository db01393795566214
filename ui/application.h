#pragma once

#include <QString>

#include <memory>
#include <optional>

#include "core/state.h"
#include "project/work_sections.h"
#include "ui/FilterUnit.h"
#include "ui/MainUnit.h"
#include "ui/SignalUnit.h"
#include "ui/SpectorUnit.h"
#include "ui/chart_legends.h"
#include "ui/dialog_folders.h"
#include "ui/help_window.h"

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

    // Starts every file dialog in the one folder kept in `file` between runs (the folder of the
    // last file confirmed in any of them); it is written back there after each project flow and
    // when the program ends. Without this call the dialogs start in firstDialogFolder() until a
    // file is chosen, and nothing is written.
    void rememberDialogFolders(const QString &file);

    // Whether the settings or the work changed since the program started or the project was last
    // loaded or saved.
    bool hasUnsavedChanges();

    // The user guide's window, opened by F1 and "?".
    HelpWindow &helpWindow() { return *m_help; }

  private:
    // Asked before the main window closes: whether it may. With unsaved changes the user is asked
    // whether to save them; Yes saves (a cancelled or failed save keeps the program running).
    bool mayClose();
    void markSaved();
    // Draws what a loaded project's work holds: the main chart and the filter.
    void showWork();

  private:
    std::unique_ptr<core::CoreState> m_state;
    std::unique_ptr<TMainForm> m_main;
    std::unique_ptr<TSignalForm> m_signal;
    std::unique_ptr<TFilterForm> m_filter;
    std::unique_ptr<TSpectorForm> m_spector;
    std::optional<QString> m_namedProject; // answers the next open dialog
    std::unique_ptr<project::WorkSections> m_work;
    std::unique_ptr<ChartLegendSections> m_legends;
    std::vector<bool> m_savedLegends;
    std::string m_savedValues; // the controls' values at the last load or save
    project::WorkSnapshot m_savedWork;
    bool m_lastSaveCompleted = false;
    // The file the project was last loaded from or saved to; empty for a project never saved.
    QString m_projectFile;
    std::unique_ptr<DialogFolders> m_folders;
    std::unique_ptr<HelpWindow> m_help;
};

} // namespace pulsefir::ui
