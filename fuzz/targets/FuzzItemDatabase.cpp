// Fuzz targets of the item database's two ID lists: the input as
// Textures2.dbs or as Maps_srt_ex.qvx (beside a fixed counterpart) in a data
// folder of its own, through the whole item database: the IDs chosen, their
// textures loaded from a fixed Textures2.qvx, no DatA.dat. The database's
// lists must agree with one another afterwards.
#include "engine/QV7_Engine.h"
#include "fuzz/targets/FuzzSeeds.h"
#include "fuzz/targets/FuzzTargets.h"
#include "fuzz/targets/FuzzWorld.h"
#include "race/QV7_ItemDatabase.h"
#include "shell/QV7_Globals.h"
#include "tools/writers/TextureContainerWriter.h"

#include <filesystem>

using fuzzworld::ScratchFile;

namespace
{
// The folder the database reads, with the fixed Textures2.qvx in it.
const std::string& ItemsDir()
{
    static const std::string dir = []
    {
        const std::string path = fuzzworld::DataDir() + "Items/";
        std::filesystem::create_directories(path);
        std::filesystem::copy_file(fuzzworld::DataDir() + "FixedTextures2.qvx", path + "Textures2.qvx",
                                   std::filesystem::copy_options::overwrite_existing);
        return path;
    }();
    return dir;
}

// A few fixed IDs: present in the texture container, absent, and repeated.
std::vector<int32_t> FixedIds()
{
    return {kFuzzPictureIds[0], kFuzzPictureIds[1], 4242, kFuzzPictureIds[0]};
}

void Build()
{
    try
    {
        QV7_ItemDatabase database(ItemsDir(), g_device);
        if (database.TextureIdCount() != database.textureIds.Count() ||
            database.textures.Count() > database.TextureIdCount())
            __builtin_trap();
        for (int i = 0; i < database.textures.Count(); ++i)
            if (!database.textures.At(i)->m_Texture)
                __builtin_trap(); // every record made holds its texture
    }
    catch (const CDException&)
    {
        // the file's own refusal
    }
    if (g_itemDatabase || g_itemTextures)
        __builtin_trap();
}
} // namespace

int FuzzBuggyTextureIds(const uint8_t* data, size_t size)
{
    fuzzworld::Run run;
    const std::vector<uint8_t> excluded = BuildMapTextureList({kFuzzPictureIds[0], 4242}).Bytes();
    ScratchFile ids(ItemsDir() + "Textures2.dbs", data, size);
    ScratchFile exclusions(ItemsDir() + "Maps_srt_ex.qvx", excluded.data(), excluded.size());
    Build();
    return 0;
}

int FuzzTextureExclusions(const uint8_t* data, size_t size)
{
    fuzzworld::Run run;
    const std::vector<uint8_t> listed = BuildBuggyTextureIdList(FixedIds()).Bytes();
    ScratchFile ids(ItemsDir() + "Textures2.dbs", listed.data(), listed.size());
    ScratchFile exclusions(ItemsDir() + "Maps_srt_ex.qvx", data, size);
    Build();
    return 0;
}

std::vector<FuzzSeed> BuggyTextureIdSeeds()
{
    std::vector<uint8_t> cut = BuildBuggyTextureIdList(FixedIds()).Bytes();
    cut.resize(cut.size() - 1);
    return {{"fixed.dbs", BuildBuggyTextureIdList(FixedIds()).Bytes()},
            {"every_picture.dbs", BuildBuggyTextureIdList(kFuzzPictureIds).Bytes()},
            {"cut.dbs", cut}};
}

std::vector<FuzzSeed> TextureExclusionSeeds()
{
    return {{"repeated.qvx", BuildMapTextureList({kFuzzPictureIds[0], kFuzzPictureIds[0], 4242}).Bytes()},
            {"none.qvx", BuildMapTextureList({}).Bytes()},
            {"every_picture.qvx", BuildMapTextureList(kFuzzPictureIds).Bytes()}};
}
