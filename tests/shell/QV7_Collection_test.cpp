// The owning collection: growth, order, ownership and the not-found paths.
#include "shell/QV7_Collection.h"
#include "tests/shell/TestLog.h"

#include <gtest/gtest.h>
#include <malloc.h>

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

TEST_F(CollectionTest, GrowsByExactlyOneSlotAndKeepsOrderOnDelete)
{
    QV7_Collection<Tracked> list;
    EXPECT_EQ(list.IndexOf(nullptr), -1);
    Tracked* a = list.Add();
    Tracked* b = list.Add();
    Tracked* c = list.Add();
    EXPECT_EQ(malloc_usable_size(list.items) / sizeof(Tracked*) >= 3u, true);
    list.Delete(b);
    ASSERT_EQ(list.count, 2);
    EXPECT_EQ(list[0], a);
    EXPECT_EQ(list[1], c);
    EXPECT_EQ(Tracked::alive, 2);
    EXPECT_EQ(list.IndexOf(c), 1);
    EXPECT_EQ(list.IndexOf(b), -1);
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
