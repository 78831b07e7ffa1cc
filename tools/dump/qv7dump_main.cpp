// qv7-dump FILE [ARGS...]: reads FILE with the game's own loader, chosen by the
// file's name, and prints what the loader kept as one JSON object on stdout.
// Exit 0 when the loader accepted the file, 1 (the logged error on stderr)
// when it refused it, 2 for a usage error or an unknown kind.
#include "shell/QV7_Globals.h"
#include "shell/QV7_Logger.h"
#include "tools/dump/DumpKinds.h"
#include "tools/dump/JsonWriter.h"

#include <cstdio>
#include <iostream>
#include <sstream>

namespace
{
void EchoToStderr(const char* text)
{
    std::fprintf(stderr, "%s\n", text);
}

void PrintUsage()
{
    std::fprintf(stderr, "usage: qv7-dump FILE [ARGS...]\nknown files:");
    for (const DumpKind& kind : DumpKinds())
        std::fprintf(stderr, " %s", kind.name);
    std::fprintf(stderr, "\n");
}

DumpRequest MakeRequest(int argc, char** argv)
{
    DumpRequest request;
    request.path = argv[1];
    size_t slash = request.path.find_last_of('/');
    request.folder = slash == std::string::npos ? "./" : request.path.substr(0, slash + 1);
    request.fileName = slash == std::string::npos ? request.path : request.path.substr(slash + 1);
    for (int i = 2; i < argc; ++i)
        request.args.push_back(argv[i]);
    return request;
}
} // namespace

int main(int argc, char** argv)
{
    if (argc < 2 || std::string(argv[1]) == "--help")
    {
        PrintUsage();
        return 2;
    }
    // No log file: every line the loaders log goes to stderr.
    g_logger = nullptr;
    QV7_Logger::SetConsoleEcho(EchoToStderr);

    DumpRequest request = MakeRequest(argc, argv);
    for (const DumpKind& kind : DumpKinds())
    {
        if (!kind.matches(request.fileName))
            continue;
        g_dataDir = request.folder;
        std::ostringstream text;
        JsonWriter out(text);
        bool accepted = false;
        try
        {
            accepted = kind.dump(request, out);
        }
        catch (const CDException& error)
        {
            std::fprintf(stderr, "qv7-dump: %s refused %s: %s\n", kind.name, request.path.c_str(),
                         error.Details());
            return 1;
        }
        if (!accepted)
        {
            std::fprintf(stderr, "qv7-dump: %s refused %s\n", kind.name, request.path.c_str());
            return 1;
        }
        std::cout << text.str() << '\n';
        return 0;
    }
    std::fprintf(stderr, "qv7-dump: no loader for %s\n", request.fileName.c_str());
    PrintUsage();
    return 2;
}
