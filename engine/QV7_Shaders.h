// The effect registry (g_shaders): every effect a renderer uses is created
// here from its effect bytes under a name unique in the registry (letter case
// ignored), and device loss and reset are passed on to every effect.
// Renderers keep the entry they got from Create and use its effect.
#pragma once

#include "platform/d3dx/Effect.h"
#include "shell/QV7_Collection.h"

struct ShaderEntry
{
    ShaderEntry() = default;
    ShaderEntry(const ShaderEntry&) = delete;
    ShaderEntry& operator=(const ShaderEntry&) = delete;
    ~ShaderEntry();

    ID3DXEffect* m_Effect = nullptr;
    int m_Id = 0;
    char m_Name[260] = {};
};

class QV7_Shaders
{
  public:
    QV7_Shaders();
    ~QV7_Shaders();

    // Throws CDException for a name already registered and when the effect
    // cannot be created (no entry is left behind then).
    ShaderEntry* Create(const char* name, const void* bytes, unsigned byteCount);
    ShaderEntry* FindByName(const char* name) const;
    // Deletes the entry and releases its effect; null does nothing.
    void Unload(ShaderEntry* entry);
    // 1 calls every effect's OnLostDevice, 0 every effect's OnResetDevice.
    void OnLostReset(int lost);

    QV7_Collection<ShaderEntry> m_Entries;
    int m_NextId = 0;
};

extern QV7_Shaders* g_shaders;
