#pragma once

#include <benchmark/benchmark.h>

#include <cstdint>

#include "core/filter_search.h"

// A search host that shows nothing and never stops a run early: the search's own cost alone.
class IdleHost : public pulsefir::core::SearchHost {
  public:
    explicit IdleHost(int limit) : m_limit(limit) {}
    void ProcessMessages() override {}
    void ShowEpoch(std::int32_t) override {}
    double RandomStep() override { return 0.0002; }
    void ShowBestObjective(long double best) override { benchmark::DoNotOptimize(best); }
    std::int32_t EpochLimit() override { return m_limit; }

  private:
    int m_limit;
};
