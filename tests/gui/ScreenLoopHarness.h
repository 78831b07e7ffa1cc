// The screen-loop harness: a whole menu front end on the null back-ends (an
// 800 x 600 game window, the engine with its device, input and 2D layer, a
// manual clock, a data folder of our own writing) and a scripted player. Each
// scripted frame sets the cursor, the mouse buttons, the held keys and the
// frame's milliseconds; it goes into the null input's script, so it is taken
// by the game's own QV7_Input::Poll whether the test runs the page loop pass
// by pass (RunPass) or calls a screen function that loops by itself (queue the
// frames and CloseAfterScript, then call the screen).
#pragma once

#include "gui/MenuFileLayout.h"
#include "shell/framegate/QV7_FrameGate.h"
#include "tests/shell/TestLog.h"

#include <functional>
#include <memory>
#include <string>
#include <vector>

class QV7_Engine;
class QV7_MenuManager;
class QV7_Windows;
namespace win
{
class ManualClock;
}

namespace screentest
{
// Compile IDs and font ids of the harness's own Textures1.qvx and Fonts.qvx.
constexpr int32_t kWhitePicture = 901;  // 64 x 32 opaque white
constexpr int32_t kRedPicture = 902;    // 64 x 32 opaque red
constexpr int32_t kGreenPicture = 903;  // 100 x 10 opaque green (progress bars)
constexpr int32_t kKnobPicture = 904;   // 20 x 20 opaque blue
constexpr int32_t kBackdrop = 905;      // 16 x 16 opaque grey, drawn over the page
constexpr int32_t kCursorPicture = 906; // 8 x 8 opaque yellow
constexpr int32_t kTrailPicture = 907;  // 4 x 4 opaque white
constexpr int32_t kBlockFont = 1;       // 8-pixel block font: 'A' and 'B' opaque blocks

struct ScriptedFrame
{
    float x = 400.0f;
    float y = 300.0f;
    bool left = false;
    bool right = false;
    // DirectInput scan codes held during the frame.
    std::vector<int> keys;
    // Milliseconds the clock moves on in this frame.
    uint32_t ms = 20;
};

// What one pass of the page loop gave.
struct PassResult
{
    FrameResult gate = FRAME_RENDER;
    // The clicked id, empty when RenderCurrentPage returned null.
    std::string clicked;
    bool anyClick = false;
};

class ScreenLoopHarness
{
  public:
    ScreenLoopHarness();
    ~ScreenLoopHarness();
    ScreenLoopHarness(const ScreenLoopHarness&) = delete;
    ScreenLoopHarness& operator=(const ScreenLoopHarness&) = delete;

    // The data folder (g_dataDir) the game reads.
    const std::string& DataDir() const { return m_Data.Path(); }
    // Writes the harness's Textures1.qvx and Fonts.qvx (the ids above).
    void WriteStandardPicturesAndFonts();
    // Writes Menu.qvx (for the settings' language) and Menu_c.qvx.
    void WriteMenus(const MenuFileRecord& menus, const std::vector<std::string>& strings = {"String 0"});
    // Both of the above and a menu manager over them, cursor on and page 0 current.
    QV7_MenuManager& StartMenus(const MenuFileRecord& menus);
    QV7_MenuManager* Menus() { return m_Menus.get(); }
    void StopMenus();

    // Called at the start of every scripted frame (at the game's keyboard
    // read), after the frame's input is set: screens that loop by themselves
    // are watched through it.
    void SetFrameObserver(std::function<void()> observer) { m_Observer = std::move(observer); }
    // Appends frames to the null input's script.
    void Queue(const ScriptedFrame& frame);
    void Queue(const std::vector<ScriptedFrame>& frames);
    // After the script (or at once), the window is closed as the player would:
    // the next pass handles the close and the following gate returns FRAME_QUIT.
    void CloseAfterScript();

    // One pass of the page loop contract on g_menuManager (the harness's own or
    // one the test made): PumpFrame, Poll, UpdateCurrentPage,
    // BeginFrame, RenderCurrentPage, fades (between render and EndFrame, inside
    // their own 2D bracket), EndFrame. Nothing is drawn when the gate says so.
    PassResult RunPass(const std::function<void()>& fades = {});
    // Queues one frame and runs its pass.
    PassResult Step(const ScriptedFrame& frame, const std::function<void()>& fades = {});
    // Every frame, one pass each; the clicked ids in order ("" for none).
    std::vector<std::string> Play(const std::vector<ScriptedFrame>& frames);

    bool Logged(const std::string& line) const { return m_Log.Contains(line); }
    std::vector<std::string> LogLines() const { return m_Log.Lines(); }
    win::ManualClock& Clock() { return *m_Clock; }
    QV7_Engine& Engine() { return *m_Engine; }
    QV7_Windows& Windows() { return *m_Windows; }

  private:
    TempDir m_Data;
    ScopedTestLogger m_Log;
    std::unique_ptr<win::ManualClock> m_Clock;
    std::unique_ptr<QV7_Windows> m_Windows;
    std::unique_ptr<QV7_Engine> m_Engine;
    std::unique_ptr<QV7_MenuManager> m_Menus;
    std::string m_SavedDataDir, m_SavedProgramDir;
    std::function<void()> m_Observer;
};

// A press then a release at one point: two frames.
std::vector<ScriptedFrame> ClickAt(float x, float y);
} // namespace screentest
