// The brackets of every drawn frame (g_frameManager): BeginFrame clears and
// begins the scene; EndFrame runs the debug console, measures the frame time
// every animation uses, counts and shows the frames per second, ends the scene
// and presents. It owns the engine's two texture fonts (the counter's and the
// console's) and writes screenshots as 24-bit BMP files.
#pragma once

#include "engine/QV7_DebugConsole.h"
#include "engine/QV7_TextureFont.h"
#include "platform/gfx/D3D9.h"

#include <cstdint>
#include <memory>
#include <string>

class QV7_FrameManager
{
  public:
    QV7_FrameManager();
    ~QV7_FrameManager();

    // 0, or -1 when the scene could not begin.
    int BeginFrame();
    // The presentation's result, or the reset's when the device asked for one.
    HRESULT EndFrame();
    // 1 destroys both fonts, 0 makes them again.
    void OnLostReset(int lost);
    // Writes the last presented frame (the back buffer's size) as a BMP file;
    // false, with a log line, when a step failed.
    bool SaveScreenToFile(const std::string& path);

    D3DCOLOR m_ClearColour = 0;
    int m_ShowFps = 0;
    std::unique_ptr<QV7_TextureFont> m_FpsFont;
    std::unique_ptr<QV7_TextureFont> m_ConsoleFont;
    int m_Fps = 0;
    uint32_t m_LastFpsUpdate = 0;
    // Milliseconds the last frame took: the time base of every animation.
    float m_LastFrameMs = 0.0f;
    float m_LastTime = 0.0f;
    int m_FrameCounter = 0;
    char m_FpsText[32] = "Loading FPS";
    QV7_DebugConsole m_Console;

  private:
    // Milliseconds since construction, from the performance counter.
    float Now() const;
    void MeasureFrame();
    void CreateFonts();
    int64_t m_CounterBase = 0;
    int64_t m_Frequency = 0;
    bool m_UseTimeGetTime = false;
    uint32_t m_TimeBase = 0;
};

// A 24-bit bottom-up BMP of a top-down A8R8G8B8 picture (rows pitchBytes
// apart). Logs the Direct3D-era lines on failure and writes nothing then.
bool SaveBitmap24(const std::string& path, const uint8_t* pixels, int width, int height, int pitchBytes);

extern QV7_FrameManager* g_frameManager;
