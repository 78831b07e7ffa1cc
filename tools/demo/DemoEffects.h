// The demo's effect libraries: particle pictures (in Textures2.qvx, listed
// for the buggies and for every island), Map-1.efx with every template the
// race code looks up by name, and per island a Map%d.efx with its wheel dust
// and scenery effects and a Map%d.efm placing chimney smoke, a camp fire and
// sparkles over the water.
#pragma once

#include "tools/writers/EffectLibraryWriter.h"
#include "tools/writers/TextureContainerWriter.h"

#include <string>
#include <vector>

namespace demo
{
// Particle picture ids in Textures2.qvx (7100-7199): white or grey pictures,
// tinted by the keys.
constexpr int32_t kSmokePictureId = 7101;
constexpr int32_t kSparkPictureId = 7102;
constexpr int32_t kStarPictureId = 7103;
constexpr int32_t kFlamePictureId = 7104;
constexpr int32_t kRingPictureId = 7105;
constexpr int32_t kDustPictureId = 7106;
constexpr int32_t kDropPictureId = 7107;
} // namespace demo

std::vector<TextureContainerRecord> DemoEffectPictures();
std::vector<int32_t> DemoEffectPictureIds();

// The template names Map-1.efx must hold for the race code.
std::vector<std::string> DemoGlobalEffectNames();
EffectLibraryDescription DemoGlobalEffects();
EffectLibraryDescription DemoIslandEffects(int island);
std::vector<PlacedEffectRecord> DemoPlacedEffects(int island);

// Writes Map-1.efx and each island's Map%d.efx and Map%d.efm.
bool WriteDemoEffects(const std::string& dataDir);
