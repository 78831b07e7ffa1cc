// An 800 x 600 window with an initialised engine on the chosen back-end, for
// the benchmarks that time device work (the gl back-end on the offscreen
// driver unless the environment names another).
#pragma once

#include "engine/QV7_Engine.h"
#include "platform/win/Backend.h"
#include "platform/win/Window.h"

#include <cstdlib>
#include <memory>

struct BenchEngine
{
    explicit BenchEngine(win::Backend backend = win::Backend::Real, int samples = 0)
    {
        setenv("SDL_VIDEODRIVER", "offscreen", 0);
        win::SetBackend(backend);
        win::WindowDesc desc;
        desc.width = 800;
        desc.height = 600;
        window = win::Window::Create(desc, nullptr);
        engine = std::make_unique<QV7_Engine>();
        engine->m_Window = window.get();
        engine->m_FullScreen = 0;
        engine->m_MultisampleWish = samples;
        ready = window && engine->Initialize(0) == 1;
    }
    std::unique_ptr<win::Window> window;
    std::unique_ptr<QV7_Engine> engine;
    bool ready = false;
};
