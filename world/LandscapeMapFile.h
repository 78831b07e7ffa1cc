// The race loader's landscape step: the sun shading picture MapSHD%d.map and
// the height field Map%d.map from the data folder into the landscape. The
// map file is read whole and every value checked before the land is built
// from it: a missing, short or broken file is logged, leaves the landscape
// unloaded and throws CDException, which ends the race load.
#pragma once

#include <string>

class QV7_Landscape;
class QV7_TextureList;

// The file's fixed size; bytes after it are ignored. The last 244 bytes are
// the scalars after the three layers.
constexpr size_t kLandscapeMapFileSize = 12583156;
constexpr size_t kLandscapeMapTailSize = 244;

// dataDir ends in '/'. The base and detail textures are looked up in
// mapTextures (null: none); the sky and water ids and the water level are
// kept in the landscape and handed on through g_onLandscapeMapLoaded.
void LoadLandscapeMap(QV7_Landscape& landscape, const std::string& dataDir, int mapNumber,
                      const QV7_TextureList* mapTextures);

// Called once the map is read, with the map's texture list: the sky dome and
// the water take their textures and level from the landscape here, and the
// water builds its surface.
extern void (*g_onLandscapeMapLoaded)(const QV7_Landscape& landscape, const QV7_TextureList* mapTextures);
