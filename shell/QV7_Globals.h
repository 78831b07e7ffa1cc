// Helpers every part of the game shares: the program and data folders, the
// string form of the data files, the error-details text with the one
// exception class, and the game's random numbers.
#pragma once

#include <cstddef>
#include <string>

class BinaryReader;
class BinaryWriter;

// Full path of the running program, its folder (ending in '/') and the data
// folder beside it (program folder + "Data/").
extern std::string g_modulePath;
extern std::string g_programDir;
extern std::string g_dataDir;

// The one exception class: carries the "FILE %s LINE %d" details text.
class CDException
{
  public:
    explicit CDException(std::string details) : m_Details(std::move(details)) {}
    const char* Details() const { return m_Details.c_str(); }

  private:
    std::string m_Details;
};

// Formats at most 254 characters, logs "ERROR DETAILS: %s" and returns the text.
std::string FormatErrorDetails(const char* format, ...) __attribute__((format(printf, 1, 2)));

// Logs the details of (module, line) and throws CDException.
[[noreturn]] void ThrowDataError(const char* module, int line);

// Logs the broken-file line, then the details of (module, line), and throws
// CDException: the end of every load that meets a broken string.
[[noreturn]] void ThrowBrokenString(const char* module, int line);

// Writes the int32 length (text length + 1) and the text with its zero.
void WriteString(const char* text, BinaryWriter& file);

// Reads a length-prefixed string into destination (destinationSize bytes).
// A length <= 0, a length over destinationSize, a short read or a missing
// terminating zero is a broken file: logged, then CDException.
void ReadString(char* destination, size_t destinationSize, BinaryReader& file);

// The game's random numbers: one process-wide generator with the sequence the
// original runtime gives (seed 1, x = x * 214013 + 2531011, (x >> 16) & 0x7FFF).
constexpr int GAME_RAND_MAX = 0x7FFF;
int GameRand();
void GameSRand(unsigned int seed);
