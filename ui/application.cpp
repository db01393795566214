#include "application.h"

#include <QFileInfo>

#include <utility>

#include "ui/project_adapter.h"
#include "ui/project_flows.h"
#include "ui/widgets/numeric_text.h"

namespace pulsefir::ui {

Application::Application()
    : m_state(std::make_unique<core::CoreState>()), m_main(std::make_unique<TMainForm>(*m_state)),
      m_signal(std::make_unique<TSignalForm>(*m_state, *m_main)),
      m_filter(std::make_unique<TFilterForm>(*m_state, *m_main)),
      m_spector(std::make_unique<TSpectorForm>(*m_state, *m_main)) {
    m_main->attachWindows(m_signal.get(), m_filter.get(), m_spector.get());
    TMainForm *main = m_main.get();
    // The two project buttons: the caption becomes the name of the file loaded or saved.
    main->onOpenProject = [this, main] {
        ProjectWindows windows(main->windows());
        // A name given on the command line answers the dialog, which is then not shown.
        const std::optional<QString> given = std::exchange(m_namedProject, std::nullopt);
        main->setWindowTitle(openProject(main->OpenDialog, main->windowTitle(), windows.windows(), main, given,
                                         {&m_filter->pulseSetSection()}));
    };
    main->onSaveProject = [this, main] {
        ProjectWindows windows(main->windows());
        main->setWindowTitle(saveProject(main->SaveDialog, main->windowTitle(), windows.windows(), main,
                                         widgets::NumberSeparators::current().decimal, {&m_filter->pulseSetSection()}));
    };
}

void Application::openProjectFile(const QString &fileName) {
    // The full name, as the dialog would give it, whatever folder the program was started in.
    m_namedProject = QFileInfo(fileName).absoluteFilePath();
    m_main->OpenFileSpeedButtonClick();
    m_namedProject.reset();
}

Application::~Application() {
    // The other windows refer to the main window: they go first.
    m_spector.reset();
    m_filter.reset();
    m_signal.reset();
    m_main.reset();
}

} // namespace pulsefir::ui
