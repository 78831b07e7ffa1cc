// Helpers of the driver-figure tests: an engine with the item database's
// texture list holding the figure textures, and a small Triggers.qvx made by
// our writers (two rigid substitutes, two skinned figures, a few triggers).
#pragma once

#include "engine/QV7_Scene.h"
#include "engine/QV7_TextureList.h"
#include "figures/QV7_TriggersSystem.h"
#include "platform/io/BinaryReader.h"
#include "tests/engine/EngineTestSupport.h"
#include "tools/writers/TriggersFileWriter.h"
#include "tools/writers/XFileWriter.h"

namespace figurestest
{
constexpr uint32_t kTextureA = 6001;
constexpr uint32_t kTextureB = 6002;

inline std::string FigureText(float height = 60.0f)
{
    ArticulatedFigureDescription figure;
    figure.height = height;
    figure.sets = DriverFigureMotions();
    return WriteXFile(MakeArticulatedFigure(figure));
}

inline d3dx::XFileDescription FigureDescription()
{
    ArticulatedFigureDescription figure;
    figure.height = 60.0f;
    figure.sets = DriverFigureMotions();
    return MakeArticulatedFigure(figure);
}

inline TriggersAnimatedFigure Figure(uint32_t id, std::string text, uint32_t texture)
{
    return {id, std::move(text), FigureMaterial(D3DXCOLOR(0.8f, 0.5f, 0.2f, 1.0f)), texture};
}

// Rigid 10 (whose block says 99) and 11; figures 1 and 2; triggers of figure
// 1 and 2, a second "TRIG_A_IDLE" naming figure 2, one naming figure 7 that
// is not there.
inline TriggersFileDescription SmallFile()
{
    TriggersFileDescription file;
    file.rigid.push_back({10, MakeBoxMesh({5.0f, 10.0f, 5.0f}, kTextureA, 99)});
    file.rigid.push_back({11, MakeBoxMesh({6.0f, 12.0f, 6.0f}, kTextureB, 11)});
    file.animated.push_back(Figure(1, FigureText(), kTextureA));
    file.animated.push_back(Figure(2, FigureText(80.0f), 4242));
    file.triggers = {{"TRIG_A_IDLE", 1, "IDLE", 10},
                     {"TRIG_A_BUMP/BOTS", 1, "BUMP_BOTS", 10},
                     {"TRIG_B_IDLE", 2, "IDLE", 11},
                     {"TRIG_A_IDLE", 2, "MENU_IDLE", 11},
                     {"TRIG_LOST", 7, "IDLE", 11}};
    return file;
}

class FiguresFixture : public enginetest::EngineFixture
{
  protected:
    void SetUp() override
    {
        EngineFixture::SetUp();
        windows->m_Settings.Debug = 1; // log lines are written in debug mode only
        Start();
        for (uint32_t id : {kTextureA, kTextureB})
        {
            TextureRecord* record = items.Append();
            record->m_CompileId = id;
            ASSERT_EQ(g_device->CreateTexture(4, 4, 1, 0, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED,
                                              &record->m_Texture, nullptr),
                      D3D_OK);
        }
        g_itemTextures = &items;
        triggers = std::make_unique<QV7_TriggersSystem>();
    }
    void TearDown() override
    {
        triggers.reset();
        g_itemTextures = nullptr;
        for (int i = 0; i < items.Count(); ++i)
            g_scene->ForgetTexture(items.At(i)->m_Texture);
        items.FreeAll();
        EngineFixture::TearDown();
    }
    void Read(const std::vector<uint8_t>& bytes)
    {
        BinaryReader file(bytes);
        triggers->Read(file);
    }
    void Read(const TriggersFileDescription& description) { Read(WriteTriggersFile(description)); }

    QV7_TextureList items;
    std::unique_ptr<QV7_TriggersSystem> triggers;
};
} // namespace figurestest
