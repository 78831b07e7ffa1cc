// The stage every fuzz target runs on: one per process, made on first use on
// the null back-ends (settings singleton, game window, engine with its device
// and subsystems) with a scratch folder as program and data folder. Loaders
// that read from a path get the fuzz input through a ScratchFile there.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace fuzzworld
{
// One target run: makes the stage the first time, then gives every run the
// same start (baseline settings, empty menu texture list, log and call record
// cleared) and tidies up after it.
class Run
{
  public:
    Run();
    ~Run();
    Run(const Run&) = delete;
    Run& operator=(const Run&) = delete;
};

// The scratch folders, each ending in '/': the program folder (Settings.ini)
// and its Data/ folder (g_dataDir), which holds the fixed files some loaders
// read beside their input: Textures1.qvx, Fonts.qvx, Sfx1.dat and
// FixedTextures2.qvx.
const std::string& ProgramDir();
const std::string& DataDir();

// A file holding the fuzz input while it lives.
class ScratchFile
{
  public:
    ScratchFile(std::string path, const uint8_t* data, size_t size);
    ~ScratchFile();
    ScratchFile(const ScratchFile&) = delete;
    ScratchFile& operator=(const ScratchFile&) = delete;
    const std::string& Path() const { return m_Path; }

  private:
    std::string m_Path;
};
} // namespace fuzzworld
