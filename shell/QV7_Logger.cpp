// Logger.dat: the banner at creation, then one open-append-close per line so
// the file is complete up to the last line even if the process dies.
#include "shell/QV7_Logger.h"

#include "shell/QV7_Globals.h"
#include "shell/QV7_Windows.h"

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

bool FileLinesEnabled()
{
    return g_windowsData == nullptr || g_windowsData->m_Settings.Debug == 1;
}
} // namespace

QV7_Logger::QV7_Logger() : QV7_Logger(g_programDir + "Logger.dat") {}

QV7_Logger::QV7_Logger(std::string path) : m_Path(std::move(path)) { WriteBanner(); }

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
    const std::time_t now = std::time(nullptr);
    std::tm local{};
    localtime_r(&now, &local);
    std::fprintf(file, "[%02d-%02d-%02d %02d:%02d:%02d] : %s\r\n", local.tm_mon + 1, local.tm_mday,
                 local.tm_year + 1900, local.tm_hour, local.tm_min, local.tm_sec, text);
    std::fclose(file);
}

void QV7_Logger::SetConsoleEcho(ConsoleEcho echo) { s_consoleEcho = echo; }
