// The crash reporter: its table, the retry count and the hardware-fault lines.
#include "platform/win/FaultSignals.h"
#include "shell/QV7_ReportException.h"
#include "tests/shell/TestLog.h"

#include <gtest/gtest.h>

#include <csignal>
#include <sys/wait.h>

namespace
{
class ReportExceptionTest : public ::testing::Test
{
  protected:
    void SetUp() override { g_exceptionRetries = 0; }
    void TearDown() override { g_exceptionRetries = 0; }
    ScopedTestLogger log;
};
} // namespace

TEST_F(ReportExceptionTest, NamesTheFaultAndResumes)
{
    struct Case
    {
        uint32_t code;
        const char* nameLine;
        const char* descriptionStart;
    };
    const Case cases[] = {
        {win::EXCEPTION_ACCESS_VIOLATION, "OUTPUT: [EXCEPTION_ACCESS_VIOLATION]", "OUTPUT: The thread attempted to read"},
        {win::EXCEPTION_BREAKPOINT, nullptr, "OUTPUT: A breakpoint was encountered."},
        {win::EXCEPTION_INT_DIVIDE_BY_ZERO, "OUTPUT: [EXCEPTION_INT_DIVIDE_BY_ZERO]", "OUTPUT: The thread attempted to divide an integer"},
        {win::EXCEPTION_FLT_OVERFLOW, "OUTPUT: [EXCEPTION_FLT_OVERFLOW]", "OUTPUT: The exponent of a floating-point"},
        {0x12345678, nullptr, nullptr},
    };
    g_crashLocator = 7;
    for (const Case& c : cases)
    {
        const size_t before = log.Lines().size();
        EXPECT_EQ(ReportException(c.code, reinterpret_cast<const void*>(0x401000)), EXCEPTION_CONTINUE_EXECUTION_VERDICT);
        std::vector<std::string> lines = log.Lines();
        lines.erase(lines.begin(), lines.begin() + long(before));
        std::vector<std::string> expected = {"ERROR: Game Exception, Error Code E1.A",
                                             "OUTPUT: Exception Code " + std::to_string(int32_t(c.code)),
                                             "OUTPUT: Crash Locator 7",
                                             "OUTPUT: Exception Code " + std::to_string(int32_t(c.code))};
        if (c.nameLine)
            expected.push_back(c.nameLine);
        ASSERT_GE(lines.size(), expected.size() + 2);
        for (size_t i = 0; i < expected.size(); ++i)
            EXPECT_EQ(lines[i], expected[i]);
        if (c.descriptionStart)
        {
            EXPECT_EQ(lines[expected.size()].rfind(c.descriptionStart, 0), 0u) << lines[expected.size()];
            expected.push_back(lines[expected.size()]);
        }
        EXPECT_EQ(lines[expected.size()], "OUTPUT: Exception Pointer 0x00401000");
        EXPECT_EQ(lines.back(), "OUTPUT: Attempt " + std::to_string(g_exceptionRetries) +
                                    ", Return and Retry to exception Stack position!");
    }
    g_crashLocator = 0;
}

TEST_F(ReportExceptionTest, TheEleventhFaultGivesUpAndNonContinuableIsPassedOn)
{
    EXPECT_EQ(ReportException(win::EXCEPTION_NONCONTINUABLE_EXCEPTION, nullptr), EXCEPTION_CONTINUE_SEARCH_VERDICT);
    EXPECT_EQ(log.Lines().back(),
              "OUTPUT: The thread attempted to continue execution after a noncontinuable exception occurred.");
    for (int i = 2; i <= 10; ++i)
        EXPECT_EQ(ReportException(win::EXCEPTION_ACCESS_VIOLATION, nullptr), EXCEPTION_CONTINUE_EXECUTION_VERDICT);
    EXPECT_EQ(ReportException(win::EXCEPTION_ACCESS_VIOLATION, nullptr), EXCEPTION_EXECUTE_HANDLER_VERDICT);
    EXPECT_EQ(log.Lines().back(), "ERROR: Retry and Continue FAILED");
}

TEST_F(ReportExceptionTest, AGuardAbandonsTheCallOnAnExceptionButLetsDataErrorsThrough)
{
    bool after = false;
    EXPECT_FALSE(RunGuarded([&] {
        throw std::runtime_error("fault");
        after = true;
    }));
    EXPECT_FALSE(after);
    EXPECT_EQ(g_exceptionRetries, 1);
    EXPECT_THROW(RunGuarded([] { throw CDException("FILE x LINE 1"); }), CDException);
    EXPECT_TRUE(RunGuarded([] {}));
}

TEST_F(ReportExceptionTest, AHardwareFaultIsLoggedWithTheTableAndEndsTheProcess)
{
    const std::string path = g_logger->Path();
    const pid_t child = fork();
    if (child == 0)
    {
        InstallHardwareFaultReporter();
        raise(SIGSEGV);
        _exit(0);
    }
    int status = 0;
    waitpid(child, &status, 0);
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 3);
    std::ifstream in(path);
    std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    EXPECT_NE(text.find("ERROR: Game Exception, Error Code E1.A"), std::string::npos) << text;
    EXPECT_NE(text.find("OUTPUT: [EXCEPTION_ACCESS_VIOLATION]"), std::string::npos) << text;
    EXPECT_NE(text.find("OUTPUT: Exception Code -1073741819"), std::string::npos) << text;
}
