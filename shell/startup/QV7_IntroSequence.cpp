// Intro movie and logo sequence.
#include "shell/startup/QV7_IntroSequence.h"

#include "engine/QV7_AdapterInfo.h"
#include "engine/QV7_Engine.h"
#include "engine/QV7_FrameManager.h"
#include "engine/QV7_Screen2D.h"
#include "engine/QV7_TextureList.h"
#include "media/QV7_Input.h"
#include "media/QV7_SoundSystem.h"
#include "media/QV7_VideoPlayer.h"
#include "shell/QV7_Logger.h"
#include "shell/QV7_ReportException.h"
#include "shell/QV7_Windows.h"
#include "shell/framegate/QV7_FrameGate.h"

#include <memory>

namespace
{
const int kSkipKeys[] = {1, 57, 28, 156}; // Escape, Space, Enter, keypad Enter

bool SkipPressed()
{
    if (!g_input)
        return false;
    for (uint8_t button : g_input->m_MouseState.rgbButtons)
        if (button & 0x80)
            return true;
    for (int key : kSkipKeys)
        if (g_input->IsKeyDown(key) > 0)
            return true;
    return false;
}

// The last frame's milliseconds, a 0 counting as 1 so fades always move.
float FrameMs()
{
    const float ms = g_frameManager ? g_frameManager->m_LastFrameMs : 1.0f;
    return ms <= 0.0f ? 1.0f : ms;
}

void DrawEmptyFrame()
{
    g_frameManager->BeginFrame();
    g_frameManager->EndFrame();
}

// Volumes in hundredths of a decibel: the first piece fades out with the
// level, the second comes in; with the music off the first is silent.
void CrossFadeMusic(QV7_SoundSystem& sound, float level)
{
    const int musicVolume = g_windowsData->m_Settings.MusicVolume;
    const int first = musicVolume == 0 ? -10000 : int(level / 255.0f * musicVolume - 100) * 50;
    const int second = int((255.0f - level) / 255.0f * musicVolume - 100) * 50;
    sound.SetVolume(sound.m_MusicA, first);
    sound.SetVolume(sound.m_MusicB, second);
}

enum class LogoDraw
{
    Faded,      // the picture with the fade level drawn over it
    Plain,      // the picture alone
    Crossfaded, // the picture with the loading-screen background blended over it
};

// One logo phase: each frame advances `level` by ms x rate until it reaches
// `target`. Returns false when the sequence is to end (skip or quit).
bool RunLogoPhase(TextureRecord* picture, TextureRecord* loadingPicture, LogoDraw draw, float& level, float rate,
                  float target, QV7_SoundSystem* crossfadeSound)
{
    const bool rising = rate > 0;
    for (;;)
    {
        const FrameResult result = PumpFrame();
        if (result == FRAME_QUIT)
            return false;
        if (result == FRAME_SKIP)
            continue;
        if (g_input)
            g_input->Poll();
        g_frameManager->BeginFrame();
        g_screen2D->Begin2D();
        g_screen2D->DrawTexturedRect(0xFFFFFFFF, TextureOf(picture), 0, 0, 1023, 1023);
        if (draw == LogoDraw::Faded)
            g_screen2D->DrawFade(int(level));
        else if (draw == LogoDraw::Crossfaded)
            g_screen2D->DrawTexturedFade(int(level), TextureOf(loadingPicture));
        g_screen2D->End2D();
        g_frameManager->EndFrame();
        if (SkipPressed())
            return false;
        if (crossfadeSound)
            CrossFadeMusic(*crossfadeSound, level);
        level += FrameMs() * rate;
        if (rising ? level >= target : level <= target)
        {
            level = target;
            return true;
        }
    }
}

void RunLogos(QV7_TextureList& textures, QV7_SoundSystem& sound)
{
    DrawEmptyFrame();
    sound.PlaySound(sound.m_MusicA, false);
    TextureRecord* first = textures.m_Logo1;
    TextureRecord* second = textures.m_Logo2;
    float fade = 0.0f;
    float hold = 0.0f;
    if (!RunLogoPhase(first, nullptr, LogoDraw::Faded, fade, 0.1f, 255.0f, nullptr) ||
        !RunLogoPhase(first, nullptr, LogoDraw::Plain, hold, 0.1f, 320.0f, nullptr) ||
        !RunLogoPhase(first, nullptr, LogoDraw::Faded, fade, -0.2f, 0.0f, nullptr) ||
        !RunLogoPhase(second, nullptr, LogoDraw::Faded, fade, 0.2f, 255.0f, nullptr))
        return;
    hold = 0.0f;
    if (!RunLogoPhase(second, nullptr, LogoDraw::Plain, hold, 0.1f, 380.0f, nullptr))
        return;
    sound.PlaySound(sound.m_MusicB, true);
    RunLogoPhase(second, textures.m_LoadingPicture, LogoDraw::Crossfaded, fade, -0.1f, 0.0f, &sound);
}
} // namespace

int PlayIntroVideo()
{
    int result = 1;
    const bool finished = RunGuarded([&] {
        QV7_AdapterInfo* adapters = g_engine ? g_engine->m_AdapterInfo.get() : nullptr;
        if (!adapters || adapters->PixelShaderMajorVersion(g_engine->m_Adapter) < 2)
            return;
        std::unique_ptr<QV7_VideoPlayer> player(CreateVideoPlayer());
        player->Start();
        DrawEmptyFrame();
        float elapsed = 0.0f;
        while (!player->HasEnded() && elapsed < 60000.0f)
        {
            const FrameResult frame = PumpFrame();
            if (frame == FRAME_QUIT)
                break;
            if (frame == FRAME_SKIP)
                continue;
            if (g_input)
                g_input->Poll();
            g_frameManager->BeginFrame();
            player->RenderFrame();
            elapsed += g_frameManager->m_LastFrameMs;
            g_frameManager->EndFrame();
            if (elapsed > 1000.0f && SkipPressed())
            {
                result = 0;
                return;
            }
        }
    });
    return finished ? result : 1;
}

void RunIntroAndLogos(QV7_TextureList& loadingTextures, QV7_SoundSystem& sound)
{
    if (PlayIntroVideo() == 1)
        RunLogos(loadingTextures, sound);
    sound.PlaySound(sound.m_MusicB, true);
    sound.StopSound(sound.m_MusicA);
    // Music volume 0 is silence, as the sound system and the options pages have it.
    const int musicVolume = g_windowsData->m_Settings.MusicVolume;
    sound.SetVolume(sound.m_MusicB, musicVolume == 0 ? -10000 : musicVolume * 50 - 5000);
    DrawLoadingScreen(&loadingTextures, 5, 255, 0);
    DrawLoadingScreen(&loadingTextures, 6, 255, 0);
}

void FadeInMainMenu(QV7_TextureList& loadingTextures)
{
    DrawLoadingScreen(&loadingTextures, 100, 255, 1);
    float fade = 255.0f;
    while (fade > 0.0f)
    {
        const FrameResult result = PumpFrame();
        if (result == FRAME_QUIT)
            return;
        if (result == FRAME_SKIP)
            continue;
        DrawLoadingScreen(&loadingTextures, 100, fade, 1);
        fade -= FrameMs() * 0.4f;
    }
}
