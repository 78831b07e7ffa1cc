// The escape menu's options: the sound page with its two volume sliders and
// the controls page with the controller choice and the key list.
#include "race/QV7_MapSystem.h"

#include "race/RaceMenuFrame.h"

#include "gui/QV7_MenuManager.h"
#include "gui/QV7_Menu_Button.h"
#include "gui/QV7_Menu_Slider.h"
#include "media/QV7_SoundSystem.h"
#include "platform/win/Ini.h"
#include "shell/QV7_Globals.h"
#include "shell/QV7_Logger.h"
#include "shell/QV7_Windows.h"

#include <cstdio>
#include <string>

using namespace racemenu;

namespace
{
constexpr int kEscapeKey = 1;
const char* const kSoundPage = "ID_ESC_SOUND";

void WriteSetting(const char* section, const char* key, const char* value)
{
    const std::string path = g_programDir + "Settings.ini";
    if (!win::WritePrivateProfileStringA(section, key, value, path))
        QV7_Logger::Log(g_logger, "ERROR: Settings could not be written to %s", path.c_str());
}

void WriteVolume(const char* key, int volume)
{
    char value[16];
    std::snprintf(value, sizeof(value), "%d", volume);
    WriteSetting("Sound", key, value);
}

void SetMusicVolume(int volume)
{
    if (!g_soundSystem)
        return;
    const int level = volume == 0 ? -10000 : volume * 50 - 5000;
    g_soundSystem->SetVolume(g_soundSystem->m_MusicA, level);
    g_soundSystem->SetVolume(g_soundSystem->m_MusicB, level);
}

void MoveToScreenCentre(const char* page)
{
    const ScreenSize screen = Screen();
    OpenPage(page, screen.width / 2 - 400, screen.height / 2 - 300);
}

QV7_Menu_Slider* Slider(const char* id)
{
    auto* slider = static_cast<QV7_Menu_Slider*>(FindControl(kSoundPage, id, kMenuSlider));
    if (slider)
        FillPictureSize(slider->m_Knob, slider->m_Width, slider->m_Height);
    return slider;
}

int VolumeOf(const QV7_Menu_Slider& slider)
{
    return VolumeForKnob(slider.m_Position, slider.m_Left, slider.m_Right, slider.m_Width);
}

// The volume sliders start at the settings' values.
void PlaceKnobs(GameSettings& settings)
{
    if (QV7_Menu_Slider* sound = Slider("IDSLIDER1"))
        sound->m_Position =
            KnobForVolume(settings.SoundVolume, sound->m_Left, sound->m_Right, sound->m_Width);
    if (QV7_Menu_Slider* music = Slider("IDSLIDER2"))
        music->m_Position =
            KnobForVolume(settings.MusicVolume, music->m_Left, music->m_Right, music->m_Width);
}

GameSettings& Settings()
{
    static GameSettings fallback;
    return g_windowsData ? g_windowsData->m_Settings : fallback;
}
} // namespace

namespace racemenu
{
int KnobForVolume(int volume, int left, int right, int knobWidth)
{
    const int track = right - left - 2 * (knobWidth / 2);
    return int(float(volume) / 100.0f * float(track)) + knobWidth / 2;
}

int VolumeForKnob(int knob, int left, int right, int knobWidth)
{
    const int track = right - left - 2 * (knobWidth / 2);
    if (track <= 0)
        return 0;
    return int(float(knob - knobWidth / 2) / float(track) * 100.0f);
}
} // namespace racemenu

// The sound volume follows the slider while it is dragged and is written
// once the drag is over; the music volume when its slider is let go.
int QV7_MapSystem::RunSoundMenu()
{
    MoveToScreenCentre(kSoundPage);
    if (g_menuManager)
        g_menuManager->BringControlToFront("IDSOUND");
    // The open page's tab stands out; the effects slider plays a sample while dragged.
    if (auto* tab = static_cast<QV7_Menu_Button*>(FindControl(kSoundPage, "IDSOUND", kMenuButton)))
        tab->m_Highlight = 1;
    GameSettings& settings = Settings();
    PlaceKnobs(settings);
    if (QV7_Menu_Slider* sound = Slider("IDSLIDER1"))
        sound->m_Sample = 1;
    bool dragged = false;
    for (;;)
    {
        UpdateMusic();
        const MenuFrame frame = RunMenuFrame(*this, kSoundPage);
        if (frame.gate == FRAME_QUIT || KeyDown(kEscapeKey))
            return -1;
        QV7_Menu_Slider* sound = Slider("IDSLIDER1");
        if (sound && sound->m_Dragging)
        {
            settings.SoundVolume = VolumeOf(*sound);
            dragged = true;
        }
        else if (dragged)
        {
            WriteVolume("SoundVolume", settings.SoundVolume);
            dragged = false;
        }
        if (Is(frame.clicked, "IDBACK"))
            return -1;
        if (Is(frame.clicked, "IDCONTROLS"))
            return 0;
        if (Is(frame.clicked, "IDSLIDER1") && sound)
        {
            settings.SoundVolume = VolumeOf(*sound);
            WriteVolume("SoundVolume", settings.SoundVolume);
        }
        QV7_Menu_Slider* music = Slider("IDSLIDER2");
        if (Is(frame.clicked, "IDSLIDER2") && music)
        {
            settings.MusicVolume = VolumeOf(*music);
            WriteVolume("MusicVolume", settings.MusicVolume);
            SetMusicVolume(settings.MusicVolume);
        }
    }
}
