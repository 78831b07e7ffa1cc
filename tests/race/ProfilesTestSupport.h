// Shared stage of the profile tests: a data folder of its own, a logger, a
// fake buggy database seen through the profiles' catalog, and the bytes a
// profile list saves as.
#pragma once

#include "platform/io/BinaryWriter.h"
#include "race/ProfileItemCatalog.h"
#include "race/ProfilesFile.h"
#include "race/QV7_Profiles.h"
#include "shell/QV7_Globals.h"
#include "tests/shell/TestLog.h"

#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <string>
#include <vector>

inline std::vector<uint8_t> ReadFileBytes(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

inline void WriteFileBytes(const std::string& path, const std::vector<uint8_t>& bytes)
{
    std::ofstream(path, std::ios::binary)
        .write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
}

inline std::vector<uint8_t> SavedBytes(const QV7_Collection<ProfileRecord>& profiles)
{
    BinaryWriter file;
    ProfilesFile::Write(profiles, file);
    return file.Bytes();
}

class ProfilesTest : public ::testing::Test
{
  protected:
    void SetUp() override
    {
        m_SavedDataDir = g_dataDir;
        g_dataDir = dir.Path();
        g_profileItemCatalog = nullptr;
    }
    void TearDown() override
    {
        g_dataDir = m_SavedDataDir;
        g_profileItemCatalog = nullptr;
    }

    // A database of 30 objects: models 0..7 are objects 20..27, the first equipment object 7.
    static const ProfileItemCatalog& FakeDatabase()
    {
        static const ProfileItemCatalog catalog{30, {20, 21, 22, 23, 24, 25, 26, 27}, 7};
        return catalog;
    }

    std::string Path() const { return dir.Path() + "Profiles.dtx"; }

    TempDir dir;
    ScopedTestLogger log;

  private:
    std::string m_SavedDataDir;
};
