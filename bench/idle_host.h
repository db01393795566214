#pragma once

#include <benchmark/benchmark.h>

#include <cstdint>

#include "core/filter_search.h"

// A search host that shows nothing and never stops a run early: the search's own cost alone.
class IdleHost : public pulsefir::core::SearchHost {
  public:
    explicit IdleHost(int limit) : m_limit(limit) {}
    void processMessages() override {}
    void showEpoch(std::int32_t) override {}
    double randomStep() override { return 0.0002; }
    void showBestObjective(long double best) override { benchmark::DoNotOptimize(best); }
    std::int32_t epochLimit() override { return m_limit; }

  private:
    int m_limit;
};
