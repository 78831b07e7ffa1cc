// The table of fuzz targets, by the names their seed and regression folders use.
#include "fuzz/targets/FuzzTargets.h"

const std::vector<FuzzTarget>& FuzzTargets()
{
    static const std::vector<FuzzTarget> targets = {
        {"settings_ini", FuzzSettingsIni},
        {"language_file", FuzzLanguageFile},
        {"menu_textures", FuzzMenuTextures},
        {"world_textures", FuzzWorldTextures},
        {"map_texture_list", FuzzMapTextureList},
        {"fonts", FuzzFonts},
        {"menu_file", FuzzMenuFile},
        {"menu_strings", FuzzMenuStrings},
        {"music_table", FuzzMusicTable},
        {"sound_table", FuzzSoundTable},
        {"ogg_vorbis", FuzzOggVorbis},
        {"image", FuzzImage},
        {"mesh_object", FuzzMeshObject},
        {"maps_database", FuzzMapsDatabase},
        {"pilots", FuzzPilots},
        {"landscape_map", FuzzLandscapeMap},
        {"buggy_database", FuzzBuggyDatabase},
        {"x_file", FuzzXFile},
        {"profiles", FuzzProfiles},
        {"buggy_texture_ids", FuzzBuggyTextureIds},
        {"texture_exclusions", FuzzTextureExclusions},
        {"triggers", FuzzTriggers},
        {"waypoints", FuzzWaypoints},
        {"checkpoints", FuzzCheckpoints},
        {"effect_library", FuzzEffectLibrary},
        {"placed_effects", FuzzPlacedEffects},
        {"track_items", FuzzTrackItems},
        {"shorelines", FuzzShoreLines},
        {"fading_vegetation", FuzzFadingVegetation},
        {"teleporters", FuzzTeleporters},
        {"static_objects", FuzzStaticObjects},
        {"trees", FuzzTrees},
        {"moving_scenery", FuzzMovingScenery},
    };
    return targets;
}

const FuzzTarget* FindFuzzTarget(const std::string& name)
{
    for (const FuzzTarget& target : FuzzTargets())
        if (name == target.name)
            return &target;
    return nullptr;
}
