// What the garage's shop, weapons and new-buggy pages share: their fades over
// the garage backdrop, their one-button and yes/no pop-ups, item names in the
// player's language, and description lists built from several texts.
#pragma once

#include "platform/gfx/D3D9.h"

#include <string>
#include <vector>

class ProfileRecord;
class QV7_DataBase_MeshObject;
class QV7_Menu_List;

constexpr const char* kGarageBackdropPage = "ID_IM_BACKGROUND";

// The current profile; null when there is none.
ProfileRecord* GarageProfile();

// The page fading in from 0 to 255, or out from 255 to 0, over the garage
// backdrop; false when the game quits.
bool FadeGaragePageIn(const char* page, float& fade);
bool FadeGaragePageOut(const char* page, float& fade);
// Fade value after one more frame of a page fading in.
float GarageFadeInStep(float fade);

// Pop-ups over their page: the message closes on IDOK (or a quit), the
// question answers 1 for IDYES, 0 for IDNO or a quit.
void ShowGarageMessage(const char* page);
int ShowGarageQuestion(const char* page);

// The display name and description of an item in the player's language ("" without).
const char* ItemName(const QV7_DataBase_MeshObject* item);
const char* ItemDescription(const QV7_DataBase_MeshObject* item);

// One block of a description list: a text wrapped to the list's width in a
// colour (0: the list's own); an empty text gives one empty row.
struct DescriptionBlock
{
    std::string text;
    D3DCOLOR colour = 0;
};
// Replaces the list's rows with the blocks, one after the other.
void FillDescriptionList(QV7_Menu_List& list, const std::vector<DescriptionBlock>& blocks);
// A button this page ignores is shown lit (the highlight flag), as the data draws greyed buttons.
void SetButtonGreyed(const char* id, bool greyed);
bool ButtonGreyed(const char* id);
