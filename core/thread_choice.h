#pragma once

namespace pulsefir::core {

class WorkerPool;

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
    int m_soloLeft = 0;           // segments alone still to run, the running one included
    bool m_measuring = false;     // the running segment alone measures that way again
    bool m_soloFresh = false;     // the mean alone was measured just before these threads
    int m_nextLead = 1;           // segments alone after the next win of the caller alone
    bool m_threaded = false;      // the way of the job being timed
    bool m_lastThreaded = false;
};

} // namespace pulsefir::core
