// A save really killed: the save runs in a child process, which the parent
// ends with SIGKILL after a delay (or which ends itself with SIGKILL at a
// chosen point), as a crash or a power switch would end the game.
#pragma once

#include <csignal>
#include <functional>
#include <sys/wait.h>
#include <unistd.h>

namespace killtest
{
// Runs work in a child and kills it delayUs microseconds later (at once when
// the child is done sooner); returns once the child is gone. True when the
// child ended by SIGKILL, false when it finished first.
inline bool KillDuring(const std::function<void()>& work, unsigned delayUs)
{
    const pid_t child = fork();
    if (child == 0)
    {
        work();
        _exit(0);
    }
    if (child < 0)
        return false;
    int status = 0;
    constexpr unsigned kPollUs = 50;
    for (unsigned waited = 0; waited < delayUs; waited += kPollUs)
    {
        if (waitpid(child, &status, WNOHANG) == child)
            return WIFSIGNALED(status) && WTERMSIG(status) == SIGKILL;
        usleep(kPollUs);
    }
    kill(child, SIGKILL);
    waitpid(child, &status, 0);
    return WIFSIGNALED(status) && WTERMSIG(status) == SIGKILL;
}

// Ends this process the way a crash would: nothing after it runs.
[[noreturn]] inline void DieNow()
{
    raise(SIGKILL);
    _exit(1);
}
} // namespace killtest
