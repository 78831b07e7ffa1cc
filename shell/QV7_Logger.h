// The program's one log file, Logger.dat in the program folder. Lines reach
// the file while debugging is on, or before the settings exist; every text is
// also echoed to the debug console once that exists.
#pragma once

#include <ctime>
#include <string>

class QV7_Logger
{
  public:
    // Creates (truncates) <program folder>Logger.dat and writes the banner.
    QV7_Logger();
    // A logger over any path, for tests and tools.
    explicit QV7_Logger(std::string path);

    const std::string& Path() const { return m_Path; }

    // printf-style; the text is cut to 255 characters. A null logger writes to
    // the console only. Never fails.
    static void Log(const QV7_Logger* logger, const char* format, ...) __attribute__((format(printf, 2, 3)));
    static void WriteLine(const QV7_Logger* logger, const char* text);

    // WriteLine for the hardware-fault reporter, which runs in a signal
    // handler: the same line and the same Debug gate, made with
    // async-signal-safe calls only (the local time comes from time() and the
    // UTC offset last seen by the logger). The console echo is left out, as
    // the console allocates. path is the log file's, copied beforehand.
    static void WriteLineFromSignal(const char* path, const char* text);
    // "[MM-DD-YYYY hh:mm:ss] : " for the moment now at utcOffset seconds east
    // of UTC, without the C library's time zone code; returns its length.
    static size_t FormatTimePrefix(std::time_t now, long utcOffset, char (&out)[32]);

    // The debug console registers itself here to receive every text (without the
    // time prefix); null unregisters it.
    using ConsoleEcho = void (*)(const char* text);
    static void SetConsoleEcho(ConsoleEcho echo);
    static ConsoleEcho GetConsoleEcho();

  private:
    void WriteBanner() const;
    std::string m_Path;
};

extern QV7_Logger* g_logger;
