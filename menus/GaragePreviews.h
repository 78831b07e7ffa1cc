// The turning 3D models the garage pages show in their pictures. Each
// callback reads what to draw from the globals its page sets every frame.
#pragma once

class QV7_DataBase_MeshObject;
class QV7_Menu_Picture;
struct MountedPart;

// The shop, upgrade, weapons, ammunition and new-buggy previews turn by
// 0.001 x frame ms per frame of their pages.
extern float g_garageYaw;
// The shop's selected part (a part of type 6, 8 or 10 shows alone, anything else the whole buggy).
extern const QV7_DataBase_MeshObject* g_shopPreviewItem;
// The mounted part the upgrade page offers the next level of.
extern MountedPart* g_upgradePart;
// Centre, left and right weapon of the weapons pages.
extern const QV7_DataBase_MeshObject* g_weaponPreview[3];
extern int g_bestOwnedModel;
extern const QV7_DataBase_MeshObject* g_ammoPreview;
struct NewBuggyPreview
{
    const QV7_DataBase_MeshObject* model = nullptr;
    bool owned = false;
    bool locked = false;
};
// Left and right model of the new-buggy page.
extern NewBuggyPreview g_newBuggyPreview[2];

// ID3DMODELMIDDLE: the current buggy; ID3DMODELLEFT / ID3DMODELRIGHT: the
// owned buggy before / after it, dimmer and a little further back.
void DrawHubBuggy(const char* id, QV7_Menu_Picture* control);
void DrawGarageModel(const char* id, QV7_Menu_Picture* control);
void DrawGarageItem(const char* id, QV7_Menu_Picture* control);
// ID3DMODEL, ID3DMODELL, ID3DMODELR: centre, left, right.
void DrawWeaponModel(const char* id, QV7_Menu_Picture* control);
void DrawAmmoModel(const char* id, QV7_Menu_Picture* control);
// ID3DMODELLEFT, ID3DMODELRIGHT.
void DrawNewBuggyModel(const char* id, QV7_Menu_Picture* control);
