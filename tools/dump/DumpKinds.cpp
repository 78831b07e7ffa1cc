// The table of dump kinds. A new file kind adds one line here and its own
// Dump<Kind>.cpp beside this file.
#include "tools/dump/DumpKinds.h"

#include <cctype>
#include <cstdlib>
#include <cstring>
#include <strings.h>

// Each kind's entry point, defined in its own file.
bool DumpMapsDatabase(const DumpRequest& request, JsonWriter& out);
bool DumpPilotsFile(const DumpRequest& request, JsonWriter& out);
bool DumpLandscapeMap(const DumpRequest& request, JsonWriter& out);
bool DumpWaypoints(const DumpRequest& request, JsonWriter& out);
bool DumpCheckpoints(const DumpRequest& request, JsonWriter& out);
bool DumpTrackItems(const DumpRequest& request, JsonWriter& out);
bool DumpShoreLines(const DumpRequest& request, JsonWriter& out);
bool DumpFadingVegetation(const DumpRequest& request, JsonWriter& out);
bool DumpTeleporters(const DumpRequest& request, JsonWriter& out);

namespace
{
bool IsLandscapeMap(const std::string& name)
{
    return MatchesNumberedName(name, "Map", ".map");
}

bool IsWaypointFile(const std::string& name)
{
    return MatchesNumberedName(name, "Map", ".wap");
}

bool IsCheckpointFile(const std::string& name)
{
    return MatchesNumberedName(name, "Map", ".chk");
}

bool IsTeleporterFile(const std::string& name)
{
    return MatchesNumberedName(name, "Map", ".tel");
}
} // namespace
bool MatchesBuggyDatabase(const std::string& fileName);
bool DumpBuggyDatabase(const DumpRequest& request, JsonWriter& out);
bool MatchesProfiles(const std::string& fileName);
bool DumpProfiles(const DumpRequest& request, JsonWriter& out);
bool DumpBuggyTextureIds(const DumpRequest& request, JsonWriter& out);
bool DumpTextureExclusions(const DumpRequest& request, JsonWriter& out);
bool DumpTriggers(const DumpRequest& request, JsonWriter& out);
bool IsEffectLibrary(const std::string& name);
bool DumpEffectLibrary(const DumpRequest& request, JsonWriter& out);
bool IsPlacedEffects(const std::string& name);
bool DumpPlacedEffects(const DumpRequest& request, JsonWriter& out);
bool DumpStaticObjects(const DumpRequest& request, JsonWriter& out);
bool DumpTrees(const DumpRequest& request, JsonWriter& out);
bool DumpMovingScenery(const DumpRequest& request, JsonWriter& out);

const std::vector<DumpKind>& DumpKinds()
{
    static const std::vector<DumpKind> kinds = {
        {"Maps_srt.qvx", [](const std::string& n) { return MatchesName(n, "Maps_srt.qvx"); },
         DumpMapsDatabase},
        {"Aip.dat", [](const std::string& n) { return MatchesName(n, "Aip.dat"); }, DumpPilotsFile},
        {"Map%d.map", IsLandscapeMap, DumpLandscapeMap},
        {"DatA.dat", MatchesBuggyDatabase, DumpBuggyDatabase},
        {"Profiles.dtx", MatchesProfiles, DumpProfiles},
        {"Textures2.dbs", [](const std::string& n) { return MatchesName(n, "Textures2.dbs"); },
         DumpBuggyTextureIds},
        {"Maps_srt_ex.qvx", [](const std::string& n) { return MatchesName(n, "Maps_srt_ex.qvx"); },
         DumpTextureExclusions},
        {"Triggers.qvx", [](const std::string& n) { return MatchesName(n, "Triggers.qvx"); }, DumpTriggers},
        {"Map%d.wap", IsWaypointFile, DumpWaypoints},
        {"Map%d.chk", IsCheckpointFile, DumpCheckpoints},
        {"Map%d.efx", IsEffectLibrary, DumpEffectLibrary},
        {"Map%d.efm", IsPlacedEffects, DumpPlacedEffects},
        {"Map%d.zph", [](const std::string& n) { return MatchesNumberedName(n, "Map", ".zph"); }, DumpTrackItems},
        {"Map%d.ssh", [](const std::string& n) { return MatchesNumberedName(n, "Map", ".ssh"); }, DumpShoreLines},
        {"Map%d.fvf", [](const std::string& n) { return MatchesNumberedName(n, "Map", ".fvf"); },
         DumpFadingVegetation},
        {"Map%d.tel", IsTeleporterFile, DumpTeleporters},
        {"Map%d.sob", [](const std::string& n) { return MatchesNumberedName(n, "Map", ".sob"); },
         DumpStaticObjects},
        {"MapT%d.trs", [](const std::string& n) { return MatchesNumberedName(n, "MapT", ".trs"); },
         DumpTrees},
        {"Map%d.pf", [](const std::string& n) { return MatchesNumberedName(n, "Map", ".pf"); },
         DumpMovingScenery},
    };
    return kinds;
}

bool MatchesName(const std::string& name, const char* expected)
{
    return strcasecmp(name.c_str(), expected) == 0;
}

bool MatchesNumberedName(const std::string& name, const char* prefix, const char* suffix)
{
    size_t prefixLength = std::strlen(prefix), suffixLength = std::strlen(suffix);
    if (name.size() <= prefixLength + suffixLength)
        return false;
    if (strncasecmp(name.c_str(), prefix, prefixLength) != 0 ||
        strcasecmp(name.c_str() + name.size() - suffixLength, suffix) != 0)
        return false;
    std::string number = name.substr(prefixLength, name.size() - prefixLength - suffixLength);
    size_t start = number[0] == '-' ? 1 : 0;
    if (start == number.size())
        return false;
    for (size_t i = start; i < number.size(); ++i)
        if (!std::isdigit(static_cast<unsigned char>(number[i])))
            return false;
    return true;
}

int NumberInName(const std::string& name, const char* prefix)
{
    return std::atoi(name.c_str() + std::strlen(prefix));
}
