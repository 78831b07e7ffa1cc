// The item database's texture choice in the demo: Textures2.dbs lists every
// picture of Textures2.qvx the front end and the buggies show (the maps
// database's pictures and the buggy textures, 5000-5999), and Maps_srt_ex.qvx
// takes the islands' loading pages back out, since the race load brings in
// the one it shows.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

std::vector<int32_t> DemoItemTextureIds();
std::vector<int32_t> DemoExcludedTextureIds();

// Writes Textures2.dbs and Maps_srt_ex.qvx into dataDir (ending in '/');
// false on a write failure.
bool WriteDemoItemTextures(const std::string& dataDir);
