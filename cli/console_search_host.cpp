#include "console_search_host.h"

#include <algorithm>
#include <cstdio>
#include <string>

#include <csignal>
#include <unistd.h>

#include "base/messages.h"
#include "base/number_text.h"

namespace pulsefir::cli {

namespace {

volatile std::sig_atomic_t interrupted = 0;

extern "C" void onInterrupt(int) {
    interrupted = 1;
}

} // namespace

ConsoleSearchHost::ConsoleSearchHost(Session &session) : m_session(session), m_tty(::isatty(STDERR_FILENO) != 0) {
    interrupted = 0;
    m_previous = std::signal(SIGINT, onInterrupt);
}

ConsoleSearchHost::~ConsoleSearchHost() {
    std::signal(SIGINT, m_previous);
    finish();
}

void ConsoleSearchHost::finish() {
    if (m_tty && m_drawn)
        std::fputc('\n', stderr);
    m_drawn = false;
}

void ConsoleSearchHost::processMessages() {
    if (interrupted)
        core::stopSearch(*m_session.state);
}

void ConsoleSearchHost::showBestObjective(long double best) {
    if (!m_tty || (m_epoch % ProgressEvery != 0 && m_epoch != 1))
        return;
    const int limit = epochLimit();
    const int width = 30;
    const int filled =
        limit > 0 ? static_cast<int>(std::min(1.0, static_cast<double>(m_epoch) / (limit + 1)) * width) : width;
    const std::string bar = "\r[" + std::string(static_cast<std::size_t>(filled), '#') +
                            std::string(static_cast<std::size_t>(width - filled), ' ') + "] " +
                            base::Message::cliProgress(m_epoch, limit + 1, base::formatObjective(best, '.'));
    std::fputs(bar.c_str(), stderr);
    std::fflush(stderr);
    m_drawn = true;
}

} // namespace pulsefir::cli
