// The engine's table of Direct3D adapters (identifier, caps and X8R8G8B8
// display modes of each), published in g_adapterInfo, and the probe of the
// installed DirectX version used by the engine's first log line.
#pragma once

#include "platform/gfx/D3D9.h"

#include <cstddef>
#include <vector>

struct AdapterRecord
{
    D3DADAPTER_IDENTIFIER9 identifier{};
    D3DCAPS9 caps{};
    std::vector<D3DDISPLAYMODE> modes;
    int modeCount = 0;
    int adapter = 0;
};

class QV7_AdapterInfo
{
  public:
    explicit QV7_AdapterInfo(IDirect3D9* direct3D);
    ~QV7_AdapterInfo();

    // Out-of-range indices give 0 modes, a null mode, empty caps and empty
    // texts, with a log line, instead of reading past the table.
    int GetModeCount(int adapter) const;
    const D3DDISPLAYMODE* GetMode(int adapter, int mode) const;
    const D3DCAPS9* GetCaps(int adapter) const;
    // Copies the caps; false for an adapter out of range.
    bool GetCaps(int adapter, D3DCAPS9* caps) const;
    // The adapter's pixel-shader major version (0 when none).
    int PixelShaderMajorVersion(int adapter) const;
    const char* GetDriverName(int adapter) const;
    const char* GetDescription(int adapter) const;

    std::vector<AdapterRecord> m_Records;
    int m_Count = 0;

  private:
    const AdapterRecord* Find(int adapter) const;
};

extern QV7_AdapterInfo* g_adapterInfo;

// Fills the packed version ((major << 16) | (minor << 8) | letter) and its
// text ("9.0", "8.1b"); 0 means DirectX is not installed. Returns 0.
int GetDirectXVersion(DWORD* packedVersion, char* text, size_t textSize);
