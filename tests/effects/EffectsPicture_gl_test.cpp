// Effects on the gl back-end: chimney smoke, an explosion's sparks and fire,
// and a racer's shield drawn through the billboard effect from the demo
// libraries; the device's fog and alpha test still act on these shader draws.
#include "tests/effects/EffectsTestSupport.h"

#include "effects/QV7_EffectsListMap.h"
#include "engine/QV7_Camera.h"
#include "engine/QV7_Scene.h"
#include "platform/d3dx/D3DXTexture.h"
#include "shell/QV7_Globals.h"
#include "tests/platform/gfx/SavePicture.h"
#include "tools/demo/DemoEffects.h"

#include <cstring>

namespace
{
using namespace effectstest;

class EffectsPictureTest : public EffectsFixture
{
  protected:
    EffectsPictureTest()
    {
        width = 320;
        height = 240;
    }
    void SetUp() override
    {
        EffectsFixture::SetUp();
        for (const TextureContainerRecord& picture : DemoEffectPictures())
        {
            TextureRecord* record = textures.Append();
            record->m_CompileId = uint32_t(picture.compileId);
            ASSERT_EQ(D3DXCreateTextureFromFileInMemory(g_device, picture.image.data(),
                                                        UINT(picture.image.size()), &record->m_Texture),
                      D3D_OK);
        }
        global = &Load(DemoGlobalEffects());
        map = &Load(DemoIslandEffects(1));
        manager.m_GlobalLibrary = global;
        manager.m_MapLibrary = map;
        g_camera->SetEye(0.0f, 80.0f, -900.0f);
        g_camera->SetTarget(0.0f, 80.0f, 0.0f);
        g_camera->UpdateView();
        g_camera->UpdateProjection();
    }
    void TearDown() override
    {
        manager.m_Instances.Clear();
        EffectsFixture::TearDown();
    }
    EffectInstance* Play(const char* name, int globalLibrary, const D3DXVECTOR3& at, float ms)
    {
        EffectInstance* instance = manager.CreateInstanceByName(name, globalLibrary);
        EXPECT_NE(instance, nullptr) << name;
        if (!instance)
            return nullptr;
        instance->m_Position = at;
        GameSRand(1);
        for (float t = 0.0f; t < ms; t += 25.0f)
            instance->Advance(25.0f);
        return instance;
    }
    gfx::PresentedFrame Draw(D3DCOLOR background)
    {
        g_device->BeginScene();
        g_device->Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, background, 1.0f, 0);
        manager.Render();
        g_device->EndScene();
        g_device->Present(nullptr, nullptr, nullptr, nullptr);
        gfx::PresentedFrame frame;
        EXPECT_TRUE(gfx::ReadPresentedFrame(g_device, frame));
        return frame;
    }
    // Mean red, green and blue of a box of the frame.
    static D3DXVECTOR3 Mean(const gfx::PresentedFrame& frame, int x0, int y0, int x1, int y1)
    {
        D3DXVECTOR3 sum(0.0f, 0.0f, 0.0f);
        for (int y = y0; y < y1; ++y)
            for (int x = x0; x < x1; ++x)
            {
                const uint32_t c = frame.pixels[size_t(y) * frame.width + x];
                sum += D3DXVECTOR3(float((c >> 16) & 0xFF), float((c >> 8) & 0xFF), float(c & 0xFF));
            }
        return sum * (1.0f / float((x1 - x0) * (y1 - y0)));
    }
    // The pixel of a box with the most blue.
    static D3DXVECTOR3 Brightest(const gfx::PresentedFrame& frame, int x0, int y0, int x1, int y1)
    {
        D3DXVECTOR3 best(0.0f, 0.0f, -1.0f);
        for (int y = y0; y < y1; ++y)
            for (int x = x0; x < x1; ++x)
            {
                const uint32_t c = frame.pixels[size_t(y) * frame.width + x];
                if (float(c & 0xFF) > best.z)
                    best = D3DXVECTOR3(float((c >> 16) & 0xFF), float((c >> 8) & 0xFF), float(c & 0xFF));
            }
        return best;
    }
    QV7_EffectsList* global = nullptr;
    QV7_EffectsList* map = nullptr;
    QV7_EffectsListMap manager;
};
} // namespace

TEST_F(EffectsPictureTest, SmokeSparksAndAShield)
{
    Play("Chimney smoke", 0, {-300.0f, -120.0f, 0.0f}, 4000.0f);
    Play("Explode", 1, {0.0f, 40.0f, 0.0f}, 260.0f);
    EffectInstance* shield = Play("Shield", 1, {320.0f, 80.0f, 0.0f}, 100.0f);
    shield->m_LockEffect = 1;
    shield->m_SecondPass = 1;
    shield->m_Scale = 0.5f;
    const gfx::PresentedFrame frame = Draw(0xFF203040);
    gltest::SavePicture(frame, "effects_smoke_sparks_shield");
    const D3DXVECTOR3 background = Mean(frame, 0, 0, 8, 8);
    EXPECT_NEAR(background.z, 64.0f, 2.0f);
    // The smoke column on the left is grey: lighter than the sky behind it.
    const D3DXVECTOR3 smoke = Mean(frame, 50, 40, 80, 150);
    EXPECT_GT(smoke.x, background.x + 25.0f);
    // The explosion in the middle is hot: bright, and more red than blue.
    const D3DXVECTOR3 fire = Mean(frame, 145, 95, 175, 125);
    EXPECT_GT(fire.x, 150.0f);
    EXPECT_GT(fire.x, fire.z + 20.0f);
    // The shield's rim on the right is blue and far lighter than the sky.
    const D3DXVECTOR3 rim = Brightest(frame, 230, 90, 300, 160);
    EXPECT_GT(rim.z, background.z + 100.0f);
    EXPECT_GT(rim.z, rim.x + 50.0f);
    EXPECT_LT(Mean(frame, 300, 0, 320, 40).z, background.z + 2.0f) << "nothing in the corner";
}

TEST_F(EffectsPictureTest, FogAndTheAlphaTestActOnBillboards)
{
    EffectInstance* shield = Play("Shield", 1, {0.0f, 80.0f, 0.0f}, 100.0f);
    shield->m_LockEffect = 1;
    const gfx::PresentedFrame clear = Draw(0xFF000000);
    const D3DXVECTOR3 plain = Mean(clear, 0, 0, 320, 240);
    ASSERT_GT(plain.z, 5.0f);

    // Linear fog ending in front of the shield turns it the fog's colour.
    g_scene->SetRenderState(TRUE, D3DRS_FOGENABLE);
    g_scene->SetRenderState(D3DFOG_LINEAR, D3DRS_FOGTABLEMODE);
    g_scene->SetRenderState(0xFFFF0000u, D3DRS_FOGCOLOR);
    const float start = 10.0f, end = 100.0f;
    DWORD startBits, endBits;
    std::memcpy(&startBits, &start, 4);
    std::memcpy(&endBits, &end, 4);
    g_scene->SetRenderState(startBits, D3DRS_FOGSTART);
    g_scene->SetRenderState(endBits, D3DRS_FOGEND);
    const gfx::PresentedFrame fogged = Draw(0xFF000000);
    gltest::SavePicture(fogged, "effects_fogged_shield");
    const D3DXVECTOR3 red = Mean(fogged, 0, 0, 320, 240);
    EXPECT_GT(red.x, plain.x + 5.0f);
    EXPECT_LT(red.z, 0.5f);
    g_scene->SetRenderState(FALSE, D3DRS_FOGENABLE);

    // A reference above every pixel's alpha leaves nothing to see.
    shield->m_EmitterStates[0]->m_RenderSettings.words.alphaRefB = 255;
    g_scene->SetRenderState(D3DCMP_GREATER, D3DRS_ALPHAFUNC);
    const gfx::PresentedFrame tested = Draw(0xFF000000);
    EXPECT_LT(Mean(tested, 0, 0, 320, 240).z, 0.01f);
}

TEST_F(EffectsPictureTest, ABillboardFacesTheCameraAroundItsOwnCentre)
{
    // Far from the origin and seen from the side: the quad's corners turn with
    // the view alone, so the quad stays centred on its particle.
    g_camera->SetEye(5000.0f, 300.0f, 2000.0f);
    g_camera->SetTarget(5600.0f, 300.0f, 2600.0f);
    g_camera->UpdateView();
    EffectInstance* shield = Play("Shield", 1, {5600.0f, 300.0f, 2600.0f}, 100.0f);
    shield->m_LockEffect = 1;
    const gfx::PresentedFrame frame = Draw(0xFF000000);
    gltest::SavePicture(frame, "effects_side_view");
    // A ring round the middle of the frame: its left and right rims, as
    // bright as each other, and the middle nearly dark.
    const D3DXVECTOR3 left = Brightest(frame, 40, 110, 110, 130);
    const D3DXVECTOR3 right = Brightest(frame, 210, 110, 280, 130);
    EXPECT_GT(left.z, 150.0f);
    EXPECT_NEAR(left.z, right.z, 30.0f);
    EXPECT_LT(Mean(frame, 150, 110, 170, 130).z, 40.0f);
    EXPECT_LT(Mean(frame, 0, 0, 20, 20).z, 1.0f);
}
