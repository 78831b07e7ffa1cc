// The scripted player of automated runs.
#include "platform/input/script/ScriptedInput.h"

#include "platform/input/null/NullInput.h"
#include "platform/input/script/InputScript.h"
#include "platform/win/Clock.h"

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <memory>
#include <sstream>

namespace input::script
{
namespace
{
struct Player
{
    ParsedScript script;
    size_t step = 0;
    int frameInStep = 0;
    std::unique_ptr<win::ManualClock> clock;
};

Player* s_player = nullptr;
FrameSource s_source = nullptr;

ParsedScript ReadScript(const char* path)
{
    std::ifstream file(path, std::ios::binary);
    if (!file)
    {
        ParsedScript failed;
        failed.error = "cannot be read";
        return failed;
    }
    std::ostringstream text;
    text << file.rdbuf();
    return ParseInputScript(text.str());
}

void Apply(const ScriptFrame& frame)
{
    null::NullInputState& state = null::State();
    for (uint8_t& key : state.keys)
        key = 0;
    for (int code : frame.keys)
        state.PressKey(code);
    state.mouse.rgbButtons[0] = frame.leftButton ? 0x80 : 0;
    state.hasCursor = true;
    state.cursorX = frame.cursorX;
    state.cursorY = frame.cursorY;
    state.clientWidth = 800;
    state.clientHeight = 600;
}
} // namespace

void SetFrameSource(FrameSource source)
{
    s_source = source;
}

bool Requested()
{
    const char* path = std::getenv("QV7_INPUT_SCRIPT");
    return s_source || (path && *path);
}

bool Running()
{
    return s_player != nullptr;
}

void Start()
{
    if (s_player || !Requested())
        return;
    const char* path = std::getenv("QV7_INPUT_SCRIPT");
    // Never freed: the clock must outlive everything that reads time at exit.
    Player& player = *new Player;
    if (!s_source)
        player.script = ReadScript(path);
    if (!player.script.error.empty())
        std::fprintf(stderr, "qv7: input script %s: %s; the window is closed at once\n", path,
                     player.script.error.c_str());
    // Start from the real time, so times measured before the switch stay in order.
    player.clock = std::make_unique<win::ManualClock>(win::timeGetTime());
    win::SetClockSource(player.clock.get());
    s_player = &player;
}

FrameEvents AdvanceFrame()
{
    FrameEvents events;
    if (!s_player)
        return events;
    Player& player = *s_player;
    if (s_source)
    {
        ScriptFrame frame;
        if (!s_source(frame))
            return events;
        Apply(frame);
        events.running = true;
        events.keyDown = !frame.keys.empty();
        events.leftButtonDown = frame.leftButton;
        player.clock->Advance(frame.ms);
        return events;
    }
    if (player.step >= player.script.steps.size())
        return events;
    const ScriptStep& step = player.script.steps[player.step];
    Apply(step.frame);
    events.running = true;
    events.keyDown = !step.frame.keys.empty();
    events.leftButtonDown = step.frame.leftButton;
    player.clock->Advance(step.frame.ms);
    if (++player.frameInStep >= step.count)
    {
        ++player.step;
        player.frameInStep = 0;
    }
    return events;
}
} // namespace input::script
