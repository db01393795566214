#pragma once

#include <atomic>
#include <cstdint>
#include <exception>
#include <functional>
#include <mutex>
#include <thread>
#include <utility>
#include <vector>

namespace pulsefir {

// Tells the processor that this thread is polling a value another thread will change.
inline void CpuRelax() {
#if defined(__x86_64__) || defined(__i386__)
    __builtin_ia32_pause();
#endif
}

// How many threads the core's pool uses, the calling thread included: the environment variable
// PULSEFIR_THREADS (1..64) when it is set, otherwise one per core, at most 8. Read once.
int DefaultThreadCount();

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
    std::atomic<int> m_sleepers{0};          // workers asleep on m_generation
    std::atomic<int> m_callerSleeping{0};    // the caller asleep on m_state
    std::atomic<bool> m_stop{false};
    std::atomic<bool> m_inRun{false};

    std::mutex m_errorMutex;
    std::exception_ptr m_error;
};

// For a job that repeats many times (a search epoch): whether to run it on the pool's threads
// or on the calling thread alone, from the measured times of each way.
//
// On a busy desktop the threads can lose: a worker that the system stops while it holds part of
// a job stalls the job until the worker runs again (milliseconds). Such stalls are rare but
// long, so only the mean over many jobs tells which way is faster, and the jobs run in segments
// of 512 of one way. The threads keep going while their mean over the last segments stays below
// the mean alone; otherwise one segment alone measures that mean again. When the caller alone
// wins, it keeps the lead for one segment, then for twice as many after every segment with the
// threads that loses again (at most 16). The first six jobs, three with the threads and three
// alone, give rough first means. The first job with the threads after one without is not timed:
// the workers have gone to sleep meanwhile, and waking them is not what a job with the threads
// costs.
class ThreadChoice {
  public:
    // Whether the next job runs on the threads (never when the pool has only the caller).
    bool useThreads(const WorkerPool &pool);
    // The time the job that useThreads chose took, s.
    void record(double seconds);

  private:
    // Runs the next segments alone: one that measures the mean alone again, or a lead.
    void startSolo(bool measure);

    static constexpr long long WarmUpJobs = 6;
    static constexpr int SegmentJobs = 512; // timed jobs
    static constexpr int MaxSoloLead = 16;  // segments
    // A single job counts as at most this many times the other way's mean (a suspended
    // machine is not a stall).
    static constexpr double MaxStall = 256.0;

    double m_threadedMean = 0.0; // s per job with the threads, over recent segments
    double m_soloMean = 0.0;     // s per job alone, over recent segments
    double m_sum = 0.0;          // s, the timed jobs of the running segment (or warm-up part)
    int m_timedJobs = 0;         // in the running segment
    long long m_jobs = 0;
    bool m_segmentThreaded = true;
    bool m_threadsInARow = false; // the last segment ran with the threads too
    int m_soloLeft = 0;        // segments alone still to run, the running one included
    bool m_measuring = false;  // the running segment alone measures that way again
    bool m_soloFresh = false;  // the mean alone was measured just before these threads
    int m_nextLead = 1;        // segments alone after the next win of the caller alone
    bool m_threaded = false;   // the way of the job being timed
    bool m_lastThreaded = false;
};

} // namespace pulsefir
