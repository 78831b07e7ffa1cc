// The compile IDs of the buggy textures the item database loads: every ID of
// Textures2.dbs (IDs back to back up to the end of the file, no header),
// less those of Maps_srt_ex.qvx (a count, then the IDs), which the race load
// brings in on demand instead.
#pragma once

#include "shell/QV7_Collection.h"

#include <cstdint>
#include <string>
#include <vector>

class BinaryReader;

// Appends the IDs of Textures2.dbs in file order. A tail shorter than an ID is
// logged and left out: it is not an ID.
void ReadBuggyTextureIds(BinaryReader& file, const std::string& path, QV7_Collection<int32_t>& ids);
// The same from the data folder; a file that cannot be opened is logged and
// adds nothing.
void LoadBuggyTextureIds(const std::string& path, QV7_Collection<int32_t>& ids);

// The IDs of Maps_srt_ex.qvx. A count that is negative or larger than the
// file is logged and throws CDException.
std::vector<int32_t> ReadExcludedTextureIds(BinaryReader& file, const std::string& path);
// Removes the IDs of Maps_srt_ex.qvx from ids; a missing file removes nothing.
void ExcludeTextureIds(const std::string& path, QV7_Collection<int32_t>& ids);

// Removes the last occurrence of id; an absent id removes nothing. The list
// may hold an ID twice, and only one copy is excluded.
void RemoveLastOccurrence(QV7_Collection<int32_t>& ids, int32_t id);
