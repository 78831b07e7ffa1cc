// Logger.dat: the banner at creation, then one open-append-close per line so
// the file is complete up to the last line even if the process dies.
#include "shell/QV7_Logger.h"

#include "platform/win/FaultSignals.h"
#include "shell/QV7_Globals.h"
#include "shell/QV7_Windows.h"

#include <atomic>
#include <cstdarg>
#include <cstdio>
#include <ctime>

QV7_Logger* g_logger = nullptr;

namespace
{
QV7_Logger::ConsoleEcho s_consoleEcho = nullptr;

const char* const kRule = "////////////////////////////////////////////////////////////////////////////";
// Block letters of the engine's initials, "B3D", 76 characters a line.
const char* const kArt[10] = {
    "////////////////////////////////////////////////////////////////////////////",
    "////////////////////////////////////////////////////////////////////////////",
    "/////////////////  ######   ######   ######  ///////////////////////////////",
    "/////////////////  ##   ##       ##  ##   ## ///////////////////////////////",
    "/////////////////  ##   ##       ##  ##    ##///////////////////////////////",
    "/////////////////  ######    #####   ##    ##///////////////////////////////",
    "/////////////////  ##   ##       ##  ##    ##///////////////////////////////",
    "/////////////////  ##   ##       ##  ##   ## ///////////////////////////////",
    "/////////////////  ######   ######   ######  ///////////////////////////////",
    "////////////////////////////////////////////////////////////////////////////",
};

// The local time's offset from UTC, for lines written where localtime_r may
// not be called (it can lock and load zone files). Refreshed by every
// ordinary line, so a summer-time change is picked up by the next one.
std::atomic<long> s_utcOffset{0};

bool FileLinesEnabled()
{
    return g_windowsData == nullptr || g_windowsData->m_Settings.Debug == 1;
}

std::tm LocalTime(std::time_t now)
{
    std::tm local{};
    localtime_r(&now, &local);
    s_utcOffset.store(local.tm_gmtoff);
    return local;
}

char* PutTwoDigits(char* at, int value)
{
    *at++ = char('0' + value / 10 % 10);
    *at++ = char('0' + value % 10);
    return at;
}
} // namespace

QV7_Logger::QV7_Logger() : QV7_Logger(g_programDir + "Logger.dat") {}

QV7_Logger::QV7_Logger(std::string path) : m_Path(std::move(path))
{
    LocalTime(std::time(nullptr));
    WriteBanner();
}

void QV7_Logger::WriteBanner() const
{
    FILE* file = std::fopen(m_Path.c_str(), "w+");
    if (!file)
        return;
    std::fprintf(file, "%s\n", kRule);
    for (const char* line : kArt)
        std::fprintf(file, "%s\n", line);
    std::fprintf(file, "%s\n", kRule);
    std::fprintf(file, "/////////////////  THE BRIMSTALKER3D ENGINE LOG FILE  //////////////////////\n");
    std::fprintf(file, "////////////////////////KORVATRINE Entertainment////////////////////////////\n");
    std::fprintf(file, "%s\n%s\n", kRule, kRule);
    std::fprintf(file, "// Engine Version III //////////////////////////////////////////////////////\n");
    std::fprintf(file, "%s\n", kRule);
    std::fprintf(file, "**EXE File Compiled on: %s %s \n", __DATE__, __TIME__);
    std::fprintf(file, "%s\n", kRule);
    std::fclose(file);
}

void QV7_Logger::Log(const QV7_Logger* logger, const char* format, ...)
{
    char text[256];
    va_list args;
    va_start(args, format);
    std::vsnprintf(text, sizeof(text), format, args);
    va_end(args);
    WriteLine(logger, text);
}

void QV7_Logger::WriteLine(const QV7_Logger* logger, const char* text)
{
    if (!FileLinesEnabled())
        return;
    if (s_consoleEcho)
        s_consoleEcho(text);
    if (!logger || logger->m_Path.empty())
        return;
    FILE* file = std::fopen(logger->m_Path.c_str(), "a+");
    if (!file)
        return;
    const std::tm local = LocalTime(std::time(nullptr));
    std::fprintf(file, "[%02d-%02d-%02d %02d:%02d:%02d] : %s\r\n", local.tm_mon + 1, local.tm_mday,
                 local.tm_year + 1900, local.tm_hour, local.tm_min, local.tm_sec, text);
    std::fclose(file);
}

size_t QV7_Logger::FormatTimePrefix(std::time_t now, long utcOffset, char (&out)[32])
{
    // Days since 1970-01-01 to a civil date (proleptic Gregorian), by era of 400 years.
    const int64_t local = int64_t(now) + utcOffset;
    int64_t days = local / 86400;
    int64_t seconds = local % 86400;
    if (seconds < 0)
    {
        seconds += 86400;
        --days;
    }
    const int64_t z = days + 719468;
    const int64_t era = (z >= 0 ? z : z - 146096) / 146097;
    const int64_t dayOfEra = z - era * 146097;
    const int64_t yearOfEra = (dayOfEra - dayOfEra / 1460 + dayOfEra / 36524 - dayOfEra / 146096) / 365;
    const int64_t dayOfYear = dayOfEra - (365 * yearOfEra + yearOfEra / 4 - yearOfEra / 100);
    const int64_t monthFromMarch = (5 * dayOfYear + 2) / 153;
    const int day = int(dayOfYear - (153 * monthFromMarch + 2) / 5 + 1);
    const int month = int(monthFromMarch < 10 ? monthFromMarch + 3 : monthFromMarch - 9);
    const int64_t year = yearOfEra + era * 400 + (month <= 2 ? 1 : 0);

    char* at = out;
    *at++ = '[';
    at = PutTwoDigits(at, month);
    *at++ = '-';
    at = PutTwoDigits(at, day);
    *at++ = '-';
    at += win::SignalSafeFormatInt(year, at, 8);
    *at++ = ' ';
    at = PutTwoDigits(at, int(seconds / 3600));
    *at++ = ':';
    at = PutTwoDigits(at, int(seconds / 60 % 60));
    *at++ = ':';
    at = PutTwoDigits(at, int(seconds % 60));
    for (const char* tail = "] : "; *tail; ++tail)
        *at++ = *tail;
    *at = '\0';
    return size_t(at - out);
}

void QV7_Logger::WriteLineFromSignal(const char* path, const char* text)
{
    if (!FileLinesEnabled() || !path || !*path)
        return;
    char line[32 + 255 + 2];
    char prefix[32];
    size_t length = FormatTimePrefix(std::time(nullptr), s_utcOffset.load(), prefix);
    for (size_t i = 0; i < length; ++i)
        line[i] = prefix[i];
    for (size_t n = 0; text && text[n] && n < 255; ++n)
        line[length++] = text[n];
    line[length++] = '\r';
    line[length++] = '\n';
    win::SignalSafeAppendBytes(path, line, length);
}

void QV7_Logger::SetConsoleEcho(ConsoleEcho echo)
{
    s_consoleEcho = echo;
}

QV7_Logger::ConsoleEcho QV7_Logger::GetConsoleEcho()
{
    return s_consoleEcho;
}
