#include "tests/e2e/Player.h"

#include "gui/QV7_MenuManager.h"
#include "gui/QV7_Menu_CheckBox.h"
#include "gui/QV7_Menu_Caption.h"
#include "gui/QV7_Menu_ListBox.h"
#include "gui/QV7_Menu_TextField.h"
#include "menus/GaragePageLoop.h"
#include "menus/QV7_NewBuggyPage.h"
#include "menus/QV7_ShopPage.h"
#include "menus/QV7_WeaponsPages.h"
#include "platform/input/script/ScriptedInput.h"
#include "race/BuggyConfiguration.h"
#include "race/QV7_Buggy.h"
#include "race/QV7_BuggyMeshSystem.h"
#include "race/QV7_AIController.h"
#include "race/QV7_BuggyWeapons.h"
#include "race/QV7_DataBase_MeshObject.h"
#include "race/QV7_MapSystem.h"
#include "race/QV7_PhysicsGroup.h"
#include "race/QV7_Profiles.h"
#include "race/QV7_Tutorial.h"
#include "race/QV7_TutorialInstall.h"
#include "race/RaceLoopHooks.h"
#include "race/RaceRules.h"
#include "shell/QV7_Windows.h"
#include "tests/e2e/StandIn.h"
#include "world/QV7_Mesh_StaticObjects.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <deque>
#include <fstream>
#include <sstream>

namespace e2e
{
namespace
{
using input::script::ScriptFrame;

constexpr uint32_t kFrameMs = 50;
// Frames to leave a page after a click before looking at it again (the
// click's own down and up frames come first).
constexpr int kSettleFrames = 6;
// Frames on one page with nothing to do there before the run gives up.
constexpr int kStuckFrames = 3000;

// ---- the hands: frames queued for the input layer ----

struct Hands
{
    std::deque<ScriptFrame> queue;
    int x = 400;
    int y = 300;

    ScriptFrame Frame() const
    {
        ScriptFrame frame;
        frame.ms = kFrameMs;
        frame.cursorX = x;
        frame.cursorY = y;
        return frame;
    }
    void Wait(int frames)
    {
        for (int i = 0; i < frames; ++i)
            queue.push_back(Frame());
    }
    void Click(int atX, int atY)
    {
        x = atX;
        y = atY;
        queue.push_back(Frame());
        ScriptFrame down = Frame();
        down.leftButton = true;
        queue.push_back(down);
        queue.push_back(Frame());
        Wait(kSettleFrames);
    }
    // Down for one frame, up for the next.
    void Press(int code, int settle = kSettleFrames)
    {
        ScriptFrame down = Frame();
        down.keys.push_back(code);
        queue.push_back(down);
        queue.push_back(Frame());
        Wait(settle);
    }
    void Hold(int code, int frames)
    {
        for (int i = 0; i < frames; ++i)
        {
            ScriptFrame down = Frame();
            down.keys.push_back(code);
            queue.push_back(down);
        }
        queue.push_back(Frame());
    }
    void Type(const std::string& text)
    {
        for (char c : text)
            Press(input::script::KeyCodeByName(std::string(1, c)), 1);
    }
};

// ---- the run's state ----

struct PendingPurchase
{
    std::string what;
    int price = 0;
    int moneyBefore = 0;
    int framesLeft = 0;
};

struct RaceWatch
{
    int frames = 0;
    int lastLap = 0;
    int finishLap = 0;
    int lastPlace = 0;
    RaceMode mode = RACE_MODE_CHAMPIONSHIP;
    int index = 0;
    bool capHit = false;
    int shots = 0;
    bool active = false;
    int nextPicture = 300;
};

struct Run
{
    Plan plan;
    Hands hands;
    std::vector<std::string> failures;
    std::string page;
    int framesOnPage = 0;
    int totalFrames = 0;
    bool finished = false;  // the player is done and leaving the game
    bool verified = false;  // second run: the garage was compared
    bool stuck = false;
    bool movieSkipped = false;
    // Shopping after each championship win: each page once per win.
    int shoppingRound = -1;
    bool visitedBuggyPage = false, visitedShop = false, visitedWeapons = false;
    int partsBoughtThisRound = 0, weaponsBoughtThisRound = 0;
    PendingPurchase purchase;
    std::vector<std::string> purchases;
    RaceWatch race;
    int racesSeen = 0;
    int moneyBeforeRace = 0;
    int wonBeforeRace = 0;
    bool panelOpen = false;
    int panelsClosed = 0;
    int screenshots = 0;
    bool finaleSeen = false;
    bool wonScreenPictured = false, creditsPictured = false;
};
Run g_run;

void Fail(const std::string& what)
{
    std::fprintf(stderr, "e2e: FAIL: %s\n", what.c_str());
    g_run.failures.push_back(what);
}

ProfileRecord* Profile()
{
    return g_profiles ? g_profiles->currentProfile : nullptr;
}

QV7_BuggyMeshSystem* Db()
{
    return BuggyConfiguration::Database();
}

const char* PageId()
{
    MenuPage* page = g_menuManager ? g_menuManager->CurrentPage() : nullptr;
    return page ? page->m_Id : "";
}

QV7_Menu_hWnd* Control(const char* id)
{
    return g_menuManager ? g_menuManager->FindControl(id, kMenuAnyType) : nullptr;
}

bool ClickControl(const char* id)
{
    QV7_Menu_hWnd* control = Control(id);
    if (!control || !control->m_Visible)
    {
        Fail(std::string("no control ") + id + " on " + PageId());
        g_run.hands.Wait(20);
        return false;
    }
    g_run.hands.Click((control->m_Left + control->m_Right) / 2, (control->m_Top + control->m_Bottom) / 2);
    return true;
}

void ClickListRow(const char* id, int row)
{
    auto* list = dynamic_cast<QV7_Menu_List*>(Control(id));
    if (!list)
    {
        Fail(std::string("no list ") + id + " on " + PageId());
        g_run.hands.Wait(20);
        return;
    }
    const int height = list->RowHeight();
    g_run.hands.Click((list->m_Left + list->m_Right - list->m_KnobWidth - 10) / 2,
                      list->m_Top + row * height + 2 + height / 2);
}

int SelectedRow(const char* id)
{
    auto* list = dynamic_cast<QV7_Menu_List*>(Control(id));
    return list ? list->m_SelectedRow : -1;
}

std::string CaptionText(const char* id)
{
    QV7_Menu_hWnd* control = Control(id);
    if (auto* caption = dynamic_cast<QV7_Menu_Caption*>(control))
        return caption->m_Text;
    if (auto* text = dynamic_cast<QV7_Menu_Text*>(control))
        return text->m_Text;
    return "";
}

bool Checked(const char* id)
{
    auto* check = dynamic_cast<QV7_Menu_Check*>(Control(id));
    return check && check->m_Checked;
}

void Screenshot()
{
    ++g_run.screenshots;
    g_run.hands.Press(input::script::KeyCodeByName("F11"), 2);
}

int WonCount(const ProfileRecord& profile)
{
    int won = 0;
    for (int race = 0; race < PROFILE_RACE_COUNT; ++race)
        won += profile.raceWon[race] == 1;
    return won;
}

int TutorialsWon(const ProfileRecord& profile)
{
    int won = 0;
    for (int t = 1; t < PROFILE_TUTORIAL_COUNT; ++t)
        won += profile.tutorialUnlocked[t] == 1;
    return won;
}

// ---- the profile as saved, one line a fact ----

std::string StateText(const ProfileRecord& profile)
{
    std::ostringstream out;
    QV7_BuggyMeshSystem* db = Db();
    const auto name = [db](int item)
    {
        const QV7_DataBase_MeshObject* object = db ? db->Item(item) : nullptr;
        return std::string(object ? ItemName(object) : "?");
    };
    out << "name " << profile.name << "\n";
    out << "money " << profile.money << "\n";
    out << "difficulty " << profile.difficulty << "\n";
    out << "races won";
    for (int r = 0; r < PROFILE_RACE_COUNT; ++r)
        out << ' ' << profile.raceWon[r];
    out << "\nraces unlocked";
    for (int r = 0; r < PROFILE_RACE_COUNT; ++r)
        out << ' ' << profile.raceUnlocked[r];
    out << "\ntutorials unlocked";
    for (int t = 0; t < PROFILE_TUTORIAL_COUNT; ++t)
        out << ' ' << profile.tutorialUnlocked[t];
    out << "\nammunition";
    for (int a = 0; a < PROFILE_AMMUNITION_COUNT; ++a)
        out << ' ' << profile.ammunition[a];
    out << "\n";
    for (int b = 0; b < profile.ownedBuggies.Count(); ++b)
    {
        const BuggyConfiguration& buggy = *profile.ownedBuggies[b];
        out << "buggy " << name(buggy.model) << (&buggy == profile.currentBuggy ? " (current)" : "") << ":";
        for (int p = 0; p < buggy.parts.Count(); ++p)
            out << " [" << name(buggy.parts[p]->item) << "]";
        out << "\n";
    }
    out << "weapons:";
    for (int i = 0; i < profile.ownedItems.Count(); ++i)
        out << " [" << name(profile.ownedItems[i]->item) << "]";
    out << "\n";
    return out.str();
}

// ---- purchases: each click of a buy button must take exactly the price ----

void ExpectPurchase(const std::string& what, int price)
{
    const ProfileRecord* profile = Profile();
    g_run.purchase = {what, price, profile ? profile->money : 0, 80};
}

void WatchPurchase()
{
    PendingPurchase& p = g_run.purchase;
    if (p.what.empty())
        return;
    const ProfileRecord* profile = Profile();
    if (profile && profile->money != p.moneyBefore)
    {
        if (profile->money != p.moneyBefore - p.price)
            Fail("buying " + p.what + " took " + std::to_string(p.moneyBefore - profile->money) + " ZR, not " +
                 std::to_string(p.price));
        g_run.purchases.push_back(p.what + " for " + std::to_string(p.price) + " ZR");
        std::fprintf(stderr, "e2e: bought %s for %d ZR (%d left)\n", p.what.c_str(), p.price, profile->money);
        p = PendingPurchase();
        return;
    }
    if (--p.framesLeft <= 0)
    {
        Fail("the click to buy " + p.what + " bought nothing");
        p = PendingPurchase();
    }
}

// ---- the race: observed after every race frame ----

void ShootNextTarget(QV7_MapSystem& race);
void WreckLessonOpponent(QV7_MapSystem& race);

void AfterRaceFrame(QV7_MapSystem& session)
{
    RaceWatch& watch = g_run.race;
    if (!watch.active)
    {
        watch = RaceWatch();
        watch.active = true;
        watch.mode = session.mode;
        watch.index = session.raceIndex;
        watch.finishLap = race::FinishLap(session.mode);
        ++g_run.racesSeen;
    }
    ++watch.frames;
    QV7_Buggy* player = session.playerRacer;
    if (player && session.physicsGroup)
    {
        std::vector<const QV7_Buggy*> racers(session.physicsGroup->racers.begin(),
                                             session.physicsGroup->racers.end());
        watch.lastPlace = race::RacePosition(racers, 0);
        watch.lastLap = player->lapCounter;
    }
    if (session.mode == RACE_MODE_TUTORIAL && session.raceIndex == 1)
        ShootNextTarget(session);
    if (session.mode == RACE_MODE_TUTORIAL && session.raceIndex == 2)
        WreckLessonOpponent(session);
    if (watch.frames % 1000 == 0 && player)
    {
        QV7_Tutorial* tutorial = CurrentTutorial();
        int best = 0;
        for (const QV7_Buggy* racer : session.physicsGroup->racers)
            if (racer != player)
                best = std::max(best, racer->checkpointsPassed);
        std::fprintf(stderr,
                     "e2e:   race frame %d: lap %d, checkpoints %d, place %d, respawns %d; best opponent %d "
                     "checkpoints%s%s\n",
                     watch.frames, player->lapCounter, player->checkpointsPassed, watch.lastPlace,
                     LastStandInReport().respawns, best,
                     tutorial ? ", lesson step " : "", tutorial ? std::to_string(tutorial->step).c_str() : "");
    }
    if (watch.frames > g_run.plan.raceFrameCap && !watch.capHit)
    {
        watch.capHit = true;
        Fail("race " + std::to_string(watch.index) + " (mode " + std::to_string(watch.mode) +
             ") hit the frame cap");
    }
}

// The target lesson asks for shots at the targets beside the track; the
// stand-in's weapons aim at racers, not scenery, so the shot is answered
// through the weapons' hit hook (what a projectile hitting the target hands
// over), one at a time and only while the lesson waits for targets.
void ShootNextTarget(QV7_MapSystem& race)
{
    QV7_Tutorial* tutorial = CurrentTutorial();
    if (!tutorial || tutorial->step > 2 || tutorial->targetLockout > 0.0f || !race.staticObjects ||
        !QV7_BuggyWeapons::s_Hooks.countTargetHit || g_run.race.frames % 10 != 0)
        return;
    for (const auto& tag : race.staticObjects->m_GeomTags)
        if (tag->surfaceClass >= 0 && tag->surfaceClass <= tutorial->step && tag->instance && !tag->instance->dark)
        {
            QV7_BuggyWeapons::s_Hooks.countTargetHit(tag.get());
            ++g_run.race.shots;
            return;
        }
}

// The equipment lesson's race asks the player to wreck its one computer
// opponent before it finishes a lap. The stand-in's weapons fire at racers
// in front of it but, slower than the opponent, it is seldom behind it in
// range: the hit is answered as the weapons would end it, the opponent's
// health at 0 (its driver then wrecks and respawns it itself), every 20 s
// of the lesson's waiting step.
void WreckLessonOpponent(QV7_MapSystem& race)
{
    QV7_Tutorial* tutorial = CurrentTutorial();
    if (!tutorial || tutorial->step != 3 || !race.physicsGroup || g_run.race.frames % 400 != 0)
        return;
    QV7_Collection<QV7_Buggy>& racers = race.physicsGroup->racers;
    QV7_Buggy* opponent = racers.count > 1 ? racers[racers.count - 1] : nullptr;
    if (opponent && opponent->controllerKind == QV7_Buggy::CONTROLLER_COMPUTER && opponent->computerController &&
        !opponent->computerController->destroyed)
        opponent->computerController->health = 0.0f;
}

void RunPanel(QV7_Tutorial& tutorial)
{
    g_run.panelOpen = true;
    tutorial.RunInstructionPanel();
    g_run.panelOpen = false;
    ++g_run.panelsClosed;
}

int Binding(KeyAction action)
{
    return g_windowsData ? g_windowsData->m_Settings.Keys[action][0] : -1;
}

// What the race asks of the player's hands: the tutorial's keys and panels,
// the results page, a picture now and then.
void DecideInRace()
{
    Hands& hands = g_run.hands;
    const std::string page = PageId();
    if (page == "ID_END_MENU" || page == "ID_END_MENU_TIME")
    {
        hands.Wait(20);
        hands.Press(input::script::KeyCodeByName("RETURN"));
        return;
    }
    if (g_run.panelOpen)
    {
        hands.Wait(4);
        hands.Press(QV7_Tutorial::kPanelKey, 4);
        return;
    }
    QV7_Tutorial* tutorial = CurrentTutorial();
    const QV7_Buggy* player = g_mapSystem->playerRacer;
    if (tutorial && g_mapSystem->raceIndex == 0 && player)
    {
        // The driving lesson asks for each driving key once, then for the
        // respawn key after the first checkpoint and the hand-brake after the
        // second: the player presses them when asked.
        if (tutorial->step == 0)
        {
            for (KeyAction action : {KEY_SteerRight, KEY_SteerLeft, KEY_Accelerate, KEY_Reverse})
                hands.Press(Binding(action), 2);
            return;
        }
        if (tutorial->step == 1 && player->checkpointsPassed >= 1)
            return hands.Press(Binding(KEY_Respawn), 10);
        if (tutorial->step == 2 && player->checkpointsPassed >= 2)
            return hands.Press(Binding(KEY_HandBrake), 10);
    }
    if (tutorial && g_mapSystem->raceIndex == 2 && player && g_mapSystem->releaseFlags[0] == 0)
    {
        // The equipment lesson: the shield opened and closed again, the
        // jammer fired, then the turbo held for a while.
        if (tutorial->step == 0)
            return hands.Press(Binding(KEY_Shield), 40);
        if (tutorial->step == 1)
            return hands.Press(Binding(KEY_Jammer), 20);
        if (tutorial->step == 2)
            return hands.Hold(Binding(KEY_Turbo), 60);
    }
    // A picture of the race now and then (F11, the game's screenshot key).
    if (g_run.race.frames >= g_run.race.nextPicture && g_run.screenshots < 40)
    {
        g_run.race.nextPicture += 2500;
        return Screenshot();
    }
    hands.Wait(1);
}

// ---- the garage: what to buy after a win ----

bool Affordable(const QV7_DataBase_MeshObject* item, int reserve = 0)
{
    const ProfileRecord* profile = Profile();
    return item && profile && int(item->value1) + reserve <= profile->money;
}

// The model position the new-buggy page should sell (-1: none).
int BuggyToBuy()
{
    ProfileRecord* profile = Profile();
    QV7_BuggyMeshSystem* db = Db();
    if (!profile || !db)
        return -1;
    const std::vector<ModelOffer> offers = BuildModelOffers(*profile, *db);
    for (int p = std::min(kLastBuyableModel, int(offers.size()) - 1); p >= kFirstBuyableModel; --p)
        if (offers[size_t(p)].available && !offers[size_t(p)].owned && Affordable(offers[size_t(p)].model))
            return p;
    return -1;
}

const QV7_DataBase_MeshObject* PartToBuy()
{
    ProfileRecord* profile = Profile();
    QV7_BuggyMeshSystem* db = Db();
    if (!profile || !profile->currentBuggy || !db || g_run.partsBoughtThisRound >= 3)
        return nullptr;
    const QV7_DataBase_MeshObject* cheapest = nullptr;
    for (const QV7_DataBase_MeshObject* offer : ShopOffers(*db, *profile->currentBuggy))
        if (!cheapest || offer->value1 < cheapest->value1)
            cheapest = offer;
    return Affordable(cheapest) ? cheapest : nullptr;
}

int WeaponToBuy()
{
    ProfileRecord* profile = Profile();
    QV7_BuggyMeshSystem* db = Db();
    if (!profile || !db || g_run.weaponsBoughtThisRound >= 2)
        return -1;
    const int best = BestOwnedModel(*profile, *db);
    const std::vector<QV7_DataBase_MeshObject*> list = WeaponList(*db, best);
    for (size_t i = 0; i < list.size(); ++i)
    {
        QV7_DataBase_MeshObject* weapon = list[i];
        const bool demoOnly = weapon->type == 4 || weapon->type == 5 || weapon->type == 12;
        if (!demoOnly && weapon->FitsModel(best) == 1 && !OwnedWeapon(*profile, *db, weapon) && Affordable(weapon))
            return int(i);
    }
    return -1;
}

void StartShoppingRoundIfWon()
{
    const ProfileRecord* profile = Profile();
    if (!profile || WonCount(*profile) == g_run.shoppingRound)
        return;
    g_run.shoppingRound = WonCount(*profile);
    g_run.visitedBuggyPage = g_run.visitedShop = g_run.visitedWeapons = false;
    g_run.partsBoughtThisRound = g_run.weaponsBoughtThisRound = 0;
}

// ---- the pages ----

void DecideOnHub()
{
    ProfileRecord* profile = Profile();
    if (!profile)
        return g_run.hands.Wait(10);
    if (g_run.plan.verify)
    {
        // The garage's texts are written once it is on screen: look once it has faded in.
        if (!g_run.verified && g_run.framesOnPage < 40)
            return g_run.hands.Wait(10);
        if (!g_run.verified)
        {
            std::ifstream in(g_run.plan.stateFile);
            std::stringstream expected;
            expected << in.rdbuf();
            const std::string shown = StateText(*profile);
            if (shown != expected.str())
                Fail("the restarted game shows another profile:\n--- saved at the end of the run\n" +
                     expected.str() + "--- shown after the restart\n" + shown);
            const std::string money = CaptionText("IDZEPHYRIONS");
            if (money != std::to_string(profile->money) + " ZR")
                Fail("the garage shows " + money + " for " + std::to_string(profile->money) + " ZR");
            std::fprintf(stderr, "e2e: after the restart the garage shows:\n%s", shown.c_str());
            g_run.verified = true;
            Screenshot();
            return;
        }
        ClickControl("IDCLOSE");
        return;
    }
    // Played everything: the pilot's state is written down, then the game is left.
    const bool allDone =
        TutorialsWon(*profile) >= g_run.plan.tutorials && WonCount(*profile) >= g_run.plan.races;
    if (allDone)
    {
        if (!g_run.finished && g_run.framesOnPage < 40)
            return g_run.hands.Wait(10);
        if (!g_run.finished)
        {
            std::ofstream(g_run.plan.stateFile) << StateText(*profile);
            std::fprintf(stderr, "e2e: the garage at the end of the run:\n%s", StateText(*profile).c_str());
            g_run.finished = true;
            Screenshot();
            return;
        }
        ClickControl("IDCLOSE");
        return;
    }
    StartShoppingRoundIfWon();
    if (WonCount(*profile) > 0)
    {
        if (!g_run.visitedBuggyPage && BuggyToBuy() >= 0)
            return void(ClickControl("IDBUYNEW"));
        if (!g_run.visitedShop && PartToBuy())
            return void(ClickControl("IDGARAGE"));
        if (!g_run.visitedWeapons && WeaponToBuy() >= 0)
            return void(ClickControl("IDWEAPONS"));
    }
    ClickControl("IDRACE");
}

void DecideOnShop()
{
    g_run.visitedShop = true;
    const QV7_DataBase_MeshObject* part = PartToBuy();
    if (!g_run.purchase.what.empty())
        return g_run.hands.Wait(2);
    if (!part)
        return void(ClickControl("IDBACK"));
    const std::vector<QV7_DataBase_MeshObject*> offers = ShopOffers(*Db(), *Profile()->currentBuggy);
    int row = 0;
    while (row < int(offers.size()) && offers[size_t(row)] != part)
        ++row;
    // The list is longer than it shows: the arrow keys walk its selection.
    // They move the selection of the list in focus: a click on a row first.
    const int selected = SelectedRow("IDSHOP");
    auto* list = dynamic_cast<QV7_Menu_List*>(Control("IDSHOP"));
    if (selected < 0 || (list && !list->IsFocused()))
        return ClickListRow("IDSHOP", 0);
    if (selected != row)
    {
        for (int i = 0; i < std::abs(row - selected); ++i)
            g_run.hands.Press(input::script::KeyCodeByName(selected < row ? "DOWN" : "UP"), 0);
        return g_run.hands.Wait(2);
    }
    ExpectPurchase(ItemName(part), int(part->value1));
    ++g_run.partsBoughtThisRound;
    ClickControl("IDBUY");
}

void DecideOnWeapons()
{
    g_run.visitedWeapons = true;
    if (!g_run.purchase.what.empty())
        return g_run.hands.Wait(2);
    const int target = WeaponToBuy();
    if (target < 0)
        return void(ClickControl("IDBACK"));
    ProfileRecord& profile = *Profile();
    QV7_BuggyMeshSystem& db = *Db();
    const std::vector<QV7_DataBase_MeshObject*> list = WeaponList(db, BestOwnedModel(profile, db));
    // Which weapon the page shows, by its name.
    const std::string shown = CaptionText("IDWEAPONNAME");
    int at = -1;
    for (size_t i = 0; i < list.size() && at < 0; ++i)
    {
        const MountedPart* owned = OwnedWeapon(profile, db, list[i]);
        const QV7_DataBase_MeshObject* level = owned ? db.Item(owned->item) : list[i];
        if (shown == ItemName(level))
            at = int(i);
    }
    if (at < 0)
        return g_run.hands.Wait(5);
    if (at < target)
        return void(ClickControl("IDBRIGHT"));
    if (at > target)
        return void(ClickControl("IDBLEFT"));
    ExpectPurchase(ItemName(list[size_t(target)]), int(list[size_t(target)]->value1));
    ++g_run.weaponsBoughtThisRound;
    ClickControl("IDBUY");
}

void DecideOnNewBuggy()
{
    g_run.visitedBuggyPage = true;
    if (!g_run.purchase.what.empty())
        return g_run.hands.Wait(2);
    const int target = BuggyToBuy();
    if (target < 0)
        return void(ClickControl("IDBACK"));
    const std::vector<ModelOffer> offers = BuildModelOffers(*Profile(), *Db());
    const std::string wanted = ItemName(offers[size_t(target)].model);
    const std::string left = CaptionText("IDHWND32527");
    if (wanted == CaptionText("IDHWND32528"))
    {
        ExpectPurchase(wanted, int(offers[size_t(target)].model->value1));
        return void(ClickControl("IDBUYR"));
    }
    if (wanted == left)
    {
        ExpectPurchase(wanted, int(offers[size_t(target)].model->value1));
        return void(ClickControl("IDBUYL"));
    }
    int leftAt = -1;
    for (size_t p = 0; p < offers.size(); ++p)
        if (left == ItemName(offers[p].model))
            leftAt = int(p);
    ClickControl(leftAt < target ? "IDBRIGHT" : "IDBLEFT");
}

int NextTutorial(const ProfileRecord& profile)
{
    for (int t = 0; t < g_run.plan.tutorials; ++t)
        if (profile.tutorialUnlocked[t + 1] == 0)
            return t;
    return -1;
}

int NextRace(const ProfileRecord& profile)
{
    for (int r = 0; r < g_run.plan.races; ++r)
        if (profile.raceWon[r] == 0)
            return r;
    return -1;
}

void RaceFromList(const char* list, int row)
{
    if (row < 0)
        return void(ClickControl("IDBACK"));
    if (SelectedRow(list) != row)
        return ClickListRow(list, row);
    ProfileRecord& profile = *Profile();
    g_run.moneyBeforeRace = profile.money;
    g_run.wonBeforeRace = WonCount(profile) + 100 * TutorialsWon(profile);
    g_run.race.active = false;
    ClickControl("IDRACE");
}

void DecideOnMenuPage(const std::string& page)
{
    Hands& hands = g_run.hands;
    ProfileRecord* profile = Profile();
    if (page == "ID_MAIN_MENU")
    {
        const bool leave = g_run.plan.verify ? g_run.verified : g_run.finished;
        // One picture of the main menu, once it has faded in.
        if (g_run.screenshots == 0)
            return g_run.framesOnPage < 40 ? hands.Wait(10) : Screenshot();
        return void(ClickControl(leave ? "IDEXIT" : "IDSINGLEPLAYER"));
    }
    if (page == "ID_MAIN_MENU_EXIT" || page == "ID_INGAME_EXIT" || page == "ID_NEW_POP_B")
        return void(ClickControl("IDYES"));
    if (page == "ID_POP_TUT")
        return void(ClickControl(g_run.plan.tutorials > 0 ? "IDYES" : "IDNO"));
    if (page.rfind("ID_DEMO_", 0) == 0)
    {
        hands.Wait(25);
        return hands.Press(input::script::KeyCodeByName("RETURN"));
    }
    if (page == "ID_PROFILE")
    {
        int index = -1;
        for (int i = 0; g_profiles && i < g_profiles->profiles.Count(); ++i)
            if (g_run.plan.pilotName == g_profiles->profiles[i]->name)
                index = i;
        if (index < 0)
            return void(ClickControl(g_run.plan.verify ? "IDBACK" : "IDNEW"));
        const int row = g_profiles->profiles.Count() - 1 - index;
        if (SelectedRow("IDPROFILES") != row)
            return ClickListRow("IDPROFILES", row);
        return void(ClickControl("IDGO"));
    }
    if (page == "ID_PROFILE_CREATE")
    {
        if (CaptionText("IDHWND502") != g_run.plan.pilotName)
            return hands.Type(g_run.plan.pilotName);
        return void(ClickControl("IDOK"));
    }
    if (page == "ID_PROFILE_DIFICULTY")
    {
        // The easiest difficulty: the computer drivers hold back the most.
        if (!Checked("IDHWND606"))
            return void(ClickControl("IDHWND606"));
        return void(ClickControl("IDOK"));
    }
    if (page == "ID_INGAME")
        return DecideOnHub();
    if (!profile)
        return hands.Wait(10);
    if (page == "ID_INGAME_RACE")
    {
        if (g_run.plan.verify)
            return void(ClickControl("IDBACK"));
        if (NextTutorial(*profile) >= 0)
            return void(ClickControl("IDSYMULATOR"));
        return void(ClickControl(NextRace(*profile) >= 0 ? "IDCHAMPIONSHIP" : "IDBACK"));
    }
    if (page == "ID_INGAME_RACE_SIMULATOR")
        return RaceFromList("IDLISTTUTORIALS", NextTutorial(*profile));
    if (page == "ID_INGAME_RACE_CHAMPIONSHIP")
        return RaceFromList("IDLISTCHAMPIONSHIP", NextRace(*profile));
    if (page == "ID_IETEMS")
        return DecideOnShop();
    if (page == "ID_WEAPONS_BUY" || page == "ID_WEAPONS")
        return DecideOnWeapons();
    if (page == "ID_NEW_BUGGY")
        return DecideOnNewBuggy();
    if (page.rfind("ID_CANT_", 0) == 0 || page.rfind("ID_POP_", 0) == 0 || page.rfind("ID_NEW_", 0) == 0)
    {
        Fail("unexpected message page " + page);
        return void(ClickControl("IDOK"));
    }
    hands.Wait(5);
}

// After a race, back in the menus: what the race must have left behind.
void CheckFinishedRace()
{
    RaceWatch& watch = g_run.race;
    ProfileRecord* profile = Profile();
    if (!watch.active || g_mapSystem || !profile)
        return;
    watch.active = false;
    const StandInReport& report = LastStandInReport();
    std::fprintf(stderr,
                 "e2e: race %d (mode %d) over after %d frames (%.0f s of race): lap %d of %d, place %d; "
                 "stand-in respawns %d, wrong checkpoints %d; money %d -> %d\n",
                 watch.index, int(watch.mode), watch.frames, watch.frames * kFrameMs / 1000.0, watch.lastLap,
                 watch.finishLap, watch.lastPlace, report.respawns, report.wrongCheckpoints, g_run.moneyBeforeRace,
                 profile->money);
    if (watch.capHit)
        return;
    if (watch.mode == RACE_MODE_TUTORIAL)
    {
        if (profile->tutorialUnlocked[watch.index + 1] != 1)
            Fail("tutorial " + std::to_string(watch.index + 1) + " was not won");
        return;
    }
    if (watch.lastLap < watch.finishLap)
        Fail("championship race " + std::to_string(watch.index) + " ended before its last lap");
    if (watch.lastPlace != 1)
        Fail("the stand-in finished championship race " + std::to_string(watch.index) + " in place " +
             std::to_string(watch.lastPlace));
    if (profile->raceWon[watch.index] != 1)
        Fail("championship race " + std::to_string(watch.index) + " not recorded as won");
    if (watch.index + 1 < PROFILE_RACE_COUNT && profile->raceUnlocked[watch.index + 1] != 1)
        Fail("winning race " + std::to_string(watch.index) + " did not unlock the next");
    // The first win's prize, and the coins picked up on the way; the last
    // race pays the finale's prize instead, after its won screen and credits.
    const bool final = watch.index == QV7_MapSystem::FinalChampionshipRace();
    const int prize = final ? 50000 : 20000;
    if (final && !g_run.finaleSeen)
        Fail("winning the last championship race " + std::to_string(watch.index) + " played no finale");
    if (profile->money < g_run.moneyBeforeRace + prize)
        Fail("the first win of race " + std::to_string(watch.index) + " paid " +
             std::to_string(profile->money - g_run.moneyBeforeRace) + " ZR, less than the prize of " +
             std::to_string(prize));
}

// The championship's finale: a picture of the won screen once it has faded
// in, then Enter; a picture of the credits once a few lines have rolled in,
// then Enter again (the screenshot key does not end either page).
void DecideOnFinale(const std::string& page)
{
    g_run.finaleSeen = true;
    const bool credits = page == "ID_WON_SCREEN_CREDITS";
    if (g_run.framesOnPage < (credits ? 200 : 60))
        return g_run.hands.Wait(10);
    bool& pictured = credits ? g_run.creditsPictured : g_run.wonScreenPictured;
    if (!pictured)
    {
        pictured = true;
        return Screenshot();
    }
    // The won screen stays current while the credits' backdrop fades over it.
    g_run.hands.Press(input::script::KeyCodeByName("RETURN"), credits ? 20 : 80);
}

void Decide()
{
    const std::string page = PageId();
    if (page != g_run.page)
    {
        g_run.page = page;
        g_run.framesOnPage = 0;
        std::fprintf(stderr, "e2e: frame %d: page %s%s\n", g_run.totalFrames, page.empty() ? "(none)" : page.c_str(),
                     g_mapSystem ? " (race)" : "");
    }
    WatchPurchase();
    if (g_mapSystem)
        return DecideInRace();
    // The finale plays before the session's end pays its prize: the race is judged after it.
    if (page.rfind("ID_WON_SCREEN", 0) == 0)
        return DecideOnFinale(page);
    CheckFinishedRace();
    // The intro movie can be skipped once its first second has passed.
    if (g_run.totalFrames >= 40 && !g_run.movieSkipped)
        return g_run.movieSkipped = true, g_run.hands.Press(input::script::KeyCodeByName("ESCAPE"));
    DecideOnMenuPage(page);
    if (g_run.framesOnPage > kStuckFrames)
    {
        Fail("stuck on page " + page);
        g_run.stuck = true;
    }
}

// The player's next frame; false once it is done.
bool NextFrame(ScriptFrame& frame)
{
    ++g_run.totalFrames;
    ++g_run.framesOnPage;
    if (g_run.failures.size() > 20 || g_run.race.capHit || g_run.stuck)
        return false; // the window closes: nothing more to learn
    if (g_run.hands.queue.empty())
        Decide();
    if (g_run.hands.queue.empty())
        g_run.hands.Wait(1);
    frame = g_run.hands.queue.front();
    g_run.hands.queue.pop_front();
    return true;
}

// The player's frames travel the input layer's script path: a one-frame
// script held by the hook for as long as the player plays, released (and so
// over, the window closing) once it is done.
bool PlayerFrame(ScriptFrame& frame)
{
    ScriptFrame next;
    if (!NextFrame(next))
        return true;
    frame = next;
    return false;
}
} // namespace

void InstallPlayer(const Plan& plan)
{
    g_run = Run();
    g_run.plan = plan;
    QV7_MapSystem::s_Hooks.attachPlayerController = &AttachStandIn;
    g_raceLoopHooks.afterFrame = &AfterRaceFrame;
    QV7_Tutorial::s_Hooks.runPanel = &RunPanel;
    setenv("QV7_INPUT_BACKEND", "null", 1);
    input::script::SetFrameHook(&PlayerFrame);
    input::script::StartText("ms 50\nwait 1\n");
}

const std::vector<std::string>& Failures()
{
    return g_run.failures;
}

void Note(const std::string& line)
{
    std::fprintf(stderr, "e2e: %s\n", line.c_str());
}

void CheckRunComplete()
{
    if (g_run.plan.verify && !g_run.verified)
        Fail("the restarted game never showed the pilot's garage");
    if (!g_run.plan.verify && !g_run.finished)
        Fail("the run ended before the plan was played");
    std::fprintf(stderr, "e2e: %d frames, %d races, %d panels closed, purchases:", g_run.totalFrames,
                 g_run.racesSeen, g_run.panelsClosed);
    for (const std::string& p : g_run.purchases)
        std::fprintf(stderr, " [%s]", p.c_str());
    std::fprintf(stderr, "\n");
}
} // namespace e2e
