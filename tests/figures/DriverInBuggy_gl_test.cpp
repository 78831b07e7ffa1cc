// A demo driver sitting in a demo buggy on the gl back-end, drawn the race's
// way: the buggy through the racer path, the driver through its animation on
// the seat of the buggy's model. The pictures show the helmet above the
// deck, inside the buggy's outline; steering leans it to either side.
#include "figures/DriverAnimation.h"

#include "engine/QV7_Camera.h"
#include "engine/QV7_FrameManager.h"
#include "engine/QV7_Scene.h"
#include "engine/QV7_TextureList.h"
#include "figures/QV7_TriggersSystem.h"
#include "platform/d3dx/D3DXTexture.h"
#include "platform/io/BinaryReader.h"
#include "race/QV7_Buggy.h"
#include "race/QV7_BuggyMeshSystem.h"
#include "tests/engine/EngineTestSupport.h"
#include "tests/platform/gfx/SavePicture.h"
#include "tests/shell/TestLog.h"
#include "tools/demo/DemoBuggies.h"
#include "tools/demo/DemoFigures.h"
#include "tools/writers/ImageWriters.h"
#include "world/QV7_Landscape.h"

#include <cmath>
#include <memory>

namespace
{
constexpr uint32_t kClear = 0x203040;
constexpr int kModel = 2;

class DriverInBuggyGlTest : public enginetest::EngineFixture
{
  protected:
    DriverInBuggyGlTest()
    {
        width = 256;
        height = 256;
    }
    void SetUp() override
    {
        EngineFixture::SetUp();
        windows->m_Settings.Detail = 3;
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
        BinaryReader figures(WriteTriggersFile(MakeDemoTriggersFile()));
        triggers->Read(figures);
        ASSERT_TRUE(WriteWorldTextureContainer(dir.Path() + "Textures2.qvx", DemoBuggyTextures()));
        const std::vector<int32_t> ids = DemoBuggyTextureIds();
        buggyTextures.LoadBuggyTextures(dir.Path() + "Textures2.qvx", ids.data(), int(ids.size()));
        BinaryReader database(BuildBuggyDatabase(MakeDemoBuggyDatabase()).Bytes());
        system.Read(database, &buggyTextures, g_device);
        g_buggyMeshSystem = &system;
        racer.modelIndex = kModel;
        racer.position = D3DXVECTOR3(0.0f, 0.0f, 0.0f);
        racer.driverAnimation.Bind(&racer, PLAYERM, *triggers);
        // Close to the cockpit, from the front left and above.
        const D3DXMATRIX& world = system.models[kModel]->mesh->m_World;
        D3DXVECTOR3 seat, eye;
        const D3DXVECTOR3 seatLocal(15.0f, 300.0f, 0.0f), eyeLocal(-700.0f, 750.0f, -800.0f);
        D3DXVec3TransformCoord(&seat, &seatLocal, &world);
        D3DXVec3TransformCoord(&eye, &eyeLocal, &world);
        g_camera->m_Eye = eye;
        g_camera->m_Target = seat;
        g_camera->UpdateView();
    }
    void TearDown() override
    {
        g_buggyMeshSystem = nullptr;
        system.Clear();
        for (int i = 0; i < buggyTextures.Count(); ++i)
            g_scene->ForgetTexture(buggyTextures.At(i)->m_Texture);
        buggyTextures.FreeAll();
        triggers.reset();
        g_itemTextures = nullptr;
        for (int i = 0; i < items.Count(); ++i)
            g_scene->ForgetTexture(items.At(i)->m_Texture);
        items.FreeAll();
        EngineFixture::TearDown();
    }
    void Light()
    {
        D3DLIGHT9 light{};
        light.Type = D3DLIGHT_DIRECTIONAL;
        light.Diffuse = {1, 1, 1, 1};
        light.Ambient = {0.4f, 0.4f, 0.4f, 1};
        light.Direction = D3DXVECTOR3(0.5f, -0.8f, 0.3f);
        g_device->SetLight(0, &light);
        g_device->LightEnable(0, TRUE);
        g_device->SetRenderState(D3DRS_AMBIENT, 0xFF606060);
    }
    // Frames of the race: the buggy, then its driver with the frame's steering.
    gfx::PresentedFrame Drive(float steering, int frames, const char* name, bool withDriver = true)
    {
        const QV7_DataBase_MeshObject& model = *system.models[kModel];
        const D3DXMATRIX world = model.mesh->m_World;
        for (int i = 0; i < frames; ++i)
        {
            g_frameManager->BeginFrame();
            Light();
            model.RenderPhysics(&racer, world, 0, 0, 0, 0.0f, 0);
            if (withDriver)
                racer.driverAnimation.UpdateAndDraw(steering, world);
            g_frameManager->EndFrame();
            g_frameManager->m_LastFrameMs = 40.0f;
        }
        gfx::PresentedFrame frame;
        EXPECT_TRUE(gfx::ReadPresentedFrame(g_device, frame));
        gltest::SavePicture(frame, name);
        return frame;
    }
    static bool Whitish(uint32_t p)
    {
        const int r = int((p >> 16) & 0xFF), g = int((p >> 8) & 0xFF), b = int(p & 0xFF);
        return r > 150 && g > 150 && b > 150 && std::abs(r - b) < 40;
    }
    static int Changed(const gfx::PresentedFrame& a, const gfx::PresentedFrame& b, int* meanColumn = nullptr)
    {
        int changed = 0;
        long columns = 0;
        for (size_t i = 0; i < a.pixels.size(); ++i)
            if (a.pixels[i] != b.pixels[i])
            {
                ++changed;
                columns += long(i % size_t(a.width));
            }
        if (meanColumn)
            *meanColumn = changed ? int(columns / changed) : -1;
        return changed;
    }

    TempDir dir;
    QV7_TextureList items;
    QV7_TextureList buggyTextures;
    std::unique_ptr<QV7_TriggersSystem> triggers;
    QV7_BuggyMeshSystem system;
    QV7_Buggy racer;
};

TEST_F(DriverInBuggyGlTest, TheDriverSitsInTheCockpitAndLeansWithTheSteering)
{
    const gfx::PresentedFrame empty = Drive(0.0f, 1, "driver_in_buggy_empty", false);
    const gfx::PresentedFrame seated = Drive(0.0f, 3, "driver_in_buggy");
    const gfx::PresentedFrame left = Drive(0.456f, 60, "driver_in_buggy_left");
    const gfx::PresentedFrame right = Drive(-0.456f, 120, "driver_in_buggy_right");
    windows->m_Settings.Detail = 1;
    const gfx::PresentedFrame rigid = Drive(0.0f, 1, "driver_in_buggy_rigid");

    // The driver adds a figure of its own to the buggy, in the middle of the picture.
    int column = 0;
    const int added = Changed(empty, seated, &column);
    EXPECT_GT(added, 600);
    EXPECT_GT(column, 256 / 4);
    EXPECT_LT(column, 256 * 3 / 4);
    EXPECT_EQ(empty.pixels[0] & 0xFFFFFF, kClear);
    int helmet = 0;
    for (size_t i = 0; i < seated.pixels.size(); ++i)
        helmet += Whitish(seated.pixels[i]) && !Whitish(empty.pixels[i]);
    EXPECT_GT(helmet, 40) << "the white helmet";
    // Leaning left and right moves the figure to different places.
    EXPECT_GT(Changed(left, right), 200);
    EXPECT_GT(Changed(seated, left), 100);
    // The rigid substitute sits in the same seat.
    int rigidColumn = 0;
    EXPECT_GT(Changed(empty, rigid, &rigidColumn), added / 2);
    EXPECT_NEAR(rigidColumn, column, 20);
}
// Near the camera at high detail the island's shading is laid over the
// racer: with a picture dark over the buggy's tail half and clear over its
// nose half, the tail darkens and the nose keeps its colour; a racer faded
// out completely gets the one-pass picture.
TEST_F(DriverInBuggyGlTest, TheIslandsShadingDarkensTheShadedPartOfANearRacer)
{
    const D3DXMATRIX& world = system.models[kModel]->mesh->m_World;
    const float scale = std::sqrt(world._11 * world._11 + world._12 * world._12 + world._13 * world._13);
    IDirect3DTexture9* shading = nullptr;
    ASSERT_EQ(g_device->CreateTexture(8, 8, 1, 0, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED, &shading, nullptr),
              D3D_OK);
    D3DLOCKED_RECT locked{};
    ASSERT_EQ(shading->LockRect(0, &locked, nullptr, 0), D3D_OK);
    for (int y = 0; y < 8; ++y)
        for (int x = 0; x < 8; ++x)
            static_cast<uint32_t*>(locked.pBits)[y * locked.Pitch / 4 + x] = x < 4 ? 0xFFFFFFFF : 0xFF303030;
    shading->UnlockRect(0);
    // u runs along the buggy's length: its nose (-x) in the clear half.
    D3DXMATRIX along;
    D3DXMatrixIdentity(&along);
    along._11 = 1.0f / (1400.0f * scale);
    along._41 = 0.5f;
    along._22 = 0.0f;
    along._32 = 1.0f / (1400.0f * scale);
    along._42 = 0.5f;
    g_landscape->m_ShadowTexture = shading;
    g_landscape->m_TextureMatrix0 = along;
    g_landscape->m_Created = 1;

    windows->m_Settings.Detail = 1;
    const gfx::PresentedFrame plain = Drive(0.0f, 1, "racer_unshaded", false);
    windows->m_Settings.Detail = 3;
    const gfx::PresentedFrame shaded = Drive(0.0f, 1, "racer_shaded", false);
    racer.contactLevel = 4;
    const gfx::PresentedFrame fadedOut = Drive(0.0f, 1, "racer_faded_out", false);

    g_landscape->m_Created = 0;
    g_landscape->m_ShadowTexture = nullptr;
    g_scene->ForgetTexture(shading);
    shading->Release();

    // Brightness summed over each half of the picture (the camera sees the nose on the left).
    auto halves = [](const gfx::PresentedFrame& frame, long* left, long* right)
    {
        *left = *right = 0;
        for (size_t i = 0; i < frame.pixels.size(); ++i)
        {
            const uint32_t p = frame.pixels[i];
            const long sum = long((p >> 16) & 0xFF) + long((p >> 8) & 0xFF) + long(p & 0xFF);
            (int(i % size_t(frame.width)) < frame.width / 2 ? *left : *right) += sum;
        }
    };
    long plainLeft, plainRight, shadedLeft, shadedRight;
    halves(plain, &plainLeft, &plainRight);
    halves(shaded, &shadedLeft, &shadedRight);
    EXPECT_LT(shadedRight, plainRight * 9 / 10) << "the tail half darkens";
    EXPECT_GT(shadedLeft, plainLeft * 9 / 10) << "the nose half keeps its colour";
    EXPECT_EQ(Changed(plain, fadedOut), 0);
}
} // namespace
