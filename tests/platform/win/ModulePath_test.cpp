// Where the program lives, and the override that lets tests move it.
#include "platform/win/ModulePath.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>

namespace
{
class ModulePathTest : public ::testing::Test
{
  protected:
    void TearDown() override { ::unsetenv("QV7_PROGRAM_DIR"); }
};

TEST_F(ModulePathTest, NamesThisExecutableAndItsFolder)
{
    ::unsetenv("QV7_PROGRAM_DIR");
    const std::string module = win::GetModuleFileName();
    ASSERT_FALSE(module.empty());
    EXPECT_EQ(module.front(), '/');
    EXPECT_TRUE(std::filesystem::equivalent(module, "/proc/self/exe"));
    EXPECT_EQ(win::ProgramDirectory(), module.substr(0, module.rfind('/') + 1));
}

TEST_F(ModulePathTest, OverrideAlwaysEndsInSlash)
{
    const std::string module = win::GetModuleFileName();
    struct Case
    {
        const char* value;
        std::string expected;
    };
    const Case cases[] = {
        {"/tmp/game", "/tmp/game/"},
        {"/tmp/game/", "/tmp/game/"},
        {"", module.substr(0, module.rfind('/') + 1)},
    };
    for (const Case& c : cases)
    {
        ::setenv("QV7_PROGRAM_DIR", c.value, 1);
        EXPECT_EQ(win::ProgramDirectory(), c.expected) << "'" << c.value << "'";
    }
}
} // namespace
