// The demo sound packs: GraphicsSfx.dat with the music pairs of the front end
// and of the islands, SndSfx.dat naming the 25 effect slots, and the Sfx%d.dat
// files, all synthesised here (short clicks, whooshes, bangs and horns, and
// simple melodies for the music). Deterministic output.
#pragma once

#include <string>

// Writes every sound file start-up, the menus and the races load into
// dataDir (which ends in '/').
void WriteDemoSounds(const std::string& dataDir);
