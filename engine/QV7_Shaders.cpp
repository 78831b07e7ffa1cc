// Effect registry.
#include "engine/QV7_Shaders.h"

#include "engine/QV7_Engine.h"
#include "shell/QV7_Globals.h"
#include "shell/QV7_Logger.h"

#include <cstdio>
#include <strings.h>

QV7_Shaders* g_shaders = nullptr;

namespace
{
const char* const kModule = ".\\QV7_Shaders";
// The lines the registry's fatal errors report, as the game's logs show them.
constexpr int kDuplicateLine = 64;
constexpr int kCreateFailedLine = 79;
} // namespace

ShaderEntry::~ShaderEntry()
{
    if (m_Effect)
        m_Effect->Release();
}

QV7_Shaders::QV7_Shaders() { g_shaders = this; }

QV7_Shaders::~QV7_Shaders()
{
    // Last to first, as the entries were made.
    while (m_Entries.Count() > 0)
        m_Entries.DeleteAt(m_Entries.Count() - 1);
    if (g_shaders == this)
        g_shaders = nullptr;
}

ShaderEntry* QV7_Shaders::FindByName(const char* name) const
{
    if (!name)
        return nullptr;
    for (ShaderEntry* entry : m_Entries)
        if (strcasecmp(entry->m_Name, name) == 0)
            return entry;
    return nullptr;
}

ShaderEntry* QV7_Shaders::Create(const char* name, const void* bytes, unsigned byteCount)
{
    QV7_Logger::Log(g_logger, "INFO: Creating shader with name %s", name);
    if (FindByName(name))
    {
        QV7_Logger::Log(g_logger, "ERROR: Same Shader name used, invalid! %s, still %d shaders loaded", name,
                        m_Entries.Count());
        QV7_Logger::Log(g_logger, "DUMPING ERROR LOG");
        for (int i = 0; i < m_Entries.Count(); ++i)
            QV7_Logger::Log(g_logger, " %d - %s", i, m_Entries[i]->m_Name);
        ThrowDataError(kModule, kDuplicateLine);
    }
    ShaderEntry* entry = m_Entries.Append(new ShaderEntry());
    std::snprintf(entry->m_Name, sizeof entry->m_Name, "%s", name);
    entry->m_Id = m_NextId++;
    std::string errors;
    if (!g_device || FAILED(D3DXCreateEffect(g_device, bytes, byteCount, nullptr, nullptr, 0, nullptr,
                                             &entry->m_Effect, &errors)))
    {
        QV7_Logger::Log(g_logger, "ERROR: Create Effect shader failed! %s", name);
        if (!errors.empty())
            QV7_Logger::Log(g_logger, "ERROR: %s", errors.c_str());
        // No entry without an effect stays behind.
        m_Entries.Delete(entry);
        ThrowDataError(kModule, kCreateFailedLine);
    }
    return entry;
}

void QV7_Shaders::Unload(ShaderEntry* entry)
{
    if (!entry)
        return;
    QV7_Logger::Log(g_logger, "INFO: Unloading shader with name %s", entry->m_Name);
    m_Entries.Delete(entry);
}

void QV7_Shaders::OnLostReset(int lost)
{
    for (ShaderEntry* entry : m_Entries)
    {
        if (!entry->m_Effect)
            continue;
        if (lost == 1)
            entry->m_Effect->OnLostDevice();
        else
            entry->m_Effect->OnResetDevice();
    }
}
