#include "race/RaceHud.h"

#include "engine/QV7_Scene.h"
#include "engine/QV7_Screen2D.h"
#include "engine/QV7_TextureList.h"
#include "gui/QV7_MenuManager.h"
#include "gui/QV7_Menu_Caption.h"
#include "gui/QV7_Menu_Picture.h"
#include "gui/QV7_Menu_TextField.h"
#include "race/ProfileRecord.h"
#include "race/QV7_Buggy.h"
#include "race/QV7_DataBase_MeshObject.h"
#include "race/QV7_MapSystem.h"
#include "race/QV7_PhysicsGroup.h"
#include "race/QV7_PlayerController.h"
#include "race/QV7_Profiles.h"
#include "race/RaceRules.h"
#include "world/MapRecord.h"

#include <cstdio>
#include <cstring>
#include <vector>

namespace
{
constexpr int kAnyType = 100;

QV7_Menu_hWnd* Find(const char* id)
{
    return g_menuManager ? g_menuManager->FindControl(id, kAnyType) : nullptr;
}

void Move(QV7_Menu_hWnd* control, int dx, int dy)
{
    if (!control)
        return;
    control->m_Left = control->m_DesignLeft + dx;
    control->m_Right = control->m_DesignRight + dx;
    control->m_Top = control->m_DesignTop + dy;
    control->m_Bottom = control->m_DesignBottom + dy;
}

void Centre(QV7_Menu_hWnd* control, int width, int height)
{
    if (!control)
        return;
    const int w = control->m_DesignRight - control->m_DesignLeft;
    const int h = control->m_DesignBottom - control->m_DesignTop;
    control->m_Left = width / 2 - w / 2;
    control->m_Top = height / 2 - h / 2;
    control->m_Right = control->m_Left + w;
    control->m_Bottom = control->m_Top + h;
}

void Show(QV7_Menu_hWnd* control)
{
    if (control)
        control->Draw(1);
}

std::vector<const QV7_Buggy*> Racers(const QV7_MapSystem& session)
{
    std::vector<const QV7_Buggy*> racers;
    if (session.physicsGroup)
        for (const QV7_Buggy* racer : session.physicsGroup->racers)
            racers.push_back(racer);
    return racers;
}

bool Tutorial(const QV7_MapSystem& session)
{
    return session.mode == RACE_MODE_TUTORIAL;
}
} // namespace

void SetControlText(QV7_Menu_hWnd* control, const char* text)
{
    if (auto* caption = dynamic_cast<QV7_Menu_Caption*>(control))
        std::snprintf(caption->m_Text, sizeof caption->m_Text, "%s", text);
    else if (auto* field = dynamic_cast<QV7_Menu_Text*>(control))
        std::snprintf(field->m_Text, sizeof field->m_Text, "%s", text);
}

const char* ControlLabel(QV7_Menu_hWnd* control)
{
    if (auto* caption = dynamic_cast<QV7_Menu_Caption*>(control))
        return caption->m_LoadedText;
    if (auto* field = dynamic_cast<QV7_Menu_Text*>(control))
        return field->m_LoadedText;
    return "";
}

void DrawBar(QV7_Menu_hWnd* control, float current, float max)
{
    if (!control)
        return;
    const int top = control->m_Top;
    const race::BarFill fill = race::FillBar(control->m_Top, control->m_Bottom, current, max);
    control->m_Top = fill.top;
    auto* picture = dynamic_cast<QV7_Menu_Picture*>(control);
    if (picture)
        picture->m_VOffset = fill.vOffset;
    control->Draw(1);
    control->m_Top = top;
}

void RaceHud::Layout(int screenWidth, int screenHeight)
{
    if (!g_menuManager)
        return;
    page = g_menuManager->FindPageIndex("ID_HUD");
    if (page < 0)
        return;
    const int saved = g_menuManager->m_CurrentPage;
    g_menuManager->m_CurrentPage = page;
    const int dx = screenWidth - 800, dy = screenHeight - 600;
    struct Placed
    {
        QV7_Menu_hWnd** control;
        const char* id;
        int dx, dy;
    };
    const Placed placed[] = {
        {&meters, "IDHUDMETERS", dx, dy},      {&ammo, "IDAMMO", dx, dy},
        {&power, "IDPOWER", dx, dy},           {&shield, "IDSHIELD", dx, dy},
        {&turbo, "IDTURBO", dx, dy},           {&speed, "IDSPEED", dx, dy},
        {&minimap, "IDMINIMAP", dx, 0},        {&lap, "IDLAP", dx, 0},
        {&position, "IDPOS", dx, 0},           {&bestTime, "IDBESTTIME", 0, dy},
        {&lapTime, "IDLAPTIME", 0, dy},        {&timeRemaining, "IDTIMEREMANING", 0, dy},
        {&currencyPicture, "IDHUDBALL", 0, 0}, {&currency, "IDZEPHYRIONS", 0, 0},
    };
    for (const Placed& p : placed)
    {
        *p.control = Find(p.id);
        Move(*p.control, p.dx, p.dy);
    }
    const char* const noticeIds[6] = {"IDTOTALL", "IDRESP", "IDWRONGCP", "IDDROWNED", "IDLOWP", "IDAMMOD"};
    for (int i = 0; i < 6; ++i)
        Centre(notices[i] = Find(noticeIds[i]), screenWidth, screenHeight);
    const char* const countdownIds[4] = {"ID3", "ID2", "ID1", "IDGO"};
    for (int i = 0; i < 4; ++i)
        Centre(countdown[i] = Find(countdownIds[i]), screenWidth, screenHeight);
    Centre(pauseText = Find("IDGAMEP"), screenWidth, screenHeight);
    for (QV7_Menu_hWnd* text : {lap, position, speed, currency, bestTime, lapTime, timeRemaining})
        SetControlText(text, ControlLabel(text));
    g_menuManager->m_CurrentPage = saved;
}

void RaceHud::Draw(QV7_MapSystem& session)
{
    if (!g_screen2D)
        return;
    g_screen2D->Begin2D();
    Show(meters);
    if (!Tutorial(session))
        Show(currencyPicture);
    Show(minimap);
    DrawPlayerPanel(session);
    DrawTexts(session);
    if (session.countdownDisplay >= 1 && session.countdownDisplay <= 4)
        Show(countdown[4 - session.countdownDisplay]);
    DrawMapDots(session);
    g_screen2D->End2D();
}

void RaceHud::DrawPlayerPanel(QV7_MapSystem& session)
{
    QV7_Buggy* player = session.playerRacer;
    const QV7_DriveController* driver = player ? player->Controller() : nullptr;
    if (!player || !driver)
        return;
    char text[QV7_Menu_Caption::kTextSize];
    std::snprintf(text, sizeof text, "%s %d km/h", ControlLabel(speed), int(driver->groundSpeed * 24.5f));
    SetControlText(speed, text);
    if (player->controllerKind != QV7_Buggy::CONTROLLER_PLAYER || !player->playerController)
        return;
    const QV7_PlayerController& human = *player->playerController;
    const int flags[6] = {human.destroyedNotice, human.respawnRequested, human.wrongCheckpointNotice,
                          human.drownedNotice,   human.lowPowerNotice,   human.noAmmoNotice};
    for (int i = 0; i < 6; ++i)
        if (flags[i])
        {
            Show(notices[i]);
            break;
        }
    DrawBar(shield, human.health, human.healthMax);
    DrawBar(power, human.energy, human.energyMax);
    const QV7_DataBase_MeshObject* weapon = player->equipment.currentWeapon;
    const int kind = weapon ? weapon->type : 0;
    const bool hasAmmo = kind >= 1 && kind <= 4 && player->ammoStart[kind - 1] != 0;
    DrawBar(ammo, hasAmmo && player->ammo ? float(player->ammo[kind - 1]) : 0.0f,
            hasAmmo ? float(player->ammoStart[kind - 1]) : 0.0f);
    DrawBar(turbo, human.turbo, human.turboMax);
}

void RaceHud::DrawTexts(QV7_MapSystem& session)
{
    QV7_Buggy* player = session.playerRacer;
    if (!player)
        return;
    const bool tutorial = Tutorial(session);
    const bool computerDriven = player->controllerKind != QV7_Buggy::CONTROLLER_PLAYER;
    char text[QV7_Menu_Caption::kTextSize];
    const ProfileRecord* profile = g_profiles ? g_profiles->currentProfile : nullptr;
    if (!tutorial && currency)
    {
        std::snprintf(text, sizeof text, "%s %d zrs", ControlLabel(currency),
                      int(profile ? profile->money : 0) + int(g_profiles ? g_profiles->words[0] : 0));
        SetControlText(currency, text);
    }
    race::FormatTime(text, sizeof text, ControlLabel(lapTime), player->currentLapTime);
    SetControlText(lapTime, text);
    race::FormatTime(text, sizeof text, ControlLabel(bestTime), player->bestLap);
    SetControlText(bestTime, text);
    race::FormatLap(text, sizeof text, ControlLabel(lap), player->lapCounter, session.mode, computerDriven);
    SetControlText(lap, text);
    const std::vector<const QV7_Buggy*> racers = Racers(session);
    session.playerPosition = computerDriven || racers.empty() ? 1 : race::RacePosition(racers, 0);
    std::snprintf(text, sizeof text, "%s %d/%d", ControlLabel(position), session.playerPosition,
                  int(racers.size()));
    SetControlText(position, text);
    if (!tutorial || session.raceIndex == QV7_MapSystem::kFourRacerTutorial)
        Show(lap);
    if (racers.size() > 1)
        Show(position);
    Show(speed);
    if (tutorial)
        return;
    Show(currency);
    if (player->bestLap > 0.0f)
        Show(bestTime);
    Show(lapTime);
}

void RaceHud::DrawMapDots(QV7_MapSystem& session)
{
    if (!session.physicsGroup || !g_scene)
        return;
    const float left = minimap ? float(minimap->m_Left) : 0.0f;
    const float top = minimap ? float(minimap->m_Top) : 0.0f;
    const TextureRecord* dot = session.mapRecord ? session.mapRecord->textures[MAP_PICTURE_MARKER] : nullptr;
    IDirect3DTexture9* texture = dot ? dot->m_Texture : nullptr;
    g_scene->SetRenderState(TRUE, D3DRS_ALPHABLENDENABLE);
    g_scene->SetRenderState(D3DBLEND_SRCALPHA, D3DRS_SRCBLEND);
    g_scene->SetRenderState(D3DBLEND_INVSRCALPHA, D3DRS_DESTBLEND);
    const QV7_Collection<QV7_Buggy>& racers = session.physicsGroup->racers;
    for (int i = 0; i < racers.count; ++i)
    {
        const QV7_Buggy& racer = *racers.items[i];
        const float x = 200.0f - racer.position.x / 65536.0f * 200.0f + 23.0f + left;
        const float y = racer.position.z / 65536.0f * 200.0f + 28.0f + top;
        // The tint's alpha is the texture's; without a picture the dot is a solid square.
        D3DCOLOR tint = i == 0 ? 0x0000FF : 0xFF0000;
        if (!texture)
            tint |= 0xFF000000;
        g_screen2D->DrawTexturedRect(tint, texture, x - 8.0f, y - 8.0f, x + 8.0f, y + 8.0f);
    }
    g_scene->SetRenderState(FALSE, D3DRS_ALPHABLENDENABLE);
}
