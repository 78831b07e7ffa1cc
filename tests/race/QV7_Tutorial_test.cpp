// The tutorial's lessons on real racers of a physics group without a screen:
// scripted keys, a fake clock, texts with their key places and a panel that
// closes as soon as it is opened.
#include "race/QV7_Tutorial.h"

#include "effects/QV7_EffectsListMap.h"
#include "race/QV7_Checkpoint.h"
#include "tests/race/RacerTestSupport.h"
#include "tools/demo/DemoLanguage.h"
#include "world/QV7_Mesh_StaticObjects.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

namespace
{
InputCode g_pressed = -1;
int g_panelsShown = 0;
std::string g_textOverride;

constexpr InputCode kBindings[KEY_ACTION_COUNT] = {19, 57, 200, 208, 203, 205, 29, 42, 31, 2, 3, 4, 5, 6, 36};

InputCode Pressed()
{
    return g_pressed;
}

InputCode NoCode()
{
    return -1;
}

InputCode Binding(KeyAction action, int which)
{
    return which == 0 ? kBindings[action] : -1;
}

const char* Text(int entry)
{
    static std::string text;
    text = g_textOverride.empty() ? "Entry " + std::to_string(entry) + ": %s %s %s %s" : g_textOverride;
    return text.c_str();
}

void ClosingPanel(QV7_Tutorial&)
{
    ++g_panelsShown;
}

class TutorialTest : public racertest::RacerGroupTest
{
  protected:
    void SetUp() override
    {
        RacerGroupTest::SetUp();
        QV7_Tutorial::s_Hooks = TutorialHooks{};
        QV7_Tutorial::s_Hooks.pressedCode = &Pressed;
        QV7_Tutorial::s_Hooks.movedAxisCode = &NoCode;
        QV7_Tutorial::s_Hooks.povCode = &NoCode;
        QV7_Tutorial::s_Hooks.binding = &Binding;
        QV7_Tutorial::s_Hooks.text = &Text;
        QV7_Tutorial::s_Hooks.runPanel = &ClosingPanel;
        QV7_Tutorial::s_Hooks.attachComputerDriver = [](QV7_Buggy& racer, int)
        { QV7_Buggy::AttachAIController(racer, {}); };
        g_pressed = -1;
        g_panelsShown = 0;
        g_textOverride.clear();
        for (int i = 0; i < 2; ++i)
        {
            CheckpointRecord* record = checkpoints.checkpoints.Add();
            record->markers.push_back({1000.0f * float(i), 0.0f, 0.0f, 0.0f});
        }
        checkpoints.checkpoints[0]->next = checkpoints.checkpoints[1];
        checkpoints.checkpoints[1]->next = checkpoints.checkpoints[0];
        checkpoints.finish = checkpoints.checkpoints[0];
    }
    void TearDown() override
    {
        QV7_Tutorial::s_Hooks = TutorialHooks{};
        RacerGroupTest::TearDown();
    }

    // Lesson on a group holding the player's racer.
    void Start(int lesson, int racers = 1)
    {
        player = &AddRacer(1, false);
        for (int i = 1; i < racers; ++i)
            AddRacer(1, true);
        tutorial.session.lesson = lesson;
        tutorial.session.group = &group;
        tutorial.session.player = player;
        tutorial.session.checkpoints = &checkpoints;
        tutorial.session.effects = &effects;
        tutorial.session.won = &won;
        tutorial.session.countdown = &countdown;
        tutorial.session.releaseFlags = releaseFlags;
        tutorial.Setup(nullptr, nullptr, nullptr, nullptr, nullptr);
        Frame(0.0f); // the first panel
        ASSERT_EQ(g_panelsShown, 1);
    }
    void Frame(float ms, InputCode key = -1)
    {
        g_pressed = key;
        tutorial.Update(ms);
        tutorial.HandleRequests();
        g_pressed = -1;
    }
    // Frames of 100 ms until ms have passed.
    void Wait(float ms)
    {
        for (float t = 0.0f; t < ms; t += 100.0f)
            Frame(100.0f);
    }

    QV7_Checkpoint checkpoints;
    QV7_EffectsListMap effects;
    QV7_Tutorial tutorial;
    QV7_Buggy* player = nullptr;
    int won = 0;
    float countdown = 0.0f;
    int releaseFlags[5] = {};
};

TEST_F(TutorialTest, DrivingLessonStepsThroughKeysCheckpointsRespawnAndALapToTheWon)
{
    Start(0);
    for (KeyAction action : {KEY_SteerRight, KEY_SteerLeft, KEY_Accelerate})
        Frame(16.0f, kBindings[action]);
    EXPECT_EQ(tutorial.step, 0) << "three of the four keys are not enough";
    Frame(16.0f, kBindings[KEY_Reverse]);
    EXPECT_EQ(tutorial.step, 1);
    EXPECT_EQ(g_panelsShown, 2);
    EXPECT_EQ(player->playerController->respawnRequested, 1);
    EXPECT_EQ(player->currentCheckpoint, checkpoints.checkpoints[0]);

    Frame(16.0f, kBindings[KEY_Respawn]);
    EXPECT_EQ(tutorial.delay, 0.0f) << "respawn counts only after the first checkpoint";
    player->checkpointsPassed = 1;
    Frame(16.0f, kBindings[KEY_Respawn]);
    Wait(900.0f);
    EXPECT_EQ(tutorial.step, 1) << "the confirmation waits 1000 ms";
    Wait(200.0f);
    EXPECT_EQ(tutorial.step, 2);
    EXPECT_EQ(player->currentCheckpoint, checkpoints.checkpoints[1]);
    EXPECT_EQ(player->checkpointsPassed, 1);

    player->checkpointsPassed = 2;
    Frame(16.0f, kBindings[KEY_HandBrake]);
    Wait(1100.0f);
    EXPECT_EQ(tutorial.step, 3);

    const int panels = g_panelsShown;
    player->lapCounter = 2;
    Frame(16.0f);
    EXPECT_EQ(tutorial.step, 4);
    EXPECT_EQ(g_panelsShown, panels) << "the end step opens its own panel";
    Frame(16.0f);
    EXPECT_EQ(g_panelsShown, panels + 1);
    EXPECT_EQ(won, 0);
    Frame(16.0f);
    EXPECT_EQ(tutorial.finished, 1);
    EXPECT_EQ(won, 1);
}

struct TargetCase
{
    const char* name;
    int step;
    int hits;
    float atMs;
    int expectedStep;
};

TEST_F(TutorialTest, TargetLessonTimeLimitsAgainstHitCounts)
{
    const TargetCase cases[] = {
        {"ten hits before 90 s pass after the delay", 1, 10, 30000.0f, 2},
        {"nine hits at 90 s retry at once", 1, 9, 90100.0f, 4},
        {"27 hits before 180 s win", 2, 27, 60000.0f, 3},
        {"26 hits at 180 s retry", 2, 26, 180100.0f, 5},
    };
    Start(1);
    std::vector<std::unique_ptr<StaticObjectInstance>> owned;
    for (int i = 0; i < 30; ++i)
    {
        owned.push_back(std::make_unique<StaticObjectInstance>());
        tutorial.targets.push_back(owned.back().get());
    }
    for (const TargetCase& c : cases)
    {
        SCOPED_TRACE(c.name);
        tutorial.step = c.step;
        tutorial.elapsed = 0.0f;
        tutorial.targetCount = 0;
        tutorial.delay = 0.0f;
        tutorial.delayDone = 0;
        tutorial.targetLockout = 0.0f;
        for (StaticObjectInstance* target : tutorial.targets)
            target->dark = 0;
        for (int i = 0; i < c.hits; ++i)
            EXPECT_TRUE(tutorial.CountTargetHit(tutorial.targets[size_t(i)], 0));
        tutorial.elapsed = c.atMs;
        Frame(10.0f);
        if (c.expectedStep == 2 || c.expectedStep == 3)
        {
            EXPECT_EQ(tutorial.step, c.step) << "a pass waits for its delay";
            Wait(1000.0f);
        }
        EXPECT_EQ(tutorial.step, c.expectedStep);
        EXPECT_EQ(tutorial.targetCount, 0);
        EXPECT_EQ(tutorial.targets[0]->dark, 0);
    }
    // The retry panel sends the player back to the step it failed.
    Frame(10.0f);
    Frame(10.0f);
    EXPECT_EQ(tutorial.step, 2);
}

TEST_F(TutorialTest, TargetsCountOncePerStepByKindAndNotRightAfterAStageChange)
{
    Start(1);
    StaticObjectInstance a, b;
    tutorial.targets = {&a, &b};
    EXPECT_FALSE(tutorial.CountTargetHit(&a, 1)) << "step 0 takes only kind 0";
    EXPECT_TRUE(tutorial.CountTargetHit(&a, 0));
    EXPECT_FALSE(tutorial.CountTargetHit(&a, 0)) << "a darkened target is counted once";
    EXPECT_EQ(tutorial.targetCount, 1);
    Wait(1100.0f);
    ASSERT_EQ(tutorial.step, 1);
    EXPECT_EQ(a.dark, 0);
    EXPECT_FALSE(tutorial.CountTargetHit(&b, 1)) << "locked out for 1000 ms after the change";
    Wait(1000.0f);
    EXPECT_TRUE(tutorial.CountTargetHit(&b, 1));
    EXPECT_FALSE(tutorial.CountTargetHit(&a, 2)) << "kind 2 only from step 2";
    tutorial.session.lesson = 0;
    EXPECT_FALSE(tutorial.CountTargetHit(&a, 0)) << "only the target lesson counts";
}

TEST_F(TutorialTest, EquipmentLessonAddsItsOpponentAndRestartsRemoveItOnce)
{
    Start(2);
    // The opponent the lesson adds is built like the others.
    QV7_PhysicsGroup::s_Hooks.buildBuggy = [](QV7_PhysicsGroup&, QV7_Buggy& racer, int)
    { QV7_Buggy::BuildFromDefinition(*racertest::DemoModel(1), nullptr, racer); };
    const size_t geoms = group.geoms.size(), bodies = group.bodies.size();
    const int buggies = g_buggyCount;
    player->weapons.shieldOpen = 100.0f;
    Frame(16.0f);
    player->weapons.shieldOpen = 0.0f;
    Frame(16.0f);
    EXPECT_EQ(tutorial.step, 1);
    player->weapons.jammerWave = 10.0f;
    Frame(16.0f);
    player->weapons.jammerWave = 0.0f;
    Frame(16.0f);
    EXPECT_EQ(tutorial.step, 2);
    EXPECT_EQ(tutorial.countdownEnabled, 0);
    player->playerController->turboBurning = 1;
    player->playerController->turboMax = 50.0f;
    Wait(2100.0f);
    EXPECT_EQ(tutorial.step, 3);
    EXPECT_EQ(player->playerController->turbo, 50.0f) << "the turbo is refilled all through step 2";
    ASSERT_EQ(group.racers.count, 2);
    EXPECT_EQ(g_buggyCount, buggies + 1);
    EXPECT_EQ(countdown, 4000.0f);
    for (int flag : releaseFlags)
        EXPECT_EQ(flag, 1) << "the countdown runs only while a grid line is held";
    EXPECT_EQ(tutorial.countdownEnabled, 1);

    // The opponent's row of effects goes with it.
    EffectInstance* exhaust = effects.m_Instances.Add();
    effects.m_RacerEffects[1][0] = exhaust;
    EffectInstance* owned = effects.m_Instances.Add();
    owned->m_Owner = group.racers[1];
    tutorial.Reset();
    EXPECT_EQ(group.racers.count, 1);
    EXPECT_EQ(g_buggyCount, buggies);
    EXPECT_EQ(group.geoms.size(), geoms);
    EXPECT_EQ(group.bodies.size(), bodies);
    EXPECT_EQ(effects.m_RacerEffects[1][0], nullptr);
    EXPECT_EQ(effects.m_Instances.count, 0);
    EXPECT_EQ(tutorial.step, 0);
    tutorial.Reset();
    EXPECT_EQ(g_buggyCount, buggies) << "a second reset has nothing left to remove";
}

TEST_F(TutorialTest, EquipmentFightStepsWithOrWithoutTheirOpponent)
{
    Start(2);
    tutorial.step = 3;
    Frame(16.0f);
    EXPECT_EQ(tutorial.step, 3) << "no opponent: nothing to watch, nothing read";
    QV7_Buggy& opponent = AddRacer(1, true);
    tutorial.step = 4;
    opponent.lapCounter = 2;
    Frame(16.0f);
    EXPECT_EQ(tutorial.step, 7);
    countdown = 0.0f;
    Frame(16.0f); // its panel
    Frame(16.0f);
    EXPECT_EQ(tutorial.step, 4);
    EXPECT_EQ(countdown, 4000.0f);
    player->lapCounter = 2;
    Frame(16.0f);
    EXPECT_EQ(tutorial.step, 5);
    Frame(16.0f);
    Frame(16.0f);
    EXPECT_EQ(won, 1);
}

TEST_F(TutorialTest, RaceLessonSecondPlaceRetriesFromTheGridFirstPlaceWins)
{
    Start(3, 4);
    EXPECT_EQ(tutorial.countdownEnabled, 1);
    player->lapCounter = 3;
    group.racers[1]->lapCounter = 4;
    Frame(16.0f);
    EXPECT_EQ(tutorial.step, 2);
    Frame(16.0f); // the retry panel
    Frame(16.0f);
    EXPECT_EQ(tutorial.step, 0);
    EXPECT_EQ(countdown, 4000.0f);
    for (QV7_Buggy* racer : group.racers)
        EXPECT_EQ(racer->lapCounter, 1);
    player->lapCounter = 3;
    Frame(16.0f);
    EXPECT_EQ(tutorial.step, 1);
    Frame(16.0f);
    Frame(16.0f);
    EXPECT_EQ(won, 1);
}

TEST_F(TutorialTest, TOpensThePanelOnlyAfterARelease)
{
    Start(0);
    Frame(16.0f, QV7_Tutorial::kPanelKey);
    EXPECT_EQ(g_panelsShown, 2);
    Frame(16.0f, QV7_Tutorial::kPanelKey);
    EXPECT_EQ(g_panelsShown, 2) << "T still held";
    Frame(16.0f);
    Frame(16.0f, QV7_Tutorial::kPanelKey);
    EXPECT_EQ(g_panelsShown, 3);
}

TEST_F(TutorialTest, PanelClosesOnTAfterAReleaseAndTheFinalOneOnAnyKeyAfterItsWait)
{
    Start(0);
    uint8_t keys[256] = {};
    keys[QV7_Tutorial::kPanelKey] = 0x80;
    tutorial.panelLatch = 0;
    tutorial.OpenPanel(keys);
    EXPECT_FALSE(tutorial.PanelFrame(16.0f, keys)) << "the T that opened it";
    keys[QV7_Tutorial::kPanelKey] = 0;
    EXPECT_FALSE(tutorial.PanelFrame(16.0f, keys));
    keys[QV7_Tutorial::kPanelKey] = 0x80;
    EXPECT_TRUE(tutorial.PanelFrame(16.0f, keys));

    uint8_t none[256] = {};
    tutorial.finalPanel = 1;
    tutorial.OpenPanel(none);
    none[57] = 0x80;
    EXPECT_FALSE(tutorial.PanelFrame(1000.0f, none)) << "a key within 1.5 s";
    EXPECT_FALSE(tutorial.PanelFrame(600.0f, none)) << "still held, wait over";
    none[57] = 0;
    EXPECT_TRUE(tutorial.PanelFrame(16.0f, none));
    tutorial.finalPanel = 0;
    tutorial.OpenPanel(none);
    none[57] = 0x80;
    EXPECT_FALSE(tutorial.PanelFrame(2000.0f, none)) << "a normal panel ignores other keys";
}

TEST(TutorialText, OnlyPercentSTokensTakeNamesBoundedAndTruncated)
{
    struct Case
    {
        const char* format;
        std::vector<const char*> names;
        std::string expected;
    };
    const Case cases[] = {
        {"Press %s then %s.", {"UP", "DOWN"}, "Press UP then DOWN."},
        {"%s %s %s", {"A"}, "A ? ?"},
        {"Only %s", {"A", "B", "C"}, "Only A"},
        {"100%% %d %n %x %s", {"K"}, "100%% %d %n %x K"},
        {"%s", {nullptr}, "?"},
        {"ends with %", {}, "ends with %"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(QV7_Tutorial::FillKeyNames(c.format, c.names), c.expected) << c.format;
    const std::string longText(5000, 'x');
    EXPECT_EQ(QV7_Tutorial::FillKeyNames(longText.c_str(), {}).size(), 1999u);
    const std::string longName(3000, 'n');
    EXPECT_EQ(QV7_Tutorial::FillKeyNames("%s%s", {longName.c_str(), longName.c_str()}).size(), 1999u);
}

TEST_F(TutorialTest, InstructionTextsCarryTheFirstBindingsNames)
{
    Start(0);
    EXPECT_EQ(tutorial.text, "Entry 0: UP LEFT RIGHT DOWN");
    tutorial.session.lesson = 2;
    tutorial.step = 1;
    EXPECT_EQ(tutorial.InstructionText(), "Entry 12: J ? ? ?");
    tutorial.session.lesson = 3;
    tutorial.step = 2;
    g_textOverride = "No keys here %s";
    EXPECT_EQ(tutorial.InstructionText(), "No keys here ?");
}

TEST(TutorialTimeLeft, MinutesAndSecondsNeverBelowZero)
{
    EXPECT_EQ(QV7_Tutorial::TimeLeftText("Time left", 90000.0f, 0.0f), "Time left 1:30");
    EXPECT_EQ(QV7_Tutorial::TimeLeftText("Time left", 90000.0f, 84500.0f), "Time left 0:05");
    EXPECT_EQ(QV7_Tutorial::TimeLeftText("Time left", 180000.0f, 59000.0f), "Time left 2:01");
    EXPECT_EQ(QV7_Tutorial::TimeLeftText("T", 90000.0f, 95000.0f), "T 0:00");
}
} // namespace

namespace
{
int KeyPlaces(const std::string& text)
{
    int count = 0;
    for (size_t at = text.find("%s"); at != std::string::npos; at = text.find("%s", at + 2))
        ++count;
    return count;
}

TEST(TutorialText, TheDemoTextsHaveTheKeyPlacesTheLessonsFill)
{
    const LanguageGroups groups = DemoLanguageGroups();
    ASSERT_GE(groups.size(), 2u);
    ASSERT_EQ(groups[1].size(), 22u);
    const int places[22] = {4, 3, 2, 0, 0, 1, 1, 0, 0, 0, 0, 1, 1, 1, 0, 0, 0, 0, 0, 0, 0, 0};
    for (size_t i = 0; i < 22; ++i)
    {
        EXPECT_EQ(KeyPlaces(groups[1][i]), places[i]) << i;
        EXPECT_LT(groups[1][i].size(), 500u) << i;
        EXPECT_EQ(groups[1][i].find('%', 0) == std::string::npos ? 0 : 1, places[i] ? 1 : 0) << i;
    }
}
} // namespace
