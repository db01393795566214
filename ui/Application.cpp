#include "Application.h"

namespace pulsefir::ui {

Application::Application()
    : m_state(std::make_unique<CoreState>()), m_main(std::make_unique<TMainForm>(*m_state)),
      m_signal(std::make_unique<TSignalForm>(*m_state, *m_main)),
      m_filter(std::make_unique<TFilterForm>(*m_state, *m_main)),
      m_spector(std::make_unique<TSpectorForm>(*m_state, *m_main)) {
    m_main->attachWindows(m_signal.get(), m_filter.get(), m_spector.get());
}

Application::~Application() {
    // The other windows refer to the main window: they go first.
    m_spector.reset();
    m_filter.reset();
    m_signal.reset();
    m_main.reset();
}

} // namespace pulsefir::ui
