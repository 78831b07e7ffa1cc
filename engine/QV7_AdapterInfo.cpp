// Adapter table and DirectX version probe.
#include "engine/QV7_AdapterInfo.h"

#include "platform/gfx/SystemFiles.h"
#include "shell/QV7_Logger.h"

#include <cstdio>

QV7_AdapterInfo* g_adapterInfo = nullptr;

QV7_AdapterInfo::QV7_AdapterInfo(IDirect3D9* direct3D)
{
    g_adapterInfo = this;
    m_Count = int(direct3D->GetAdapterCount());
    m_Records.resize(size_t(m_Count));
    for (int a = 0; a < m_Count; ++a)
    {
        AdapterRecord& record = m_Records[size_t(a)];
        record.adapter = a;
        const UINT count = direct3D->GetAdapterModeCount(UINT(a), D3DFMT_X8R8G8B8);
        for (UINT i = 0; i < count; ++i)
        {
            D3DDISPLAYMODE mode{};
            if (SUCCEEDED(direct3D->EnumAdapterModes(UINT(a), D3DFMT_X8R8G8B8, i, &mode)))
                record.modes.push_back(mode);
        }
        record.modeCount = int(record.modes.size());
        direct3D->GetAdapterIdentifier(UINT(a), 0, &record.identifier);
        direct3D->GetDeviceCaps(UINT(a), D3DDEVTYPE_HAL, &record.caps);
    }
}

QV7_AdapterInfo::~QV7_AdapterInfo()
{
    QV7_Logger::Log(g_logger, "INFO: Unloading Information.");
    m_Records.clear();
    m_Count = 0;
    if (g_adapterInfo == this)
        g_adapterInfo = nullptr;
    QV7_Logger::Log(g_logger, "INFO: Information Unloaded");
}

const AdapterRecord* QV7_AdapterInfo::Find(int adapter) const
{
    if (adapter >= 0 && adapter < m_Count)
        return &m_Records[size_t(adapter)];
    QV7_Logger::Log(g_logger, "WARN: Adapter information asked for adapter %d of %d", adapter, m_Count);
    return nullptr;
}

int QV7_AdapterInfo::GetModeCount(int adapter) const
{
    const AdapterRecord* record = Find(adapter);
    return record ? record->modeCount : 0;
}

const D3DDISPLAYMODE* QV7_AdapterInfo::GetMode(int adapter, int mode) const
{
    const AdapterRecord* record = Find(adapter);
    if (!record || mode < 0 || mode >= record->modeCount)
        return nullptr;
    return &record->modes[size_t(mode)];
}

const D3DCAPS9* QV7_AdapterInfo::GetCaps(int adapter) const
{
    static const D3DCAPS9 s_noCaps{};
    const AdapterRecord* record = Find(adapter);
    return record ? &record->caps : &s_noCaps;
}

bool QV7_AdapterInfo::GetCaps(int adapter, D3DCAPS9* caps) const
{
    const AdapterRecord* record = Find(adapter);
    if (!record || !caps)
        return false;
    *caps = record->caps;
    return true;
}

int QV7_AdapterInfo::PixelShaderMajorVersion(int adapter) const
{
    return int(D3DSHADER_VERSION_MAJOR(GetCaps(adapter)->PixelShaderVersion));
}

const char* QV7_AdapterInfo::GetDriverName(int adapter) const
{
    const AdapterRecord* record = Find(adapter);
    return record ? record->identifier.Driver : "";
}

const char* QV7_AdapterInfo::GetDescription(int adapter) const
{
    const AdapterRecord* record = Find(adapter);
    return record ? record->identifier.Description : "";
}

namespace
{
struct VersionTest
{
    const char* file;
    uint64_t atLeast;         // for a file whose major part is 4 (or any major when atLeastMajor5 is 0)
    uint64_t atLeastMajor5;   // for a file whose major part is 5; 0 when the test has no such form
    DWORD major, minor, letter;
};

constexpr uint64_t V(uint16_t a, uint16_t b, uint16_t c, uint16_t d) { return gfx::PackFileVersion(a, b, c, d); }

// Each passing test replaces the result; the order matters.
const VersionTest kVersionTests[] = {
    {"ddraw.dll", V(4, 2, 0, 95), 0, 1, 0, 0},
    {"ddraw.dll", V(4, 3, 0, 1096), 0, 2, 0, 0},
    {"ddraw.dll", V(4, 4, 0, 68), 0, 3, 0, 0},
    {"d3drg8x.dll", V(4, 4, 0, 70), 0, 3, 0, 1},
    {"ddraw.dll", V(4, 5, 0, 155), 0, 5, 0, 0},
    {"ddraw.dll", V(4, 6, 0, 318), 0, 6, 0, 0},
    {"ddraw.dll", V(4, 6, 0, 436), 0, 6, 1, 0},
    {"dplayx.dll", V(4, 6, 3, 518), 0, 6, 1, 1},
    {"ddraw.dll", V(4, 7, 0, 700), 0, 7, 0, 0},
    {"dinput.dll", V(4, 7, 0, 716), 0, 7, 0, 1},
    {"ddraw.dll", V(4, 8, 0, 400), V(5, 1, 2258, 400), 8, 0, 0},
    {"d3d8.dll", V(4, 8, 1, 881), V(5, 1, 2600, 881), 8, 1, 0},
    {"d3d8.dll", V(4, 8, 1, 901), V(5, 1, 2600, 901), 8, 1, 1},
    {"mpg2splt.ax", V(6, 3, 1, 885), 0, 8, 1, 2},
    {"dpnet.dll", V(4, 9, 0, 134), V(5, 2, 3677, 134), 8, 2, 0},
};

bool Passes(const VersionTest& test, uint64_t version)
{
    if (test.atLeastMajor5 == 0)
        return version >= test.atLeast;
    const uint64_t major = version >> 48;
    if (major == 4)
        return version >= test.atLeast;
    if (major == 5)
        return version >= test.atLeastMajor5;
    return false;
}
} // namespace

int GetDirectXVersion(DWORD* packedVersion, char* text, size_t textSize)
{
    const gfx::SystemFiles& files = gfx::GetSystemFiles();
    DWORD major = 0, minor = 0, letter = 0;
    if (files.folderFound)
    {
        for (const VersionTest& test : kVersionTests)
        {
            auto it = files.versions.find(test.file);
            if (it != files.versions.end() && Passes(test, it->second))
                major = test.major, minor = test.minor, letter = test.letter;
        }
        // A readable d3d9.dll is DirectX 9 whatever the older files say.
        if (files.versions.count("d3d9.dll"))
            major = 9, minor = 0, letter = 0;
    }
    if (packedVersion)
        *packedVersion = (major << 16) | (minor << 8) | letter;
    if (text && textSize > 0)
    {
        if (letter)
            std::snprintf(text, textSize, "%u.%u%c", major, minor, char('a' + letter - 1));
        else
            std::snprintf(text, textSize, "%u.%u", major, minor);
    }
    return 0;
}
