#include "menus/QV7_OptionsPages.h"

#include "engine/QV7_AdapterInfo.h"
#include "engine/QV7_Engine.h"
#include "gui/QV7_Menu_Caption.h"
#include "gui/QV7_Menu_CheckBox.h"
#include "gui/QV7_Menu_ComboBox.h"
#include "gui/QV7_Menu_ListBox.h"
#include "gui/QV7_Menu_OptionBox.h"
#include "gui/QV7_Menu_Slider.h"
#include "media/KeyBindings.h"
#include "media/KeyNames.h"
#include "media/QV7_Input.h"
#include "media/QV7_Joysticks.h"
#include "media/QV7_SoundSystem.h"
#include "menus/MenuControls.h"
#include "menus/QV7_PageLoop.h"
#include "platform/win/Ini.h"
#include "shell/QV7_Globals.h"
#include "shell/QV7_Windows.h"

#include <algorithm>
#include <cmath>
#include <cstring>

namespace
{
const char* const kMainPage = "ID_MAIN_MENU";
const char* const kBackdropPage = "ID_MM_BACKGROUND";
const char* const kTabPages[4] = {"ID_OPTIONS_GRAPHICS", "ID_OPTIONS_GRAPHICS_CUSTOM",
                                  "ID_OPTIONS_SOUND_MUSIC", "ID_OPTIONS_CONTROLLERS"};
constexpr int kEscape = 1;

// The custom check boxes and the flags they stand for.
struct CustomFlag
{
    const char* id;
    const char* key;
    int GameSettings::*flag;
};
const CustomFlag kCustomFlags[] = {
    {"IDCHECK1L", "force_FadingObjects", &GameSettings::force_FadingObjects},
    {"IDCHECK2L", "force_FadingBillBoards", &GameSettings::force_FadingBillBoards},
    {"IDCHECK3L", "force_TreeBillBoards", &GameSettings::force_TreeBillBoards},
    {"IDCHECK4L", "force_Shadow", &GameSettings::force_Shadow},
    {"IDCHECK5L", "force_HighResAnim", &GameSettings::force_HighResAnim},
    {"IDCHECK1R", "force_HighResTextures", &GameSettings::force_HighResTextures},
    {"IDCHECK2R", "force_ReflectiveWater", &GameSettings::force_ReflectiveWater},
    {"IDCHECK3R", "force_WaterRiples", &GameSettings::force_WaterRiples},
    {"IDCHECK4R", "force_Shore", &GameSettings::force_Shore},
};
const char* const kDetailOptions[] = {"IDOPTIONBOX1", "IDOPTIONBOX2", "IDOPTIONBOX3", "IDOPTIONBOX4",
                                      "IDOPTIONBOX5"};

bool Is(const char* clicked, const char* id)
{
    return clicked && std::strcmp(clicked, id) == 0;
}

GameSettings* Settings()
{
    return g_windowsData ? &g_windowsData->m_Settings : nullptr;
}

void WriteSetting(const char* section, const char* key, int value)
{
    char text[16];
    std::snprintf(text, sizeof text, "%d", value);
    win::WritePrivateProfileStringA(section, key, text, g_programDir + "Settings.ini");
}

void WriteSetting(const char* section, const char* key, const char* value)
{
    win::WritePrivateProfileStringA(section, key, value, g_programDir + "Settings.ini");
}

void SelectPage(int tab)
{
    if (g_menuManager)
        g_menuManager->m_CurrentPage = g_menuManager->FindPageIndex(kTabPages[tab]);
}

struct OptionsScreen
{
    int tab = 0;
    ClickGuard guard;
    std::vector<std::pair<int, int>> sizes;
    int graphicsSelection = -1;
    int controllerSelection = 0;
    // The key cell waiting for a new code: row and column (1 or 2); row -1 when none.
    int captureRow = -1, captureColumn = 0;
    // The list takes the cell under the mouse while the button is held: the
    // clicked cell is known once the press is over.
    bool keysPressed = false;
    int fsaaStops = 0, fsafStops = 0;
    bool quit = false;
};
OptionsScreen* g_options = nullptr;

// ---- set-up ----

void SetUpControllers(OptionsScreen& screen)
{
    SelectPage(3);
    const GameSettings* settings = Settings();
    if (auto* combo = FindMenuControlAs<QV7_Menu_Combo>("IDCOMBOBOX"))
    {
        combo->m_Items.Clear();
        std::snprintf(combo->m_Items.Add()->m_Text, ComboItem::kTextSize, "%s", "Keyboard");
        combo->m_SelectedItem = 0;
        const int count = g_joysticks ? g_joysticks->m_Devices.Count() : 0;
        for (int i = 0; i < count; ++i)
        {
            const std::string& name = g_joysticks->m_Devices[i]->m_Instance.productName;
            std::snprintf(combo->m_Items.Add()->m_Text, ComboItem::kTextSize, "%s", name.c_str());
            if (settings && name == settings->ControllerDevice)
                combo->m_SelectedItem = i + 1;
        }
        screen.controllerSelection = combo->m_SelectedItem;
    }
    auto* list = FindMenuControlAs<QV7_Menu_List>("IDCONTROLS");
    if (!list)
        return;
    std::snprintf(list->m_SelectedColumnText, sizeof list->m_SelectedColumnText, "%s", "Press New Key");
    list->m_Columns.Clear();
    const ListColumn columns[] = {{0, 180, 0, 0, 0xFFBBBBFF, 0xFFDDDDFF, 0xFFBBBBFF},
                                  {180, 150, 0, 1, 0xFFBBBBFF, 0xFF00DD00, 0xFF00DD00},
                                  {330, 300, 0, 1, 0xFFBBBBFF, 0xFF00DD00, 0xFF00DD00}};
    for (const ListColumn& column : columns)
        *list->m_Columns.Add() = column;
    FillControlsList(list);
}

void PlaceVolumeKnob(const char* id, int volume)
{
    if (auto* slider = FindMenuControlAs<QV7_Menu_Slider>(id))
        slider->m_Position = KnobForPercent(volume, slider->m_Right - slider->m_Left, slider->m_Width);
}

void SetUpSound()
{
    SelectPage(2);
    if (const GameSettings* settings = Settings())
    {
        PlaceVolumeKnob("IDHWND5466", settings->SoundVolume);
        PlaceVolumeKnob("IDHWND5467", settings->MusicVolume);
    }
    // Dragging the sound slider plays a sample at the new volume.
    if (auto* sound = FindMenuControlAs<QV7_Menu_Slider>("IDHWND5466"))
        sound->m_Sample = 1;
}

void SetUpGraphics(OptionsScreen& screen)
{
    SelectPage(0);
    std::vector<std::pair<int, int>> modes;
    const int count = g_adapterInfo ? g_adapterInfo->GetModeCount(0) : 0;
    for (int i = 0; i < count; ++i)
        if (const D3DDISPLAYMODE* mode = g_adapterInfo->GetMode(0, i))
            modes.emplace_back(int(mode->Width), int(mode->Height));
    screen.sizes = OfferedScreenSizes(modes);
    // A display that lists no modes (a virtual one) still offers the size the game runs at.
    const GameSettings* current = Settings();
    if (screen.sizes.empty())
        screen.sizes.emplace_back(current && current->ScreenWidth >= 800 ? current->ScreenWidth : 800,
                                  current && current->ScreenWidth >= 800 ? current->ScreenHeight : 600);
    auto* combo = FindMenuControlAs<QV7_Menu_Combo>("IDCOMBOBOX");
    if (!combo)
        return;
    combo->m_Items.Clear();
    combo->m_SelectedItem = -1;
    const GameSettings* settings = Settings();
    for (size_t i = 0; i < screen.sizes.size(); ++i)
    {
        std::snprintf(combo->m_Items.Add()->m_Text, ComboItem::kTextSize, "     %d  x  %d",
                      screen.sizes[i].first, screen.sizes[i].second);
        if (settings && screen.sizes[i] == std::make_pair(settings->ScreenWidth, settings->ScreenHeight))
            combo->m_SelectedItem = int(i);
    }
    screen.graphicsSelection = combo->m_SelectedItem;
}

// The slider's knob on stop k of its stops, and its text.
void ShowStop(const char* sliderId, const char* textId, int stops, int stop)
{
    auto* slider = FindMenuControlAs<QV7_Menu_Slider>(sliderId);
    if (slider)
    {
        const int travel = slider->m_Right - slider->m_Left - slider->m_Width;
        slider->m_Position = slider->m_Width / 2 + (stops > 0 ? travel * stop / stops : 0);
    }
    SetMenuText(textId, "%s", StopText(stops > 0 ? stop : 0).c_str());
}

int StopForValue(int value, int stops)
{
    int stop = 0;
    while (stop < stops && (1 << (stop + 1)) <= value)
        ++stop;
    return value <= 1 ? 0 : stop;
}

void SetUpCustom(OptionsScreen& screen)
{
    SelectPage(1);
    GameSettings* settings = Settings();
    if (!settings)
        return;
    for (const CustomFlag& flag : kCustomFlags)
        SetMenuChecked(flag.id, settings->*flag.flag != 0);
    const std::string path = g_programDir + "Settings.ini";
    settings->FSAA = int(win::GetPrivateProfileIntA("Custom", "FSAA", 0, path));
    settings->FSAF = int(win::GetPrivateProfileIntA("Custom", "FSAF", 0, path));
    screen.fsaaStops = PowerOfTwoStops(g_engine ? g_engine->m_HighestMultisample : 0);
    D3DCAPS9 caps{};
    if (g_device && SUCCEEDED(g_device->GetDeviceCaps(&caps)))
        screen.fsafStops = PowerOfTwoStops(int(caps.MaxAnisotropy));
    CentreMenuText("IDSLITEXT1");
    CentreMenuText("IDSLITEXT2");
    ShowStop("IDSLI1", "IDSLITEXT1", screen.fsaaStops, StopForValue(settings->FSAA, screen.fsaaStops));
    ShowStop("IDSLI2", "IDSLITEXT2", screen.fsafStops, StopForValue(settings->FSAF, screen.fsafStops));
}

// ---- one tab's frame ----

const char* TabFrame(int tab, float fade)
{
    const FrameResult gate = StartPageFrame(kTabPages[tab], 1);
    if (gate == FRAME_QUIT && g_options)
        g_options->quit = true;
    if (gate == FRAME_QUIT || gate == FRAME_SKIP)
        return nullptr;
    const char* clicked = DrawPageFrame(MenuCover::PageBackdrop(kBackdropPage, fade));
    return g_options ? g_options->guard.Filter(clicked) : clicked;
}

// The knob snaps to the nearest stop; the stop's text shows.
void SnapSlider(const char* sliderId, const char* textId, int stops)
{
    auto* slider = FindMenuControlAs<QV7_Menu_Slider>(sliderId);
    if (!slider)
        return;
    const int travel = slider->m_Right - slider->m_Left - slider->m_Width;
    int stop = 0;
    if (stops > 0 && travel > 0)
        stop = std::clamp(
            int(std::lround(float(slider->m_Position - slider->m_Width / 2) * float(stops) / float(travel))),
            0, stops);
    ShowStop(sliderId, textId, stops, stop);
}

int StopValue(const char* textId)
{
    auto* caption = FindMenuControlAs<QV7_Menu_Caption>(textId);
    return caption ? std::atoi(caption->m_Text) : 0; // "Off" reads as 0
}

void StoreCustomFlags()
{
    GameSettings* settings = Settings();
    if (!settings)
        return;
    for (const CustomFlag& flag : kCustomFlags)
    {
        settings->*flag.flag = MenuChecked(flag.id) ? 1 : 0;
        WriteSetting("Custom", flag.key, settings->*flag.flag);
    }
    settings->FSAA = StopValue("IDSLITEXT1");
    settings->FSAF = StopValue("IDSLITEXT2");
    WriteSetting("Custom", "FSAA", settings->FSAA);
    WriteSetting("Custom", "FSAF", settings->FSAF);
}

// The captured cell takes the new code: the pressed key, else (with a
// controller) a hat, an axis (first column: steering and pedal rows only) or a button.
InputCode CapturedCode(const OptionsScreen& screen)
{
    const InputCode key = g_input ? g_input->GetPressedCode() : -1;
    if (key >= 0)
        return key;
    if (!g_joysticks || !g_joysticks->GetSelected())
        return -1;
    const InputCode pov = g_joysticks->GetPressedPovCode();
    if (pov >= 0)
        return pov;
    const InputCode axis = g_joysticks->GetMovedAxisCode();
    if (axis >= 0)
        return screen.captureColumn == 2 || (screen.captureRow >= 1 && screen.captureRow <= 4) ? axis : -2;
    return g_joysticks->GetPressedButtonCode();
}

void RunCapture(OptionsScreen& screen, QV7_Menu_List* list)
{
    const InputCode code = CapturedCode(screen);
    if (code == -1 || code == -2)
        return;
    // List rows follow the action list's order, which is not the settings' storage order.
    KeyActionRecord* action = g_windowsData && screen.captureRow < g_windowsData->m_KeyActions.Count()
                                  ? g_windowsData->m_KeyActions[screen.captureRow]
                                  : nullptr;
    InputCode* binding = action ? (screen.captureColumn == 1 ? action->key1 : action->key2) : nullptr;
    if (code != kEscape && binding)
    {
        *binding = code;
        SaveKeyBindings();
        FillControlsList(list);
    }
    screen.captureRow = -1;
    if (list)
        list->m_ShowSelectedColumnText = 0;
}

void FollowControllerChoice(OptionsScreen& screen, QV7_Menu_List* list)
{
    auto* combo = FindMenuControlAs<QV7_Menu_Combo>("IDCOMBOBOX");
    const int selected = combo ? combo->m_SelectedItem : 0;
    if (selected > 0 && g_joysticks)
        g_joysticks->Select(selected - 1);
    if (selected == screen.controllerSelection)
        return;
    if (selected > 0 && g_joysticks && selected - 1 < g_joysticks->m_Devices.Count())
    {
        WriteSetting("Controller", "Device",
                     g_joysticks->m_Devices[selected - 1]->m_Instance.productName.c_str());
        if (GameSettings* settings = Settings())
            std::snprintf(settings->ControllerDevice, sizeof settings->ControllerDevice, "%s",
                          g_joysticks->m_Devices[selected - 1]->m_Instance.productName.c_str());
    }
    else if (selected == 0 && screen.controllerSelection > 0)
    {
        if (g_joysticks)
            g_joysticks->Select(NO_JOYSTICK_SELECTED);
        ResetKeyBindings();
        FillControlsList(list);
        SaveKeyBindings();
    }
    screen.controllerSelection = selected;
}

void FollowScreenSize(OptionsScreen& screen)
{
    auto* combo = FindMenuControlAs<QV7_Menu_Combo>("IDCOMBOBOX");
    const int selected = combo ? combo->m_SelectedItem : -1;
    // No mode matching the current size leaves -1: nothing to take then.
    if (selected == screen.graphicsSelection || selected < 0 || selected >= int(screen.sizes.size()))
        return;
    screen.graphicsSelection = selected;
    if (GameSettings* settings = Settings())
    {
        settings->ScreenWidth = screen.sizes[size_t(selected)].first;
        settings->ScreenHeight = screen.sizes[size_t(selected)].second;
        WriteSetting("Options", "ScreenWidth", settings->ScreenWidth);
        WriteSetting("Options", "ScreenHeight", settings->ScreenHeight);
    }
}

void SetDetail(int detail)
{
    if (GameSettings* settings = Settings())
        settings->Detail = detail;
    WriteSetting("Options", "Detail", detail);
}

void SelectDetailOption()
{
    const GameSettings* settings = Settings();
    const int detail = settings ? settings->Detail : 0;
    const char* id = detail >= 0 && detail <= 4 ? kDetailOptions[detail] : "IDOPTIONBOX6";
    if (auto* option = FindMenuControlAs<QV7_Menu_Option>(id))
        option->Select();
}

void ActOnPreset(const char* clicked)
{
    for (int detail = 0; detail < 4; ++detail)
        if (Is(clicked, kDetailOptions[detail]))
        {
            SetDetail(detail);
            SaveCustomGraphicsSettings();
        }
    if (Is(clicked, "IDOPTIONBOX5"))
    {
        if (GameSettings* settings = Settings())
            settings->FSAA = 2, settings->FSAF = 2;
        SetDetail(4);
        WriteSetting("Custom", "FSAA", 2);
        WriteSetting("Custom", "FSAF", 2);
        SaveCustomGraphicsSettings();
    }
    if (Is(clicked, "IDOPTIONBOX6"))
        SetDetail(-1);
}

void WriteVolume(const char* sliderId, const char* key, int GameSettings::*volume)
{
    auto* slider = FindMenuControlAs<QV7_Menu_Slider>(sliderId);
    GameSettings* settings = Settings();
    if (!slider || !settings)
        return;
    settings->*volume = PercentForKnob(slider->m_Position, slider->m_Right - slider->m_Left, slider->m_Width);
    WriteSetting("Sound", key, settings->*volume);
}

// A click on any tab: the tab switches and the settings it names.
void ActOnClick(OptionsScreen& screen, const char* clicked)
{
    if (Is(clicked, "IDGRAPHICS"))
        screen.tab = 0;
    else if (Is(clicked, "IDCUSTOM"))
    {
        SetDetail(-1);
        screen.tab = 1;
    }
    else if (Is(clicked, "IDSOUNDMUSIC"))
        screen.tab = 2;
    else if (Is(clicked, "IDCONTROLLERS"))
        screen.tab = 3;
    else if (Is(clicked, "IDHWND5466"))
        WriteVolume("IDHWND5466", "SoundVolume", &GameSettings::SoundVolume);
    else if (Is(clicked, "IDHWND5467"))
    {
        WriteVolume("IDHWND5467", "MusicVolume", &GameSettings::MusicVolume);
        const int music = Settings() ? Settings()->MusicVolume : 0;
        if (g_soundSystem)
            g_soundSystem->SetVolume(g_soundSystem->m_MusicB, music == 0 ? -10000 : music * 50 - 5000);
    }
    else if (Is(clicked, "IDDEFAULT"))
    {
        ResetKeyBindings();
        SaveKeyBindings();
        FillControlsList(FindMenuControlAs<QV7_Menu_List>("IDCONTROLS"));
    }
    ActOnPreset(clicked);
}

// The per-tab work of one frame before the click is handled.
void TabWork(OptionsScreen& screen)
{
    SelectPage(screen.tab);
    if (screen.tab == 0)
    {
        SelectDetailOption();
        FollowScreenSize(screen);
    }
    if (screen.tab == 2)
    {
        auto* sound = FindMenuControlAs<QV7_Menu_Slider>("IDHWND5466");
        if (sound && sound->m_Dragging && Settings())
            Settings()->SoundVolume =
                PercentForKnob(sound->m_Position, sound->m_Right - sound->m_Left, sound->m_Width);
    }
    if (screen.tab == 3)
    {
        auto* list = FindMenuControlAs<QV7_Menu_List>("IDCONTROLS");
        FollowControllerChoice(screen, list);
        if (screen.captureRow >= 0)
            RunCapture(screen, list);
    }
}

// Custom-tab and controls-tab clicks that need the page current.
void TabClick(OptionsScreen& screen, const char* clicked)
{
    if (screen.tab == 1)
    {
        if (Is(clicked, "IDSLI1"))
            SnapSlider("IDSLI1", "IDSLITEXT1", screen.fsaaStops);
        else if (Is(clicked, "IDSLI2"))
            SnapSlider("IDSLI2", "IDSLITEXT2", screen.fsafStops);
        else
            StoreCustomFlags();
    }
    if (screen.tab == 3 && Is(clicked, "IDCONTROLS"))
        screen.keysPressed = true;
}

// Once the press on the key list is over, a key cell under it starts a capture.
void FinishKeyPress(OptionsScreen& screen)
{
    if (!screen.keysPressed || screen.tab != 3 || AnyMenuButtonDown())
        return;
    screen.keysPressed = false;
    SelectPage(3);
    auto* list = FindMenuControlAs<QV7_Menu_List>("IDCONTROLS");
    if (list && list->m_SelectedRow >= 0 && (list->m_SelectedColumn == 1 || list->m_SelectedColumn == 2))
    {
        screen.captureRow = list->m_SelectedRow;
        screen.captureColumn = list->m_SelectedColumn;
        list->m_ShowSelectedColumnText = 1;
    }
}

void SetUpAll(OptionsScreen& screen)
{
    SetUpControllers(screen);
    SetUpSound();
    SetUpGraphics(screen);
    SetUpCustom(screen);
}
} // namespace

std::vector<std::pair<int, int>> OfferedScreenSizes(const std::vector<std::pair<int, int>>& modes)
{
    std::vector<std::pair<int, int>> sizes;
    for (const auto& mode : modes)
        if (mode.first >= 800 && std::find(sizes.begin(), sizes.end(), mode) == sizes.end())
            sizes.push_back(mode);
    return sizes;
}

int KnobForPercent(int percent, int sliderWidth, int knobWidth)
{
    const int travel = sliderWidth - knobWidth;
    return int(float(percent) / 100.0f * float(travel)) + knobWidth / 2;
}

int PercentForKnob(int knob, int sliderWidth, int knobWidth)
{
    const int travel = sliderWidth - knobWidth;
    // A slider no wider than its knob has no range.
    return travel > 0 ? std::clamp(int(float(knob - knobWidth / 2) / float(travel) * 100.0f + 0.5f), 0, 100)
                      : 0;
}

int PowerOfTwoStops(int maximum)
{
    // A maximum of 1 has no stop beyond "Off" (and no stop width to divide by).
    return maximum > 1 ? int(std::floor(std::log2(double(maximum)))) : 0;
}

std::string StopText(int stop)
{
    if (stop <= 0)
        return "Off";
    return std::to_string(1 << stop) + "X";
}

void SaveCustomGraphicsSettings()
{
    GameSettings* settings = Settings();
    for (const CustomFlag& flag : kCustomFlags)
    {
        if (settings)
            settings->*flag.flag = 0;
        WriteSetting("Custom", flag.key, 0);
    }
}

const char* RunGraphicsOptionsPage(float fade)
{
    return TabFrame(0, fade);
}

const char* RunCustomGraphicsPage(float fade)
{
    return TabFrame(1, fade);
}

const char* RunSoundOptionsPage(float fade)
{
    return TabFrame(2, fade);
}

const char* RunControllersPage(float fade)
{
    return TabFrame(3, fade);
}

void RunOptionsPage(float fade)
{
    OptionsScreen screen;
    g_options = &screen;
    // The screenshot key is a bindable key here: no screenshots while the screen runs.
    if (g_windowsData)
        g_windowsData->m_ScreenshotOff = 1;
    SetUpAll(screen);
    screen.quit = !RunPageFade(fade, {kMainPage, 1, MenuCover::Backdrop, kBackdropPage, 0.8f, 0.0f});
    while (!screen.quit)
    {
        TabWork(screen);
        const char* clicked = nullptr;
        switch (screen.tab)
        {
        case 0:
            clicked = RunGraphicsOptionsPage(fade);
            break;
        case 1:
            clicked = RunCustomGraphicsPage(fade);
            break;
        case 2:
            clicked = RunSoundOptionsPage(fade);
            break;
        default:
            clicked = RunControllersPage(fade);
            break;
        }
        fade = std::min(255.0f, fade + 0.8f * MenuFrameMs());
        FinishKeyPress(screen);
        if (!clicked)
            continue;
        if (Is(clicked, "IDBACKTOMAINMENU"))
            break;
        TabClick(screen, clicked);
        ActOnClick(screen, clicked);
        screen.guard.Note();
    }
    if (g_windowsData)
        g_windowsData->m_ScreenshotOff = 0;
    g_options = nullptr;
    if (!screen.quit &&
        RunPageFade(fade, {kTabPages[screen.tab], 1, MenuCover::Backdrop, kBackdropPage, 0.8f, 0.0f}))
        RunPageFade(fade, {kMainPage, 1, MenuCover::Backdrop, kBackdropPage, 0.8f, 255.0f});
}
