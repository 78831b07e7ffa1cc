// Writer of effect libraries (Map-1.efx, Map%d.efx): effect meshes, then
// named templates of emitters, keys and timed key records. A record's
// payload is the list of its 32-bit words in file order, built with the
// chained helpers (U unsigned, I signed, F float, V three floats, C colour);
// nothing checks the words against the kind, so tests can write broken
// records as easily as sound ones.
#pragma once

#include "platform/io/BinaryWriter.h"
#include "tools/writers/MeshObjectWriter.h"

#include <array>
#include <cstdint>
#include <string>
#include <vector>

struct EffectRecordDescription
{
    int32_t start = 0;
    int32_t end = 100;
    std::string name = "No Name";
    int32_t kind = 1;
    std::vector<uint32_t> words;

    EffectRecordDescription& U(uint32_t value);
    EffectRecordDescription& I(int32_t value);
    EffectRecordDescription& F(float value);
    EffectRecordDescription& V(float x, float y, float z);
    EffectRecordDescription& C(uint32_t colour) { return U(colour); }
};

// A record of the kind over start..end with no payload words yet.
EffectRecordDescription EffectRecord(int32_t kind, int32_t start, int32_t end,
                                     const std::string& name = "No Name");

struct EffectKeyDescription
{
    int32_t kind = 1;
    std::vector<EffectRecordDescription> records;
};

struct EffectEmitterDescription
{
    std::string name = "*";
    uint32_t keepOnLoop = 0;
    int32_t meshId = -1; // -1: a billboard emitter
    int32_t textureId = -1;
    // A billboard emitter's third word, which readers ignore.
    uint32_t discardedWord = 0;
    std::array<uint32_t, 7> render{1, 5, 6, 0, 1, 80, 200};
    D3DXVECTOR3 origin{0.0f, 0.0f, 0.0f};
    std::vector<EffectKeyDescription> keys;

    // Appends a key of the record's kind holding the record; returns *this.
    EffectEmitterDescription& Key(const EffectRecordDescription& record);
};

struct EffectTemplateDescription
{
    std::string name = "*";
    int32_t id = -1;
    int32_t duration = 5000;
    int32_t loop = 0;
    int32_t sort = 0;
    std::vector<EffectEmitterDescription> emitters;
};

struct EffectLibraryDescription
{
    std::vector<MeshObjectDescription> meshes;
    std::vector<EffectTemplateDescription> templates;
};

BinaryWriter BuildEffectLibrary(const EffectLibraryDescription& library);
bool WriteEffectLibrary(const std::string& path, const EffectLibraryDescription& library);

// One placed effect of Map%d.efm (40 bytes).
struct PlacedEffectRecord
{
    uint32_t templateId = 0;
    D3DXVECTOR3 position{0.0f, 0.0f, 0.0f};
    D3DXVECTOR3 rotation{0.0f, 0.0f, 0.0f}; // yaw, pitch, roll in radians
    float scale = 1.0f;
    int32_t value = -1;
    float viewDistance = 4000.0f;
};

BinaryWriter BuildPlacedEffects(const std::vector<PlacedEffectRecord>& records);
bool WritePlacedEffects(const std::string& path, const std::vector<PlacedEffectRecord>& records);
