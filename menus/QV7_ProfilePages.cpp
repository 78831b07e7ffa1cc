#include "menus/QV7_ProfilePages.h"

#include "engine/QV7_Camera.h"
#include "figures/QV7_TriggersSystem.h"
#include "gui/QV7_Menu_ListBox.h"
#include "gui/QV7_Menu_Picture.h"
#include "gui/QV7_Menu_TextField.h"
#include "media/QV7_Input.h"
#include "menus/MenuControls.h"
#include "menus/PlayerModelPreview.h"
#include "menus/PopupPages.h"
#include "menus/QV7_GarageHub.h"
#include "menus/QV7_PageLoop.h"
#include "race/BuggyConfiguration.h"
#include "race/QV7_ItemDatabase.h"
#include "race/QV7_Profiles.h"

#include <cstring>

namespace
{
const char* const kMainPage = "ID_MAIN_MENU";
const char* const kBackdropPage = "ID_MM_BACKGROUND";
const char* const kProfilePage = "ID_PROFILE";
constexpr int kEscape = 1, kEnter = 28, kKeypadEnter = 156;

bool Is(const char* clicked, const char* id)
{
    return clicked && std::strcmp(clicked, id) == 0;
}

int ProfileCount()
{
    return g_profiles ? g_profiles->profiles.Count() : 0;
}

ProfileRecord* ProfileAtRow(int row)
{
    const int index = ProfileIndexOfRow(row, ProfileCount());
    return index < 0 ? nullptr : g_profiles->profiles[index];
}

MenuPictureDrawCallback PreviewFor(const ProfileRecord* profile)
{
    if (!profile)
        return nullptr;
    return profile->gender == 2 ? AnimateFemalePlayerModel : AnimateMalePlayerModel;
}

void SetPreview(const ProfileRecord* profile)
{
    if (auto* picture = FindMenuControlAs<QV7_Menu_Picture>("IDPLAYERMODEL"))
        picture->m_DrawCallback = PreviewFor(profile);
}

// The list filled newest first, row 0 selected and scrolled to the top.
void FillProfileList()
{
    // Pop-ups leave their own page current, and controls are found on the current page.
    if (g_menuManager)
        g_menuManager->m_CurrentPage = g_menuManager->FindPageIndex(kProfilePage);
    auto* list = FindMenuControlAs<QV7_Menu_List>("IDPROFILES");
    if (!list)
        return;
    list->m_Rows.Clear();
    for (int row = 0; row < ProfileCount(); ++row)
    {
        ListRow* added = list->m_Rows.Add();
        std::snprintf(added->m_Text, sizeof added->m_Text, "%s", ProfileAtRow(row)->name);
    }
    list->m_SelectedRow = 0;
    list->m_ScrollPosition = 0;
}

int SelectedRow()
{
    auto* list = FindMenuControlAs<QV7_Menu_List>("IDPROFILES");
    return list ? list->m_SelectedRow : -1;
}

// Page frames of the profile list until a click: the clicked id, or null on a quit.
const char* NextProfileClick(ClickGuard& guard, bool& rebuilt)
{
    for (;;)
    {
        SetPreview(ProfileAtRow(SelectedRow()));
        const FrameResult gate = StartPageFrame(kProfilePage, 1);
        if (gate == FRAME_QUIT)
            return nullptr;
        if (gate == FRAME_SKIP)
            continue;
        if (rebuilt)
        {
            if (auto* list = FindMenuControlAs<QV7_Menu_List>("IDPROFILES"))
                list->m_ScrollPosition = 0;
            rebuilt = false;
        }
        const char* clicked = guard.Filter(DrawPageFrame(MenuCover::Nothing()));
        if (clicked)
            return clicked;
    }
}

// IDGO: the selected profile becomes current and its career starts; true when
// the hub was run (the profile page then returns without fading back).
bool GoWithSelectedProfile()
{
    ProfileRecord* profile = ProfileAtRow(SelectedRow());
    if (!profile)
    {
        ShowProfileCantGoPopup();
        return false;
    }
    g_profiles->currentProfile = profile;
    BuggyConfiguration::MountParts(profile->currentBuggy);
    return StartCareer() == 1;
}

void DeleteSelectedProfile(bool& rebuilt)
{
    const int index = ProfileIndexOfRow(SelectedRow(), ProfileCount());
    if (index < 0)
    {
        ShowProfileCantDeletePopup();
        return;
    }
    if (RunDeleteProfileConfirm() != 1)
        return;
    g_profiles->DeleteProfileAt(index);
    FillProfileList();
    rebuilt = true;
}

// The name the player typed, with the field's limits: at most 240 characters
// and only what fits its width.
void PrepareNameField()
{
    auto* field = FindMenuControlAs<QV7_Menu_Text>("IDHWND502");
    if (!field)
        return;
    field->m_MaxLength = 240;
    field->m_Fit = 1;
    if (g_menuManager && field->m_Page)
        field->m_Page->m_Focused = field;
}

int CreateFromNameField()
{
    auto* field = FindMenuControlAs<QV7_Menu_Text>("IDHWND502");
    if (!field || field->m_Text[0] == '\0' || !g_profiles)
        return 0;
    g_profiles->CreateProfile(field->m_Text, MenuChecked("IDHWND504") ? 2 : 1);
    return 3;
}
} // namespace

int ProfileIndexOfRow(int row, int count)
{
    return row >= 0 && row < count ? count - 1 - row : -1;
}

void RunProfilePage(float fade)
{
    if (!RunPageFade(fade, {kMainPage, 1, MenuCover::Backdrop, kBackdropPage, 0.8f, 0.0f}))
        return;
    if (g_menuManager)
    {
        g_menuManager->m_CurrentPage = g_menuManager->FindPageIndex(kProfilePage);
        g_menuManager->ResetPageControls();
    }
    FillProfileList();
    SetPreview(ProfileAtRow(0));
    if (!RunPageFade(fade, {kProfilePage, 1, MenuCover::Backdrop, kBackdropPage, 0.8f, 255.0f}))
        return;
    ClickGuard guard;
    bool rebuilt = false;
    for (;;)
    {
        const char* clicked = NextProfileClick(guard, rebuilt);
        if (!clicked)
            return;
        if (Is(clicked, "IDGO") && GoWithSelectedProfile())
            return;
        if (Is(clicked, "IDDELETE"))
            DeleteSelectedProfile(rebuilt);
        if (Is(clicked, "IDNEW"))
        {
            const int created = RunCreateProfilePage();
            if (created == 2)
                return;
            FillProfileList();
            rebuilt = true;
        }
        if (Is(clicked, "IDBACK"))
        {
            if (RunPageFade(fade, {kProfilePage, 1, MenuCover::Backdrop, kBackdropPage, 0.8f, 0.0f}))
                RunPageFade(fade, {kMainPage, 1, MenuCover::Backdrop, kBackdropPage, 0.8f, 255.0f});
            return;
        }
        // Rows are chosen by pressing on them: dragging over the list must not be held back.
        if (!Is(clicked, "IDPROFILES"))
            guard.Note();
    }
}

int RunCreateProfilePage()
{
    const char* const page = "ID_PROFILE_CREATE";
    if (g_menuManager)
    {
        g_menuManager->m_CurrentPage = g_menuManager->FindPageIndex(page);
        g_menuManager->ResetPageControls();
    }
    PrepareNameField();
    ClickGuard guard;
    for (;;)
    {
        const PageFrame frame = RunPageFrame(page, 1);
        if (frame.gate == FRAME_QUIT)
            return 2;
        if (!frame.Drawn())
            continue;
        const char* clicked = guard.Filter(frame.clicked);
        if (Is(clicked, "IDCANCEL"))
            return 0;
        if (Is(clicked, "IDOK"))
            return CreateFromNameField();
        if (clicked)
        {
            guard.Note();
            continue;
        }
        const int key = g_input ? g_input->GetPressedCode() : 0;
        if (key == kEscape)
            return 1;
        if (key == kEnter || key == kKeypadEnter)
            return CreateFromNameField();
    }
}

int RunDifficultyPage()
{
    const char* const page = "ID_PROFILE_DIFICULTY";
    if (g_menuManager)
    {
        g_menuManager->m_CurrentPage = g_menuManager->FindPageIndex(page);
        g_menuManager->ResetPageControls();
    }
    SetMenuChecked("IDHWND606", false);
    SetMenuChecked("IDHWND607", true);
    SetMenuChecked("IDHWND608", false);
    ClickGuard guard;
    for (;;)
    {
        const PageFrame frame = RunPageFrame(page, 1);
        if (frame.gate == FRAME_QUIT)
            return 1;
        if (!frame.Drawn())
            continue;
        const char* clicked = guard.Filter(frame.clicked);
        if (Is(clicked, "IDCANCEL"))
            return 0;
        if (Is(clicked, "IDOK"))
            break;
        if (clicked)
            guard.Note();
    }
    ProfileRecord* profile = g_profiles ? g_profiles->currentProfile : nullptr;
    if (!profile)
        return 1;
    // Tested in this order: a later checked option wins.
    if (MenuChecked("IDHWND606"))
        profile->difficulty = 0;
    if (MenuChecked("IDHWND607"))
        profile->difficulty = 1;
    if (MenuChecked("IDHWND608"))
        profile->difficulty = 2;
    profile->difficultyChosen = 1;
    return 1;
}

int StartCareer()
{
    ProfileRecord* profile = g_profiles ? g_profiles->currentProfile : nullptr;
    if (!profile)
        return 0;
    const bool asked = profile->difficultyChosen == 0;
    if (asked && RunDifficultyPage() == 0)
        return 0;
    float fade = 255.0f;
    if (!RunPageFade(
            fade, {asked ? "ID_PROFILE_DIFICULTY" : kProfilePage, 1, MenuCover::Black, nullptr, 0.8f, 0.0f}))
        return 1;
    EnterGarageHubPage();
    if (!RunPageFade(fade, {"ID_INGAME", 1, MenuCover::Black, nullptr, 0.8f, 255.0f},
                     [](const char*) { WriteHubTexts(); }))
        return 1;
    RunGarageHub();
    return 1;
}

void ShowProfileCantGoPopup()
{
    RunOkPage("ID_PROFILE_CANT_GO", true);
}

void ShowProfileCantDeletePopup()
{
    RunOkPage("ID_PROFILE_CANT_DELETE", true);
}

int RunDeleteProfileConfirm()
{
    return RunYesNoPage("ID_PROFILE_DELETE", true);
}

void AnimateMalePlayerModel(const char* id, QV7_Menu_Picture* control)
{
    static PlayerModelPreview preview("TRIG_PLAYERM_MENU_IDLE", "TRIG_PLAYERM_MENU_MOVE");
    preview.Draw(id, control);
}

void AnimateFemalePlayerModel(const char* id, QV7_Menu_Picture* control)
{
    static PlayerModelPreview preview("TRIG_PLAYERF_MENU_IDLE", "TRIG_PLAYERF_MENU_MOVE");
    preview.Draw(id, control);
}
