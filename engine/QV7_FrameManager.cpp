// Frame brackets, frame clock, FPS text and screenshots.
#include "engine/QV7_FrameManager.h"

#include "engine/QV7_Engine.h"
#include "platform/io/BinaryWriter.h"
#include "platform/win/Clock.h"
#include "shell/QV7_Logger.h"
#include "shell/QV7_Windows.h"

#include <cstdio>
#include <new>
#include <vector>

QV7_FrameManager* g_frameManager = nullptr;

namespace
{
// The shortest frame time reported, so that no animation divides by zero.
constexpr float kShortestFrameMs = 0.001f;
} // namespace

QV7_FrameManager::QV7_FrameManager()
{
    g_frameManager = this;
    m_Console.Init();
    g_debugConsole = &m_Console;
    // Log lines reach the console unless someone else already listens.
    if (!QV7_Logger::GetConsoleEcho())
        QV7_Logger::SetConsoleEcho(&EchoToDebugConsole);
    m_ShowFps = g_windowsData ? g_windowsData->m_Settings.Debug : 0;
    m_FpsFont = std::make_unique<QV7_TextureFont>("Arial", 10, 0);
    m_ConsoleFont = std::make_unique<QV7_TextureFont>("Courier New", 8, 0);
    CreateFonts();
    // The clock's base is taken now, so the first frame time is positive.
    m_Frequency = win::QueryPerformanceFrequency();
    m_CounterBase = win::QueryPerformanceCounter();
    if (m_Frequency <= 0)
    {
        QV7_Logger::Log(g_logger, "WARNING: No QueryPerformanceCounter supported on this system, selecting: "
                                  "timeGetTime().");
        m_UseTimeGetTime = true;
        m_TimeBase = win::timeGetTime();
    }
    MeasureFrame();
}

QV7_FrameManager::~QV7_FrameManager()
{
    if (g_frameManager == this)
        g_frameManager = nullptr;
    if (g_debugConsole == &m_Console)
        g_debugConsole = nullptr;
    if (QV7_Logger::GetConsoleEcho() == &EchoToDebugConsole)
        QV7_Logger::SetConsoleEcho(nullptr);
}

void QV7_FrameManager::CreateFonts()
{
    m_FpsFont->Create(g_device);
    m_ConsoleFont->Create(g_device);
}

void QV7_FrameManager::OnLostReset(int lost)
{
    if (lost == 1)
    {
        m_FpsFont->Destroy();
        m_ConsoleFont->Destroy();
    }
    else
        CreateFonts();
}

float QV7_FrameManager::Now() const
{
    if (m_UseTimeGetTime)
        return float(win::timeGetTime() - m_TimeBase);
    return float(double(win::QueryPerformanceCounter() - m_CounterBase) * 1000.0 / double(m_Frequency));
}

void QV7_FrameManager::MeasureFrame()
{
    const float now = Now();
    m_LastFrameMs = now - m_LastTime;
    if (m_LastFrameMs < kShortestFrameMs)
        m_LastFrameMs = kShortestFrameMs;
    m_LastTime = now;
    if (now >= float(m_LastFpsUpdate) + 1000.0f)
    {
        m_Fps = m_FrameCounter;
        m_FrameCounter = 0;
        m_LastFpsUpdate = uint32_t(now);
        if (m_ShowFps)
            std::snprintf(m_FpsText, sizeof m_FpsText, "%d FPS", m_Fps);
    }
}

int QV7_FrameManager::BeginFrame()
{
    if (!g_device)
        return -1;
    g_device->Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER | D3DCLEAR_STENCIL, m_ClearColour, 1.0f,
                    0);
    return FAILED(g_device->BeginScene()) ? -1 : 0;
}

HRESULT QV7_FrameManager::EndFrame()
{
    m_Console.Update();
    ++m_FrameCounter;
    MeasureFrame();
    if (!g_device)
        return D3DERR_INVALIDCALL;
    if (m_ShowFps)
    {
        D3DVIEWPORT9 viewport{};
        g_device->GetViewport(&viewport);
        if (m_Console.m_Open)
            m_FpsFont->DrawText(float(viewport.Width) - 100.0f, 5.0f, 0xFFFF0000, m_FpsText);
        else
            m_FpsFont->DrawText(5.0f, 5.0f, 0xFFFF0000, m_FpsText);
    }
    g_device->EndScene();
    const HRESULT result = g_device->Present(nullptr, nullptr, nullptr, nullptr);
    if (result == D3DERR_DEVICENOTRESET && g_engine)
        return g_engine->Initialize(1) ? D3D_OK : D3DERR_DEVICENOTRESET;
    return result;
}

bool SaveBitmap24(const std::string& path, const uint8_t* pixels, int width, int height, int pitchBytes)
{
    const size_t rowBytes = (size_t(width) * 3 + 3) & ~size_t(3);
    std::vector<uint8_t> bits;
    try
    {
        bits.assign(rowBytes * size_t(height), 0);
    }
    catch (const std::bad_alloc&)
    {
        QV7_Logger::Log(g_logger,
                        "SCENE: Save Frame To File, Could not allocate memory for bitmap bits FAILED");
        return false;
    }
    // Bottom-up rows of blue, green, red.
    for (int y = 0; y < height; ++y)
    {
        const uint8_t* source = pixels + size_t(height - 1 - y) * size_t(pitchBytes);
        uint8_t* row = bits.data() + size_t(y) * rowBytes;
        for (int x = 0; x < width; ++x)
        {
            row[x * 3 + 0] = source[x * 4 + 0];
            row[x * 3 + 1] = source[x * 4 + 1];
            row[x * 3 + 2] = source[x * 4 + 2];
        }
    }
    BinaryWriter header;
    header.WriteBytes("BM", 2);
    header.WriteUInt32(uint32_t(54 + bits.size()));
    header.WriteUInt32(0);
    header.WriteUInt32(54);
    header.WriteUInt32(40);
    header.WriteInt32(width);
    header.WriteInt32(height);
    header.WriteUInt16(1);
    header.WriteUInt16(24);
    header.WriteUInt32(0);
    header.WriteUInt32(uint32_t(bits.size()));
    for (int i = 0; i < 4; ++i)
        header.WriteUInt32(0);
    std::FILE* file = std::fopen(path.c_str(), "wb");
    if (!file)
    {
        QV7_Logger::Log(g_logger, "SCENE: Save Frame To File, File could not be created");
        return false;
    }
    bool ok = std::fwrite(header.Bytes().data(), 1, header.Bytes().size(), file) == header.Bytes().size();
    ok = ok && std::fwrite(bits.data(), 1, bits.size(), file) == bits.size();
    ok = std::fclose(file) == 0 && ok;
    if (!ok)
        QV7_Logger::Log(g_logger, "SCENE: Save Frame To File, Write Error");
    return ok;
}

bool QV7_FrameManager::SaveScreenToFile(const std::string& path)
{
    // The picture is the last presented frame at the back buffer's size.
    gfx::PresentedFrame frame;
    IDirect3DSurface9* surface = nullptr;
    if (!g_device || !gfx::ReadPresentedFrame(g_device, frame) ||
        FAILED(g_device->CreateOffscreenPlainSurface(UINT(frame.width), UINT(frame.height), D3DFMT_A8R8G8B8,
                                                     D3DPOOL_SYSTEMMEM, &surface, nullptr)))
    {
        QV7_Logger::Log(g_logger, "ERROR: Save Screen To File, Create Image Surface FAILED");
        return false;
    }
    if (FAILED(g_device->GetFrontBufferData(0, surface)))
    {
        QV7_Logger::Log(g_logger, "ERROR: Save Screen To File, Get Front Buffer FAILED");
        surface->Release();
        return false;
    }
    D3DLOCKED_RECT locked{};
    if (FAILED(surface->LockRect(&locked, nullptr, D3DLOCK_READONLY)))
    {
        QV7_Logger::Log(g_logger, "SCENE: Save Frame To File, LockRect failed FAILED");
        surface->Release();
        return false;
    }
    const bool saved = SaveBitmap24(path, static_cast<const uint8_t*>(locked.pBits), frame.width,
                                    frame.height, locked.Pitch);
    surface->UnlockRect();
    surface->Release();
    return saved;
}
