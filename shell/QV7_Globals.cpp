// Shared helpers: folders, length-prefixed strings, error details, random numbers.
#include "shell/QV7_Globals.h"

#include "platform/io/BinaryReader.h"
#include "platform/io/BinaryWriter.h"
#include "shell/QV7_Logger.h"

#include <cstdarg>
#include <cstdio>
#include <cstring>

std::string g_modulePath;
std::string g_programDir;
std::string g_dataDir;

namespace
{
const char* const kBrokenFileLine =
    "Critical Problem, File Broken, Application will crash to avoid any additional problems.";
const size_t kDetailsSize = 255;
unsigned int s_randState = 1;
} // namespace

std::string FormatErrorDetails(const char* format, ...)
{
    char text[kDetailsSize];
    va_list args;
    va_start(args, format);
    std::vsnprintf(text, sizeof(text), format, args);
    va_end(args);
    QV7_Logger::Log(g_logger, "ERROR DETAILS: %s", text);
    return text;
}

void ThrowDataError(const char* module, int line)
{
    throw CDException(FormatErrorDetails("FILE %s LINE %d", module, line));
}

void ThrowBrokenString(const char* module, int line)
{
    QV7_Logger::Log(g_logger, "%s", kBrokenFileLine);
    ThrowDataError(module, line);
}

void WriteString(const char* text, BinaryWriter& file)
{
    const int32_t length = static_cast<int32_t>(std::strlen(text) + 1);
    file.WriteInt32(length);
    file.WriteBytes(text, static_cast<size_t>(length));
}

void ReadString(char* destination, size_t destinationSize, BinaryReader& file)
{
    const int32_t length = file.ReadInt32();
    bool broken = file.Failed() || length <= 0 || size_t(length) > destinationSize;
    if (!broken)
        broken = !file.ReadBytes(destination, size_t(length)) || destination[length - 1] != '\0';
    if (broken)
    {
        if (destinationSize)
            destination[0] = '\0';
        ThrowBrokenString(".\\QV7_Globals", __LINE__);
    }
}

int GameRand()
{
    s_randState = s_randState * 214013u + 2531011u;
    return static_cast<int>((s_randState >> 16) & 0x7FFF);
}

void GameSRand(unsigned int seed) { s_randState = seed; }
