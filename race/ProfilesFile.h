// The layout of Profiles.dtx: a record-size word that names the version, the
// profile count, then each profile field by field (names and dates as
// length-prefixed strings, objects of the buggy database as item indices,
// mounted parts as 72-byte entries). Little-endian, no padding.
#pragma once

#include "race/ProfileRecord.h"
#include "shell/QV7_Collection.h"

#include <cstdint>

class BinaryReader;
class BinaryWriter;

// The record size word of the current version.
constexpr int32_t PROFILES_RECORD_SIZE = 1064;
// Bytes of one stored mounted part: item index, 4x4 matrix, visible flag.
constexpr size_t PROFILE_PART_ENTRY_SIZE = 72;
// The fewest bytes one stored profile takes (one-character name, every list empty).
constexpr size_t PROFILE_MIN_BYTES = 494;

class ProfilesFile
{
  public:
    enum class ReadResult
    {
        Loaded,
        OtherVersion, // a record size other than the current one
        Broken        // cut short, a count beyond the bytes left, or a broken string
    };

    static void Write(const QV7_Collection<ProfileRecord>& profiles, BinaryWriter& file);
    // Appends every profile of the file to profiles. Objects outside the buggy
    // database are dropped with a log line; a broken file leaves profiles
    // partly filled, so callers read into a list of their own.
    static ReadResult Read(BinaryReader& file, QV7_Collection<ProfileRecord>& profiles);

  private:
    static void WriteProfile(const ProfileRecord& profile, BinaryWriter& file);
    static void WriteParts(const QV7_Collection<MountedPart>& parts, BinaryWriter& file);
    static void WriteOpponent(const OpponentRecord& opponent, BinaryWriter& file);
    static void ReadProfile(BinaryReader& file, ProfileRecord& profile);
    static void ReadOwnedItems(BinaryReader& file, ProfileRecord& profile);
    static void ReadOwnedBuggies(BinaryReader& file, ProfileRecord& profile);
    static void ReadParts(BinaryReader& file, QV7_Collection<MountedPart>& parts, const char* profileName,
                          const char* what);
    static void ReadBestTimes(BinaryReader& file, BestTimeList& list);
    static void ReadOpponent(BinaryReader& file, OpponentRecord& opponent, int index,
                             const char* profileName);
};
