// The demo's buggy texture ID lists.
#include "tools/demo/DemoItemTextures.h"

#include "tools/demo/DemoEffects.h"

#include "tools/demo/DemoBuggyMeshes.h"
#include "tools/demo/DemoFigures.h"
#include "tools/demo/DemoMapsDatabase.h"
#include "tools/writers/TextureContainerWriter.h"

std::vector<int32_t> DemoItemTextureIds()
{
    std::vector<int32_t> ids = DemoMapsPictureIds();
    for (int32_t id : DemoBuggyTextureIds())
        ids.push_back(id);
    // The driver figures find their textures in the same list.
    for (const TextureContainerRecord& figure : DemoFigureTextures())
        ids.push_back(figure.compileId);
    // The global effect library draws with the particle pictures.
    for (int32_t id : DemoEffectPictureIds())
        ids.push_back(id);
    return ids;
}

std::vector<int32_t> DemoExcludedTextureIds()
{
    return DemoMapsLoadingPictureIds();
}

bool WriteDemoItemTextures(const std::string& dataDir)
{
    return WriteBuggyTextureIdList(dataDir + "Textures2.dbs", DemoItemTextureIds()) &&
           WriteMapTextureList(dataDir + "Maps_srt_ex.qvx", DemoExcludedTextureIds());
}
