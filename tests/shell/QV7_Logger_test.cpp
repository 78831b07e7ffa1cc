// Logger.dat: banner, line format, the Debug gate and the console echo.
#include "shell/QV7_Logger.h"
#include "shell/QV7_Windows.h"
#include "tests/shell/TestLog.h"

#include <gtest/gtest.h>
#include <regex>

namespace
{
std::vector<std::string> s_echoed;
void Echo(const char* text) { s_echoed.push_back(text); }

std::vector<std::string> RawLines(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    std::vector<std::string> lines;
    std::string line;
    while (std::getline(in, line))
        lines.push_back(line);
    return lines;
}
} // namespace

TEST(Logger, WritesTheBannerThenTimestampedCrLfLines)
{
    TempDir dir;
    QV7_Logger logger(dir.Path() + "Logger.dat");
    QV7_Logger::Log(&logger, "INFO: %d Device(s)", 2);
    const auto lines = RawLines(logger.Path());
    ASSERT_EQ(lines.size(), 21u); // 20 banner lines and the log line
    for (int i = 0; i < 20; ++i)
    {
        if (i != 18)
        {
            EXPECT_EQ(lines[i].size(), 76u) << "banner line " << i + 1;
        }
    }
    EXPECT_EQ(lines[12], "/////////////////  THE BRIMSTALKER3D ENGINE LOG FILE  //////////////////////");
    EXPECT_EQ(lines[18].rfind("**EXE File Compiled on: ", 0), 0u);
    EXPECT_TRUE(std::regex_match(lines[20], std::regex(R"(\[\d\d-\d\d-\d{4} \d\d:\d\d:\d\d\] : INFO: 2 Device\(s\)\r)")))
        << lines[20];
}

TEST(Logger, CutsTextsAt255Characters)
{
    TempDir dir;
    QV7_Logger logger(dir.Path() + "Logger.dat");
    QV7_Logger::Log(&logger, "%s", std::string(300, 'x').c_str());
    EXPECT_EQ(LogTexts(logger.Path()).at(0), std::string(255, 'x'));
}

TEST(Logger, DebugGateDecidesWhatReachesTheFileAndTheConsole)
{
    TempDir dir;
    QV7_Logger logger(dir.Path() + "Logger.dat");
    QV7_Logger::SetConsoleEcho(&Echo);
    s_echoed.clear();

    QV7_Logger::Log(&logger, "before settings");
    {
        QV7_Windows windows;
        windows.m_Settings.Debug = 0;
        QV7_Logger::Log(&logger, "debug off");
        windows.m_Settings.Debug = 1;
        QV7_Logger::Log(&logger, "debug on");
        QV7_Logger::Log(nullptr, "console only");
    }
    QV7_Logger::SetConsoleEcho(nullptr);

    EXPECT_EQ(LogTexts(logger.Path()), (std::vector<std::string>{"before settings", "debug on"}));
    EXPECT_EQ(s_echoed, (std::vector<std::string>{"before settings", "debug on", "console only"}));
}

// The fault path cannot call localtime_r; its own civil-date arithmetic must
// agree with the C library's across leap days, year ends and both sides of UTC.
TEST(Logger, SignalSafeTimePrefixMatchesTheCLibrary)
{
    const std::time_t moments[] = {0,          951782400,  951868799, 978307199, 1709164800,
                                   1735689599, 4107542400, 1234567890};
    const long offsets[] = {0, 19800, -36000, 46800};
    for (std::time_t now : moments)
        for (long offset : offsets)
        {
            const std::time_t shifted = now + offset;
            std::tm civil{};
            gmtime_r(&shifted, &civil);
            char expected[64];
            std::snprintf(expected, sizeof(expected), "[%02d-%02d-%02d %02d:%02d:%02d] : ", civil.tm_mon + 1,
                          civil.tm_mday, civil.tm_year + 1900, civil.tm_hour, civil.tm_min, civil.tm_sec);
            char prefix[32];
            const size_t length = QV7_Logger::FormatTimePrefix(now, offset, prefix);
            EXPECT_EQ(std::string(prefix, length), expected) << "time " << now << " offset " << offset;
        }
}
