// Every player profile of the game, read once at start from Profiles.dtx in
// the data folder and written back whole after each change that matters.
// A save replaces the file safely (old or new, never half of either), and a
// file that cannot be read is copied aside before anything is written over it.
#pragma once

#include "race/ProfileRecord.h"
#include "shell/QV7_Collection.h"

#include <cstdint>
#include <string>

class FileSystemCalls;

class QV7_Profiles
{
  public:
    QV7_Profiles();
    ~QV7_Profiles();
    QV7_Profiles(const QV7_Profiles&) = delete;
    QV7_Profiles& operator=(const QV7_Profiles&) = delete;

    // Replaces the list with the profiles of Profiles.dtx; a missing, foreign
    // or broken file leaves it empty (the last two kept aside first).
    void Load();
    // Writes every profile to Profiles.dtx; on failure the file and the list are kept as they were.
    void Save();
    bool Save(FileSystemCalls& calls);
    // Appends a new profile with the name and gender (1 male, 2 female) and saves; it is not made current.
    void CreateProfile(const char* name, int gender);
    // Appends a new default profile.
    ProfileRecord* AddProfile();
    void Clear();
    // Deletes the profile at a list position without saving; the current profile stops being current.
    void DeleteProfileAt(int index);

    // Data folder + "Profiles.dtx".
    static std::string Path();
    // Where a file that could not be read is kept: Path() + ".broken", then ".broken2" and on.
    static std::string KeptAsidePath(int attempt);

    QV7_Collection<ProfileRecord> profiles;
    ProfileRecord* currentProfile = nullptr;
    int32_t words[6] = {};

  private:
    void KeepBrokenFileAside(const std::string& path);

    // False while a file that could not be read is on the disk and could not be copied aside.
    bool m_MayReplaceFile = true;
};

extern QV7_Profiles* g_profiles;
