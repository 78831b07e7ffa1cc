// Slider drag, drag-end report, the effects sample and the live music volume.
#include "gui/QV7_Menu_Slider.h"

#include "engine/QV7_Camera.h"
#include "engine/QV7_FrameManager.h"
#include "engine/QV7_TextureList.h"
#include "gui/MenuFileLayout.h"
#include "gui/QV7_MenuManager.h"
#include "media/QV7_SoundSystem.h"
#include "shell/QV7_Windows.h"

#include <algorithm>
#include <cstring>

QV7_Menu_Slider::QV7_Menu_Slider()
{
    m_Type = kMenuSlider;
}

void QV7_Menu_Slider::PlaySample()
{
    const float frameMs = g_frameManager ? g_frameManager->m_LastFrameMs : 0.0f;
    m_SampleCountdown = std::max(0.0f, m_SampleCountdown - frameMs);
    if (m_SampleCountdown > 0.0f || !g_soundSystem)
        return;
    SoundEntry* horn = g_soundSystem->m_Slots[SOUND_STARTHORN];
    if (!horn || !horn->m_Loaded)
        return;
    // At the camera's eye, where positional sounds are heard from: the sample
    // plays at the level the effects volume alone gives.
    const D3DXVECTOR3 eye = g_camera ? g_camera->m_Eye : D3DXVECTOR3(0.0f, 0.0f, 0.0f);
    g_soundSystem->PlaySoundAt(horn, eye.x, eye.y, eye.z);
    m_SampleCountdown = horn->m_DurationMs + 100.0f;
}

void QV7_Menu_Slider::SetMusicVolume()
{
    const int span = m_Right - m_Left - 2 * (m_Width / 2);
    // A slider no wider than its knob has no range: it counts as 0 percent.
    const int percent = span > 0 ? int(float(m_Position - m_Width / 2) / float(span) * 100.0f) : 0;
    if (g_windowsData)
        g_windowsData->m_Settings.MusicVolume = percent;
    if (!g_soundSystem)
        return;
    const int volume = percent == 0 ? -10000 : percent * 50 - 5000;
    g_soundSystem->SetVolume(g_soundSystem->m_MusicA, volume);
    g_soundSystem->SetVolume(g_soundSystem->m_MusicB, volume);
}

void QV7_Menu_Slider::FollowMouse()
{
    if (m_Vertical)
    {
        const int low = m_Height / 2, high = (m_Bottom - m_Top) - m_Height / 2;
        m_Position = std::max(low, std::min(high, int(MenuMouseY() - float(m_Top))));
    }
    else
    {
        const int low = m_Width / 2, high = m_Right - m_Width / 2 - m_Left;
        m_Position = std::max(low, std::min(high, int(MenuMouseX() - float(m_Left))));
    }
    m_Dragging = 1;
    if (!m_Vertical && std::strcmp(m_Id, "IDHWND5467") == 0)
        SetMusicVolume();
}

void QV7_Menu_Slider::Draw(int inputOff)
{
    if (m_Sample == 1 && m_Dragging)
        PlaySample();
    if (TextureOf(m_Knob))
    {
        FillPictureSize(m_Knob, m_Width, m_Height);
        int x, y;
        if (m_Vertical)
        {
            x = m_Left + (m_Right - m_Left) / 2 - m_Width / 2;
            y = m_Top + m_Position - m_Height / 2;
        }
        else
        {
            x = m_Left + m_Position - m_Width / 2;
            y = m_Top + (m_Bottom - m_Top) / 2 - m_Height / 2;
        }
        if (m_Visible)
            DrawMenuSprite(m_Knob, float(x), float(y), float(m_Width), float(m_Height));
    }
    if (m_Dragging == 1 && (g_capturedWidget != this || inputOff))
    {
        if (g_menuManager)
            g_menuManager->SetClickedId(m_Id);
        m_Dragging = 0;
    }
    if (g_capturedWidget == this && !inputOff)
        FollowMouse();
    QV7_Menu_hWnd::Draw(inputOff);
}

void QV7_Menu_Slider::MarkTexturesUsed()
{
    MarkPictureUsed(m_Knob);
}

void QV7_Menu_Slider::LoadFields(const MenuControlRecord& record)
{
    QV7_Menu_hWnd::LoadFields(record);
    m_Knob = record.pictures[0];
    m_Width = record.width;
    m_Height = record.height;
    m_Vertical = record.flag;
    // The file's value is not used: the knob starts at the middle of its own size.
    m_Position = m_LoadedPosition = m_Vertical ? m_Height / 2 : m_Width / 2;
}

void QV7_Menu_Slider::ResetToLoaded()
{
    m_Position = m_LoadedPosition;
}
