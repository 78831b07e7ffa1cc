// The demo's menus load with the demo's pictures and fonts: page 0 is the
// loading page, every picture and font a control names exists, the exit
// question is a pop-up over the main menu, and the main menu's buttons click.
#include "engine/QV7_TextureList.h"
#include "gui/QV7_MenuManager.h"
#include "gui/QV7_Menu_Button.h"
#include "gui/QV7_Menu_Caption.h"
#include "gui/QV7_Menu_Picture.h"
#include "gui/QV7_Menu_ProgressBar.h"
#include "tests/gui/ScreenLoopHarness.h"
#include "tools/demo/DemoFonts.h"
#include "tools/demo/DemoIslands.h"
#include "tools/demo/DemoMenus.h"
#include "tools/demo/DemoPictures.h"

#include <gtest/gtest.h>

using namespace screentest;

namespace
{
// Pictures whose texture or drawing the screens give them at run time.
bool FilledByTheScreens(const std::string& id)
{
    return id == "IDPLAYERMODEL" || id.rfind("ID3DMODEL", 0) == 0 || id == "IDMAPPICTURE" ||
           id == "IDCHARACTERPICTURE" || id == "IDHWND30616";
}
} // namespace

TEST(DemoMenus, LoadWithTheDemoPicturesAndFonts)
{
    ScreenLoopHarness h;
    ASSERT_TRUE(WriteDemoPictures(h.DataDir()));
    ASSERT_TRUE(demo::WriteDemoIslands(h.DataDir(), DemoWorldPictures(), DemoWorldPictureIds()));
    ASSERT_TRUE(WriteDemoFonts(h.DataDir()));
    ASSERT_TRUE(WriteDemoMenus(h.DataDir()));
    QV7_MenuManager menus;
    ASSERT_EQ(menus.m_Pages.Count(), int(DemoMenuFile().pages.size()));
    EXPECT_STREQ(menus.m_Pages[0]->m_Id, "ID_LOADING_GAME");
    EXPECT_NE(menus.m_CursorPicture, nullptr);
    EXPECT_GT(menus.m_Strings.Count(), 0);
    for (const char* id :
         {"ID_MAIN_MENU", "ID_MM_BACKGROUND", "ID_CREDITS", "ID_MAIN_MENU_EXIT", "ID_DEMO_MENUSP",
          "ID_DEMO_MENUMP", "ID_DEMO_END", "ID_PROFILE", "ID_OPTIONS_GRAPHICS"})
    {
        MenuPage* page = menus.FindPage(id);
        ASSERT_NE(page, nullptr) << id;
        EXPECT_NE(page->m_Background, nullptr) << id;
    }
    EXPECT_EQ(menus.FindPage("ID_MAIN_MENU_EXIT")->m_Parent, menus.FindPage("ID_MAIN_MENU"));

    // Every picture and font the pages name was found.
    for (MenuPage* page : menus.m_Pages)
        for (QV7_Menu_hWnd* control : page->m_Controls)
        {
            SCOPED_TRACE(std::string(page->m_Id) + " " + control->m_Id);
            if (control->m_Type == kMenuButton)
            {
                EXPECT_NE(static_cast<QV7_Menu_Button*>(control)->m_HoverPicture, nullptr);
            }
            else if (control->m_Type == kMenuPicture && !FilledByTheScreens(control->m_Id))
            {
                EXPECT_NE(static_cast<QV7_Menu_Picture*>(control)->m_Picture, nullptr);
            }
            else if (control->m_Type == kMenuProgress)
            {
                EXPECT_NE(static_cast<QV7_Menu_Progress*>(control)->m_Picture, nullptr);
            }
            else if (control->m_Type == kMenuCaption)
            {
                EXPECT_NE(static_cast<QV7_Menu_Caption*>(control)->m_Font, nullptr);
            }
        }

    menus.m_CurrentPage = 0;
    EXPECT_NE(menus.FindControl("IDLOADINGTEXT", kMenuCaption), nullptr);
    EXPECT_NE(menus.FindControl("IDPROGRESSBAR", kMenuProgress), nullptr);

    menus.m_CurrentPage = menus.FindPageIndex("ID_PROFILE");
    EXPECT_NE(menus.FindControl("IDBACK", kMenuButton), nullptr);

    // The main menu's exit button, then the pop-up's "No".
    menus.m_CursorFlag = 1;
    menus.m_CurrentPage = menus.FindPageIndex("ID_MAIN_MENU");
    QV7_Menu_hWnd* exit = menus.FindControl("IDEXIT", kMenuButton);
    ASSERT_NE(exit, nullptr);
    const float x = float(exit->m_Left + exit->m_Right) / 2, y = float(exit->m_Top + exit->m_Bottom) / 2;
    EXPECT_EQ(h.Play(ClickAt(x, y))[0], "IDEXIT");
    menus.m_CurrentPage = menus.FindPageIndex("ID_MAIN_MENU_EXIT");
    QV7_Menu_hWnd* no = menus.FindControl("IDNO", kMenuButton);
    ASSERT_NE(no, nullptr);
    // The main menu's exit button under the pop-up takes no input.
    EXPECT_EQ(h.Play(ClickAt(x, y))[0], "");
    EXPECT_EQ(h.Play(ClickAt(float(no->m_Left + 10), float(no->m_Top + 10)))[0], "IDNO");
}

TEST(DemoMenus, MapTextureLoadsShowTheirProgressOnTheLoadingPage)
{
    ScreenLoopHarness h;
    ASSERT_TRUE(WriteDemoPictures(h.DataDir()));
    ASSERT_TRUE(demo::WriteDemoIslands(h.DataDir(), DemoWorldPictures(), DemoWorldPictureIds()));
    ASSERT_TRUE(WriteDemoFonts(h.DataDir()));
    ASSERT_TRUE(WriteDemoMenus(h.DataDir()));
    QV7_MenuManager menus;
    menus.m_CurrentPage = menus.FindPageIndex("ID_MAIN_MENU");
    menus.m_CursorFlag = 1;
    QV7_Menu_Progress* bar = nullptr;
    for (QV7_Menu_hWnd* control : menus.m_Pages[0]->m_Controls)
        if (std::string(control->m_Id) == "IDPROGRESSBAR")
            bar = dynamic_cast<QV7_Menu_Progress*>(control);
    ASSERT_NE(bar, nullptr);
    const float before = bar->m_Value;

    QV7_TextureList mapList(TextureListRole::Plain);
    mapList.LoadMapTextures(h.DataDir() + "Map1.tex", h.DataDir() + "Textures2.qvx", &menus);
    EXPECT_GT(mapList.Count(), 0);
    EXPECT_EQ(menus.m_CurrentPage, 0);
    EXPECT_EQ(menus.m_CursorFlag, 0);
    EXPECT_NEAR(bar->m_Value, before + 40.0f, 0.01f); // the map textures take 40 percent of the bar
}

// Every control the career screens look up is on its page with the kind they use.
TEST(DemoMenus, TheCareerPagesHaveEveryControlTheScreensFind)
{
    ScreenLoopHarness h;
    ASSERT_TRUE(WriteDemoPictures(h.DataDir()));
    ASSERT_TRUE(WriteDemoFonts(h.DataDir()));
    ASSERT_TRUE(WriteDemoMenus(h.DataDir()));
    QV7_MenuManager menus;
    const struct
    {
        const char* page;
        std::vector<std::pair<const char*, int>> controls;
    } expected[] = {
        {"ID_PROFILE",
         {{"IDPROFILES", kMenuList},
          {"IDPLAYERMODEL", kMenuPicture},
          {"IDGO", kMenuButton},
          {"IDDELETE", kMenuButton},
          {"IDNEW", kMenuButton},
          {"IDBACK", kMenuButton}}},
        {"ID_PROFILE_CREATE",
         {{"IDHWND502", kMenuText},
          {"IDHWND504", kMenuOption},
          {"IDMALE", kMenuOption},
          {"IDOK", kMenuButton},
          {"IDCANCEL", kMenuButton}}},
        {"ID_PROFILE_DIFICULTY",
         {{"IDHWND606", kMenuOption},
          {"IDHWND607", kMenuOption},
          {"IDHWND608", kMenuOption},
          {"IDOK", kMenuButton},
          {"IDCANCEL", kMenuButton}}},
        {"ID_PROFILE_CANT_GO", {{"IDOK", kMenuButton}}},
        {"ID_PROFILE_CANT_DELETE", {{"IDOK", kMenuButton}}},
        {"ID_PROFILE_DELETE", {{"IDYES", kMenuButton}, {"IDNO", kMenuButton}}},
        {"ID_INGAME", {{"IDZEPHYRIONS", kMenuCaption},    {"IDBUGGYNAME", kMenuCaption},
                       {"ID3DMODELMIDDLE", kMenuPicture}, {"ID3DMODELLEFT", kMenuPicture},
                       {"ID3DMODELRIGHT", kMenuPicture},  {"IDHWND32529", kMenuCaption},
                       {"IDVALUE", kMenuCaption},         {"IDSTRENGTH", kMenuCaption},
                       {"IDENERGY", kMenuCaption},        {"IDREPAIR", kMenuCaption},
                       {"IDMAX", kMenuCaption},           {"IDACCELERATION", kMenuCaption},
                       {"IDALTERNATOR", kMenuCaption},    {"IDGARAGE", kMenuButton},
                       {"IDWEAPONS", kMenuButton},        {"IDBUYNEW", kMenuButton},
                       {"IDSELL", kMenuButton},           {"IDRACE", kMenuButton},
                       {"IDCLOSE", kMenuButton},          {"IDBLEFT", kMenuButton},
                       {"IDBRIGHT", kMenuButton}}},
        {"ID_SELL_BUGGY_YESNO", {{"IDYES", kMenuButton}, {"IDNO", kMenuButton}}},
        {"ID_INGAME_EXIT", {{"IDYES", kMenuButton}, {"IDNO", kMenuButton}}},
        {"ID_SELL_BUGGY", {{"IDOK", kMenuButton}}},
        {"ID_INGAME_RACE",
         {{"IDZEPHYRIONS", kMenuCaption},
          {"IDBACK", kMenuButton},
          {"IDCHAMPIONSHIP", kMenuButton},
          {"IDTIMETRAIL", kMenuButton},
          {"IDQUICKRACE", kMenuButton},
          {"IDSYMULATOR", kMenuButton}}},
        {"ID_POP_TUT", {{"IDYES", kMenuButton}, {"IDNO", kMenuButton}}},
        {"ID_INGAME_RACE_CHAMPIONSHIP",
         {{"IDLISTCHAMPIONSHIP", kMenuList},
          {"IDLISTOPONENTS", kMenuList},
          {"IDLISTDESCRIPTION", kMenuList},
          {"IDMAPPICTURE", kMenuPicture},
          {"IDZEPHYRIONS", kMenuCaption},
          {"IDPROFILE", kMenuButton},
          {"IDBACK", kMenuButton},
          {"IDRACE", kMenuButton}}},
        {"ID_INGAME_RACE_SIMULATOR",
         {{"IDLISTTUTORIALS", kMenuList},
          {"IDLISTOPONENTS", kMenuList},
          {"IDLISTDESCRIPTION", kMenuList},
          {"IDMAPPICTURE", kMenuPicture},
          {"IDZEPHYRIONS", kMenuCaption},
          {"IDPROFILE", kMenuButton},
          {"IDBACK", kMenuButton},
          {"IDRACE", kMenuButton}}},
        {"ID_INGAME_RACE_CHAMPIONSHIP_PROFILE",
         {{"IDCHARACTERPICTURE", kMenuPicture}, {"IDLISTPROFILE", kMenuList}, {"IDOK", kMenuButton}}},
        {"ID_INGAME_RACE_SIMULATOR_PROFILE",
         {{"IDCHARACTERPICTURE", kMenuPicture}, {"IDLISTPROFILE", kMenuList}, {"IDOK", kMenuButton}}},
        {"ID_POP_UNLOCK_RACE", {{"IDOK", kMenuButton}}},
        {"ID_POP_UNLOCK_TUT", {{"IDOK", kMenuButton}}},
        {"ID_IETEMS",
         {{"IDSHOP", kMenuList},
          {"IDINVENTORY", kMenuList},
          {"IDDESCRIPTION", kMenuList},
          {"IDBUY", kMenuButton},
          {"IDUPGRADE", kMenuButton},
          {"IDSELL", kMenuButton},
          {"IDBACK", kMenuButton},
          {"IDZEPHYRION", kMenuCaption},
          {"IDPRICE", kMenuCaption},
          {"IDP", kMenuCaption},
          {"IDSP", kMenuCaption},
          {"IDHWND30616", kMenuPicture}}},
        {"ID_IETEM_UPGRADE",
         {{"IDDESCRIPTION", kMenuList},
          {"IDHWND31025", kMenuCaption},
          {"ID3DMODEL", kMenuPicture},
          {"IDUPGRADE", kMenuButton},
          {"IDCANCEL", kMenuButton}}},
        {"ID_CANT_BUY_ITEM", {{"IDOK", kMenuButton}}},
        {"ID_CANT_UPGR_ITEM", {{"IDOK", kMenuButton}}},
        {"ID_WEAPONS_BUY",
         {{"ID3DMODEL", kMenuPicture},
          {"ID3DMODELL", kMenuPicture},
          {"ID3DMODELR", kMenuPicture},
          {"IDZEPHYRIONS", kMenuCaption},
          {"IDPRICE", kMenuCaption},
          {"IDWEAPONNAME", kMenuCaption},
          {"IDDESCRIPTION", kMenuList},
          {"IDBUY", kMenuButton},
          {"IDBLEFT", kMenuButton},
          {"IDBRIGHT", kMenuButton},
          {"IDBACK", kMenuButton}}},
        {"ID_WEAPONS",
         {{"ID3DMODEL", kMenuPicture},
          {"ID3DMODELL", kMenuPicture},
          {"ID3DMODELR", kMenuPicture},
          {"IDZEPHYRIONS", kMenuCaption},
          {"IDPRICE", kMenuCaption},
          {"IDWEAPONNAME", kMenuCaption},
          {"IDDESCRIPTION", kMenuList},
          {"IDUPGRADE", kMenuButton},
          {"IDAMMO", kMenuButton},
          {"IDSELL", kMenuButton},
          {"IDBLEFT", kMenuButton},
          {"IDBRIGHT", kMenuButton},
          {"IDBACK", kMenuButton}}},
        {"ID_AMMO",
         {{"IDHWND30428", kMenuCaption},
          {"IDHWND30424", kMenuCaption},
          {"IDHWND30426", kMenuList},
          {"ID3DMODEL", kMenuPicture},
          {"IDBUY", kMenuButton},
          {"IDCANCEL", kMenuButton}}},
        {"ID_CANT_BUY_WEAP", {{"IDOK", kMenuButton}}},
        {"ID_POP_CANT_BUY_WEAP", {{"IDOK", kMenuButton}}},
        {"ID_CANT_BUY_AMMO", {{"IDOK", kMenuButton}}},
        {"ID_NEW_BUGGY", {{"ID3DMODELLEFT", kMenuPicture},   {"ID3DMODELRIGHT", kMenuPicture},
                          {"IDHWND32527", kMenuCaption},     {"IDHWND32528", kMenuCaption},
                          {"IDHWND33032", kMenuCaption},     {"IDBUGGYDESCRPL", kMenuList},
                          {"IDBUGGYDESCRPR", kMenuList},     {"IDPRICEL", kMenuCaption},
                          {"IDSTRENGTHL", kMenuCaption},     {"IDENERGYL", kMenuCaption},
                          {"IDACCELERATIONL", kMenuCaption}, {"IDREPAIRL", kMenuCaption},
                          {"IDALTERNATORL", kMenuCaption},   {"IDMAXL", kMenuCaption},
                          {"IDPRICER", kMenuCaption},        {"IDSTRENGTHR", kMenuCaption},
                          {"IDENERGYR", kMenuCaption},       {"IDACCELERATIONR", kMenuCaption},
                          {"IDREPAIRR", kMenuCaption},       {"IDALTERNATORR", kMenuCaption},
                          {"IDMAXR", kMenuCaption},          {"IDBLEFT", kMenuButton},
                          {"IDBRIGHT", kMenuButton},         {"IDBUYL", kMenuButton},
                          {"IDBUYR", kMenuButton},           {"IDBACK", kMenuButton}}},
        {"ID_POP_OWN_BUG", {{"IDOK", kMenuButton}}},
        {"ID_NEW_POP_C", {{"IDOK", kMenuButton}}},
        {"ID_NEW_BUG_A", {{"IDOK", kMenuButton}}},
        {"ID_NEW_POP_B", {{"IDYES", kMenuButton}, {"IDNO", kMenuButton}}},
    };
    for (const auto& page : expected)
    {
        ASSERT_NE(menus.FindPage(page.page), nullptr) << page.page;
        menus.m_CurrentPage = menus.FindPageIndex(page.page);
        for (const auto& [id, type] : page.controls)
            EXPECT_NE(menus.FindControl(id, type), nullptr) << page.page << " " << id;
    }
    EXPECT_NE(menus.FindPage("ID_IM_BACKGROUND"), nullptr);
}
