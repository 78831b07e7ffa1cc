// Resetting and saving the key bindings.
#include "media/KeyBindings.h"

#include "platform/win/Ini.h"
#include "shell/QV7_Globals.h"
#include "shell/QV7_Logger.h"
#include "shell/QV7_Windows.h"

#include <cstdio>
#include <string>

void ResetKeyBindings()
{
    if (g_windowsData)
        g_windowsData->m_Settings.ResetKeysToDefaults();
}

void SaveKeyBindings()
{
    if (!g_windowsData)
        return;
    const std::string path = g_programDir + "Settings.ini";
    const GameSettings& settings = g_windowsData->m_Settings;
    for (int action = 0; action < KEY_ACTION_COUNT; ++action)
    {
        for (int which = 0; which < 2; ++which)
        {
            const std::string key = std::string(which == 0 ? "Key1_" : "Key2_") + kKeyActions[action].name;
            char value[16];
            std::snprintf(value, sizeof(value), "%d", settings.Keys[action][which]);
            if (!win::WritePrivateProfileStringA("Keys", key.c_str(), value, path))
            {
                QV7_Logger::Log(g_logger, "ERROR: Key bindings could not be written to %s", path.c_str());
                return;
            }
        }
    }
}
