// The owning collection: growth, order, ownership and the not-found paths.
#include "shell/QV7_Collection.h"
#include "tests/shell/TestLog.h"

#include <gtest/gtest.h>
#include <algorithm>
#include <malloc.h>
#include <memory>
#include <vector>

namespace
{
// Counts live instances and, on destruction, what its collection's count was.
struct Tracked
{
    static inline int alive = 0;
    static inline std::vector<int> countsSeenAtDelete;
    static inline QV7_Collection<Tracked>* owner = nullptr;
    Tracked() { ++alive; }
    ~Tracked()
    {
        --alive;
        if (owner)
            countsSeenAtDelete.push_back(owner->count);
    }
};

class CollectionTest : public ::testing::Test
{
  protected:
    void SetUp() override
    {
        Tracked::alive = 0;
        Tracked::countsSeenAtDelete.clear();
        Tracked::owner = nullptr;
    }
    ScopedTestLogger log;
};
} // namespace

// The pointer array holds exactly count slots: malloc_usable_size gives the
// request rounded up to the allocator's 16-byte granule, at least three slots
// (exact under ASan), so an array kept with spare capacity shows up at once.
static size_t Slots(const QV7_Collection<Tracked>& list)
{
    return malloc_usable_size(list.items) / sizeof(Tracked*);
}

TEST_F(CollectionTest, GrowsByExactlyOneSlotPerInsertionAndKeepsEveryElement)
{
    QV7_Collection<Tracked> list;
    EXPECT_EQ(list.IndexOf(nullptr), -1);
    ASSERT_NE(list.items, nullptr) << "an empty collection still has its zero-size block";
    std::vector<Tracked*> added;
    for (int n = 1; n <= 200; ++n)
    {
        added.push_back(list.Add());
        ASSERT_EQ(list.count, n);
        ASSERT_GE(Slots(list), size_t(n));
        ASSERT_LE(Slots(list), std::max<size_t>(size_t(n) + 1, 3)) << "spare capacity after " << n << " insertions";
    }
    EXPECT_EQ(Tracked::alive, 200);
    for (int i = 0; i < 200; ++i)
    {
        ASSERT_EQ(list[i], added[size_t(i)]) << "slot " << i;
        ASSERT_EQ(list.IndexOf(added[size_t(i)]), i);
    }
}

TEST_F(CollectionTest, DeletingKeepsTheOrderOfTheRestAndDoesNotShrink)
{
    QV7_Collection<Tracked> list;
    Tracked* a = list.Add();
    Tracked* b = list.Add();
    Tracked* c = list.Add();
    Tracked** const before = list.items;
    list.Delete(b);
    ASSERT_EQ(list.count, 2);
    EXPECT_EQ(list.items, before) << "removal does not reallocate";
    EXPECT_GE(Slots(list), 3u);
    EXPECT_EQ(list[0], a);
    EXPECT_EQ(list[1], c);
    EXPECT_EQ(Tracked::alive, 2);
    EXPECT_EQ(list.IndexOf(c), 1);
    EXPECT_EQ(list.IndexOf(b), -1);
    Tracked* d = list.Add(); // resized to exactly three again
    EXPECT_LE(Slots(list), 4u);
    EXPECT_EQ(list[2], d);
    list.DeleteAt(0);
    EXPECT_EQ(list[0], c);
    EXPECT_EQ(list[1], d);
}

TEST_F(CollectionTest, AbsentPointersAreReportedAndHarmlessForDeleteButFatalForRemove)
{
    QV7_Collection<Tracked> list;
    Tracked* kept = list.Add();
    Tracked stranger;

    list.Delete(nullptr);
    EXPECT_EQ(list.Remove(nullptr), nullptr);
    EXPECT_TRUE(log.Lines().empty());

    list.Delete(&stranger);
    EXPECT_EQ(list.count, 1);
    EXPECT_TRUE(log.Contains("ERROR: Memory Collecion Delete(T* Item) pointer unit not found."));

    EXPECT_THROW(list.Remove(&stranger), CDException);
    EXPECT_TRUE(log.Contains("ERROR DETAILS: FILE QV7_Collection LINE 234"));

    list.DeleteAt(5);
    list.DeleteAt(-1);
    EXPECT_EQ(list.count, 1);
    EXPECT_EQ(list[0], kept);
}

TEST_F(CollectionTest, RemoveHandsOwnershipBack)
{
    QV7_Collection<Tracked> list;
    Tracked* a = list.Add();
    std::unique_ptr<Tracked> taken(list.Remove(a));
    EXPECT_EQ(list.count, 0);
    EXPECT_EQ(Tracked::alive, 1);
}

TEST_F(CollectionTest, ClearAndDestructorDeleteFromTheEndWithTheCountAlreadyLowered)
{
    {
        QV7_Collection<Tracked> list;
        Tracked::owner = &list;
        list.Add();
        list.Add();
        list.Add();
        list.Clear();
        EXPECT_EQ(Tracked::countsSeenAtDelete, (std::vector<int>{2, 1, 0}));
        EXPECT_EQ(Tracked::alive, 0);
        list.Add(); // usable again after Clear
        list.Add();
        Tracked::countsSeenAtDelete.clear();
    }
    EXPECT_EQ(Tracked::countsSeenAtDelete, (std::vector<int>{1, 0}));
    EXPECT_EQ(Tracked::alive, 0);
}
