// flock rather than a PID file: nothing to clean up after a crash, and the
// lock file itself is left in place because removing it would race with a
// starting instance that has just opened it.
#include "platform/win/InstanceLock.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

namespace win
{
namespace
{
std::string LockFolder()
{
    for (const char* variable : {"QV7_LOCK_DIR", "XDG_RUNTIME_DIR"})
    {
        const char* value = std::getenv(variable);
        if (value && *value)
            return value;
    }
    return "/tmp";
}

std::string LockPath(const std::string& name)
{
    std::string file = name;
    for (char& c : file)
        if (c == '/')
            c = '_';
    std::string folder = LockFolder();
    if (folder.back() != '/')
        folder += '/';
    return folder + file + ".lock";
}
} // namespace

std::unique_ptr<InstanceLock> InstanceLock::Acquire(const std::string& name)
{
    std::string path = LockPath(name);
    int fd = ::open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0644);
    if (fd < 0)
    {
        std::fprintf(stderr, "InstanceLock: cannot open %s (%s); running without the single-instance guard\n",
                     path.c_str(), std::strerror(errno));
        return std::unique_ptr<InstanceLock>(new InstanceLock(-1, path));
    }
    int result;
    do
        result = ::flock(fd, LOCK_EX | LOCK_NB);
    while (result != 0 && errno == EINTR);
    if (result != 0)
    {
        int error = errno;
        ::close(fd);
        if (error == EWOULDBLOCK)
            return nullptr;
        std::fprintf(stderr, "InstanceLock: cannot lock %s (%s); running without the single-instance guard\n",
                     path.c_str(), std::strerror(error));
        return std::unique_ptr<InstanceLock>(new InstanceLock(-1, path));
    }
    return std::unique_ptr<InstanceLock>(new InstanceLock(fd, path));
}

InstanceLock::~InstanceLock()
{
    if (m_fd >= 0)
        ::close(m_fd);
}
} // namespace win
