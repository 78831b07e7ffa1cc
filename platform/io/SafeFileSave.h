// Replacing a file so that a crash, a full disk or a failed write at any
// moment leaves either the old file or the new one, whole: the bytes go to a
// temporary file beside it, which is flushed to the disk, renamed over the old
// one, and the folder is flushed so the rename itself survives a power cut.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <sys/types.h>
#include <vector>

// The system calls a save goes through; tests replace them to fail anywhere.
class FileSystemCalls
{
  public:
    virtual ~FileSystemCalls() = default;
    // Each returns what its POSIX namesake returns (-1 and errno on failure).
    // A new file gets the permission bits keptMode, or the default of new
    // files (0666 less the umask) when keptMode is 0.
    virtual int OpenForWriting(const std::string& path, mode_t keptMode);
    virtual ssize_t Write(int fd, const void* data, size_t count);
    virtual int Sync(int fd);
    virtual int Close(int fd);
    virtual int Rename(const std::string& from, const std::string& to);
    virtual int SyncFolder(const std::string& folder);
    virtual int Unlink(const std::string& path);

    // The calls of the running system.
    static FileSystemCalls& System();
};

// Replaces path with bytes, written in pieces of at most chunk bytes. False
// when any step failed: the temporary file is then removed and path is as it
// was, unless only the folder flush failed (path then holds the new bytes,
// but the rename may not survive a power cut).
bool SaveFileSafely(const std::string& path, const std::vector<uint8_t>& bytes,
                    FileSystemCalls& calls = FileSystemCalls::System(), size_t chunk = size_t(1) << 16);

// The temporary file SaveFileSafely writes beside path.
std::string SafeSaveTemporaryPath(const std::string& path);
