// The frame every in-race page shares, and the page set-up helpers: the
// frozen race picture drawn full screen under the page, the device-reset
// redraw, the page centred or moved, and the controls found by id.
#pragma once

#include "shell/framegate/QV7_FrameGate.h"

class MenuPage;
class QV7_MapSystem;
class QV7_Menu_hWnd;

namespace racemenu
{
struct ScreenSize
{
    int width = 800;
    int height = 600;
};
// The back buffer's size (800 x 600 without an engine).
ScreenSize Screen();
bool KeyDown(int code);
bool AnyMouseButtonDown();
// The frame time the fades advance by.
float FrameMs();

// One update and render of the race without HUD into the pause surface.
void FreezePicture(QV7_MapSystem& session);

struct MenuFrame
{
    FrameResult gate = FRAME_RENDER;
    const char* clicked = nullptr;
    bool Drawn() const { return gate != FRAME_SKIP && gate != FRAME_QUIT; }
};
// Gate, input poll, the redraw of the frozen picture after a device reset,
// then the frozen picture, the page (none for a null id) and what drawOver
// adds. The clicked id comes back for a drawn frame.
MenuFrame RunMenuFrame(QV7_MapSystem& session, const char* page, void (*drawOver)(void*) = nullptr,
                       void* context = nullptr);

// Makes the page current with the cursor on and every control at its design
// rectangle moved by (dx, dy); null when the menu data has no such page.
MenuPage* OpenPage(const char* id, int dx, int dy);
// A control of the current page; one the menu data lacks is logged once per
// page and id, and the caller skips what it would have done with it.
QV7_Menu_hWnd* FindControl(const char* page, const char* id, int type);
bool Is(const char* clicked, const char* id);
} // namespace racemenu

namespace racemenu
{
// A volume slider: the knob's centre (pixels from the left edge) for a
// volume 0-100 and back, the track being the width less one knob.
int KnobForVolume(int volume, int left, int right, int knobWidth);
int VolumeForKnob(int knob, int left, int right, int knobWidth);
// The bound code a capture takes this frame: a key (Escape cancels: -2),
// else with a controller selected its hat, axis (for the first key only on
// the rows of the driving actions) and button; -1 while nothing is pressed.
int CapturedCode(int row, int column);
} // namespace racemenu
