// The single-instance guard across processes: a forked child plays the second
// start of the game.
#include "platform/win/InstanceLock.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <unistd.h>

namespace
{
namespace fs = std::filesystem;

class InstanceLockTest : public ::testing::Test
{
  protected:
    void SetUp() override
    {
        char pattern[] = "/tmp/qv7-lock-XXXXXX";
        ASSERT_NE(::mkdtemp(pattern), nullptr);
        m_dir = pattern;
        ::setenv("QV7_LOCK_DIR", pattern, 1);
    }
    void TearDown() override
    {
        ::unsetenv("QV7_LOCK_DIR");
        fs::remove_all(m_dir);
    }
    fs::path m_dir;
};

// Exit code 0 when the child got the lock, 1 when it was refused.
[[noreturn]] void AcquireInChild()
{
    bool got = win::InstanceLock::Acquire("qv7-test") != nullptr;
    ::_exit(got ? 0 : 1);
}

TEST_F(InstanceLockTest, SecondProcessIsRefusedUntilTheFirstLetsGo)
{
    auto lock = win::InstanceLock::Acquire("qv7-test");
    ASSERT_NE(lock, nullptr);
    EXPECT_TRUE(lock->Held());
    EXPECT_EQ(lock->Path(), (m_dir / "qv7-test.lock").string());

    EXPECT_EXIT(AcquireInChild(), ::testing::ExitedWithCode(1), "");
    EXPECT_EQ(win::InstanceLock::Acquire("qv7-test"), nullptr) << "a second open in this process";
    EXPECT_NE(win::InstanceLock::Acquire("other-name"), nullptr);

    lock.reset();
    EXPECT_EXIT(AcquireInChild(), ::testing::ExitedWithCode(0), "");
}

TEST_F(InstanceLockTest, NoUsableFolderStillLetsTheGameStart)
{
    ::setenv("QV7_LOCK_DIR", (m_dir / "absent").c_str(), 1);
    auto lock = win::InstanceLock::Acquire("qv7-test");
    ASSERT_NE(lock, nullptr);
    EXPECT_FALSE(lock->Held());
}
} // namespace
