// A quick race on the first island, run as the race lists run one: the
// current pilot (or, without one, a new pilot kept for this run only)
// against one computer opponent; the race tests drive it by script.
#pragma once

#include "gui/QV7_MenuManager.h"
#include "race/QV7_MapSystem.h"
#include "race/QV7_Profiles.h"
#include "world/MapRecord.h"
#include "world/QV7_MapsSort.h"

namespace quickrace
{
constexpr int kIsland = 1;

inline void EnsurePilot()
{
    if (!g_profiles || g_profiles->currentProfile)
        return;
    g_profiles->currentProfile =
        g_profiles->profiles.Count() > 0 ? g_profiles->profiles[0] : g_profiles->AddProfile();
}

// The maps database's record of the island, for its loading picture and map.
inline MapRecord* IslandRecord()
{
    if (!g_mapsSort)
        return nullptr;
    for (int i = 0; i < g_mapsSort->MapCount(); ++i)
        if (MapRecord* map = g_mapsSort->Map(i); map && int(map->mapNumber) == quickrace::kIsland)
            return map;
    return nullptr;
}
} // namespace quickrace

inline bool RunQuickRace(const char* callingPageId)
{
    quickrace::EnsurePilot();
    const int callingPage = g_menuManager ? g_menuManager->FindPageIndex(callingPageId) : 0;
    QV7_MapSystem* session =
        QV7_MapSystem::Load(0, quickrace::kIsland, callingPage, quickrace::IslandRecord(), RACE_MODE_QUICK_RACE, 0);
    if (!session)
        return false;
    QV7_MapSystem::RunRace(*session);
    if (g_profiles)
        g_profiles->Save();
    QV7_MapSystem::EndSession(session);
    if (g_menuManager)
        g_menuManager->m_CurrentPage = callingPage;
    return true;
}
