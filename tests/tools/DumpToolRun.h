// Runs the qv7-dump binary as a developer would from a shell, for the tool's
// tests: what it printed on each stream and how it ended.
#pragma once

#include <cstdio>
#include <string>
#include <sys/wait.h>
#include <unistd.h>
#include <utility>

struct DumpRun
{
    int exitCode = -1; // -1 when the tool could not be started or was killed
    std::string out;
    std::string err;
};

inline std::string ReadWholeStream(FILE* stream)
{
    std::string text;
    char buffer[4096];
    for (size_t got; (got = std::fread(buffer, 1, sizeof buffer, stream)) > 0;)
        text.append(buffer, got);
    return text;
}

// The arguments go to the shell as they stand, so one string can carry a file
// and its queries; quote a path that may hold spaces.
inline DumpRun RunDump(const std::string& args)
{
    DumpRun run;
    char errName[] = "/tmp/qv7-dump-err-XXXXXX";
    const int errFile = mkstemp(errName);
    if (errFile < 0)
        return run;
    close(errFile);
    const std::string command = std::string(QV7_BIN_DIR) + "/qv7-dump " + args + " 2>" + errName;
    if (FILE* pipe = popen(command.c_str(), "r"))
    {
        run.out = ReadWholeStream(pipe);
        const int status = pclose(pipe);
        run.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    }
    if (FILE* file = std::fopen(errName, "r"))
    {
        run.err = ReadWholeStream(file);
        std::fclose(file);
    }
    unlink(errName);
    return run;
}

// The same, for tests that check the streams one by one.
inline int RunDump(const std::string& args, std::string& out, std::string& err)
{
    DumpRun run = RunDump(args);
    out = std::move(run.out);
    err = std::move(run.err);
    return run.exitCode;
}
