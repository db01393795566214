#include "parallel.h"

#include <algorithm>

namespace pulsefir {

namespace {
// About 50 µs of polling before an idle worker goes to sleep.
constexpr int SpinIterations = 20000;
constexpr int MaxThreads = 8;

inline void cpuRelax() {
#if defined(__x86_64__) || defined(__i386__)
    __builtin_ia32_pause();
#endif
}
} // namespace

WorkerPool::WorkerPool(int threads) {
    if (threads <= 0)
        threads = static_cast<int>(std::max(1u, std::thread::hardware_concurrency()));
    threads = std::min(threads, MaxThreads);
    for (int part = 1; part < threads; ++part)
        m_workers.emplace_back([this, part] { workerLoop(part); });
}

WorkerPool::~WorkerPool() {
    {
        std::lock_guard lock(m_mutex);
        m_stop = true;
        m_generation.fetch_add(1, std::memory_order_release);
    }
    m_wake.notify_all();
    for (auto &worker : m_workers)
        worker.join();
}

void WorkerPool::run(const std::function<void(int)> &task) {
    if (m_workers.empty()) {
        task(0);
        return;
    }
    {
        std::lock_guard lock(m_mutex);
        m_task = &task;
        m_pending.store(static_cast<int>(m_workers.size()), std::memory_order_relaxed);
        m_generation.fetch_add(1, std::memory_order_release);
    }
    m_wake.notify_all();
    task(0);
    while (m_pending.load(std::memory_order_acquire) != 0)
        cpuRelax();
}

void WorkerPool::forRange(int first, int last, int grain, const std::function<void(int, int)> &body) {
    if (last < first)
        return;
    const int parts = threadCount();
    const long long count = static_cast<long long>(last) - first + 1;
    // Small ranges are not worth waking anyone for.
    if (parts == 1 || count < 2LL * grain) {
        body(first, last);
        return;
    }
    const long long grains = (count + grain - 1) / grain;
    run([&](int part) {
        const long long g0 = grains * part / parts;
        const long long g1 = grains * (part + 1) / parts;
        const long long lo = first + g0 * grain;
        const long long hi = std::min<long long>(last, first + g1 * grain - 1);
        if (lo <= hi)
            body(static_cast<int>(lo), static_cast<int>(hi));
    });
}

void WorkerPool::workerLoop(int part) {
    std::uint64_t seen = 0;
    for (;;) {
        std::uint64_t now = m_generation.load(std::memory_order_acquire);
        for (int spin = 0; now == seen && spin < SpinIterations; ++spin) {
            cpuRelax();
            now = m_generation.load(std::memory_order_acquire);
        }
        const std::function<void(int)> *task = nullptr;
        {
            std::unique_lock lock(m_mutex);
            m_wake.wait(lock, [&] { return m_generation.load(std::memory_order_relaxed) != seen; });
            seen = m_generation.load(std::memory_order_relaxed);
            if (m_stop)
                return;
            task = m_task;
        }
        (*task)(part);
        m_pending.fetch_sub(1, std::memory_order_acq_rel);
    }
}

} // namespace pulsefir
