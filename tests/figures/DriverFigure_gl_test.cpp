// One demo driver drawn on the gl back-end from a fixed camera in front and
// to its left: the skinned PLAYERM figure through the profile-page preview,
// then its rigid substitute in the same place. Both show a seated driver:
// the white helmet at the top, the blue suit below it, the picture's corners
// clear; and the two outlines cover about the same pixels.
#include "figures/QV7_TriggersSystem.h"

#include "engine/QV7_Camera.h"
#include "engine/QV7_FrameManager.h"
#include "platform/d3dx/D3DXTexture.h"
#include "tests/figures/FiguresTestSupport.h"
#include "tests/platform/gfx/SavePicture.h"
#include "tools/demo/DemoFigures.h"
#include "tools/writers/ImageWriters.h"

#include <algorithm>
#include <cstdlib>

namespace
{
constexpr uint32_t kClear = 0x203040;

class DriverFigureGlTest : public enginetest::EngineFixture
{
  protected:
    DriverFigureGlTest()
    {
        width = 160;
        height = 160;
    }
    void SetUp() override
    {
        EngineFixture::SetUp();
        Start();
        g_frameManager->m_ClearColour = 0xFF000000u | kClear;
        for (const TextureContainerRecord& picture : DemoFigureTextures())
        {
            TextureRecord* record = items.Append();
            record->m_CompileId = uint32_t(picture.compileId);
            ASSERT_EQ(D3DXCreateTextureFromFileInMemoryEx(
                          g_device, picture.image.data(), UINT(picture.image.size()), 0, 0, 0, 0,
                          D3DFMT_A8R8G8B8, D3DPOOL_MANAGED, D3DX_DEFAULT, D3DX_DEFAULT, 0, nullptr, nullptr,
                          &record->m_Texture),
                      D3D_OK);
        }
        g_itemTextures = &items;
        triggers = std::make_unique<QV7_TriggersSystem>();
        BinaryReader file(WriteTriggersFile(MakeDemoTriggersFile()));
        triggers->Read(file);
        g_camera->m_Eye = D3DXVECTOR3(-140.0f, 70.0f, -90.0f);
        g_camera->m_Target = D3DXVECTOR3(-12.0f, 22.0f, 0.0f);
        g_camera->UpdateView();
        D3DXMatrixPerspectiveFovLH(&projection, 0.8f, 1.0f, 1.0f, 2000.0f);
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
    gfx::PresentedFrame Finish(const char* name)
    {
        g_frameManager->EndFrame();
        gfx::PresentedFrame frame;
        EXPECT_TRUE(gfx::ReadPresentedFrame(g_device, frame));
        gltest::SavePicture(frame, name);
        return frame;
    }
    gfx::PresentedFrame DrawSkinned(const char* name = "driver_figure_skinned",
                                    const char* trigger = "TRIG_PLAYERM_IDLE")
    {
        D3DXMATRIX world;
        D3DXMatrixIdentity(&world);
        g_frameManager->BeginFrame();
        g_frameManager->m_LastFrameMs = 0.0f;
        QV7_TriggersSystem::DrawTrigger(triggers->FindTrigger(trigger), world, projection);
        return Finish(name);
    }
    gfx::PresentedFrame DrawRigid()
    {
        g_device->SetTransform(D3DTS_VIEW, &g_camera->m_View);
        g_device->SetTransform(D3DTS_PROJECTION, &projection);
        D3DLIGHT9 light{};
        light.Type = D3DLIGHT_DIRECTIONAL;
        light.Diffuse = {0.8f, 0.8f, 0.8f, 1.0f};
        light.Direction = {0.75f, -0.75f, 0.75f};
        g_device->SetLight(0, &light);
        g_device->LightEnable(0, TRUE);
        g_device->SetRenderState(D3DRS_AMBIENT, 0xFF606060);
        LodMeshObject& rigid = *triggers->FindTrigger("TRIG_PLAYERM_IDLE")->m_RigidMesh;
        D3DXMatrixIdentity(&rigid.m_World);
        g_frameManager->BeginFrame();
        QV7_LodObjects::Render(rigid);
        return Finish("driver_figure_rigid");
    }
    static int Covered(const gfx::PresentedFrame& frame)
    {
        int count = 0;
        for (uint32_t pixel : frame.pixels)
            count += (pixel & 0xFFFFFF) != kClear;
        return count;
    }
    // Pixels of rows [top, bottom) whose colour passes the test.
    template <class Test> static int Count(const gfx::PresentedFrame& frame, int top, int bottom, Test test)
    {
        int count = 0;
        for (int y = top; y < bottom; ++y)
            for (int x = 0; x < frame.width; ++x)
            {
                const uint32_t p = frame.pixels[size_t(y) * frame.width + x];
                count += test(int((p >> 16) & 0xFF), int((p >> 8) & 0xFF), int(p & 0xFF));
            }
        return count;
    }
    // Plays a set of PLAYERM's figure at a position.
    void Pose(const char* setName, double position)
    {
        ID3DXAnimationController* controller =
            triggers->FindTrigger("TRIG_PLAYERM_IDLE")->m_AnimatedMesh->m_Controller;
        ID3DXAnimationSet* set = nullptr;
        ASSERT_EQ(controller->GetAnimationSetByName(setName, &set), D3D_OK);
        controller->SetTrackAnimationSet(0, set);
        controller->SetTrackPosition(0, position);
        controller->AdvanceTime(0.0, nullptr);
        set->Release();
    }
    // Mean column of the helmet's (whitish) pixels.
    static float HelmetColumn(const gfx::PresentedFrame& frame)
    {
        double sum = 0.0;
        int count = 0;
        for (int y = 0; y < frame.height / 2; ++y)
            for (int x = 0; x < frame.width; ++x)
            {
                const uint32_t p = frame.pixels[size_t(y) * frame.width + x];
                if (Whitish(int((p >> 16) & 0xFF), int((p >> 8) & 0xFF), int(p & 0xFF)))
                {
                    sum += x;
                    ++count;
                }
            }
        return count ? float(sum / count) : -1.0f;
    }
    static bool Whitish(int r, int g, int b) { return r > 110 && g > 110 && b > 110 && std::abs(r - b) < 40; }
    static bool Blue(int r, int, int b) { return b > 80 && b > r + 50; }

    QV7_TextureList items;
    std::unique_ptr<QV7_TriggersSystem> triggers;
    D3DXMATRIX projection;
};

TEST_F(DriverFigureGlTest, TheSkinnedAndRigidDriverShowAHelmetAboveASuit)
{
    const gfx::PresentedFrame skinned = DrawSkinned();
    const gfx::PresentedFrame rigid = DrawRigid();
    for (const gfx::PresentedFrame* frame : {&skinned, &rigid})
    {
        EXPECT_EQ(frame->pixels[0] & 0xFFFFFF, kClear);
        EXPECT_EQ(frame->pixels.back() & 0xFFFFFF, kClear);
        EXPECT_GT(Covered(*frame), 2000);
        const int third = frame->height / 3;
        // The helmet is in the top third and is white; the suit is blue and lower down.
        EXPECT_GT(Count(*frame, 0, third, Whitish), 100);
        EXPECT_LT(Count(*frame, 0, third, Blue), Count(*frame, 0, third, Whitish));
        EXPECT_GT(Count(*frame, third, frame->height, Blue), 300);
    }
    EXPECT_NEAR(Covered(skinned), Covered(rigid), Covered(rigid) / 8);
}
// Seen from straight ahead the driver's left is the picture's right: steering
// left leans the helmet that way, steering right the other way.
TEST_F(DriverFigureGlTest, SteeringLeansTheDriverToItsSide)
{
    g_camera->m_Eye = D3DXVECTOR3(-220.0f, 40.0f, 0.0f);
    g_camera->m_Target = D3DXVECTOR3(0.0f, 25.0f, 0.0f);
    g_camera->UpdateView();
    Pose("IDLE", 0.0);
    const float upright = HelmetColumn(DrawSkinned("driver_front_idle"));
    Pose("STUUR_LINKS", 0.49);
    const float left = HelmetColumn(DrawSkinned("driver_front_left"));
    Pose("STUUR_RECHTS", 0.49);
    const float right = HelmetColumn(DrawSkinned("driver_front_right"));
    ASSERT_GT(upright, 0.0f);
    EXPECT_GT(left, upright + 3.0f);
    EXPECT_LT(right, upright - 3.0f);
}
// The seven characters differ in colour (their mean colours lie apart) and
// GRONK, the big one, covers the most of the picture.
TEST_F(DriverFigureGlTest, EveryCharacterLooksItsOwn)
{
    std::vector<D3DXVECTOR3> means;
    std::vector<int> covered;
    for (int type = 0; type < kDriverTypeCount; ++type)
    {
        const std::string name = std::string("driver_") + DriverTypeName(type);
        const gfx::PresentedFrame frame = DrawSkinned(name.c_str(), DriverTriggerName(type, "IDLE").c_str());
        D3DXVECTOR3 sum(0.0f, 0.0f, 0.0f);
        for (uint32_t p : frame.pixels)
            if ((p & 0xFFFFFF) != kClear)
                sum += D3DXVECTOR3(float((p >> 16) & 0xFF), float((p >> 8) & 0xFF), float(p & 0xFF));
        covered.push_back(Covered(frame));
        ASSERT_GT(covered.back(), 1000) << name;
        means.push_back(sum / float(covered.back()));
    }
    for (int a = 0; a < kDriverTypeCount; ++a)
        for (int b = a + 1; b < kDriverTypeCount; ++b)
        {
            const D3DXVECTOR3 apart = means[size_t(a)] - means[size_t(b)];
            EXPECT_GT(D3DXVec3Length(&apart), 12.0f) << DriverTypeName(a) << " and " << DriverTypeName(b);
        }
    EXPECT_EQ(std::max_element(covered.begin(), covered.end()) - covered.begin(), GRONK);
}
} // namespace
