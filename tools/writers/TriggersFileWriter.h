// Writer of Triggers.qvx, the driver-figure database: rigid substitutes as
// mesh object blocks, skinned figures as text .x with their material and
// texture id, and the triggers naming them. Little-endian, no header, the
// three sections in that order. Tests that need a broken file edit the
// description (an .x text that is not one, an id nothing has) or cut the
// written bytes.
#pragma once

#include "platform/gfx/D3D9.h"
#include "tools/writers/MeshObjectWriter.h"

#include <cstdint>
#include <string>
#include <vector>

struct TriggersRigidFigure
{
    uint32_t id = 0;
    MeshObjectDescription mesh; // its own id is written as it stands
};

struct TriggersAnimatedFigure
{
    uint32_t id = 0;
    std::string xFile; // the .x text as stored
    D3DMATERIAL9 material{};
    uint32_t textureId = 0;
};

struct TriggersEntry
{
    std::string name;
    uint32_t animatedId = 0;
    std::string animationSet;
    uint32_t rigidId = 0;
};

struct TriggersFileDescription
{
    std::vector<TriggersRigidFigure> rigid;
    std::vector<TriggersAnimatedFigure> animated;
    std::vector<TriggersEntry> triggers;
};

std::vector<uint8_t> WriteTriggersFile(const TriggersFileDescription& description);
bool SaveTriggersFile(const std::string& path, const TriggersFileDescription& description);

// A lit white material with a little emission, so unlit sides are not black.
D3DMATERIAL9 FigureMaterial(const D3DXCOLOR& diffuse);
