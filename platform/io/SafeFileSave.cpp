// Safe replacement of a file on POSIX: temporary file, fsync, rename, fsync
// of the folder.
#include "platform/io/SafeFileSave.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

int FileSystemCalls::OpenForWriting(const std::string& path, mode_t keptMode)
{
    const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666);
    if (fd >= 0 && keptMode != 0)
        ::fchmod(fd, keptMode);
    return fd;
}

ssize_t FileSystemCalls::Write(int fd, const void* data, size_t count)
{
    return ::write(fd, data, count);
}

int FileSystemCalls::Sync(int fd)
{
    return ::fsync(fd);
}

int FileSystemCalls::Close(int fd)
{
    return ::close(fd);
}

int FileSystemCalls::Rename(const std::string& from, const std::string& to)
{
    return ::rename(from.c_str(), to.c_str());
}

int FileSystemCalls::SyncFolder(const std::string& folder)
{
    const int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0)
        return -1;
    const int result = ::fsync(fd);
    ::close(fd);
    return result;
}

int FileSystemCalls::Unlink(const std::string& path)
{
    return ::unlink(path.c_str());
}

FileSystemCalls& FileSystemCalls::System()
{
    static FileSystemCalls calls;
    return calls;
}

namespace
{
std::string FolderOf(const std::string& path)
{
    const size_t slash = path.find_last_of('/');
    if (slash == std::string::npos)
        return ".";
    return slash == 0 ? "/" : path.substr(0, slash);
}

// A short write goes on with the rest; a write that makes no progress fails.
bool WriteAll(FileSystemCalls& calls, int fd, const std::vector<uint8_t>& bytes, size_t chunk)
{
    size_t done = 0;
    while (done < bytes.size())
    {
        const size_t count = std::min(chunk, bytes.size() - done);
        const ssize_t written = calls.Write(fd, bytes.data() + done, count);
        if (written < 0 && errno == EINTR)
            continue;
        if (written <= 0)
            return false;
        done += size_t(written);
    }
    return true;
}

// The replacement keeps the permissions the player gave the old file.
mode_t ModeOf(const std::string& path)
{
    struct stat old;
    return ::stat(path.c_str(), &old) == 0 ? (old.st_mode & 07777) : 0;
}

bool WriteTemporary(FileSystemCalls& calls, const std::string& temporary, const std::vector<uint8_t>& bytes,
                    size_t chunk, mode_t keptMode)
{
    const int fd = calls.OpenForWriting(temporary, keptMode);
    if (fd < 0)
        return false;
    bool ok = WriteAll(calls, fd, bytes, std::max<size_t>(chunk, 1)) && calls.Sync(fd) == 0;
    ok = calls.Close(fd) == 0 && ok;
    return ok;
}
} // namespace

std::string SafeSaveTemporaryPath(const std::string& path)
{
    return path + ".tmp";
}

bool SaveFileSafely(const std::string& path, const std::vector<uint8_t>& bytes, FileSystemCalls& calls,
                    size_t chunk)
{
    const std::string temporary = SafeSaveTemporaryPath(path);
    if (!WriteTemporary(calls, temporary, bytes, chunk, ModeOf(path)) || calls.Rename(temporary, path) != 0)
    {
        calls.Unlink(temporary);
        return false;
    }
    return calls.SyncFolder(FolderOf(path)) == 0;
}
