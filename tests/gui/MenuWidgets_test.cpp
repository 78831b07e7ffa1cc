// The simple controls' input rules, driven through the page loop of the
// screen-loop harness: focus and the no-focus flag, check and option boxes,
// slider drags (reported when they end) and the music-volume slider, hidden
// controls, and the picture's 3D draw callback with its projection.
#include "gui/QV7_MenuManager.h"
#include "gui/QV7_Menu_Button.h"
#include "gui/QV7_Menu_CheckBox.h"
#include "gui/QV7_Menu_OptionBox.h"
#include "gui/QV7_Menu_Picture.h"
#include "gui/QV7_Menu_Slider.h"
#include "shell/QV7_Windows.h"
#include "tests/gui/ScreenLoopHarness.h"
#include "tools/writers/MenuFileWriter.h"

#include <gtest/gtest.h>

#include <cmath>

using namespace screentest;
using namespace menufile;

namespace
{
ScriptedFrame At(float x, float y, bool left)
{
    ScriptedFrame f;
    f.x = x;
    f.y = y;
    f.left = left;
    return f;
}

MenuFileRecord WidgetPage()
{
    MenuFileRecord file;
    file.textureIds = {kWhitePicture, kKnobPicture, kCursorPicture, kTrailPicture};
    file.fontIds = {kBlockFont};
    file.cursorId = kCursorPicture;
    file.trailId = kTrailPicture;
    MenuPageRecord page = Page("ID_WIDGETS", 0, 0);
    page.controls.push_back(Button("IDBUTTON", 0, 0, 100, 50, kWhitePicture));
    page.controls.push_back(Check("IDCHECK", 0, 60, 40, 100, kKnobPicture, 0));
    page.controls.push_back(Option("IDOPT1", 50, 60, 90, 100, kKnobPicture, 1));
    page.controls.push_back(Option("IDOPT2", 100, 60, 140, 100, kKnobPicture, 0));
    page.controls.push_back(Option("IDOTHERGROUP", 150, 60, 190, 100, kKnobPicture, 1));
    page.controls.push_back(Slider("IDSLIDER", 100, 200, 300, 220, kKnobPicture, 20, 20));
    page.controls.push_back(Slider("IDHWND5467", 100, 300, 300, 320, kKnobPicture, 20, 20));
    MenuControlRecord vertical = Slider("IDVSLIDER", 400, 100, 420, 300, kKnobPicture, 20, 20);
    vertical.flag = 1;
    page.controls.push_back(vertical);
    page.controls.push_back(Picture("IDPICTURE", 400, 300, 600, 450, kWhitePicture));
    file.pages.push_back(page);
    return file;
}

template <typename T> T* Find(QV7_MenuManager& menus, const char* id, int type)
{
    return static_cast<T*>(menus.FindControl(id, type));
}
} // namespace

TEST(MenuWidgets, ClickTakesFocusAndCaptureUnlessNoFocus)
{
    ScreenLoopHarness h;
    QV7_MenuManager& menus = h.StartMenus(WidgetPage());
    auto* button = Find<QV7_Menu_Button>(menus, "IDBUTTON", kMenuButton);
    EXPECT_EQ(h.Play({At(50, 25, false), At(50, 25, true)})[1], "IDBUTTON");
    EXPECT_EQ(menus.m_Pages[0]->m_Focused, button);
    EXPECT_EQ(g_capturedWidget, button);
    h.Step(At(50, 25, false));
    EXPECT_EQ(g_capturedWidget, nullptr);           // capture ends with the button up
    EXPECT_EQ(menus.m_Pages[0]->m_Focused, button); // focus stays

    // With the no-focus flag a slider reports its click but takes neither focus nor the drag.
    auto* slider = Find<QV7_Menu_Slider>(menus, "IDSLIDER", kMenuSlider);
    slider->m_NoFocus = 1;
    EXPECT_EQ(h.Step(At(200, 210, true)).clicked, "IDSLIDER");
    EXPECT_EQ(menus.m_Pages[0]->m_Focused, button);
    EXPECT_EQ(g_capturedWidget, nullptr);
    h.Step(At(250, 210, true));
    EXPECT_EQ(slider->m_Position, 10);
    EXPECT_EQ(slider->m_Dragging, 0);
}

TEST(MenuWidgets, CheckTogglesAndOptionClearsEveryOptionOfThePage)
{
    ScreenLoopHarness h;
    QV7_MenuManager& menus = h.StartMenus(WidgetPage());
    auto* check = Find<QV7_Menu_Check>(menus, "IDCHECK", kMenuCheck);
    h.Play(ClickAt(20, 80));
    EXPECT_EQ(check->m_Checked, 1);
    h.Play(ClickAt(20, 80));
    EXPECT_EQ(check->m_Checked, 0);

    auto* opt1 = Find<QV7_Menu_Option>(menus, "IDOPT1", kMenuOption);
    auto* opt2 = Find<QV7_Menu_Option>(menus, "IDOPT2", kMenuOption);
    auto* other = Find<QV7_Menu_Option>(menus, "IDOTHERGROUP", kMenuOption);
    const std::vector<std::string> clicks = h.Play(ClickAt(120, 80));
    EXPECT_EQ(clicks[0], "IDOPT2");
    EXPECT_EQ(opt1->m_Checked, 0);
    EXPECT_EQ(opt2->m_Checked, 1);
    EXPECT_EQ(other->m_Checked, 0); // the page is one group
    opt1->Select();
    EXPECT_EQ(opt1->m_Checked, 1);
    EXPECT_EQ(opt2->m_Checked, 0);
}

TEST(MenuWidgets, SliderDragsWithinItsRangeAndReportsWhenTheDragEnds)
{
    ScreenLoopHarness h;
    QV7_MenuManager& menus = h.StartMenus(WidgetPage());
    auto* slider = Find<QV7_Menu_Slider>(menus, "IDSLIDER", kMenuSlider);
    // Press on the slider: the click itself reports; then the drag is silent
    // until the capture ends, which the render of the release frame does, so
    // the drag end is reported one frame after the release.
    const std::vector<std::string> clicks =
        h.Play({At(150, 210, false), At(150, 210, true), At(160, 210, true), At(20, 210, true),
                At(20, 210, true), At(700, 215, true), At(250, 230, true), At(250, 230, false),
                At(250, 230, false), At(250, 230, false)});
    EXPECT_EQ(clicks, (std::vector<std::string>{"", "IDSLIDER", "", "", "", "", "", "", "IDSLIDER", ""}));
    EXPECT_EQ(slider->m_Position, 150);
    EXPECT_EQ(slider->m_Dragging, 0);

    // The ends of a 200-wide slider with a 20-pixel knob are 10 and 190.
    h.Play({At(150, 210, true), At(0, 210, true)});
    EXPECT_EQ(slider->m_Position, 10);
    h.Play({At(799, 210, true), At(799, 210, false)});
    EXPECT_EQ(slider->m_Position, 190);

    // Vertical: from the top edge, within half the knob of each end.
    auto* vertical = Find<QV7_Menu_Slider>(menus, "IDVSLIDER", kMenuSlider);
    h.Play({At(410, 150, true), At(410, 160, true)});
    EXPECT_EQ(vertical->m_Position, 60);
    h.Play({At(410, 599, true), At(410, 599, false)});
    EXPECT_EQ(vertical->m_Position, 190);
}

TEST(MenuWidgets, HiddenSliderTakesNoClickButStillReportsItsDragEnd)
{
    ScreenLoopHarness h;
    QV7_MenuManager& menus = h.StartMenus(WidgetPage());
    auto* slider = Find<QV7_Menu_Slider>(menus, "IDSLIDER", kMenuSlider);
    h.Play({At(150, 210, true), At(170, 210, true)});
    EXPECT_EQ(slider->m_Dragging, 1);
    slider->m_Visible = 0;
    EXPECT_EQ(h.Play({At(170, 210, false), At(170, 210, false)})[1], "IDSLIDER");
    EXPECT_EQ(h.Play({At(150, 210, false), At(150, 210, true)})[1], "");
}

TEST(MenuWidgets, MusicSliderSetsTheMusicVolumeWhileDragged)
{
    ScreenLoopHarness h;
    QV7_MenuManager& menus = h.StartMenus(WidgetPage());
    h.Play({At(150, 310, true), At(190, 310, true)});
    // Position 90 of the range 10..190: 44 percent.
    EXPECT_EQ(Find<QV7_Menu_Slider>(menus, "IDHWND5467", kMenuSlider)->m_Position, 90);
    EXPECT_EQ(h.Windows().m_Settings.MusicVolume, 44);
    h.Play({At(0, 310, true), At(0, 310, false)});
    EXPECT_EQ(h.Windows().m_Settings.MusicVolume, 0);
    // Other sliders leave the setting alone.
    h.Play({At(150, 210, true), At(250, 210, true), At(250, 210, false)});
    EXPECT_EQ(h.Windows().m_Settings.MusicVolume, 0);
}

namespace
{
int s_callbackCalls = 0;
const char* s_callbackId = nullptr;
QV7_Menu_Picture* s_callbackControl = nullptr;
void CountingCallback(const char* id, QV7_Menu_Picture* control)
{
    ++s_callbackCalls;
    s_callbackId = id;
    s_callbackControl = control;
}
} // namespace

TEST(MenuWidgets, PictureCallsItsDrawCallbackWithTheOffCentreProjection)
{
    ScreenLoopHarness h;
    QV7_MenuManager& menus = h.StartMenus(WidgetPage());
    auto* picture = Find<QV7_Menu_Picture>(menus, "IDPICTURE", kMenuPicture);
    picture->m_DrawCallback = &CountingCallback;
    s_callbackCalls = 0;
    h.Play({At(0, 0, false), At(0, 0, false)});
    EXPECT_EQ(s_callbackCalls, 2);
    EXPECT_EQ(s_callbackControl, picture);
    EXPECT_STREQ(s_callbackId, "IDPICTURE");
    // (400, 300)-(600, 450): s = 2, gx = 0.5, m = 1.5, gy = 0.375, so the
    // view spans x -2.5..1.5 and y -1.125..1.875 at the near plane 1.
    const D3DXMATRIX& p = picture->m_Projection;
    EXPECT_NEAR(p._11, 2.0f / 4.0f, 1e-6);
    EXPECT_NEAR(p._22, 2.0f / 3.0f, 1e-6);
    EXPECT_NEAR(p._31, (-2.5f + 1.5f) / (-2.5f - 1.5f), 1e-6);
    EXPECT_NEAR(p._32, (1.875f - 1.125f) / (-1.125f - 1.875f), 1e-6);

    // A rectangle of width 0 is taken as 1 pixel wide: finite numbers, no crash.
    picture->m_Right = picture->m_Left;
    h.Step(At(0, 0, false));
    EXPECT_TRUE(std::isfinite(picture->m_Projection._11));
    EXPECT_EQ(s_callbackCalls, 3);
}
