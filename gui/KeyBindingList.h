// The controls pages' key list: one row per bindable action, as the settings'
// action list orders them, with the action's name and the names of its two
// bound codes in three columns.
#pragma once

class QV7_Menu_List;

// Replaces the list's rows; a code without a name (-1 among them) shows "[Empty]".
void FillControlsList(QV7_Menu_List* list);
// The three columns of the key list (action name, first key, second key)
// and its capture prompt "Press New Key".
void SetUpControlsColumns(QV7_Menu_List* list);
