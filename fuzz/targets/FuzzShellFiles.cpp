// Fuzz targets of the shell's files: Settings.ini, read key by key through
// the private-profile layer, and the language file read after it.
#include "fuzz/targets/FuzzTargets.h"
#include "fuzz/targets/FuzzWorld.h"
#include "shell/QV7_Globals.h"
#include "shell/QV7_Windows.h"

using fuzzworld::ScratchFile;

int FuzzSettingsIni(const uint8_t* data, size_t size)
{
    fuzzworld::Run run;
    ScratchFile ini(fuzzworld::ProgramDir() + "Settings.ini", data, size);
    // The language the file names is looked for and is missing: logged.
    g_windowsData->LoadSettings();
    return 0;
}

int FuzzLanguageFile(const uint8_t* data, size_t size)
{
    fuzzworld::Run run;
    ScratchFile language(fuzzworld::DataDir() + "LANG.lng", data, size);
    try
    {
        // Without Settings.ini the language is "EN", read from LANG.lng.
        g_windowsData->LoadSettings();
    }
    catch (const CDException&)
    {
        // A string too long or broken stops the game with its details: the
        // file's own failure, not a finding.
    }
    return 0;
}
