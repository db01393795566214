#include "Application.h"

#include "project/SaveLoadPrjUnit.h"
#include "ui/ProjectAdapter.h"
#include "ui/widgets/numeric_text.h"

namespace pulsefir::ui {

Application::Application()
    : m_state(std::make_unique<CoreState>()), m_main(std::make_unique<TMainForm>(*m_state)),
      m_signal(std::make_unique<TSignalForm>(*m_state, *m_main)),
      m_filter(std::make_unique<TFilterForm>(*m_state, *m_main)),
      m_spector(std::make_unique<TSpectorForm>(*m_state, *m_main)) {
    m_main->attachWindows(m_signal.get(), m_filter.get(), m_spector.get());
    TMainForm *main = m_main.get();
    // The two project buttons: the caption becomes the name of the file loaded or saved.
    main->onOpenProject = [main] {
        ProjectWindows windows(main->windows());
        PlatformProjectHost host(main);
        main->setWindowTitle(project::OpenProject(main->OpenDialog, main->windowTitle(), windows.windows(), host));
    };
    main->onSaveProject = [main] {
        ProjectWindows windows(main->windows());
        PlatformProjectHost host(main);
        main->setWindowTitle(project::SaveProject(main->SaveDialog, main->windowTitle(), windows.windows(), host,
                                                  NumberSeparators::current().decimal));
    };
}

Application::~Application() {
    // The other windows refer to the main window: they go first.
    m_spector.reset();
    m_filter.reset();
    m_signal.reset();
    m_main.reset();
}

} // namespace pulsefir::ui
