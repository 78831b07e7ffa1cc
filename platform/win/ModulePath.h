// Where the program lives: the game builds Settings.ini, Logger.dat and its
// data folder on it. QV7_PROGRAM_DIR moves that folder, so a test can run the
// game against files in a temporary folder.
#pragma once

#include <string>

namespace win
{
// Full path of the running executable; empty if the system cannot tell.
std::string GetModuleFileName();

// $QV7_PROGRAM_DIR when set and not empty, else the executable's folder;
// always ending in '/'.
std::string ProgramDirectory();
} // namespace win
