// The fuzz targets: one function per data file the game loads, each taking
// the file's bytes, loading them through the game's own loader on the null
// back-ends and leaving the process as it found it. libFuzzer drives them in
// the fuzz build (fuzz/main); the ordinary tests replay the seeds and the
// kept regression inputs through the same functions.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

// Each returns 0, as libFuzzer wants; a loader's clean failure (log line,
// exception, empty result) is not a finding.
int FuzzSettingsIni(const uint8_t* data, size_t size);   // Settings.ini through the INI layer
int FuzzLanguageFile(const uint8_t* data, size_t size);  // LANG.lng
int FuzzMenuTextures(const uint8_t* data, size_t size);  // Textures1.qvx (load, then the reload after a race)
int FuzzWorldTextures(const uint8_t* data, size_t size); // Textures2.qvx (item list, release, reload)
int FuzzMapTextureList(const uint8_t* data, size_t size); // Map%d.tex over a fixed Textures2.qvx
int FuzzFonts(const uint8_t* data, size_t size);          // Fonts.qvx, each wanted font drawn once
int FuzzMenuFile(const uint8_t* data, size_t size);       // Menu.qvx, each page rendered once
int FuzzMenuStrings(const uint8_t* data, size_t size);    // Menu_c.qvx
int FuzzMusicTable(const uint8_t* data, size_t size);     // GraphicsSfx.dat
int FuzzSoundTable(const uint8_t* data, size_t size);     // SndSfx.dat
int FuzzOggVorbis(const uint8_t* data, size_t size);      // one Sfx%d.dat
int FuzzImage(const uint8_t* data, size_t size);          // BMP, PNG, TGA, JPEG, DDS from memory
int FuzzMeshObject(const uint8_t* data, size_t size);     // mesh object blocks back to back
int FuzzMapsDatabase(const uint8_t* data, size_t size);   // Maps_srt.qvx, the whole maps database
int FuzzPilots(const uint8_t* data, size_t size);         // Aip.dat
int FuzzLandscapeMap(const uint8_t* data, size_t size);  // Map%d.map: its 244-byte tail, then a layer pattern
int FuzzBuggyDatabase(const uint8_t* data, size_t size); // DatA.dat, then clones, chains and draws
int FuzzXFile(const uint8_t* data, size_t size);         // a driver figure's text .x
int FuzzProfiles(const uint8_t* data, size_t size);      // Profiles.dtx, loaded, saved and loaded again
int FuzzBuggyTextureIds(const uint8_t* data, size_t size);   // Textures2.dbs through the item database
int FuzzTextureExclusions(const uint8_t* data, size_t size); // Maps_srt_ex.qvx through the item database
int FuzzTriggers(const uint8_t* data, size_t size);          // Triggers.qvx, every trigger played and drawn
int FuzzWaypoints(const uint8_t* data, size_t size);     // Map%d.wap, then stretches found and links walked
int FuzzCheckpoints(const uint8_t* data, size_t size);   // Map%d.chk, then racers driven past every marker
int FuzzEffectLibrary(const uint8_t* data, size_t size); // Map-1.efx / Map%d.efx, every template played and drawn
int FuzzPlacedEffects(const uint8_t* data, size_t size); // Map%d.efm, slots bound, everything drawn
int FuzzTrackItems(const uint8_t* data, size_t size);    // Map%d.zph, a racer past every item, frames drawn
int FuzzShoreLines(const uint8_t* data, size_t size);    // Map%d.ssh, each cell drawn once
int FuzzFadingVegetation(const uint8_t* data, size_t size); // Map%d.fvf, frames drawn over its cells
int FuzzTeleporters(const uint8_t* data, size_t size);   // Map%d.tel, then every gate crossed
int FuzzStaticObjects(const uint8_t* data, size_t size); // Map%d.sob with its geoms, every pass drawn
int FuzzTrees(const uint8_t* data, size_t size); // MapT%d.trs with its geoms, a device reset, both passes
int FuzzMovingScenery(const uint8_t* data, size_t size); // Map%d.pf, stepped with a rider and drawn

using FuzzFunction = int (*)(const uint8_t* data, size_t size);

struct FuzzTarget
{
    const char* name; // folder name of its seeds and regressions, and fuzz_<name> binary
    FuzzFunction run;
};

const std::vector<FuzzTarget>& FuzzTargets();
// Null for an unknown name.
const FuzzTarget* FindFuzzTarget(const std::string& name);

// The log lines of the last target run, for tests that check a failure's line.
const std::vector<std::string>& FuzzLogLines();
