// Demo menu pages, laid out on the 800 x 600 page.
#include "tools/demo/DemoMenus.h"

#include "tools/demo/DemoFonts.h"
#include "tools/demo/DemoFrontEndPages.h"
#include "tools/demo/DemoOptionsPages.h"
#include "tools/demo/DemoPageParts.h"
#include "tools/demo/DemoPictures.h"
#include "tools/demo/DemoRaceMenus.h"
#include "tools/writers/MenuFileWriter.h"

namespace
{
using namespace menufile;

constexpr uint32_t kTextColour = 0xFFFFFFFF;
constexpr uint32_t kTitleColour = 0xFFFFD060;
constexpr uint32_t kHintColour = 0xFFB0C0FF;

// Page numbers: a pop-up names its parent by them.
enum PageNumber
{
    kLoadingPage = 0,
    kMainMenuPage,
    kMainBackgroundPage,
    kCreditsPage,
    kExitPage,
    kAdvertSinglePage,
    kAdvertMultiPage,
    kDemoEndPage,
    kProfilePage,
    kOptionsPage,
    kRaceResultsPage,
    kTimeTrialResultsPage,
    kHudPage,
    kWonPage,
    kWonFemalePage,
    kWonCreditsPage,
    // The in-race pages take numbers from here on.
    kFirstRaceMenuPage = 40,
};

// A button as the demo draws it: its normal picture (a picture control, as the
// real pages have it in their background), the button with its hover picture,
// and its label. Every control under the mouse reports a click and the last
// drawn wins, so the label, drawn last to stay above the hover picture, has an
// empty rectangle (it still writes from its top-left corner) and never takes one.
void AddButton(MenuPageRecord& page, const std::string& id, const std::string& label, int left, int top,
               bool small = false)
{
    const int width = small ? 128 : 256, height = small ? 32 : 64;
    page.controls.push_back(Picture(id + "_LOOK", left, top, left + width, top + height,
                                    small ? demo::kSmallButtonId : demo::kButtonId));
    page.controls.push_back(Button(id, left, top, left + width, top + height,
                                   small ? demo::kSmallButtonHoverId : demo::kButtonHoverId));
    const int textLeft = left + 20, textTop = top + (height - 22) / 2;
    page.controls.push_back(
        Caption(id + "_TEXT", textLeft, textTop, textLeft, textTop, demo::kMenuFontId, kTextColour, label));
}

void AddTitle(MenuPageRecord& page, const std::string& text)
{
    page.controls.push_back(Caption("IDTITLE", 60, 40, 740, 80, demo::kTitleFontId, kTitleColour, text));
}

MenuPageRecord LoadingPage()
{
    MenuPageRecord page = Page("ID_LOADING_GAME", kLoadingPage, demo::kLoadingBackdropId);
    // Below the backdrop's own "Loading" line.
    page.controls.push_back(
        Caption("IDLOADINGTEXT", 144, 440, 656, 470, demo::kMenuFontId, kTextColour, "Loading..."));
    page.controls.push_back(Picture("IDPROGRESSFRAME", 144, 550, 656, 582, demo::kProgressFrameId));
    page.controls.push_back(Progress("IDPROGRESSBAR", 144, 550, 656, 582, demo::kProgressFillId, 0.0f));
    return page;
}

MenuPageRecord MainMenuPage()
{
    // The backdrop carries the game's title.
    MenuPageRecord page = Page("ID_MAIN_MENU", kMainMenuPage, demo::kMainBackdropId);
    const char* const buttons[][2] = {{"IDSINGLEPLAYER", "Single player"},
                                      {"IDMULTIPLAYER", "Multiplayer"},
                                      {"IDOPTIONS", "Options"},
                                      {"IDCREDITS", "Credits"},
                                      {"IDEXIT", "Exit"}};
    int top = 160;
    for (const auto& button : buttons)
    {
        AddButton(page, button[0], button[1], 272, top);
        top += 76;
    }
    page.controls.push_back(
        Caption("IDVERSION", 680, 570, 790, 592, demo::kSmallFontId, kHintColour, "V0.0"));
    return page;
}

MenuPageRecord ExitPage()
{
    // A pop-up over the main menu, its panel centred on the page.
    MenuPageRecord page = Page("ID_MAIN_MENU_EXIT", kExitPage, demo::kPanelId, kMainMenuPage);
    page.controls.push_back(
        Caption("IDQUESTION", 334, 240, 640, 270, demo::kMenuFontId, kTextColour, "Leave the game?"));
    AddButton(page, "IDYES", "Yes", 250, 340, true);
    AddButton(page, "IDNO", "No", 422, 340, true);
    return page;
}

// The credits from the main menu, and again after the championship's finale.
MenuPageRecord CreditsPage(const std::string& id, int number)
{
    MenuPageRecord page = Page(id, number, demo::kPageBackdropId);
    AddTitle(page, "Credits");
    // The scroll area of the credit lines: font, x, top and bottom.
    page.controls.push_back(Caption("IDCREDITS", 200, 120, 600, 520, demo::kSmallFontId, kTextColour, ""));
    return page;
}

// The championship's finale: the won screen (one for each driver) before the
// credits, its lines centred under the title by where they start.
MenuPageRecord WonPage(const std::string& id, int number)
{
    MenuPageRecord page = Page(id, number, demo::kMainBackdropId);
    page.controls.push_back(
        Caption("IDWON", 235, 220, 700, 270, demo::kTitleFontId, kTitleColour, "Champion of the islands!"));
    page.controls.push_back(Caption("IDWONTEXT", 245, 290, 700, 320, demo::kMenuFontId, kTextColour,
                                    "Every race of the championship is yours."));
    page.controls.push_back(Caption("IDHINT", 300, 540, 700, 560, demo::kSmallFontId, kHintColour,
                                    "Click or press Enter for the credits"));
    return page;
}

MenuPageRecord AdvertPage(const std::string& id, int number, const std::string& text)
{
    MenuPageRecord page = Page(id, number, demo::kPageBackdropId);
    AddTitle(page, "Thank you for playing");
    page.controls.push_back(Caption("IDADVERT", 100, 260, 700, 290, demo::kMenuFontId, kTextColour, text));
    page.controls.push_back(Caption("IDHINT", 100, 540, 700, 560, demo::kSmallFontId, kHintColour,
                                    "Click or press Enter to continue"));
    return page;
}

// The results table over the frozen race picture: place, pilot, best lap,
// items and prize, eight rows under the column headings.
MenuPageRecord RaceResultsPage()
{
    MenuPageRecord page = Page("ID_END_MENU", kRaceResultsPage, demo::kPanelId);
    page.controls.push_back(
        Caption("IDHWND99368", 100, 60, 700, 100, demo::kTitleFontId, kTitleColour, "Race results"));
    page.controls.push_back(Caption("IDSCORE", 130, 140, 700, 165, demo::kMenuFontId, kHintColour,
                                    "Place    Pilot                                                 Best lap "
                                    "         Items         Prize"));
    for (int row = 1; row <= 8; ++row)
    {
        const int top = 140 + 38 * row, bottom = top + 30;
        const std::string n = std::to_string(row);
        page.controls.push_back(
            Caption("IDPOS" + n, 140, top, 185, bottom, demo::kMenuFontId, kTitleColour, n + "."));
        page.controls.push_back(
            Caption("IDPLAYER" + n, 184, top, 410, bottom, demo::kMenuFontId, kTextColour, ""));
        page.controls.push_back(
            Caption("IDBESTT" + n, 418, top, 510, bottom, demo::kMenuFontId, kTextColour, ""));
        page.controls.push_back(
            Caption("IDZEPHYR" + n, 520, top, 590, bottom, demo::kMenuFontId, kTextColour, ""));
        page.controls.push_back(
            Caption("IDWINB" + n, 597, top, 700, bottom, demo::kMenuFontId, kTextColour, ""));
    }
    AddButton(page, "IDOK", "OK", 336, 500, true);
    return page;
}

// The time trial's best times of the race: date, best lap, total and items.
MenuPageRecord TimeTrialResultsPage()
{
    MenuPageRecord page = Page("ID_END_MENU_TIME", kTimeTrialResultsPage, demo::kPanelId);
    page.controls.push_back(
        Caption("IDENDT", 121, 81, 721, 121, demo::kTitleFontId, kTitleColour, "Best times"));
    page.controls.push_back(Caption("IDRACER", 141, 161, 721, 186, demo::kMenuFontId, kHintColour,
                                    "Date                                                        Best lap    "
                                    "        Total                  Items"));
    for (int row = 1; row <= 8; ++row)
    {
        const int top = 161 + 36 * row, bottom = top + 28;
        const std::string n = std::to_string(row);
        const std::string items = row == 7 ? "IDZEPHYRION7" : "IDZEPHYRIONS" + n;
        page.controls.push_back(
            Caption("IDDATE" + n, 141, top, 381, bottom, demo::kMenuFontId, kTextColour, ""));
        page.controls.push_back(
            Caption("IDBESTT" + n, 401, top, 491, bottom, demo::kMenuFontId, kTextColour, ""));
        page.controls.push_back(
            Caption("IDBESTTT" + n, 511, top, 601, bottom, demo::kMenuFontId, kTextColour, ""));
        page.controls.push_back(Caption(items, 621, top, 701, bottom, demo::kMenuFontId, kTextColour, ""));
    }
    AddButton(page, "IDOK", "OK", 357, 521, true);
    return page;
}
void AddHudText(MenuPageRecord& page, const std::string& id, int left, int top, int right, int bottom,
                const std::string& label, int32_t font = demo::kMenuFontId)
{
    page.controls.push_back(Caption(id, left, top, right, bottom, font, kTextColour, label));
}

// The tutorial's instruction panel, laid out from the top-left corner (the
// race moves it to the middle of the screen when it opens): the frame, the
// final lesson panel's frame, the text list inside them, and the hint shown
// all through a lesson above the time left.
void AddTutorialPanel(MenuPageRecord& page)
{
    for (const char* frame : {"IDTUTKADER", "IDTKEY2"})
    {
        page.controls.push_back(Picture(frame, 0, 0, 512, 256, demo::kPanelId));
        page.controls.back().flag = 1; // the whole picture, stretched over the rectangle
    }
    page.controls.push_back(demopages::TextList("IDTUTLISTBOX", 28, 24, 484, 232));
    page.controls.back().fontId = demo::kMenuFontId;
    page.controls.back().colour = kTextColour;
    page.controls.push_back(Caption("IDTKEY", 12, 476, 400, 502, demo::kMenuFontId, kTextColour,
                                    "Press T to read the instructions"));
}

// The race's head-up display, laid out for 800 x 600 (the race moves its
// controls to the screen's corners): the bars bottom right, the island map
// and lap and place top right, times bottom left, notices and the countdown
// in the middle.
MenuPageRecord HudPage()
{
    MenuPageRecord page = Page("ID_HUD", kHudPage, 0);
    page.controls.push_back(Picture("IDHUDMETERS", 636, 440, 792, 592, demo::kPanelId));
    const char* const bars[] = {"IDSHIELD", "IDPOWER", "IDAMMO", "IDTURBO"};
    for (int i = 0; i < 4; ++i)
        page.controls.push_back(
            Picture(bars[i], 652 + 34 * i, 452, 672 + 34 * i, 580, demo::kProgressFillId));
    AddHudText(page, "IDSPEED", 600, 410, 790, 436, "Speed");
    page.controls.push_back(Picture("IDMINIMAP", 570, 8, 792, 232, demo::kPanelId));
    AddHudText(page, "IDLAP", 580, 240, 790, 266, "Lap");
    AddHudText(page, "IDPOS", 580, 270, 790, 296, "Place");
    AddHudText(page, "IDBESTTIME", 12, 536, 300, 562, "Best lap");
    AddHudText(page, "IDLAPTIME", 12, 566, 300, 592, "Lap time");
    AddHudText(page, "IDTIMEREMANING", 12, 506, 300, 532, "Time left");
    AddHudText(page, "IDZEPHYRIONS", 12, 10, 300, 36, "Money");
    const char* const notices[][2] = {{"IDTOTALL", "Wrecked!"},           {"IDRESP", "Back on the track..."},
                                      {"IDWRONGCP", "Wrong checkpoint!"}, {"IDDROWNED", "Drowned!"},
                                      {"IDLOWP", "Low power!"},           {"IDAMMOD", "Out of ammunition!"}};
    for (const auto& notice : notices)
        AddHudText(page, notice[0], 250, 180, 550, 210, notice[1]);
    const char* const countdown[][2] = {{"ID3", "3"}, {"ID2", "2"}, {"ID1", "1"}, {"IDGO", "GO!"}};
    for (const auto& number : countdown)
        AddHudText(page, number[0], 360, 250, 440, 300, number[1], demo::kTitleFontId);
    AddHudText(page, "IDGAMEP", 320, 280, 480, 320, "Paused", demo::kTitleFontId);
    AddTutorialPanel(page);
    return page;
}
} // namespace

MenuFileRecord DemoMenuFile()
{
    MenuFileRecord file;
    file.textureIds = {
        demo::kMainBackdropId,   demo::kPageBackdropId, demo::kLoadingBackdropId,  demo::kButtonId,
        demo::kButtonHoverId,    demo::kSmallButtonId,  demo::kSmallButtonHoverId, demo::kCursorId,
        demo::kCursorTrailId,    demo::kPanelId,        demo::kProgressFrameId,    demo::kProgressFillId,
        demo::kCheckMarkId,      demo::kCheckFrameId,   demo::kListKnobId,         demo::kInnerBackdropId,
        demo::kSmallButtonDimId, demo::kDropArrowId,    demo::kSliderTrackId};
    file.fontIds = {demo::kMenuFontId, demo::kTitleFontId, demo::kSmallFontId};
    file.cursorId = demo::kCursorId;
    file.trailId = demo::kCursorTrailId;
    file.pages = {
        LoadingPage(),
        MainMenuPage(),
        Page("ID_MM_BACKGROUND", kMainBackgroundPage, demo::kMainBackdropId),
        CreditsPage("ID_CREDITS", kCreditsPage),
        ExitPage(),
        AdvertPage("ID_DEMO_MENUSP", kAdvertSinglePage, "The full game has a whole championship to win."),
        AdvertPage("ID_DEMO_MENUMP", kAdvertMultiPage, "Multiplayer races come with the full game."),
        AdvertPage("ID_DEMO_END", kDemoEndPage, "That was the demo race."),
        RaceResultsPage(),
        TimeTrialResultsPage(),
        HudPage(),
        WonPage("ID_WON_SCREEN", kWonPage),
        WonPage("ID_WON_SCREENF", kWonFemalePage),
        CreditsPage("ID_WON_SCREEN_CREDITS", kWonCreditsPage),
    };
    for (MenuPageRecord& page : DemoRaceMenuPages(kFirstRaceMenuPage))
        file.pages.push_back(std::move(page));
    for (MenuPageRecord& page : DemoOptionsPages())
        file.pages.push_back(std::move(page));
    for (MenuPageRecord& page : DemoFrontEndPages())
        file.pages.push_back(std::move(page));
    return file;
}

bool WriteDemoMenus(const std::string& dataDir)
{
    const std::vector<std::string> credits = {"Demo Racing",
                                              "",
                                              "Game code",
                                              "The QV7 team",
                                              "",
                                              "Engine and platform layer",
                                              "The QV7 team",
                                              "",
                                              "Pictures, sounds and music",
                                              "Generated by qv7-mkdemo",
                                              "",
                                              "Fonts",
                                              "Liberation fonts",
                                              "",
                                              "Libraries",
                                              "SDL2, libepoxy, OpenAL Soft, libvorbis,",
                                              "FreeType, FFmpeg, ODE, stb",
                                              "",
                                              "Thank you for playing"};
    return WriteMenuFile(dataDir + MenuFileNameFor("EN"), DemoMenuFile()) &&
           WriteMenuStringsFile(dataDir + "Menu_c.qvx", credits);
}
