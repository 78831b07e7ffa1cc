// Picks the back-end of the input layer.
#include "platform/input/DirectInput.h"

#include "platform/input/null/NullInput.h"
#include "platform/input/script/ScriptedInput.h"
#include "platform/input/sdl/SdlInput.h"
#include "platform/win/Backend.h"

#include <cstdlib>
#include <cstring>

namespace input
{
Effect::~Effect() = default;
Device::~Device() = default;
DirectInput::~DirectInput() = default;

HRESULT DirectInput::Create(std::unique_ptr<DirectInput>& out)
{
    out.reset();
    if (script::Requested())
    {
        script::Start();
        return null::CreateDirectInput(out);
    }
    // QV7_INPUT_BACKEND=null: a test's scripted player beside real graphics.
    const char* inputBackend = std::getenv("QV7_INPUT_BACKEND");
    if (win::SelectedBackend() == win::Backend::Null || (inputBackend && std::strcmp(inputBackend, "null") == 0))
        return null::CreateDirectInput(out);
    return sdl::CreateDirectInput(out);
}
} // namespace input
