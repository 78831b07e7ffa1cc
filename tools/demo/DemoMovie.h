// The demo intro movie: intro.wmv, a few seconds of a title card with moving
// shapes over a sound track of a rising chord, all generated here.
// Deterministic output.
#pragma once

#include <string>

// Writes dataDir + "intro.wmv" (dataDir ends in '/'); false when the encoder refuses.
bool WriteDemoMovie(const std::string& dataDir);
