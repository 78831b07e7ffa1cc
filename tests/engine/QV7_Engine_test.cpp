// The engine device on the null back-end: adapter choice, present
// parameters, behaviour flags, reset rules, the order of loss handling, and
// the DirectX version probe and adapter table.
#include "engine/QV7_Engine.h"

#include "platform/gfx/SystemFiles.h"
#include "platform/gfx/null/NullGfx.h"
#include "platform/win/Backend.h"
#include "platform/win/Window.h"
#include "shell/QV7_Globals.h"
#include "shell/QV7_Logger.h"
#include "shell/QV7_Windows.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace
{
std::vector<std::string> s_log;
void Capture(const char* text) { s_log.emplace_back(text); }

bool Logged(const std::string& line) { return std::find(s_log.begin(), s_log.end(), line) != s_log.end(); }

// Writes its loss calls into the device record, so their order against the
// device's own calls can be checked.
class RecordingEngine : public QV7_Engine
{
  public:
    void OnLostReset(int lost) override
    {
        gfx::null::Calls().push_back("OnLostReset(" + std::to_string(lost) + ")");
        QV7_Engine::OnLostReset(lost);
    }
};

class EngineTest : public ::testing::Test
{
  protected:
    void SetUp() override
    {
        win::SetBackend(win::Backend::Null);
        gfx::null::ResetSettings();
        gfx::ResetSystemFiles();
        s_log.clear();
        QV7_Logger::SetConsoleEcho(&Capture);
        win::WindowDesc desc;
        desc.width = 800;
        desc.height = 600;
        window = win::Window::Create(desc, nullptr);
        ASSERT_TRUE(window);
    }
    void TearDown() override
    {
        engine.reset();
        EXPECT_EQ(g_engine, nullptr);
        EXPECT_EQ(g_device, nullptr);
        QV7_Logger::SetConsoleEcho(nullptr);
        gfx::null::ResetSettings();
        gfx::ResetSystemFiles();
    }
    void Make()
    {
        engine = std::make_unique<RecordingEngine>();
        engine->m_Window = window.get();
        engine->m_FullScreen = 0;
    }
    // The present parameters of the last CreateDevice or Reset in the record.
    std::string LastCall(const std::string& prefix)
    {
        const auto& calls = gfx::null::Calls();
        for (auto it = calls.rbegin(); it != calls.rend(); ++it)
            if (it->rfind(prefix, 0) == 0)
                return *it;
        return "";
    }
    std::unique_ptr<win::Window> window;
    std::unique_ptr<QV7_Engine> engine;
};

TEST_F(EngineTest, CreatesWindowedDeviceAndPublishesGlobals)
{
    Make();
    EXPECT_TRUE(Logged("INFO: DirectX 9.0 installed"));
    EXPECT_EQ(g_engine, engine.get());
    ASSERT_EQ(engine->Initialize(0), 1);
    EXPECT_EQ(g_device, engine->m_Device);
    EXPECT_TRUE(Logged("INFO: 1 3D Device(s) Found"));
    EXPECT_TRUE(Logged("INFO: Device: Null Graphics Adapter [qv7null.drv] "));
    EXPECT_TRUE(Logged("INFO: Initialize: WINDOWED HWND(" + std::to_string(WindowHandleNumber(window.get())) +
                       ") FORMAT(22)"));
    EXPECT_TRUE(Logged("INFO: Engine Initialize/Reset: DONE"));
    // Hardware, pure and multithreaded: 0x40 | 0x10 | 0x4; the window's client size, windowed.
    EXPECT_EQ(LastCall("CreateDevice("), "CreateDevice(0,1,84,800,600,22,1,0)");
    EXPECT_EQ(LastCall("SetViewport("), "SetViewport(0,0,800,600,0,1)");
    EXPECT_EQ(engine->m_PresentParameters.AutoDepthStencilFormat, D3DFMT_D24S8);
    EXPECT_EQ(engine->m_PresentParameters.PresentationInterval, UINT(D3DPRESENT_INTERVAL_IMMEDIATE));
    EXPECT_EQ(engine->m_HighestMultisample, 8);
    EXPECT_FALSE(QV7_Windows::s_EngineIsFullScreen());
}

TEST_F(EngineTest, AdapterOutOfRangeFallsBackToTheFirst)
{
    for (int adapter : {3, -1})
    {
        s_log.clear();
        Make();
        engine->m_Adapter = adapter;
        ASSERT_EQ(engine->Initialize(0), 1);
        EXPECT_TRUE(Logged("INFO: Selected Adapter incompatible, reset to default.")) << adapter;
        EXPECT_EQ(engine->m_Adapter, 0);
        EXPECT_EQ(LastCall("CreateDevice(").rfind("CreateDevice(0,", 0), 0u);
        engine.reset();
    }
}

TEST_F(EngineTest, FullScreenFormatFollowsColourDepth)
{
    struct Case
    {
        int depth;
        D3DFORMAT expected;
    };
    // The desktop is 16-bit here, so "the desktop format" is told apart from X8R8G8B8.
    gfx::null::AdapterOptions options;
    options.desktop = {1280, 1024, 60, D3DFMT_R5G6B5};
    gfx::null::Settings().adapters = {gfx::null::MakeAdapter(options)};
    for (const Case& c : {Case{32, D3DFMT_X8R8G8B8}, Case{16, D3DFMT_R5G6B5}, Case{24, D3DFMT_R5G6B5}})
    {
        Make();
        engine->m_ColourDepth = c.depth;
        ASSERT_EQ(engine->Initialize(0), 1);
        engine->m_FullScreen = 1;
        engine->m_FullScreenWidth = 1024;
        engine->m_FullScreenHeight = 768;
        ASSERT_EQ(engine->Initialize(1), 1);
        EXPECT_EQ(engine->m_PresentParameters.BackBufferFormat, c.expected) << "depth " << c.depth;
        EXPECT_EQ(engine->m_PresentParameters.Windowed, FALSE);
        EXPECT_EQ(engine->m_PresentParameters.BackBufferWidth, 1024u);
        EXPECT_TRUE(QV7_Windows::s_EngineIsFullScreen());
        engine.reset();
    }
}

TEST_F(EngineTest, NoHardwareTransformGivesMixedProcessingAndNoPureDevice)
{
    gfx::null::AdapterOptions options;
    options.hardwareTnL = false;
    options.pureDevice = true;
    options.vertexShaderMajor = 0;
    options.pixelShaderMajor = 2;
    gfx::null::Settings().adapters = {gfx::null::MakeAdapter(options)};
    Make();
    ASSERT_EQ(engine->Initialize(0), 1);
    EXPECT_TRUE(Logged("INFO: Hardware Vertex Processing NOT Supported; switching to MIXED Vertex Processing"));
    EXPECT_TRUE(Logged("INFO: Vertex Shaders NOT supported"));
    EXPECT_TRUE(Logged("INFO: Pixel Shaders Supported; version: 2.0"));
    // Mixed and multithreaded only: 0x80 | 0x4.
    EXPECT_EQ(LastCall("CreateDevice(").rfind("CreateDevice(0,1,132,", 0), 0u);
}

TEST_F(EngineTest, MultisampleWishAndHighestProbe)
{
    gfx::null::AdapterOptions options;
    options.maxMultiSample = 2;
    gfx::null::Settings().adapters = {gfx::null::MakeAdapter(options)};
    Make();
    engine->m_MultisampleWish = 4; // refused: no multisampling
    ASSERT_EQ(engine->Initialize(0), 1);
    EXPECT_EQ(engine->m_HighestMultisample, 2);
    EXPECT_EQ(engine->m_PresentParameters.MultiSampleType, D3DMULTISAMPLE_NONE);
    engine->m_MultisampleWish = 2;
    ASSERT_EQ(engine->Initialize(1), 1);
    EXPECT_EQ(engine->m_PresentParameters.MultiSampleType, D3DMULTISAMPLE_2_SAMPLES);
}

TEST_F(EngineTest, ResetWithoutDeviceCreatesItWithAWarning)
{
    Make();
    EXPECT_EQ(engine->TestCooperativeLevel(), D3DERR_DEVICENOTRESET);
    ASSERT_EQ(engine->Initialize(1), 1);
    EXPECT_TRUE(Logged("WARN: Wrong Argument QV7_Engine::Initialize 'ResetDevice' should be FALSE, Device NOT "
                       "created (Auto Fixed)"));
    EXPECT_EQ(gfx::null::CountCalls("CreateDevice("), 1u);
    EXPECT_EQ(gfx::null::CountCalls("Reset("), 0u);
    EXPECT_EQ(gfx::null::CountCalls("OnLostReset("), 0u);
    EXPECT_NE(g_device, nullptr);
}

TEST_F(EngineTest, ResetReleasesBeforeAndRecreatesAfterTheDeviceReset)
{
    Make();
    ASSERT_EQ(engine->Initialize(0), 1);
    gfx::null::ClearCalls();
    ASSERT_EQ(engine->Initialize(1), 1);
    EXPECT_TRUE(Logged("INFO: Resize: WINDOWED HWND(" + std::to_string(WindowHandleNumber(window.get())) +
                       ") FORMAT(22)"));
    const int release = gfx::null::FindCall("OnLostReset(1)");
    const int reset = gfx::null::FindCall("Reset(");
    const int viewport = gfx::null::FindCall("SetViewport(");
    const int recreate = gfx::null::FindCall("OnLostReset(0)");
    ASSERT_GE(release, 0);
    EXPECT_LT(release, reset);
    EXPECT_LT(reset, viewport);
    EXPECT_LT(viewport, recreate);
    EXPECT_EQ(gfx::null::CountCalls("CreateDevice("), 0u);
}

TEST_F(EngineTest, FailedResetReportsFailureAndALaterResetRecovers)
{
    Make();
    ASSERT_EQ(engine->Initialize(0), 1);
    gfx::ForceDeviceLoss(g_device, gfx::DeviceLoss::NotReset);
    gfx::null::Settings().failReset = true;
    gfx::null::ClearCalls();
    EXPECT_EQ(engine->Initialize(1), 0);
    EXPECT_TRUE(Logged("INFO: Reset Device: The DX 3D Device FAILED"));
    EXPECT_EQ(gfx::null::CountCalls("OnLostReset(0)"), 0u);
    EXPECT_EQ(engine->TestCooperativeLevel(), D3DERR_DEVICENOTRESET);
    gfx::null::Settings().failReset = false;
    EXPECT_EQ(engine->Initialize(1), 1);
    EXPECT_EQ(engine->TestCooperativeLevel(), D3D_OK);
}

TEST_F(EngineTest, FailuresOfCreationAndOfTheDirect3DObject)
{
    gfx::null::Settings().failCreateDevice = true;
    Make();
    EXPECT_EQ(engine->Initialize(0), 0);
    EXPECT_TRUE(Logged("ERROR Initialize: Creating the DX 3D Device FAILED"));
    EXPECT_EQ(g_device, nullptr);
    engine.reset();

    gfx::null::Settings().failDirect3DCreate = true;
    auto failed = std::make_unique<QV7_Engine>();
    EXPECT_EQ(failed->m_Failed, 1);
    EXPECT_TRUE(Logged("ERROR: FAILED to init Direct3DCreate9"));
}

TEST_F(EngineTest, FatalErrorsThrow)
{
    gfx::null::Settings().failDisplayMode = true;
    EXPECT_THROW(QV7_Engine(), CDException);
    EXPECT_TRUE(Logged("ERROR: Initialize Windowed: Getting current desktop display mode FAILED"));
    EXPECT_EQ(g_engine, nullptr);
    gfx::null::Settings().failDisplayMode = false;

    Make();
    gfx::null::Settings().failSetViewport = true;
    EXPECT_THROW(engine->Initialize(0), CDException);
    EXPECT_TRUE(Logged("ERROR: Setting View Port FAILED"));
}

TEST(DirectXVersion, TableOfSystemFiles)
{
    using gfx::PackFileVersion;
    struct Case
    {
        gfx::SystemFiles files;
        const char* text;
        DWORD packed;
    };
    const Case cases[] = {
        {gfx::SystemFiles{}, "9.0", 0x090000},
        {{true, {{"ddraw.dll", PackFileVersion(4, 6, 0, 400)}}}, "6.0", 0x060000},
        {{true, {{"ddraw.dll", PackFileVersion(4, 6, 0, 436)}, {"dplayx.dll", PackFileVersion(4, 6, 3, 518)}}},
         "6.1a", 0x060101},
        {{true, {{"ddraw.dll", PackFileVersion(5, 1, 2258, 400)}, {"d3d8.dll", PackFileVersion(5, 1, 2600, 881)},
                 {"mpg2splt.ax", PackFileVersion(6, 3, 1, 885)}}},
         "8.1b", 0x080102},
        // A 5.x ddraw below 5.1.2258.400 is not 8.0, though it beats every 4.x test.
        {{true, {{"ddraw.dll", PackFileVersion(5, 0, 0, 0)}}}, "7.0", 0x070000},
        {{true, {{"ddraw.dll", PackFileVersion(4, 2, 0, 95)}, {"d3d9.dll", PackFileVersion(1, 0, 0, 0)}}}, "9.0",
         0x090000},
        {{false, {{"d3d9.dll", PackFileVersion(9, 0, 0, 0)}}}, "0.0", 0},
        {{true, {}}, "0.0", 0},
    };
    for (const Case& c : cases)
    {
        gfx::SetSystemFiles(c.files);
        DWORD packed = 99;
        char text[16] = {};
        EXPECT_EQ(GetDirectXVersion(&packed, text, sizeof text), 0);
        EXPECT_STREQ(text, c.text);
        EXPECT_EQ(packed, c.packed) << c.text;
    }
    gfx::ResetSystemFiles();
}

TEST(AdapterInfo, ListsX8R8G8B8ModesAndGuardsIndices)
{
    win::SetBackend(win::Backend::Null);
    gfx::null::ResetSettings();
    gfx::null::AdapterOptions sixteenBitOnly;
    sixteenBitOnly.modes = {{640, 480, 60, D3DFMT_R5G6B5}};
    gfx::null::Settings().adapters = {gfx::null::MakeAdapter(), gfx::null::MakeAdapter(sixteenBitOnly)};
    IDirect3D9* d3d = Direct3DCreate9(D3D_SDK_VERSION);
    {
        QV7_AdapterInfo info(d3d);
        EXPECT_EQ(g_adapterInfo, &info);
        EXPECT_EQ(info.m_Count, 2);
        EXPECT_EQ(info.GetModeCount(0), 3);
        EXPECT_EQ(info.GetMode(0, 2)->Width, 1024u);
        EXPECT_EQ(info.GetModeCount(1), 0);
        EXPECT_TRUE(info.m_Records[1].modes.empty());
        EXPECT_EQ(info.GetModeCount(5), 0);
        EXPECT_EQ(info.GetMode(0, 3), nullptr);
        EXPECT_EQ(info.GetCaps(7)->DevCaps, 0u);
        EXPECT_EQ(info.PixelShaderMajorVersion(0), 3);
        EXPECT_STREQ(info.GetDescription(0), "Null Graphics Adapter");
    }
    EXPECT_EQ(g_adapterInfo, nullptr);
    d3d->Release();
    gfx::null::ResetSettings();
}
} // namespace
