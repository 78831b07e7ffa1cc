// /proc/self/exe names the executable itself, not the path it was started by,
// so a symlink or a relative start still finds the real folder.
#include "platform/win/ModulePath.h"

#include <cstdlib>
#include <unistd.h>
#include <vector>

namespace win
{
std::string GetModuleFileName()
{
    std::vector<char> buffer(256);
    for (;;)
    {
        ssize_t length = ::readlink("/proc/self/exe", buffer.data(), buffer.size());
        if (length < 0)
            return {};
        if (static_cast<size_t>(length) < buffer.size())
            return std::string(buffer.data(), static_cast<size_t>(length));
        buffer.resize(buffer.size() * 2);
    }
}

std::string ProgramDirectory()
{
    const char* overridden = std::getenv("QV7_PROGRAM_DIR");
    std::string folder;
    if (overridden && *overridden)
        folder = overridden;
    else
    {
        std::string module = GetModuleFileName();
        size_t slash = module.rfind('/');
        folder = slash == std::string::npos ? "." : module.substr(0, slash + 1);
    }
    if (folder.back() != '/')
        folder += '/';
    return folder;
}
} // namespace win
