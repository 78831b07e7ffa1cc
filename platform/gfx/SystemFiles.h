// File versions of the system's graphics libraries, as the version resource
// of each would give them (four 16-bit parts packed into 64 bits). The
// DirectX version probe reads them from here. This layer is itself the
// Direct3D 9 the game needs, so by default it reports d3d9.dll as present;
// tests set other sets of files.
#pragma once

#include <cstdint>
#include <map>
#include <string>

namespace gfx
{
constexpr uint64_t PackFileVersion(uint16_t a, uint16_t b, uint16_t c, uint16_t d)
{
    return (uint64_t(a) << 48) | (uint64_t(b) << 32) | (uint64_t(c) << 16) | uint64_t(d);
}

struct SystemFiles
{
    // False stands for a system folder that cannot be found.
    bool folderFound = true;
    // Lower-case file name -> packed version; a file absent here has no readable version.
    std::map<std::string, uint64_t> versions{{"d3d9.dll", PackFileVersion(9, 0, 0, 0)}};
};

const SystemFiles& GetSystemFiles();
void SetSystemFiles(const SystemFiles& files);
// Back to what this layer provides.
void ResetSystemFiles();
} // namespace gfx
