// The browser is started by a double fork: the intermediate child exits at
// once and is reaped here, so the browser is adopted by init and never left
// as a zombie, and the game need not wait for it or handle SIGCHLD.
#include "platform/win/ShellOpen.h"

#include "platform/win/Backend.h"

#include <cerrno>
#include <cstdlib>
#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>

namespace win
{
bool BrowserAllowed()
{
    return !IsHeadless() && !std::getenv("QV7_NO_BROWSER");
}

void ShellExecuteOpen(const std::string& url)
{
    if (url.empty() || !BrowserAllowed())
        return;
    // Everything the children use is prepared before fork: after it only
    // async-signal-safe calls are made.
    char program[] = "xdg-open";
    char* argv[] = {program, const_cast<char*>(url.c_str()), nullptr};
    pid_t child = ::fork();
    if (child < 0)
        return;
    if (child == 0)
    {
        if (::fork() != 0)
            ::_exit(0);
        ::setsid();
        int null = ::open("/dev/null", O_RDWR);
        if (null >= 0)
        {
            ::dup2(null, STDIN_FILENO);
            ::dup2(null, STDOUT_FILENO);
        }
        ::execvp(program, argv);
        ::_exit(127);
    }
    int status;
    while (::waitpid(child, &status, 0) < 0 && errno == EINTR)
    {
    }
}
} // namespace win
