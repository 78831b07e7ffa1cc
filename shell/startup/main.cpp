// The program entry: everything happens in ProcessEntry. An input script for
// an automated run (QV7_INPUT_SCRIPT) takes over the clock here, before
// anything has measured time.
#include "platform/input/script/ScriptedInput.h"
#include "shell/startup/QV7_WinMain.h"

int main()
{
    input::script::Start();
    return ProcessEntry();
}
