#include "thread_choice.h"

#include <algorithm>

#include "parallel.h"

namespace pulsefir::core {

bool ThreadChoice::useThreads(const WorkerPool &pool) {
    bool threaded = false;
    if (pool.threadCount() > 1)
        threaded = m_jobs < WarmUpJobs ? m_jobs < WarmUpJobs / 2 : m_segmentThreaded;
    m_threaded = threaded;
    ++m_jobs;
    return threaded;
}

void ThreadChoice::record(double seconds) {
    // The first job with the threads after one without (or after none) is not timed.
    const bool timed = !m_threaded || m_lastThreaded;
    m_lastThreaded = m_threaded;
    if (!timed)
        return;
    const double other = m_threaded ? m_soloMean : m_threadedMean;
    m_sum += other > 0.0 ? std::min(seconds, MaxStall * other) : seconds;
    ++m_timedJobs;
    if (m_jobs <= WarmUpJobs) {
        // Two timed jobs with the threads, then three alone.
        if (m_jobs == WarmUpJobs / 2 || m_jobs == WarmUpJobs) {
            (m_jobs == WarmUpJobs ? m_soloMean : m_threadedMean) = m_sum / m_timedJobs;
            m_sum = 0.0;
            m_timedJobs = 0;
        }
        return;
    }
    if (m_timedJobs < SegmentJobs)
        return;
    const double mean = m_sum / m_timedJobs;
    m_sum = 0.0;
    m_timedJobs = 0;
    if (m_segmentThreaded) {
        // The mean over the last two segments in a row with the threads.
        m_threadedMean = m_threadsInARow ? (m_threadedMean + mean) / 2 : mean;
        m_threadsInARow = true;
        if (m_threadedMean <= m_soloMean) {
            m_soloFresh = false;
            m_nextLead = 1;
        } else if (m_soloFresh) {
            startSolo(false); // the threads lost again
        } else {
            startSolo(true); // the mean alone may be old: measure it again first
        }
        return;
    }
    m_soloMean = m_measuring ? mean : (m_soloMean + mean) / 2;
    if (--m_soloLeft > 0)
        return;
    if (m_measuring && m_soloMean < m_threadedMean) {
        startSolo(false);
    } else {
        // After a lead alone, or when the threads still win: the threads again.
        m_segmentThreaded = true;
        m_soloFresh = !m_measuring || m_soloFresh;
        if (m_measuring)
            m_nextLead = 1;
    }
    m_measuring = false;
}

void ThreadChoice::startSolo(bool measure) {
    m_segmentThreaded = false;
    m_threadsInARow = false;
    m_measuring = measure;
    if (measure) {
        m_soloLeft = 1;
        return;
    }
    m_soloLeft = m_nextLead;
    m_nextLead = std::min(2 * m_nextLead, MaxSoloLead);
}

} // namespace pulsefir::core
