#pragma once

#include <csignal>
#include <cstdint>

#include "core/filter_search.h"
#include "session.h"

namespace pulsefir::cli {

// Progress on standard error when it is a terminal; Ctrl+C stops after the current epoch.
class ConsoleSearchHost : public core::SearchHost {
  public:
    explicit ConsoleSearchHost(Session &session);
    ~ConsoleSearchHost() override;
    // Ends the progress line, so what follows starts on a line of its own.
    void finish();
    void processMessages() override;
    void showEpoch(std::int32_t epoch) override { m_epoch = epoch; }
    double randomStep() override { return m_session.settings.filter.randomStep; }
    void showBestObjective(long double best) override;
    std::int32_t epochLimit() override { return m_session.settings.filter.epochLimit; }

  private:
    static constexpr int ProgressEvery = 256; // epochs between redraws of the bar
    Session &m_session;
    bool m_tty;
    bool m_drawn = false;
    std::int32_t m_epoch = 0;
    void (*m_previous)(int) = SIG_DFL;
};

} // namespace pulsefir::cli
