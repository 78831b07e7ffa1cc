// The screens of the front end on the screen-loop harness with the demo's own
// menu file: a scripted player clicks the demo's controls by id, and every
// frame's page is noted.
#pragma once

#include "gui/QV7_MenuManager.h"
#include "platform/input/null/NullInput.h"
#include "tests/gui/ScreenLoopHarness.h"
#include "tools/demo/DemoMenus.h"
#include "tools/writers/MenuFileWriter.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <string>
#include <vector>

class DemoMenuScreens : public ::testing::Test
{
  protected:
    void SetUp() override
    {
        h.WriteStandardPicturesAndFonts();
        h.WriteMenus(DemoMenuFile());
        menus = std::make_unique<QV7_MenuManager>();
        h.SetFrameObserver([this] { Observe(); });
    }
    void TearDown() override { input::null::State().frames.clear(); }

    void Observe()
    {
        MenuPage* page = g_menuManager->CurrentPage();
        pages.push_back(page ? page->m_Id : "");
    }
    bool Shown(const std::string& page) const
    {
        return std::find(pages.begin(), pages.end(), page) != pages.end();
    }

    // Frames with the cursor in a corner where no control lies, holding keys.
    void Idle(int count, std::vector<int> keys = {})
    {
        for (int i = 0; i < count; ++i)
        {
            screentest::ScriptedFrame frame;
            frame.x = 790;
            frame.y = 590;
            frame.keys = keys;
            h.Queue(frame);
        }
    }
    // A click in the middle of a control of the demo's page (not its picture or label).
    void Click(const std::string& pageId, const std::string& controlId, int dx = 0)
    {
        for (const MenuPageRecord& page : DemoMenuFile().pages)
            for (const MenuControlRecord& control : page.controls)
                if (page.id == pageId && control.id == controlId && control.type != kMenuPicture &&
                    control.type != kMenuCaption)
                {
                    h.Queue(screentest::ClickAt(float(control.left + control.right) / 2 + float(dx),
                                                float(control.top + control.bottom) / 2));
                    return;
                }
        ADD_FAILURE() << "no control " << controlId << " on " << pageId;
    }

    screentest::ScreenLoopHarness h;
    std::unique_ptr<QV7_MenuManager> menus;
    std::vector<std::string> pages;
};
