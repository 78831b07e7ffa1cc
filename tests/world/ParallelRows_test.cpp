// Rows dealt over threads: every row once, whatever the thread count, and
// the process-wide limit of one keeps them all on the calling thread.
#include "world/ParallelRows.h"

#include <gtest/gtest.h>

#include <atomic>
#include <mutex>
#include <set>

namespace
{
struct RowLimitReset
{
    ~RowLimitReset() { SetMostRowThreads(0); }
};
} // namespace

TEST(ParallelRowsTest, VisitsEveryRowOnceForAnyRowAndThreadCount)
{
    for (int rows : {0, 1, 7, 9, 257})
        for (unsigned most : {1u, 2u, 8u, 64u})
        {
            std::vector<std::atomic<int>> visits(static_cast<size_t>(rows));
            ForEachRowInParallel(
                rows, [&](int row) { ++visits[size_t(row)]; }, most);
            for (int row = 0; row < rows; ++row)
                EXPECT_EQ(visits[size_t(row)], 1)
                    << rows << " rows, at most " << most << " threads, row " << row;
        }
}

TEST(ParallelRowsTest, TheProcessLimitOfOneKeepsEveryRowOnTheCallingThreadInOrder)
{
    RowLimitReset reset;
    SetMostRowThreads(1);
    const std::thread::id caller = std::this_thread::get_id();
    std::vector<int> order;
    std::set<std::thread::id> seen;
    ForEachRowInParallel(100,
                         [&](int row)
                         {
                             order.push_back(row);
                             seen.insert(std::this_thread::get_id());
                         });
    ASSERT_EQ(order.size(), 100u);
    for (int row = 0; row < 100; ++row)
        EXPECT_EQ(order[size_t(row)], row);
    EXPECT_EQ(seen, std::set<std::thread::id>{caller});
}

// Rows are dealt out in turn, so with at least as many rows as threads every
// thread started runs a row: the threads seen are the threads used.
TEST(ParallelRowsTest, TheSmallerOfTheProcessAndCallerLimitsHoldsAndZeroLiftsTheProcessOne)
{
    RowLimitReset reset;
    const unsigned cores = std::max(std::thread::hardware_concurrency(), 1u);
    struct Case
    {
        unsigned processMost, callerMost, threadsUsed;
    };
    for (const Case& c : {Case{16, 2, std::min(cores, 2u)}, Case{3, 8, std::min(cores, 3u)},
                          Case{0, 8, std::min(cores, 8u)}})
    {
        SetMostRowThreads(c.processMost);
        std::mutex lock;
        std::set<std::thread::id> seen;
        ForEachRowInParallel(
            64,
            [&](int)
            {
                std::lock_guard<std::mutex> hold(lock);
                seen.insert(std::this_thread::get_id());
            },
            c.callerMost);
        EXPECT_EQ(seen.size(), c.threadsUsed) << "process " << c.processMost << ", caller " << c.callerMost;
    }
}
