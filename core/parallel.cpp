#include "parallel.h"

#include <algorithm>
#include <cassert>
#include <chrono>
#include <cstdlib>
#include <limits>

#include <linux/futex.h>
#include <sys/syscall.h>
#include <unistd.h>

#include "base/number_text.h"

namespace pulsefir::core {

namespace {

constexpr int MaxDefaultThreads = 8;
constexpr int MaxThreads = 64;
// How long a thread polls before it sleeps: long enough to catch the next epoch's job of a
// search (a few µs apart), short enough to leave the processor to other programs.
constexpr auto SpinTime = std::chrono::microseconds(4);
// m_state: the job is open for workers to join while this bit is set; the bits below count
// the workers inside it.
constexpr std::uint32_t JobOpen = 1u << 31;

// Polls `done` for at most SpinTime; true when it became true meanwhile.
template <class Done> bool spinUntil(Done done) {
    const auto deadline = std::chrono::steady_clock::now() + SpinTime;
    for (;;) {
        for (int i = 0; i < 16; ++i) {
            if (done())
                return true;
            cpuRelax();
        }
        if (std::chrono::steady_clock::now() >= deadline)
            return done();
    }
}

// Sleeps while `word` holds `expected` (or returns at once when it no longer does).
void futexWait(std::atomic<std::uint32_t> &word, std::uint32_t expected) {
    static_assert(sizeof(std::atomic<std::uint32_t>) == sizeof(std::uint32_t));
    syscall(SYS_futex, reinterpret_cast<std::uint32_t *>(&word), FUTEX_WAIT_PRIVATE, expected, nullptr, nullptr, 0);
}

void futexWakeAll(std::atomic<std::uint32_t> &word) {
    syscall(SYS_futex, reinterpret_cast<std::uint32_t *>(&word), FUTEX_WAKE_PRIVATE, std::numeric_limits<int>::max(),
            nullptr, nullptr, 0);
}

int threadCountFromEnvironment() {
    const char *text = std::getenv("PULSEFIR_THREADS");
    if (text == nullptr)
        return 0;
    const auto value = base::parseEnvironmentInteger(text);
    if (!value || *value < 1)
        return 0;
    return std::min(*value, MaxThreads);
}

} // namespace

int defaultThreadCount() {
    static const int count = [] {
        if (const int fromEnvironment = threadCountFromEnvironment(); fromEnvironment > 0)
            return fromEnvironment;
        const int cores = static_cast<int>(std::max(1u, std::thread::hardware_concurrency()));
        return std::min(cores, MaxDefaultThreads);
    }();
    return count;
}

WorkerPool::WorkerPool(int threads) {
    if (threads <= 0)
        threads = defaultThreadCount();
    threads = std::min(threads, MaxThreads);
    for (int i = 1; i < threads; ++i)
        m_workers.emplace_back([this] { workerLoop(); });
}

WorkerPool::~WorkerPool() {
    m_stop.store(true, std::memory_order_release);
    m_generation.fetch_add(1, std::memory_order_seq_cst);
    futexWakeAll(m_generation);
    for (auto &worker : m_workers)
        worker.join();
}

void WorkerPool::takeChunks() {
    for (;;) {
        const int chunk = m_nextChunk.fetch_add(1, std::memory_order_relaxed);
        if (chunk >= m_chunks)
            return;
        try {
            (*m_body)(chunk);
        } catch (...) {
            std::lock_guard lock(m_errorMutex);
            if (!m_error)
                m_error = std::current_exception();
        }
    }
}

void WorkerPool::run(int chunks, const std::function<void(int)> &body) {
    if (chunks <= 0)
        return;
    const bool nested = m_inRun.exchange(true, std::memory_order_acquire);
    assert(!nested && "WorkerPool::run called from inside a running job");
    if (nested || m_workers.empty() || chunks == 1) {
        // Same contract as the threaded path: every chunk runs, the first error is rethrown.
        std::exception_ptr error;
        for (int chunk = 0; chunk < chunks; ++chunk) {
            try {
                body(chunk);
            } catch (...) {
                if (!error)
                    error = std::current_exception();
            }
        }
        if (!nested)
            m_inRun.store(false, std::memory_order_release);
        if (error)
            std::rethrow_exception(error);
        return;
    }

    m_body = &body;
    m_chunks = chunks;
    m_nextChunk.store(0, std::memory_order_relaxed);
    m_error = nullptr;
    // Publishes the job: a worker that joins (acquire on m_state) sees the fields above.
    m_state.store(JobOpen, std::memory_order_release);
    // A worker counts itself as sleeping before it checks the generation a last time, and the
    // generation is raised before the count is read (both sequentially consistent): either the
    // worker sees the new job or this thread sees the sleeper. Waking nobody costs no system call.
    m_generation.fetch_add(1, std::memory_order_seq_cst);
    if (m_sleepers.load(std::memory_order_seq_cst) != 0)
        futexWakeAll(m_generation);

    takeChunks();

    // No chunk is left to take; close the job and wait for the workers still inside it.
    std::uint32_t state = m_state.fetch_and(~JobOpen, std::memory_order_acq_rel) & ~JobOpen;
    if (state != 0 && !spinUntil([&] { return m_state.load(std::memory_order_acquire) == 0; })) {
        m_callerSleeping.store(1, std::memory_order_seq_cst);
        while ((state = m_state.load(std::memory_order_seq_cst)) != 0)
            futexWait(m_state, state);
        m_callerSleeping.store(0, std::memory_order_relaxed);
    }
    m_body = nullptr;
    std::exception_ptr error = std::exchange(m_error, nullptr);
    m_inRun.store(false, std::memory_order_release);
    if (error)
        std::rethrow_exception(error);
}

void WorkerPool::forRange(int first, int last, int grain, const std::function<void(int, int)> &body) {
    if (last < first)
        return;
    grain = std::max(grain, 1);
    const long long count = static_cast<long long>(last) - first + 1;
    // Small ranges are not worth sharing.
    if (threadCount() == 1 || count < 2LL * grain) {
        body(first, last);
        return;
    }
    const auto chunks = static_cast<int>((count + grain - 1) / grain);
    run(chunks, [&](int chunk) {
        const long long lo = first + static_cast<long long>(chunk) * grain;
        const long long hi = std::min<long long>(last, lo + grain - 1);
        body(static_cast<int>(lo), static_cast<int>(hi));
    });
}

void WorkerPool::workerLoop() {
    // Generation 0 is the pool's state before its first job, whenever this thread starts.
    std::uint32_t seen = 0;
    for (;;) {
        if (!spinUntil([&] { return m_generation.load(std::memory_order_acquire) != seen; })) {
            m_sleepers.fetch_add(1, std::memory_order_seq_cst);
            while (m_generation.load(std::memory_order_seq_cst) == seen)
                futexWait(m_generation, seen);
            m_sleepers.fetch_sub(1, std::memory_order_relaxed);
        }
        seen = m_generation.load(std::memory_order_acquire);
        if (m_stop.load(std::memory_order_acquire))
            return;
        // Join the job if it is still open; a job that closed meanwhile needs no help.
        std::uint32_t state = m_state.load(std::memory_order_relaxed);
        bool joined = false;
        while ((state & JobOpen) != 0 && !joined)
            joined =
                m_state.compare_exchange_weak(state, state + 1, std::memory_order_acquire, std::memory_order_relaxed);
        if (!joined)
            continue;
        takeChunks();
        // The last worker to leave a closed job wakes the caller if it went to sleep.
        if (m_state.fetch_sub(1, std::memory_order_seq_cst) == 1 && m_callerSleeping.load(std::memory_order_seq_cst))
            futexWakeAll(m_state);
    }
}

} // namespace pulsefir::core
