// Profile list lifetime; reading and writing Profiles.dtx comes with the profile pages.
#include "race/QV7_Profiles.h"

#include "shell/QV7_Globals.h"
#include "shell/QV7_Logger.h"

#include <filesystem>

QV7_Profiles* g_profiles = nullptr;

QV7_Profiles::QV7_Profiles()
{
    g_profiles = this;
}

QV7_Profiles::~QV7_Profiles()
{
    if (g_profiles == this)
        g_profiles = nullptr;
}

void QV7_Profiles::Load()
{
    const std::string path = g_dataDir + "Profiles.dtx";
    if (!std::filesystem::exists(path))
        QV7_Logger::Log(g_logger, "NOTE: No profile file found, will consider it as empty. %s", path.c_str());
}

// Nothing is written while the list cannot hold a profile: an existing file is never replaced by an empty
// one.
void QV7_Profiles::Save() {}
