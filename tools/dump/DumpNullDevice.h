// The loaders the dump calls make their meshes on a device, as in the game:
// the dump gives them a null one (a small windowed back buffer) as g_device
// for as long as it lives, or lends the one already there.
#pragma once

#include "platform/gfx/D3D9.h"

class DumpNullDevice
{
  public:
    DumpNullDevice();
    ~DumpNullDevice();
    DumpNullDevice(const DumpNullDevice&) = delete;
    DumpNullDevice& operator=(const DumpNullDevice&) = delete;

    // Null when no device could be made.
    IDirect3DDevice9* Device() const;

  private:
    IDirect3D9* m_Direct3D = nullptr;
    IDirect3DDevice9* m_Device = nullptr;
};
