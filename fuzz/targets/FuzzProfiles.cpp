// Fuzz target of Profiles.dtx: the profile list loads the input over a small
// buggy database, saves, and loads its own file again, which must give back
// exactly what it saved. Files it keeps aside are removed after each run.
#include "fuzz/targets/FuzzTargets.h"
#include "fuzz/targets/FuzzWorld.h"
#include "platform/io/BinaryWriter.h"
#include "platform/io/SafeFileSave.h"
#include "race/ProfileItemCatalog.h"
#include "race/ProfilesFile.h"
#include "race/QV7_Profiles.h"

#include <cstdlib>
#include <filesystem>

namespace
{
// The save's own steps without flushes to the disk, which would make each run
// wait for it: what is fuzzed is the reader and the writer, not the disk.
class UnflushedCalls : public FileSystemCalls
{
  public:
    int Sync(int) override { return 0; }
    int SyncFolder(const std::string&) override { return 0; }
};

std::vector<uint8_t> Saved(const QV7_Profiles& profiles)
{
    BinaryWriter file;
    ProfilesFile::Write(profiles.profiles, file);
    return file.Bytes();
}

void RemoveWhatTheListLeft()
{
    std::error_code ignored;
    std::filesystem::remove(QV7_Profiles::Path(), ignored);
    std::filesystem::remove(SafeSaveTemporaryPath(QV7_Profiles::Path()), ignored);
    for (int attempt = 1; std::filesystem::remove(QV7_Profiles::KeptAsidePath(attempt), ignored); ++attempt)
    {
    }
}
} // namespace

int FuzzProfiles(const uint8_t* data, size_t size)
{
    fuzzworld::Run run;
    // 24 objects; models 0..7 are objects 10..17.
    static const ProfileItemCatalog catalog{24, {10, 11, 12, 13, 14, 15, 16, 17}, 3};
    g_profileItemCatalog = &catalog;
    {
        fuzzworld::ScratchFile file(QV7_Profiles::Path(), data, size);
        QV7_Profiles profiles;
        profiles.Load();
        UnflushedCalls calls;
        profiles.Save(calls);
        QV7_Profiles reread;
        reread.Load();
        // What was saved reads back as it was: a difference is a fault of the reader or the writer.
        if (Saved(reread) != Saved(profiles))
            std::abort();
    }
    RemoveWhatTheListLeft();
    g_profileItemCatalog = nullptr;
    return 0;
}
