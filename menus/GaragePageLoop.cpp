#include "menus/GaragePageLoop.h"

#include "gui/QV7_Menu_Button.h"
#include "gui/QV7_Menu_ListBox.h"
#include "menus/MenuControls.h"
#include "menus/PopupPages.h"
#include "menus/QV7_PageLoop.h"
#include "race/QV7_DataBase_MeshObject.h"
#include "race/QV7_Profiles.h"
#include "shell/QV7_Windows.h"

#include <algorithm>
#include <cstring>

namespace
{
const ItemNamePair* NamesOf(const QV7_DataBase_MeshObject* item)
{
    return item ? item->Names(g_windowsData ? g_windowsData->m_VersionNumber : 0) : nullptr;
}

void AppendRow(QV7_Menu_List& list, const char* text, D3DCOLOR colour)
{
    ListRow* row = list.m_Rows.Add();
    std::snprintf(row->m_Text, sizeof row->m_Text, "%s", text);
    row->m_Colour = colour;
}
} // namespace

ProfileRecord* GarageProfile()
{
    return g_profiles ? g_profiles->currentProfile : nullptr;
}

bool FadeGaragePageIn(const char* page, float& fade)
{
    return RunPageFade(fade, {page, 1, MenuCover::Backdrop, kGarageBackdropPage, 0.8f, 255.0f});
}

bool FadeGaragePageOut(const char* page, float& fade)
{
    return RunPageFade(fade, {page, 1, MenuCover::Backdrop, kGarageBackdropPage, 0.8f, 0.0f});
}

float GarageFadeInStep(float fade)
{
    return std::min(255.0f, fade + 0.8f * MenuFrameMs());
}

void ShowGarageMessage(const char* page)
{
    RunOkPage(page, false);
}

int ShowGarageQuestion(const char* page)
{
    return RunYesNoPage(page, false);
}

const char* ItemName(const QV7_DataBase_MeshObject* item)
{
    const ItemNamePair* names = NamesOf(item);
    return names ? names->name : "";
}

const char* ItemDescription(const QV7_DataBase_MeshObject* item)
{
    const ItemNamePair* names = NamesOf(item);
    return names ? names->description : "";
}

void FillDescriptionList(QV7_Menu_List& list, const std::vector<DescriptionBlock>& blocks)
{
    list.m_Rows.Clear();
    for (const DescriptionBlock& block : blocks)
    {
        if (block.text.empty())
        {
            AppendRow(list, "", block.colour);
            continue;
        }
        // The list wraps a text to its own width; a scratch list of the same
        // font and size does the wrapping for each block.
        QV7_Menu_List wrapped;
        wrapped.m_Font = list.m_Font;
        wrapped.m_Left = list.m_Left, wrapped.m_Right = list.m_Right;
        wrapped.m_Top = list.m_Top, wrapped.m_Bottom = list.m_Bottom;
        wrapped.AddText(block.text.c_str());
        for (int i = 0; i < wrapped.m_Rows.Count(); ++i)
            AppendRow(list, wrapped.m_Rows[i]->m_Text, block.colour);
    }
}

void SetButtonGreyed(const char* id, bool greyed)
{
    if (auto* button = FindMenuControlAs<QV7_Menu_Button>(id))
        button->m_Highlight = greyed ? 1 : 0;
}

bool ButtonGreyed(const char* id)
{
    auto* button = FindMenuControlAs<QV7_Menu_Button>(id);
    return !button || button->m_Highlight == 1;
}
