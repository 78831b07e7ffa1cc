// The demo's menu pages: Menu.qvx with the loading page first (the race load
// shows it with its text and progress bar), the main menu with its backdrop,
// exit question, credits and advert pages, and stand-ins of the profile and
// options pages; Menu_c.qvx holds the credit lines. Pictures are the menu
// textures of the demo's Textures1.qvx and text uses the demo's Fonts.qvx.
#pragma once

#include <string>

struct MenuFileRecord;

// The demo's menu file as a record, for tests that look at its pages.
MenuFileRecord DemoMenuFile();
// Writes Menu.qvx and Menu_c.qvx into dataDir (ending in '/'); false on a write failure.
bool WriteDemoMenus(const std::string& dataDir);
