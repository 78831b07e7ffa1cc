// The crash reporter: its table, the retry count and the hardware-fault lines.
#include "platform/win/FaultSignals.h"
#include "shell/QV7_ReportException.h"
#include "shell/QV7_Windows.h"
#include "tests/shell/TestLog.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <csignal>
#include <ctime>
#include <memory>
#include <sys/mman.h>
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

namespace
{
// Runs body in a child whose log is a fresh Logger.dat in folder, made in a
// time zone east of UTC, then a real access violation (a write to a page with
// no access). The child's exit code; the times it ran between, in *before and *after.
int FaultInChild(const std::string& folder, bool withSettings, int debug, std::time_t* before,
                 std::time_t* after)
{
    *before = std::time(nullptr);
    const pid_t child = fork();
    if (child == 0)
    {
        setenv("TZ", "QVT-05:30", 1);
        tzset();
        QV7_Logger logger(folder + "Logger.dat");
        g_logger = &logger;
        QV7_Logger::Log(g_logger, "before the fault");
        std::unique_ptr<QV7_Windows> windows;
        if (withSettings)
        {
            windows = std::make_unique<QV7_Windows>();
            windows->m_Settings.Debug = debug;
        }
        InstallHardwareFaultReporter();
        void* page = mmap(nullptr, 4096, PROT_NONE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
        *static_cast<volatile int*>(page) = 1;
        _exit(0);
    }
    int status = 0;
    waitpid(child, &status, 0);
    *after = std::time(nullptr);
    return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
}

std::vector<std::string> RawLines(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    std::vector<std::string> lines;
    for (std::string line; std::getline(in, line);)
        lines.push_back(line);
    return lines;
}
} // namespace

TEST_F(ReportExceptionTest, AHardwareFaultIsLoggedInTheLoggersFormatAndEndsTheProcess)
{
    TempDir dir;
    std::time_t before = 0, after = 0;
    ASSERT_EQ(FaultInChild(dir.Path(), false, 0, &before, &after), 3);
    const std::vector<std::string> texts = LogTexts(dir.Path() + "Logger.dat");
    const std::vector<std::string> expected = {"before the fault",
                                               "ERROR: Game Exception, Error Code E1.A",
                                               "OUTPUT: Exception Code -1073741819",
                                               "OUTPUT: Crash Locator 0",
                                               "OUTPUT: Exception Code -1073741819",
                                               "OUTPUT: [EXCEPTION_ACCESS_VIOLATION]"};
    ASSERT_GE(texts.size(), expected.size() + 4) << ::testing::PrintToString(texts);
    EXPECT_EQ(std::vector<std::string>(texts.begin(), texts.begin() + long(expected.size())), expected);
    EXPECT_EQ(texts[expected.size() + 1].rfind("OUTPUT: Exception Pointer 0x", 0), 0u);
    EXPECT_EQ(texts.back(), "OUTPUT: Exception Code -1073741819");

    // Every line after the banner has the logger's prefix in the child's local
    // time (UTC+5:30) and ends in CR LF, the fault lines as the ordinary one.
    const std::vector<std::string> lines = RawLines(dir.Path() + "Logger.dat");
    ASSERT_EQ(lines.size(), 20 + texts.size());
    std::vector<std::string> prefixes;
    for (std::time_t t = before; t <= after; ++t)
    {
        const std::time_t local = t + 19800;
        std::tm civil{};
        gmtime_r(&local, &civil);
        char prefix[64];
        std::snprintf(prefix, sizeof(prefix), "[%02d-%02d-%02d %02d:%02d:%02d] : ", civil.tm_mon + 1,
                      civil.tm_mday, civil.tm_year + 1900, civil.tm_hour, civil.tm_min, civil.tm_sec);
        prefixes.push_back(prefix);
    }
    for (size_t i = 20; i < lines.size(); ++i)
    {
        const std::string& line = lines[i];
        ASSERT_GE(line.size(), 25u) << line;
        EXPECT_NE(std::find(prefixes.begin(), prefixes.end(), line.substr(0, 24)), prefixes.end()) << line;
        EXPECT_EQ(line.back(), '\r') << line;
    }
}

TEST_F(ReportExceptionTest, AHardwareFaultKeepsTheDebugGate)
{
    struct Case
    {
        bool withSettings;
        int debug;
        bool faultLines;
    };
    for (const Case c : {Case{true, 0, false}, Case{true, 1, true}})
    {
        TempDir dir;
        std::time_t before = 0, after = 0;
        ASSERT_EQ(FaultInChild(dir.Path(), c.withSettings, c.debug, &before, &after), 3);
        const std::vector<std::string> texts = LogTexts(dir.Path() + "Logger.dat");
        const bool logged =
            std::find(texts.begin(), texts.end(), "ERROR: Game Exception, Error Code E1.A") != texts.end();
        EXPECT_EQ(logged, c.faultLines) << "Debug " << c.debug << ": " << ::testing::PrintToString(texts);
    }
}
