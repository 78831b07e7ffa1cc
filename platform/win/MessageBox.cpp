// SDL's simple message box: it needs no SDL_Init and no window of ours.
#include "platform/win/MessageBox.h"

#include "platform/win/Backend.h"

#include <SDL.h>
#include <cstdio>

namespace win
{
namespace
{
Uint32 SdlKind(unsigned flags)
{
    switch (flags & 0xF0u)
    {
    case MB_ICONERROR:
        return SDL_MESSAGEBOX_ERROR;
    case MB_ICONWARNING:
        return SDL_MESSAGEBOX_WARNING;
    default:
        return SDL_MESSAGEBOX_INFORMATION;
    }
}
} // namespace

int MessageBoxA(void* /*window*/, const char* text, const char* caption, unsigned flags)
{
    text = text ? text : "";
    caption = caption ? caption : "Error";
    std::fprintf(stderr, "%s: %s\n", caption, text);
    std::fflush(stderr);
    if (!IsHeadless() && SDL_ShowSimpleMessageBox(SdlKind(flags), caption, text, nullptr) != 0)
        std::fprintf(stderr, "MessageBoxA: cannot show the dialog: %s\n", SDL_GetError());
    return IDOK;
}
} // namespace win
