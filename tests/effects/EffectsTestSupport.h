// An engine on the null (or, in *_gl_test files, the gl) back-end with a
// texture list, and the loading of libraries written by our writer.
#pragma once

#include "effects/QV7_EffectsList.h"
#include "engine/QV7_TextureList.h"
#include "platform/io/BinaryReader.h"
#include "tests/engine/EngineTestSupport.h"
#include "tools/writers/EffectLibraryWriter.h"

#include <memory>

namespace effectstest
{
using enginetest::Log;
using enginetest::Logged;

class EffectsFixture : public enginetest::EngineFixture
{
  protected:
    void SetUp() override
    {
        EngineFixture::SetUp();
        windows->m_Settings.Debug = 1; // the log lines the tests read
        ASSERT_NO_FATAL_FAILURE(Start());
    }
    void TearDown() override
    {
        libraries.clear();
        textures.FreeAll();
        EngineFixture::TearDown();
    }
    TextureRecord* AddTexture(uint32_t compileId, uint32_t argb = 0xFFFFFFFFu)
    {
        TextureRecord* record = textures.Append();
        record->m_CompileId = compileId;
        g_device->CreateTexture(8, 8, 1, 0, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED, &record->m_Texture, nullptr);
        D3DLOCKED_RECT locked{};
        if (record->m_Texture && SUCCEEDED(record->m_Texture->LockRect(0, &locked, nullptr, 0)))
        {
            for (int y = 0; y < 8; ++y)
                for (int x = 0; x < 8; ++x)
                    static_cast<uint32_t*>(locked.pBits)[y * locked.Pitch / 4 + x] = argb;
            record->m_Texture->UnlockRect(0);
        }
        return record;
    }
    // A new library over the fixture's textures, loaded from the description.
    QV7_EffectsList& Load(const EffectLibraryDescription& description)
    {
        libraries.push_back(std::make_unique<QV7_EffectsList>());
        QV7_EffectsList& library = *libraries.back();
        library.m_Textures = &textures;
        BinaryReader file(BuildEffectLibrary(description).Bytes());
        library.Load(file);
        return library;
    }
    QV7_TextureList textures;
    std::vector<std::unique_ptr<QV7_EffectsList>> libraries;
};

// One template of one billboard emitter with the given records, one key each.
inline EffectLibraryDescription OneEmitter(const std::vector<EffectRecordDescription>& records,
                                           int32_t duration = 5000, int32_t loop = 0, int32_t meshId = -1)
{
    EffectEmitterDescription emitter;
    emitter.name = "E";
    emitter.meshId = meshId;
    emitter.textureId = 7;
    for (const EffectRecordDescription& r : records)
        emitter.Key(r);
    EffectTemplateDescription effect;
    effect.name = "T";
    effect.id = 1;
    effect.duration = duration;
    effect.loop = loop;
    effect.emitters.push_back(emitter);
    EffectLibraryDescription library;
    library.templates.push_back(effect);
    return library;
}

inline EffectRecordDescription Emit(int32_t rate, int32_t maximum, int32_t life, int32_t start = 0,
                                    int32_t end = 100000)
{
    return EffectRecord(1, start, end).U(0).I(rate).I(-1).I(maximum).I(life);
}
} // namespace effectstest

namespace effectstest
{
// A template per name, ids from firstId on, each with one billboard emitter
// (texture 7) emitting one particle per tick.
inline EffectLibraryDescription Named(const std::vector<std::string>& names, int32_t firstId = 1,
                                      int32_t duration = 1000, int32_t loop = 1)
{
    EffectLibraryDescription library;
    for (size_t i = 0; i < names.size(); ++i)
    {
        EffectLibraryDescription one = OneEmitter({Emit(60, 100, 100000)}, duration, loop);
        one.templates[0].name = names[i];
        one.templates[0].id = firstId + int32_t(i);
        library.templates.push_back(one.templates[0]);
    }
    return library;
}

inline std::vector<std::string> GlobalNames()
{
    return {"Broken", "Shield", "Shield jammer", "Chaing", "Exhaust",
            "Sparks", "Crash",  "Shiel hit",     "cannon"};
}
} // namespace effectstest
