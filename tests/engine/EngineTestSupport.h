// An engine with a created device for the engine's component tests: on the
// null back-end (the call record) or, in the *_gl_test files, on the gl one.
#pragma once

#include "engine/QV7_Engine.h"
#include "platform/gfx/null/NullGfx.h"
#include "platform/win/Backend.h"
#include "platform/win/Window.h"
#include "shell/QV7_Logger.h"
#include "shell/QV7_Windows.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <string>
#include <vector>

namespace enginetest
{
inline std::vector<std::string>& Log()
{
    static std::vector<std::string> lines;
    return lines;
}
inline void Capture(const char* text) { Log().emplace_back(text); }
inline bool Logged(const std::string& line) { return std::find(Log().begin(), Log().end(), line) != Log().end(); }

class EngineFixture : public ::testing::Test
{
  protected:
    void SetUp() override
    {
        if (win::SelectedBackend() == win::Backend::Null)
            gfx::null::ResetSettings();
        Log().clear();
        QV7_Logger::SetConsoleEcho(&Capture);
        windows = std::make_unique<QV7_Windows>();
        win::WindowDesc desc;
        desc.width = width;
        desc.height = height;
        window = win::Window::Create(desc, nullptr);
        ASSERT_TRUE(window);
    }
    void Start()
    {
        engine = std::make_unique<QV7_Engine>();
        engine->m_Window = window.get();
        engine->m_FullScreen = 0;
        ASSERT_EQ(engine->Initialize(0), 1);
    }
    void TearDown() override
    {
        engine.reset();
        window.reset();
        windows.reset();
        QV7_Logger::SetConsoleEcho(nullptr);
        if (win::SelectedBackend() == win::Backend::Null)
            gfx::null::ResetSettings();
    }
    int width = 64, height = 48;
    std::unique_ptr<QV7_Windows> windows;
    std::unique_ptr<win::Window> window;
    std::unique_ptr<QV7_Engine> engine;
};
} // namespace enginetest
