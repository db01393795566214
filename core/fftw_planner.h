#pragma once

#include <fftw3.h>

#include <algorithm>
#include <cstddef>
#include <memory>
#include <mutex>
#include <new>

#include "base/error.h"
#include "base/messages.h"

namespace pulsefir::core {

// FFTW's planner is not reentrant (execution of a finished plan is): every plan of the core is
// made and destroyed under this one lock.
std::mutex &fftwPlannerMutex();

struct FftwFree {
    void operator()(void *p) const { fftw_free(p); }
};
template <typename T> using FftwBuffer = std::unique_ptr<T[], FftwFree>;

// FFTW's aligned storage for `count` values (at least one); std::bad_alloc where there is none.
template <typename T> FftwBuffer<T> fftwAlloc(std::size_t count) {
    auto *p = static_cast<T *>(fftw_malloc(sizeof(T) * std::max<std::size_t>(count, 1)));
    if (!p)
        throw std::bad_alloc();
    return FftwBuffer<T>(p);
}

// A plan made under the planner lock (by the caller), destroyed under it.
class Plan {
  public:
    explicit Plan(fftw_plan plan) : m_plan(plan) {
        if (!m_plan)
            throw base::Error(base::Message::transformPlanFailed());
    }
    ~Plan() {
        const std::lock_guard lock(fftwPlannerMutex());
        fftw_destroy_plan(m_plan);
    }
    Plan(const Plan &) = delete;
    Plan &operator=(const Plan &) = delete;
    void execute() const { fftw_execute(m_plan); }

  private:
    fftw_plan m_plan;
};

} // namespace pulsefir::core
