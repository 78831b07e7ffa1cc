// The brackets of every drawn frame and the frame clock. This first version
// clears, begins and ends the scene and presents; the FPS text, the console and
// the screenshot file come with the texture font.
#pragma once

#include <cstdint>
#include <string>

class QV7_FrameManager
{
  public:
    QV7_FrameManager();
    ~QV7_FrameManager();

    void BeginFrame();
    void EndFrame();
    // Writes the last presented frame as a picture file; false when it could not.
    bool SaveScreenToFile(const std::string& path);

    // Milliseconds of the last frame.
    float m_LastFrameMs = 0.0f;

  private:
    uint32_t m_LastFrameStart = 0;
};

extern QV7_FrameManager* g_frameManager;
