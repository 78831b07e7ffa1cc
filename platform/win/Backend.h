// Which back-end every platform layer uses: the real one (SDL, OpenGL,
// OpenAL...) or the null one that needs no display, GPU or sound card.
// Chosen once from the environment variable QV7_BACKEND ("null" or "real",
// real by default); tests may set it directly.
#pragma once

namespace win
{
enum class Backend
{
    Real,
    Null
};

Backend SelectedBackend();
void SetBackend(Backend backend);

// True when no person can see the window: the null back-end, or SDL's
// offscreen or dummy video drivers (the driver SDL actually chose once its
// video has started; before that, what SDL_VIDEODRIVER and DISPLAY promise).
// Headless runs count the window as active and never open a browser or a
// blocking message box.
bool IsHeadless();
} // namespace win
