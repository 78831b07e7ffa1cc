// The escape menu's controls page: the controller choice and the key list,
// where a click on a key cell waits for the new key.
#include "race/QV7_MapSystem.h"

#include "race/RaceMenuFrame.h"

#include "gui/KeyBindingList.h"
#include "gui/QV7_MenuManager.h"
#include "gui/QV7_Menu_Button.h"
#include "gui/QV7_Menu_ComboBox.h"
#include "gui/QV7_Menu_ListBox.h"
#include "media/KeyBindings.h"
#include "media/QV7_Input.h"
#include "media/QV7_Joysticks.h"
#include "platform/win/Ini.h"
#include "shell/QV7_Globals.h"
#include "shell/QV7_Logger.h"
#include "shell/QV7_Windows.h"

#include <cstdio>
#include <cstring>
#include <string>

using namespace racemenu;

namespace
{
constexpr int kEscapeKey = 1;
const char* const kControlsPage = "ID_ESC_CONTROLS";
// The key list's rows whose first key may be a controller axis (the
// driving actions: accelerate, reverse, steer left and right).
constexpr int kFirstAxisRow = 1;
constexpr int kLastAxisRow = 4;
constexpr int kCancelled = -2;

void SetName(char (&destination)[ComboItem::kTextSize], const char* source)
{
    std::snprintf(destination, sizeof(destination), "%s", source);
}

// "Keyboard", then every controller by name; the one the settings name is selected.
void FillDevices(QV7_Menu_Combo& combo)
{
    combo.m_Items.Clear();
    SetName(combo.m_Items.Add()->m_Text, "Keyboard");
    combo.m_SelectedItem = 0;
    if (!g_joysticks)
        return;
    const char* wanted = g_windowsData ? g_windowsData->m_Settings.ControllerDevice : "";
    for (int i = 0; i < g_joysticks->m_Devices.count; ++i)
    {
        const char* name = g_joysticks->m_Devices.items[i]->m_Instance.productName.c_str();
        SetName(combo.m_Items.Add()->m_Text, name);
        if (std::strcmp(name, wanted) == 0)
            combo.m_SelectedItem = i + 1;
    }
}

void RefillKeys(QV7_Menu_List* keys)
{
    FillControlsList(keys);
}

void ResetBindings(QV7_Menu_List* keys)
{
    ResetKeyBindings();
    SaveKeyBindings();
    RefillKeys(keys);
}

// The controller follows the combo; choosing one writes its name, going
// back to the keyboard drops it and restores the keyboard's bindings.
void FollowDeviceChoice(QV7_Menu_Combo& combo, int& lastRow, QV7_Menu_List* keys)
{
    const int row = combo.m_SelectedItem;
    if (row > 0 && g_joysticks && row - 1 < g_joysticks->m_Devices.count)
    {
        if (g_joysticks->m_Selected != row - 1)
            g_joysticks->Select(row - 1);
        if (row != lastRow && g_windowsData)
        {
            const char* name = g_joysticks->m_Devices.items[row - 1]->m_Instance.productName.c_str();
            SetName(g_windowsData->m_Settings.ControllerDevice, name);
            win::WritePrivateProfileStringA("Controller", "Device", name, g_programDir + "Settings.ini");
        }
    }
    else if (row == 0 && lastRow > 0)
    {
        if (g_joysticks)
            g_joysticks->Select(NO_JOYSTICK_SELECTED);
        ResetKeyBindings();
        RefillKeys(keys);
        SaveKeyBindings();
    }
    lastRow = row;
}

struct Capture
{
    int row = -1;
    int column = 0; // 1 first key, 2 second key; 0 none
};

void Bind(const Capture& capture, InputCode code, QV7_Menu_List* keys)
{
    if (!g_windowsData || capture.row < 0 || capture.row >= g_windowsData->m_KeyActions.count)
        return;
    KeyActionRecord& action = *g_windowsData->m_KeyActions.items[capture.row];
    InputCode* binding = capture.column == 1 ? action.key1 : action.key2;
    if (binding)
        *binding = code;
    SaveKeyBindings();
    RefillKeys(keys);
}
} // namespace

namespace racemenu
{
int CapturedCode(int row, int column)
{
    const InputCode key = g_input ? g_input->GetPressedCode() : -1;
    if (key == kEscapeKey)
        return kCancelled;
    if (key >= 0)
        return key;
    if (!g_joysticks || !g_joysticks->GetSelected())
        return -1;
    const InputCode hat = g_joysticks->GetPressedPovCode();
    if (hat >= 0)
        return hat;
    const InputCode axis = g_joysticks->GetMovedAxisCode();
    if (axis >= 0)
        return column == 1 && (row < kFirstAxisRow || row > kLastAxisRow) ? -1 : axis;
    return g_joysticks->GetPressedButtonCode();
}
} // namespace racemenu

int QV7_MapSystem::RunControlsMenu()
{
    const ScreenSize screen = Screen();
    OpenPage(kControlsPage, screen.width / 2 - 400, screen.height / 2 - 300);
    if (g_menuManager)
        g_menuManager->BringControlToFront("IDCONTROLS");
    if (auto* tab = static_cast<QV7_Menu_Button*>(FindControl(kControlsPage, "IDCONTROLS", kMenuButton)))
        tab->m_Highlight = 1;
    auto* combo = static_cast<QV7_Menu_Combo*>(FindControl(kControlsPage, "IDCOMBO", kMenuCombo));
    auto* keys = static_cast<QV7_Menu_List*>(FindControl(kControlsPage, "IDKEYS", kMenuList));
    if (combo)
        FillDevices(*combo);
    SetUpControlsColumns(keys);
    RefillKeys(keys);
    int lastRow = combo ? combo->m_SelectedItem : 0;
    Capture capture;
    bool keysPressed = false;
    // The Escape that cancels a capture does not also leave the page.
    bool escapeHeld = KeyDown(kEscapeKey);
    for (;;)
    {
        UpdateMusic();
        if (combo)
            FollowDeviceChoice(*combo, lastRow, keys);
        if (capture.column)
        {
            const int code = CapturedCode(capture.row, capture.column);
            if (code == kCancelled)
                escapeHeld = true;
            else if (code >= 0)
                Bind(capture, code, keys);
            if (code != -1)
            {
                capture = Capture();
                if (keys)
                    keys->m_ShowSelectedColumnText = 0;
            }
        }
        const MenuFrame frame = RunMenuFrame(*this, kControlsPage);
        if (frame.gate == FRAME_QUIT)
            return -1;
        if (!KeyDown(kEscapeKey))
            escapeHeld = false;
        else if (!escapeHeld && !capture.column)
            return -1;
        if (Is(frame.clicked, "IDBACK"))
            return -1;
        if (Is(frame.clicked, "IDSOUND"))
            return 1;
        if (Is(frame.clicked, "IDDEFAULT"))
            ResetBindings(keys);
        // The list takes the cell under the mouse while the button is held,
        // so the clicked cell is known once the press is over.
        if (Is(frame.clicked, "IDKEYS"))
            keysPressed = true;
        if (keysPressed && !AnyMouseButtonDown())
        {
            keysPressed = false;
            if (keys && (keys->m_SelectedColumn == 1 || keys->m_SelectedColumn == 2) &&
                keys->m_SelectedRow >= 0)
            {
                capture.row = keys->m_SelectedRow;
                capture.column = keys->m_SelectedColumn;
                keys->m_ShowSelectedColumnText = 1;
            }
        }
    }
}
