#pragma once

#include <atomic>
#include <cstdint>
#include <exception>
#include <functional>
#include <mutex>
#include <thread>
#include <utility>
#include <vector>

namespace pulsefir::core {

// Tells the processor that this thread is polling a value another thread will change.
inline void cpuRelax() {
#if defined(__x86_64__) || defined(__i386__)
    __builtin_ia32_pause();
#endif
}

// How many threads the core's pool uses, the calling thread included: the environment variable
// PULSEFIR_THREADS (1..64) when it is set, otherwise one per core, at most 8. Read once.
int defaultThreadCount();

// A fixed set of worker threads that help the calling thread with one job at a time. A job is a
// number of chunks; the caller and the workers take chunks from a shared counter, so a worker
// that the system does not schedule in time simply takes none, and the caller does the work it
// would have done. Idle workers poll for a few microseconds, then sleep on a futex: they take no
// processor time from the rest of the desktop between jobs. Linux only (futex).
class WorkerPool {
  public:
    // threads: how many threads take part, the caller included; 0 means DefaultThreadCount().
    explicit WorkerPool(int threads = 0);
    ~WorkerPool();
    WorkerPool(const WorkerPool &) = delete;
    WorkerPool &operator=(const WorkerPool &) = delete;

    int threadCount() const { return static_cast<int>(m_workers.size()) + 1; }

    // Runs body(chunk) once for every chunk 0..chunks-1 and returns when all have ended. When
    // bodies throw, every chunk still ends, and the first exception caught is rethrown here.
    // Calling run from inside a body is a programming error (asserted in debug builds).
    void run(int chunks, const std::function<void(int chunk)> &body);

    // Splits first..last (inclusive) into contiguous chunks of `grain` indices (the last may be
    // shorter) and runs body(chunkFirst, chunkLast) on each. A range of fewer than two grains, or
    // a pool of one thread, stays on the calling thread in one call.
    void forRange(int first, int last, int grain, const std::function<void(int, int)> &body);

  private:
    void workerLoop();
    // Takes chunks of the current job until none is left.
    void takeChunks();

    std::vector<std::thread> m_workers;

    // The current job; written by the caller before m_generation is raised.
    const std::function<void(int)> *m_body = nullptr;
    int m_chunks = 0;
    std::atomic<int> m_nextChunk{0};
    // Whether the job is open for joining, and how many workers are inside it; the caller
    // closes the job and waits until they have all left, so none touches it after run returns.
    std::atomic<std::uint32_t> m_state{0};
    // Raised once per job and once at shutdown; workers sleep on it.
    std::atomic<std::uint32_t> m_generation{0};
    std::atomic<int> m_sleepers{0};       // workers asleep on m_generation
    std::atomic<int> m_callerSleeping{0}; // the caller asleep on m_state
    std::atomic<bool> m_stop{false};
    std::atomic<bool> m_inRun{false};

    std::mutex m_errorMutex;
    std::exception_ptr m_error;
};

} // namespace pulsefir::core
