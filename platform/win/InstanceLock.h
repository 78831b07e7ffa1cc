// The single-instance guard that stands in for the game's named mutex: an
// exclusive flock on "<name>.lock" in $QV7_LOCK_DIR, else $XDG_RUNTIME_DIR,
// else /tmp. The kernel drops the lock when the process ends, however it ends,
// so a crashed instance never blocks the next start.
#pragma once

#include <memory>
#include <string>

namespace win
{
class InstanceLock
{
  public:
    // The lock, held until the object is destroyed; nullptr when another
    // process holds it. When the lock file cannot be made at all (no writable
    // folder) the game must still start, so that gives an object that holds
    // nothing (Held() false) and a line on stderr.
    static std::unique_ptr<InstanceLock> Acquire(const std::string& name);

    ~InstanceLock();
    InstanceLock(const InstanceLock&) = delete;
    InstanceLock& operator=(const InstanceLock&) = delete;

    bool Held() const { return m_fd >= 0; }
    const std::string& Path() const { return m_path; }

  private:
    InstanceLock(int fd, std::string path) : m_fd(fd), m_path(std::move(path)) {}

    int m_fd;
    std::string m_path;
};
} // namespace win
