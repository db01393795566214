// The choice between the pool's threads and the calling thread alone for a job that repeats.
#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <ostream>
#include <string>

#include "core/parallel.h"
#include "core/thread_choice.h"

using namespace pulsefir;
using namespace pulsefir::core;

// The choice between the threads and the calling thread alone, on made-up job times (µs): a
// job with the threads right after one without also pays for waking the workers.
struct ThreadChoiceCase {
    const char *name;
    double threaded;       // µs per job with the threads, while the machine is quiet
    double solo;           // µs per job alone
    long long busyUntil;   // until this job, one job with the threads in ten stalls for 3 ms
    long long stallAt;     // one job with the threads that stalls for 3 ms (-1: none)
    long long from, until; // the jobs counted
    long long minThreaded, maxThreaded;
};

void PrintTo(const ThreadChoiceCase &c, std::ostream *os) {
    *os << c.name;
}

class ThreadChoiceTest : public ::testing::TestWithParam<ThreadChoiceCase> {};

TEST_P(ThreadChoiceTest, RunsTheFasterWayAndComesBack) {
    const auto c = GetParam();
    WorkerPool pool(2);
    ThreadChoice choice;
    bool lastThreaded = false;
    long long counted = 0;
    for (long long job = 0; job < c.until; ++job) {
        const bool threaded = choice.useThreads(pool);
        double us = threaded ? c.threaded : c.solo;
        if (threaded && !lastThreaded)
            us += 300.0;
        if (threaded && ((job < c.busyUntil && job % 10 == 0) || job == c.stallAt))
            us = 3000.0;
        choice.record(us * 1e-6);
        lastThreaded = threaded;
        if (threaded && job >= c.from)
            ++counted;
    }
    EXPECT_GE(counted, c.minThreaded);
    EXPECT_LE(counted, c.maxThreaded);
}

INSTANTIATE_TEST_SUITE_P(Machines, ThreadChoiceTest,
                         ::testing::Values(
                             // After the first six jobs, every job on the threads.
                             ThreadChoiceCase{"quiet", 15, 27, 0, -1, 6, 20000, 19994, 19994},
                             ThreadChoiceCase{"one stall", 15, 27, 0, 5000, 6, 20000, 19994, 19994},
                             // Segments with the threads between ever longer leads alone: one in nine at the end.
                             ThreadChoiceCase{"threads slower", 30, 27, 0, -1, 6, 20000, 1000, 4000},
                             ThreadChoiceCase{"busy", 15, 27, 1000000, -1, 6, 20000, 1000, 4000},
                             // Quiet again: the threads are back after the longest lead alone.
                             ThreadChoiceCase{"busy, then quiet", 15, 27, 10000, -1, 30000, 40000, 10000, 10000}),
                         [](const auto &info) {
                             std::string name = info.param.name;
                             std::replace_if(
                                 name.begin(), name.end(),
                                 [](char ch) { return !std::isalnum(static_cast<unsigned char>(ch)); }, '_');
                             return name;
                         });
