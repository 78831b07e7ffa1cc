// The profile list, its file and the guards that keep a player's profiles
// from being lost: a save never leaves half a file, and the list read from a
// damaged file (empty) is never saved over the only copy of it.
#include "race/QV7_Profiles.h"

#include "platform/io/BinaryReader.h"
#include "platform/io/BinaryWriter.h"
#include "platform/io/SafeFileSave.h"
#include "race/ProfilesFile.h"
#include "shell/QV7_Globals.h"
#include "shell/QV7_Logger.h"

#include <cstring>
#include <filesystem>
#include <system_error>

QV7_Profiles* g_profiles = nullptr;

namespace
{
constexpr int kKeptAsideAttempts = 100;
}

QV7_Profiles::QV7_Profiles()
{
    g_profiles = this;
}

QV7_Profiles::~QV7_Profiles()
{
    if (g_profiles == this)
        g_profiles = nullptr;
}

std::string QV7_Profiles::Path()
{
    return g_dataDir + "Profiles.dtx";
}

std::string QV7_Profiles::KeptAsidePath(int attempt)
{
    return Path() + ".broken" + (attempt > 1 ? std::to_string(attempt) : "");
}

void QV7_Profiles::Load()
{
    Clear();
    m_MayReplaceFile = true;
    const std::string path = Path();
    BinaryReader file;
    if (!file.OpenFile(path))
    {
        std::error_code error;
        if (!std::filesystem::exists(path, error) && !error)
        {
            QV7_Logger::Log(g_logger, "NOTE: No profile file found, will consider it as empty. %s",
                            path.c_str());
            return;
        }
        // There but unreadable: as good as broken, and just as worth keeping.
        QV7_Logger::Log(g_logger, "WARNING: Profile file %s cannot be read, will consider it as empty.",
                        path.c_str());
        KeepBrokenFileAside(path);
        return;
    }
    QV7_Collection<ProfileRecord> read;
    const ProfilesFile::ReadResult result = ProfilesFile::Read(file, read);
    if (result == ProfilesFile::ReadResult::Loaded)
    {
        while (read.Count() > 0)
            profiles.Append(read.Remove(read[0]));
        return;
    }
    if (result == ProfilesFile::ReadResult::OtherVersion)
        QV7_Logger::Log(
            g_logger,
            "WARNING: Profile File Structure is not valid with the current data header, will consider "
            "it as empty. %s",
            path.c_str());
    else
        QV7_Logger::Log(g_logger,
                        "WARNING: Profile file %s is broken at offset %d, will consider it as empty.",
                        path.c_str(), int(file.Position()));
    KeepBrokenFileAside(path);
}

// The next save would replace the only copy of the player's profiles with an
// empty list, so the file is copied aside first; when no copy can be made,
// saving stays off for this run.
void QV7_Profiles::KeepBrokenFileAside(const std::string& path)
{
    for (int attempt = 1; attempt <= kKeptAsideAttempts; ++attempt)
    {
        const std::string aside = KeptAsidePath(attempt);
        std::error_code error;
        if (std::filesystem::exists(aside, error) || error)
            continue;
        if (std::filesystem::copy_file(path, aside, error))
        {
            QV7_Logger::Log(g_logger, "NOTE: The unreadable profile file is kept as %s", aside.c_str());
            m_MayReplaceFile = true;
            return;
        }
        break;
    }
    QV7_Logger::Log(g_logger,
                    "ERROR: The unreadable profile file %s could not be kept aside, profiles will not "
                    "be saved over it.",
                    path.c_str());
    m_MayReplaceFile = false;
}

void QV7_Profiles::Save()
{
    Save(FileSystemCalls::System());
}

bool QV7_Profiles::Save(FileSystemCalls& calls)
{
    const std::string path = Path();
    BinaryWriter file;
    ProfilesFile::Write(profiles, file);
    if (!m_MayReplaceFile || !SaveFileSafely(path, file.Bytes(), calls))
    {
        QV7_Logger::Log(g_logger, "ERROR: Can't acces profile file for writing, save game not saved!. %s",
                        path.c_str());
        return false;
    }
    return true;
}

void QV7_Profiles::CreateProfile(const char* name, int gender)
{
    ProfileRecord* profile = AddProfile();
    profile->gender = gender;
    std::strncpy(profile->name, name, sizeof(profile->name) - 1);
    profile->name[sizeof(profile->name) - 1] = '\0';
    Save();
}

ProfileRecord* QV7_Profiles::AddProfile()
{
    return profiles.Add();
}

void QV7_Profiles::Clear()
{
    currentProfile = nullptr;
    profiles.Clear();
}

void QV7_Profiles::DeleteProfileAt(int index)
{
    if (index >= 0 && index < profiles.Count() && profiles[index] == currentProfile)
        currentProfile = nullptr;
    profiles.DeleteAt(index);
}
