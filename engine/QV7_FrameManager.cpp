// Frame brackets and frame clock.
#include "engine/QV7_FrameManager.h"

#include "engine/QV7_Engine.h"
#include "platform/win/Clock.h"

QV7_FrameManager* g_frameManager = nullptr;

QV7_FrameManager::QV7_FrameManager() : m_LastFrameStart(win::timeGetTime()) { g_frameManager = this; }

QV7_FrameManager::~QV7_FrameManager()
{
    if (g_frameManager == this)
        g_frameManager = nullptr;
}

void QV7_FrameManager::BeginFrame()
{
    const uint32_t now = win::timeGetTime();
    m_LastFrameMs = float(now - m_LastFrameStart);
    m_LastFrameStart = now;
    if (!g_device)
        return;
    g_device->Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, 0xFF000000, 1.0f, 0);
    g_device->BeginScene();
}

void QV7_FrameManager::EndFrame()
{
    if (!g_device)
        return;
    g_device->EndScene();
    g_device->Present(nullptr, nullptr, nullptr, nullptr);
}

bool QV7_FrameManager::SaveScreenToFile(const std::string&) { return false; }
