// The key list of the controls pages.
#include "gui/KeyBindingList.h"

#include "gui/QV7_Menu_ListBox.h"
#include "media/KeyNames.h"
#include "shell/QV7_Windows.h"

#include <cstdio>

namespace
{
template <size_t N> void CopyString(char (&destination)[N], const char* source)
{
    std::snprintf(destination, N, "%s", source);
}

const char* NameOf(const InputCode* code)
{
    const char* name = code ? GetKeyName(*code) : nullptr;
    return name ? name : "[Empty]";
}

void AddColumnText(ListRow& row, const char* text)
{
    ListColumnText* column = row.m_Columns.Add();
    CopyString(column->m_Text, text);
}

void AddColumn(QV7_Menu_List& list, int x, int width, D3DCOLOR hover)
{
    ListColumn* column = list.m_Columns.Add();
    column->m_X = x;
    column->m_Width = width;
    column->m_Hover = 1;
    column->m_Colour = 0xFFBBBBFF;
    column->m_HoverColour = hover;
    column->m_SelectedColour = hover == 0xFFDDDDFF ? 0xFFBBBBFF : hover;
}
} // namespace

void FillControlsList(QV7_Menu_List* list)
{
    if (!list)
        return;
    list->m_Rows.Clear();
    if (!g_windowsData)
        return;
    const QV7_Collection<KeyActionRecord>& actions = g_windowsData->m_KeyActions;
    for (int i = 0; i < actions.count; ++i)
    {
        const KeyActionRecord& action = *actions.items[i];
        ListRow* row = list->m_Rows.Add();
        CopyString(row->m_Text, action.name);
        AddColumnText(*row, action.name);
        AddColumnText(*row, NameOf(action.key1));
        AddColumnText(*row, NameOf(action.key2));
    }
}

void SetUpControlsColumns(QV7_Menu_List* list)
{
    if (!list)
        return;
    CopyString(list->m_SelectedColumnText, "Press New Key");
    list->m_Columns.Clear();
    AddColumn(*list, 0, 180, 0xFFDDDDFF);
    AddColumn(*list, 180, 150, 0xFF00DD00);
    AddColumn(*list, 330, 300, 0xFF00DD00);
}
