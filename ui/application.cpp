#include "application.h"

#include <QFileInfo>

#include <utility>

#include "base/messages.h"
#include "project/SaveLoadPrjUnit.h"
#include "ui/project_adapter.h"
#include "ui/project_flows.h"
#include "ui/widgets/numeric_text.h"
#include "ui/widgets/platform.h"

namespace pulsefir::ui {

Application::Application()
    : m_state(std::make_unique<core::CoreState>()), m_main(std::make_unique<TMainForm>(*m_state)),
      m_signal(std::make_unique<TSignalForm>(*m_state, *m_main)),
      m_filter(std::make_unique<TFilterForm>(*m_state, *m_main)),
      m_spector(std::make_unique<TSpectorForm>(*m_state, *m_main)) {
    m_main->attachWindows(m_signal.get(), m_filter.get(), m_spector.get());
    // After any handler of any window, every result on screen is checked against its sources.
    for (TForm *w : std::initializer_list<TForm *>{m_signal.get(), m_filter.get(), m_spector.get()})
        QObject::connect(w, &TForm::acted, m_main.get(), &TMainForm::refreshStaleMarks);
    m_filter->attachStaleMarks();
    m_help = std::make_unique<HelpWindow>();
    for (TForm *w : m_main->windows())
        QObject::connect(w, &TForm::helpRequested, m_help.get(), &HelpWindow::showChapter);
    m_work = std::make_unique<project::WorkSections>(*m_state);
    m_legends = std::make_unique<ChartLegendSections>(ChartLegendSections::Charts{
        {"MainForm.Chart", m_main->Chart},
        {"FilterForm.Chart", m_filter->Chart},
        {"FilterForm.ConvergenceChart", m_filter->ConvergenceChart},
        {"SpectorForm.Chart", m_spector->Chart},
    });
    TMainForm *main = m_main.get();
    // Every file dialog starts in the one last folder (widgets::chooseFile), on a first run the
    // first folder; the dialogs' own folders are kept as their requests say, for where no last
    // folder is known.
    const QString first = firstDialogFolder();
    widgets::setLastDialogFolder(first);
    for (widgets::FileDialogRequest *dialog :
         {&m_main->OpenDialog, &m_main->SaveDialog, &m_main->Chart->savePictureDialog(), &m_signal->FileOpenDialog,
          &m_filter->Chart->savePictureDialog(), &m_filter->ConvergenceChart->savePictureDialog(),
          &m_filter->ExportDialog, &m_spector->Chart->savePictureDialog()})
        dialog->initialDirectory = first;
    // The two project buttons: the caption becomes the name of the file loaded or saved.
    main->onOpenProject = [this, main] {
        ProjectWindows windows(main->windows());
        // A name given on the command line answers the dialog, which is then not shown.
        const std::optional<QString> given = std::exchange(m_namedProject, std::nullopt);
        ProjectExtras extras{{m_work.get(), m_legends.get(), &m_filter->pulseSetSection()}};
        main->setWindowTitle(
            openProject(main->OpenDialog, main->windowTitle(), windows.windows(), main, given, &extras));
        if (extras.completed) {
            if (m_work->loaded())
                showWork();
            markSaved();
            m_projectFile = main->OpenDialog.fileName;
        }
        if (m_folders)
            m_folders->save();
    };
    main->onSaveProject = [this, main] {
        ProjectWindows windows(main->windows());
        ProjectExtras extras{{m_work.get(), m_legends.get(), &m_filter->pulseSetSection()}};
        m_lastSaveCompleted = false;
        main->setWindowTitle(saveProject(main->SaveDialog, main->windowTitle(), windows.windows(), main,
                                         widgets::NumberSeparators::current().decimal, &extras));
        if (extras.completed) {
            markSaved();
            m_projectFile = main->SaveDialog.fileName;
        }
        m_lastSaveCompleted = extras.completed;
        if (m_folders)
            m_folders->save();
    };
    // Ctrl+S and "Да" before closing: the project's own file where it has one, else the dialog.
    main->onSaveCurrentProject = [this, main] {
        if (m_projectFile.isEmpty()) {
            main->SaveFileSpeedButtonClick();
            return;
        }
        ProjectWindows windows(main->windows());
        ProjectExtras extras{{m_work.get(), m_legends.get(), &m_filter->pulseSetSection()}};
        m_lastSaveCompleted = false;
        main->setWindowTitle(
            saveProjectTo(m_projectFile, windows.windows(), widgets::NumberSeparators::current().decimal, &extras));
        markSaved();
        m_lastSaveCompleted = true;
    };
    main->onCloseRequest = [this] { return mayClose(); };
    markSaved();
}

void Application::rememberDialogFolders(const QString &file) {
    // The keys earlier versions kept a folder per dialog under, the project's dialogs first.
    m_folders = std::make_unique<DialogFolders>(
        file,
        std::vector<QString>{"MainForm.OpenDialog", "MainForm.SaveDialog", "SignalForm.FileOpenDialog",
                             "FilterForm.ExportDialog", "MainForm.SavePictureDialog", "FilterForm.SavePictureDialog",
                             "FilterForm.ConvergencePictureDialog", "SpectorForm.SavePictureDialog"});
}

void Application::markSaved() {
    ProjectWindows windows(m_main->windows());
    try {
        m_savedValues =
            project::controlValues(windows.windows(), widgets::NumberSeparators::current().decimal.toLatin1());
    } catch (const std::exception &) {
        m_savedValues.clear(); // a field that cannot be read: the next question asks
    }
    m_savedWork = project::WorkSnapshot(*m_state);
    m_savedLegends = m_legends->states();
}

bool Application::hasUnsavedChanges() {
    if (project::WorkSnapshot(*m_state) != m_savedWork || m_legends->states() != m_savedLegends)
        return true;
    ProjectWindows windows(m_main->windows());
    try {
        return project::controlValues(windows.windows(), widgets::NumberSeparators::current().decimal.toLatin1()) !=
               m_savedValues;
    } catch (const std::exception &) {
        return true;
    }
}

bool Application::mayClose() {
    bool close = true;
    if (hasUnsavedChanges()) {
        switch (widgets::Platform::current().askYesNoCancel(
            m_main.get(), "Confirm", QString::fromStdString(base::Message::saveChangesQuestion()))) {
        case widgets::Platform::Answer::Yes:
            m_main->SaveCurrentProjectClick();
            close = m_lastSaveCompleted;
            break;
        case widgets::Platform::Answer::No:
            break;
        case widgets::Platform::Answer::Cancel:
            close = false;
            break;
        }
    }
    if (close && m_folders)
        m_folders->save();
    return close;
}

void Application::showWork() {
    m_main->refreshChart();
    m_filter->ViewFilterBitBtnClick();
}

void Application::openProjectFile(const QString &fileName) {
    // The full name, as the dialog would give it, whatever folder the program was started in.
    m_namedProject = QFileInfo(fileName).absoluteFilePath();
    m_main->OpenFileSpeedButtonClick();
    m_namedProject.reset();
}

Application::~Application() {
    m_help.reset();
    // The other windows refer to the main window: they go first.
    m_spector.reset();
    m_filter.reset();
    m_signal.reset();
    m_main.reset();
}

} // namespace pulsefir::ui
