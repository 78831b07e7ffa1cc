// The demo driver-figure database, Triggers.qvx: the seven characters, each a
// seated driver in its own colours and build with its eight animated triggers
// and a rigid substitute, and the four profile-page triggers of the two
// player figures. Figure textures go into Textures2.qvx (ids 6000-6999).
#pragma once

#include "tools/writers/TextureContainerWriter.h"
#include "tools/writers/TriggersFileWriter.h"

#include <cstdint>
#include <string>
#include <vector>

namespace demo
{
constexpr uint32_t kFigureTextureId = 6000; // + driver type
constexpr uint32_t kFigureRigidId = 100;    // + driver type
constexpr uint32_t kFigureAnimatedId = 200; // + driver type
} // namespace demo

TriggersFileDescription MakeDemoTriggersFile();
std::vector<TextureContainerRecord> DemoFigureTextures();
// Writes Triggers.qvx into dataDir (ending in '/'); false on a write failure.
bool WriteDemoFigures(const std::string& dataDir);
