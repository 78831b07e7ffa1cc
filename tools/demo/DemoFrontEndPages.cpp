#include "tools/demo/DemoFrontEndPages.h"

#include "tools/demo/DemoFonts.h"
#include "tools/demo/DemoPageParts.h"
#include "tools/demo/DemoPictures.h"
#include "tools/writers/MenuFileWriter.h"

namespace
{
using namespace menufile;
using namespace demopages;

enum PageNumber
{
    kProfile = 100,
    kProfileCreate,
    kProfileDifficulty,
    kProfileCantGo,
    kProfileCantDelete,
    kProfileDelete,
    kGarageBackdrop,
    kHub,
    kSellYesNo,
    kSellRefused,
    kHubExit,
    kRaceType,
    kTutorialOffer,
    kChampionship,
    kSimulator,
    kChampionshipPilot,
    kSimulatorPilot,
    kUnlockRace,
    kUnlockTutorial,
    kShop,
    kWeapons,
    kNewBuggy,
    kUpgrade,
    kCantBuyItem,
    kCantUpgrade,
    kWeaponsOwned,
    kAmmo,
    kCantBuyWeapon,
    kWeaponFitsNoBuggy,
    kCantBuyAmmo,
    kOwnBuggy,
    kBuggyNotAvailable,
    kBuggyTooDear,
    kBuyBuggy,
};

MenuPageRecord ProfilePage()
{
    MenuPageRecord page = Page("ID_PROFILE", kProfile, demo::kPageBackdropId);
    AddTitle(page, "Pilots");
    AddLabel(page, "Choose your pilot", 70, 112, 330);
    AddList(page, "IDPROFILES", 70, 150, 330, 420, demo::kMenuFontId);
    AddPreview(page, "IDPLAYERMODEL", 380, 112, 740, 440);
    AddButton(page, "IDNEW", "New pilot", 60, 450, true);
    AddButton(page, "IDDELETE", "Delete", 212, 450, true);
    AddButton(page, "IDBACK", "Back", 60, 510);
    AddButton(page, "IDGO", "Start career", 484, 510);
    return page;
}

MenuPageRecord CreateProfilePage()
{
    MenuPageRecord page = Page("ID_PROFILE_CREATE", kProfileCreate, demo::kPanelId, kProfile);
    page.controls.push_back(
        Caption("IDQUESTION", 250, 180, 550, 205, demo::kMenuFontId, kTitleColour, "New pilot"));
    AddLabel(page, "Name", 250, 222, 330);
    AddPanel(page, 330, 214, 560, 250);
    MenuControlRecord name = Control(3, "IDHWND502", 340, 222, 550, 244);
    name.fontId = demo::kMenuFontId;
    name.colour = kValueColour;
    name.value = 240;
    page.controls.push_back(name);
    AddOption(page, "IDMALE", "Male", 250, 266, true);
    AddOption(page, "IDHWND504", "Female", 410, 266, false);
    AddButton(page, "IDOK", "OK", 250, 340, true);
    AddButton(page, "IDCANCEL", "Cancel", 422, 340, true);
    return page;
}

MenuPageRecord DifficultyPage()
{
    MenuPageRecord page = Page("ID_PROFILE_DIFICULTY", kProfileDifficulty, demo::kPanelId, kProfile);
    page.controls.push_back(
        Caption("IDQUESTION", 250, 188, 550, 212, demo::kMenuFontId, kTitleColour, "How hard should it be?"));
    AddOption(page, "IDHWND606", "Easy", 300, 222, false);
    AddOption(page, "IDHWND607", "Normal", 300, 256, true);
    AddOption(page, "IDHWND608", "Hard", 300, 290, false);
    AddButton(page, "IDOK", "OK", 250, 340, true);
    AddButton(page, "IDCANCEL", "Cancel", 422, 340, true);
    return page;
}

void AddStat(MenuPageRecord& page, const std::string& id, const std::string& label, int top)
{
    AddLabel(page, label, 560, top, 680);
    page.controls.push_back(Caption(id, 680, top, 760, top + 22, demo::kMenuFontId, kValueColour, ""));
}

MenuPageRecord HubPage()
{
    MenuPageRecord page = Page("ID_INGAME", kHub, demo::kInnerBackdropId);
    AddTitle(page, "Garage");
    page.controls.push_back(Caption("IDZEPHYRIONS", 560, 44, 740, 76, demo::kTitleFontId, kValueColour, ""));
    page.controls.push_back(Caption("IDBUGGYNAME", 150, 112, 450, 140, demo::kTitleFontId, kTextColour, ""));
    AddPreview(page, "ID3DMODELLEFT", 30, 300, 170, 420, false);
    AddPreview(page, "ID3DMODELRIGHT", 430, 300, 570, 420, false);
    AddPreview(page, "ID3DMODELMIDDLE", 120, 150, 480, 420);
    AddButton(page, "IDBLEFT", "<", 120, 426, true);
    AddButton(page, "IDBRIGHT", ">", 352, 426, true);
    AddPanel(page, 550, 104, 770, 300);
    AddStat(page, "IDVALUE", "Value", 112);
    AddStat(page, "IDSTRENGTH", "Strength", 138);
    AddStat(page, "IDENERGY", "Energy", 164);
    AddStat(page, "IDREPAIR", "Repair", 190);
    AddStat(page, "IDMAX", "Top speed", 216);
    AddStat(page, "IDACCELERATION", "Acceleration", 242);
    AddStat(page, "IDALTERNATOR", "Alternator", 268);
    page.controls.push_back(Caption("IDHWND32529", 120, 466, 480, 488, demo::kSmallFontId, 0xFFFF8060,
                                    "Some of your weapons do not fit this buggy"));
    AddButton(page, "IDGARAGE", "Shop", 584, 312, true);
    AddButton(page, "IDWEAPONS", "Weapons", 584, 352, true);
    AddButton(page, "IDBUYNEW", "New buggy", 584, 392, true);
    AddButton(page, "IDSELL", "Sell buggy", 584, 432, true);
    AddButton(page, "IDCLOSE", "Main menu", 60, 510);
    AddButton(page, "IDRACE", "Race", 484, 510);
    return page;
}

MenuPageRecord RaceTypePage()
{
    MenuPageRecord page = Page("ID_INGAME_RACE", kRaceType, demo::kInnerBackdropId);
    AddTitle(page, "Choose a race");
    page.controls.push_back(Caption("IDZEPHYRIONS", 560, 44, 740, 76, demo::kTitleFontId, kValueColour, ""));
    AddButton(page, "IDCHAMPIONSHIP", "Championship", 272, 150);
    AddButton(page, "IDSYMULATOR", "Tutorials", 272, 226);
    AddButton(page, "IDTIMETRAIL", "Time trial", 272, 302);
    AddButton(page, "IDQUICKRACE", "Quick race", 272, 378);
    AddButton(page, "IDBACK", "Back", 60, 510);
    return page;
}

MenuPageRecord RaceListPage(const std::string& id, int number, const std::string& title,
                            const std::string& listId)
{
    MenuPageRecord page = Page(id, number, demo::kInnerBackdropId);
    AddTitle(page, title);
    page.controls.push_back(Caption("IDZEPHYRIONS", 560, 44, 740, 76, demo::kTitleFontId, kValueColour, ""));
    AddList(page, listId, 50, 120, 330, 330);
    AddPanel(page, 360, 110, 750, 330);
    page.controls.push_back(Picture("IDMAPPICTURE", 372, 122, 572, 318, 0));
    page.controls.back().flag = 1;
    page.controls.push_back(TextList("IDLISTDESCRIPTION", 584, 122, 740, 318));
    AddLabel(page, "Opponents", 50, 346, 330);
    AddList(page, "IDLISTOPONENTS", 50, 376, 450, 480);
    AddButton(page, "IDPROFILE", "Pilot", 490, 380, true);
    AddButton(page, "IDBACK", "Back", 60, 510);
    AddButton(page, "IDRACE", "Race", 484, 510);
    return page;
}

MenuPageRecord PilotPage(const std::string& id, int number, int parent)
{
    MenuPageRecord page = Page(id, number, demo::kPanelId, parent);
    page.controls.push_back(Picture("IDCHARACTERPICTURE", 250, 170, 350, 270, 0));
    page.controls.back().flag = 1;
    page.controls.push_back(TextList("IDLISTPROFILE", 362, 170, 560, 330));
    AddButton(page, "IDOK", "OK", 336, 340, true);
    return page;
}

void AddMoney(MenuPageRecord& page, const std::string& id)
{
    page.controls.push_back(Caption(id, 560, 44, 740, 76, demo::kTitleFontId, kValueColour, ""));
}

MenuPageRecord ShopPage()
{
    MenuPageRecord page = Page("ID_IETEMS", kShop, demo::kInnerBackdropId);
    AddTitle(page, "Shop");
    AddMoney(page, "IDZEPHYRION");
    AddLabel(page, "On sale", 50, 104, 290);
    AddList(page, "IDSHOP", 50, 134, 290, 300, demo::kMenuFontId);
    AddLabel(page, "On your buggy", 50, 318, 290);
    AddList(page, "IDINVENTORY", 50, 348, 290, 480, demo::kMenuFontId);
    // The picture keeps a buggy's proportions; the panel behind it fills the row.
    AddPanel(page, 320, 104, 750, 330);
    AddPreview(page, "IDHWND30616", 380, 104, 690, 330, false);
    AddPanel(page, 320, 344, 570, 490);
    page.controls.push_back(TextList("IDDESCRIPTION", 330, 354, 560, 480));
    AddLabel(page, "Price", 590, 344, 750);
    page.controls.back().id = "IDP";
    AddLabel(page, "Sells for", 590, 344, 750);
    page.controls.back().id = "IDSP";
    page.controls.push_back(Caption("IDPRICE", 590, 370, 750, 400, demo::kTitleFontId, kValueColour, ""));
    AddGreyableButton(page, "IDBUY", "Buy", 600, 412);
    AddGreyableButton(page, "IDUPGRADE", "Upgrade", 600, 450);
    AddGreyableButton(page, "IDSELL", "Sell", 600, 488);
    AddButton(page, "IDBACK", "Back", 60, 510);
    return page;
}

MenuPageRecord UpgradePage()
{
    MenuPageRecord page = Page("ID_IETEM_UPGRADE", kUpgrade, demo::kPanelId, kShop);
    page.controls.push_back(Picture("ID3DMODEL", 160, 186, 360, 330, 0));
    page.controls.push_back(TextList("IDDESCRIPTION", 372, 190, 640, 330));
    AddLabel(page, "Next level", 160, 336, 260);
    page.controls.push_back(Caption("IDHWND31025", 270, 336, 360, 358, demo::kMenuFontId, kValueColour, ""));
    AddButton(page, "IDUPGRADE", "Upgrade", 250, 378, true);
    AddButton(page, "IDCANCEL", "Cancel", 422, 378, true);
    return page;
}

void AddWeaponView(MenuPageRecord& page)
{
    AddMoney(page, "IDZEPHYRIONS");
    page.controls.push_back(Caption("IDWEAPONNAME", 230, 104, 570, 134, demo::kTitleFontId, kTextColour, ""));
    AddPreview(page, "ID3DMODELL", 40, 160, 220, 330, false);
    AddPreview(page, "ID3DMODEL", 230, 140, 570, 360);
    AddPreview(page, "ID3DMODELR", 580, 160, 760, 330, false);
    AddButton(page, "IDBLEFT", "<", 66, 340, true);
    AddButton(page, "IDBRIGHT", ">", 606, 340, true);
    AddPanel(page, 230, 372, 570, 490);
    page.controls.push_back(TextList("IDDESCRIPTION", 240, 382, 560, 480));
    page.controls.push_back(Caption("IDPRICE", 590, 398, 750, 428, demo::kTitleFontId, kValueColour, ""));
}

MenuPageRecord WeaponsBuyPage()
{
    MenuPageRecord page = Page("ID_WEAPONS_BUY", kWeapons, demo::kInnerBackdropId);
    AddTitle(page, "Weapons");
    AddWeaponView(page);
    AddLabel(page, "Price", 590, 378, 750);
    AddButton(page, "IDBACK", "Back", 60, 510);
    AddButton(page, "IDBUY", "Buy", 484, 510);
    return page;
}

MenuPageRecord WeaponsOwnedPage()
{
    MenuPageRecord page = Page("ID_WEAPONS", kWeaponsOwned, demo::kInnerBackdropId);
    AddTitle(page, "Weapons");
    AddWeaponView(page);
    AddLabel(page, "Yours, sells for", 590, 378, 770);
    AddGreyableButton(page, "IDUPGRADE", "Upgrade", 600, 434);
    AddGreyableButton(page, "IDAMMO", "Ammunition", 600, 470);
    AddGreyableButton(page, "IDSELL", "Sell", 600, 506);
    AddButton(page, "IDBACK", "Back", 60, 510);
    return page;
}

MenuPageRecord AmmoPage()
{
    MenuPageRecord page = Page("ID_AMMO", kAmmo, demo::kPanelId, kWeaponsOwned);
    page.controls.push_back(Picture("ID3DMODEL", 160, 186, 330, 330, 0));
    page.controls.push_back(TextList("IDHWND30426", 345, 190, 640, 296));
    AddLabel(page, "You have", 345, 300, 470);
    page.controls.push_back(Caption("IDHWND30428", 480, 300, 640, 322, demo::kMenuFontId, kValueColour, ""));
    AddLabel(page, "Pack price", 345, 324, 470);
    page.controls.push_back(Caption("IDHWND30424", 480, 324, 640, 346, demo::kMenuFontId, kValueColour, ""));
    page.controls.push_back(Caption("IDHINT", 160, 350, 640, 368, demo::kSmallFontId, kLabelColour,
                                    "Hold Shift or Ctrl to buy ten packs"));
    AddButton(page, "IDBUY", "Buy", 250, 378, true);
    AddButton(page, "IDCANCEL", "Close", 422, 378, true);
    return page;
}

void AddBuggySide(MenuPageRecord& page, char side, int left)
{
    const std::string s(1, side);
    page.controls.push_back(Caption(side == 'L' ? "IDHWND32527" : "IDHWND32528", left, 100, left + 360, 128,
                                    demo::kTitleFontId, kTextColour, ""));
    AddPreview(page, side == 'L' ? "ID3DMODELLEFT" : "ID3DMODELRIGHT", left, 134, left + 360, 300);
    const char* const stats[][2] = {{"IDPRICE", "Price"},   {"IDSTRENGTH", "Strength"},
                                    {"IDENERGY", "Energy"}, {"IDACCELERATION", "Acceleration"},
                                    {"IDREPAIR", "Repair"}, {"IDALTERNATOR", "Alternator"},
                                    {"IDMAX", "Top speed"}};
    int top = 308;
    for (const auto& stat : stats)
    {
        page.controls.push_back(
            Caption("IDLABEL", left, top, left + 100, top + 18, demo::kSmallFontId, kLabelColour, stat[1]));
        page.controls.push_back(Caption(stat[0] + s, left + 100, top, left + 180, top + 18,
                                        demo::kSmallFontId, kValueColour, ""));
        top += 21;
    }
    AddPanel(page, left + 185, 304, left + 360, 456);
    page.controls.push_back(
        TextList(side == 'L' ? "IDBUGGYDESCRPL" : "IDBUGGYDESCRPR", left + 192, 310, left + 352, 450));
}

MenuPageRecord NewBuggyPage()
{
    MenuPageRecord page = Page("ID_NEW_BUGGY", kNewBuggy, demo::kInnerBackdropId);
    AddTitle(page, "New buggy");
    AddMoney(page, "IDHWND33032");
    AddBuggySide(page, 'L', 30);
    AddBuggySide(page, 'R', 410);
    AddButton(page, "IDBLEFT", "<", 30, 466, true);
    AddButton(page, "IDBUYL", "Buy", 262, 466, true);
    AddButton(page, "IDBUYR", "Buy", 410, 466, true);
    AddButton(page, "IDBRIGHT", ">", 642, 466, true);
    AddButton(page, "IDBACK", "Back", 272, 516);
    return page;
}
} // namespace

std::vector<MenuPageRecord> DemoFrontEndPages()
{
    return {
        ProfilePage(),
        CreateProfilePage(),
        DifficultyPage(),
        Message("ID_PROFILE_CANT_GO", kProfileCantGo, kProfile, "Create or choose a pilot first."),
        Message("ID_PROFILE_CANT_DELETE", kProfileCantDelete, kProfile, "Choose the pilot to delete."),
        YesNo("ID_PROFILE_DELETE", kProfileDelete, kProfile, "Delete this pilot for good?"),
        Page(kDemoGarageBackdropPage, kGarageBackdrop, demo::kInnerBackdropId),
        HubPage(),
        YesNo("ID_SELL_BUGGY_YESNO", kSellYesNo, kHub, "Sell this buggy with all its parts?"),
        Message("ID_SELL_BUGGY", kSellRefused, kHub, "You cannot sell your only buggy."),
        YesNo("ID_INGAME_EXIT", kHubExit, kHub, "Back to the main menu?"),
        RaceTypePage(),
        YesNo("ID_POP_TUT", kTutorialOffer, kRaceType, "New here? Try the tutorials first?"),
        RaceListPage("ID_INGAME_RACE_CHAMPIONSHIP", kChampionship, "Championship", "IDLISTCHAMPIONSHIP"),
        RaceListPage("ID_INGAME_RACE_SIMULATOR", kSimulator, "Tutorials", "IDLISTTUTORIALS"),
        PilotPage("ID_INGAME_RACE_CHAMPIONSHIP_PROFILE", kChampionshipPilot, kChampionship),
        PilotPage("ID_INGAME_RACE_SIMULATOR_PROFILE", kSimulatorPilot, kSimulator),
        Message("ID_POP_UNLOCK_RACE", kUnlockRace, kChampionship,
                "Win the race before it to unlock this one."),
        Message("ID_POP_UNLOCK_TUT", kUnlockTutorial, kSimulator, "Finish the tutorial before it first."),
        ShopPage(),
        UpgradePage(),
        Message("ID_CANT_BUY_ITEM", kCantBuyItem, kShop, "You do not have enough money for this part."),
        Message("ID_CANT_UPGR_ITEM", kCantUpgrade, kUpgrade, "You do not have enough money for the upgrade."),
        WeaponsBuyPage(),
        WeaponsOwnedPage(),
        AmmoPage(),
        Message("ID_CANT_BUY_WEAP", kCantBuyWeapon, kWeapons,
                "You do not have enough money for this weapon."),
        Message("ID_POP_CANT_BUY_WEAP", kWeaponFitsNoBuggy, kWeapons,
                "None of your buggies can carry this weapon."),
        Message("ID_CANT_BUY_AMMO", kCantBuyAmmo, kAmmo, "You do not have enough money for that."),
        NewBuggyPage(),
        Message("ID_POP_OWN_BUG", kOwnBuggy, kNewBuggy, "You already own this buggy."),
        Message("ID_NEW_POP_C", kBuggyNotAvailable, kNewBuggy, "This buggy is not for sale to you yet."),
        Message("ID_NEW_BUG_A", kBuggyTooDear, kNewBuggy, "You do not have enough money for this buggy."),
        YesNo("ID_NEW_POP_B", kBuyBuggy, kNewBuggy, "Buy this buggy? It becomes your current one."),
    };
}
