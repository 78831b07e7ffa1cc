// Loading-screen list.
#include "engine/QV7_TextureList.h"

#include "engine/QV7_FrameManager.h"
#include "engine/QV7_Screen2D.h"
#include "shell/QV7_Logger.h"

#include <filesystem>

QV7_TextureList* g_textureList = nullptr;

QV7_TextureList::QV7_TextureList() { g_textureList = this; }

QV7_TextureList::~QV7_TextureList()
{
    if (g_textureList == this)
        g_textureList = nullptr;
}

void QV7_TextureList::LoadLoadingScreen(const std::string& dataDir)
{
    for (int i = 1; i <= 4; ++i)
    {
        const std::string path = dataDir + "ldat" + std::to_string(i) + ".gfx";
        if (!std::filesystem::exists(path))
            QV7_Logger::Log(g_logger, "ERROR: Can't load '%s'", path.c_str());
    }
}

void DrawLoadingScreen(QV7_TextureList* list, int percent, int alpha, int mode)
{
    if (!g_frameManager || !list)
        return;
    g_frameManager->BeginFrame();
    if (g_screen2D)
    {
        g_screen2D->Begin2D();
        g_screen2D->DrawTexturedRect(0xFFFFFFFF, list->m_LoadingPicture, 0, 0, 1023, 1023);
        const float fill = percent * 0.01f;
        g_screen2D->DrawTexturedRectUV(0xFFFFFFFF, list->m_ProgressBar, 204, 327, 204 + fill * 384.9984f + 1, 344, 0,
                                       0, fill * 0.75195f, 0.52f);
        if (mode != 1)
            g_screen2D->DrawFade(alpha);
        g_screen2D->End2D();
    }
    g_frameManager->EndFrame();
}
