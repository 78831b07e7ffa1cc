// Waiting for a game process started by an end-to-end test.
#pragma once

#include <chrono>
#include <csignal>
#include <sys/wait.h>
#include <thread>

// The child's exit code (128 + the signal when a signal ended it), or -1 when
// it had not ended after the given seconds; it is then killed.
inline int WaitForChild(pid_t pid, int seconds)
{
    for (int i = 0; i < seconds * 20; ++i)
    {
        int status = 0;
        if (waitpid(pid, &status, WNOHANG) == pid)
            return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    kill(pid, SIGKILL);
    waitpid(pid, nullptr, 0);
    return -1;
}
