// Settings files with the semantics of the Win32 private-profile calls the
// game reads and writes Settings.ini with: section and key names match without
// regard to case, the first of two equal sections or keys wins, anything
// missing yields the caller's default, and a write changes only the one line
// it concerns, keeping comments, unknown lines and order.
//
// A write builds the whole new text and replaces the file through
// SaveFileSafely, so a crash or a power cut leaves either the old file or the
// new one, never half of either. The file keeps its own line ends: a file
// whose first line ends in CR LF is written with CR LF, every other file
// (and every new one) with LF.
#pragma once

#include <cstddef>
#include <string>

class FileSystemCalls;

namespace win
{
// The integer under [section] key: leading blanks skipped, an optional sign,
// then decimal digits up to the first other character. A value that starts
// with no digit gives 0; an empty value, a missing key, section or file gives
// defaultValue.
int GetPrivateProfileIntA(const char* section, const char* key, int defaultValue, const std::string& path);

// Copies the value under [section] key (blanks around it trimmed, one pair of
// matching double or single quotes removed) or else defaultValue (nullptr
// means "") into out, cut to outSize - 1 characters and always zero-terminated.
// Returns the number of characters copied, not counting the terminator. A null
// section or key gives the default (the name listings Windows returns then
// are not needed by the game).
size_t GetPrivateProfileStringA(const char* section, const char* key, const char* defaultValue, char* out,
                                size_t outSize, const std::string& path);

// Sets [section] key to value: the first such key is rewritten in place, a
// missing key is added after the last entry of its section, a missing section
// is added at the end, a missing file is created. A null value removes the
// key; a null key removes the whole section. Returns false and leaves the
// file untouched when the new file cannot be written (folder missing or not
// writable, disk full) and for text that would not read back as written: a
// line break anywhere, '=' in the key, ']' in the section name. Also false
// when only the folder flush failed: the file then holds the new text, but
// the rename may not survive a power cut.
bool WritePrivateProfileStringA(const char* section, const char* key, const char* value,
                                const std::string& path);
// The same through the given system calls, for tests that break a write anywhere.
bool WritePrivateProfileStringA(const char* section, const char* key, const char* value,
                                const std::string& path, FileSystemCalls& calls);
} // namespace win
