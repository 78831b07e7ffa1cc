// Runs a job on every row of a grid, the rows dealt out over a few threads.
// Rows must not depend on each other; each row is then computed exactly as
// on one thread, so the result is the same on every run and machine.
#pragma once

#include <algorithm>
#include <atomic>
#include <thread>
#include <vector>

// The most threads any grid's rows are dealt over, for the whole process
// (0, the default, leaves it to the caller and the machine's cores; 1 keeps
// every row on the calling thread and starts none). A run of thousands of
// island loads under LeakSanitizer sets 1: that sanitizer keeps a page for
// every thread ever started, which would read as growing memory.
// Kept in this header alone: the demo-data tools deal rows too, without
// the rest of the world library.
inline std::atomic<unsigned> g_mostRowThreads{0};
inline void SetMostRowThreads(unsigned most)
{
    g_mostRowThreads = most;
}
inline unsigned MostRowThreads()
{
    return g_mostRowThreads;
}

template <typename RowJob> void ForEachRowInParallel(int rows, RowJob rowJob, unsigned mostThreads = 8)
{
    if (const unsigned processMost = MostRowThreads())
        mostThreads = std::min(mostThreads, processMost);
    const int threads = int(std::clamp(std::thread::hardware_concurrency(), 1u, std::max(mostThreads, 1u)));
    std::vector<std::thread> workers;
    for (int t = 1; t < threads; ++t)
        workers.emplace_back(
            [t, threads, rows, &rowJob]
            {
                for (int row = t; row < rows; row += threads)
                    rowJob(row);
            });
    for (int row = 0; row < rows; row += threads)
        rowJob(row);
    for (std::thread& worker : workers)
        worker.join();
}
