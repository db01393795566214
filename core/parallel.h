#pragma once

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <mutex>
#include <thread>
#include <vector>

namespace pulsefir {

// A fixed set of worker threads that, together with the calling thread, run the parts of one
// task at a time. The search calls it once per epoch (tens of microseconds of work), so idle
// workers spin for a short while before they sleep: waking a sleeping thread costs more than an
// epoch's share of work.
class WorkerPool {
  public:
    // threads: how many threads take part, the caller included; 0 means one per core.
    explicit WorkerPool(int threads = 0);
    ~WorkerPool();
    WorkerPool(const WorkerPool &) = delete;
    WorkerPool &operator=(const WorkerPool &) = delete;

    int threadCount() const { return static_cast<int>(m_workers.size()) + 1; }

    // Runs task(part) for part = 0..threadCount()-1, part 0 on the calling thread, and returns
    // when all parts are done. The task must not throw.
    void run(const std::function<void(int part)> &task);

    // Splits first..last (inclusive) into threadCount() contiguous chunks whose starts are
    // multiples of `grain` from `first`, and runs body(chunkFirst, chunkLast) on each non-empty one.
    void forRange(int first, int last, int grain, const std::function<void(int, int)> &body);

  private:
    void workerLoop(int part);

    std::vector<std::thread> m_workers;
    std::mutex m_mutex;
    std::condition_variable m_wake;
    const std::function<void(int)> *m_task = nullptr;
    std::atomic<std::uint64_t> m_generation{0};
    std::atomic<int> m_pending{0};
    bool m_stop = false;
};

} // namespace pulsefir
