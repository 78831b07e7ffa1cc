// Writes the demo Data folder, one generator per kind of content.
#include "tools/demo/DemoData.h"

#include "tools/demo/DemoBuggies.h"
#include "tools/demo/DemoCheckpoints.h"
#include "tools/demo/DemoEffects.h"
#include "tools/demo/DemoFigures.h"
#include "tools/demo/DemoFonts.h"
#include "tools/demo/DemoIslands.h"
#include "tools/demo/DemoItemTextures.h"
#include "tools/demo/DemoLanguage.h"
#include "tools/demo/DemoMapsDatabase.h"
#include "tools/demo/DemoMenus.h"
#include "tools/demo/DemoMovie.h"
#include "tools/demo/DemoPictures.h"
#include "tools/demo/DemoScenery.h"
#include "tools/demo/DemoSceneryMeshes.h"
#include "tools/demo/DemoSounds.h"
#include "tools/demo/DemoShoreLines.h"
#include "tools/demo/DemoTrackItems.h"
#include "tools/demo/DemoVegetation.h"
#include "tools/demo/DemoTeleporters.h"
#include "tools/demo/DemoWaypoints.h"

#include <cstdio>
#include <filesystem>

bool WriteDemoData(const std::string& dataDir)
{
    std::error_code error;
    std::filesystem::create_directories(dataDir, error);
    if (error)
    {
        std::fprintf(stderr, "qv7-mkdemo: cannot create %s: %s\n", dataDir.c_str(), error.message().c_str());
        return false;
    }
    const std::string dir = dataDir.back() == '/' ? dataDir : dataDir + "/";
    bool ok = WriteDemoLanguage(dir);
    if (ok)
        WriteDemoSounds(dir);
    ok = ok && WriteDemoMovie(dir);
    ok = ok && WriteDemoPictures(dir);
    std::vector<TextureContainerRecord> worldPictures = DemoWorldPictures();
    std::vector<int32_t> worldPictureIds = DemoWorldPictureIds();
    for (TextureContainerRecord& picture : demo::SceneryPictures())
        worldPictures.push_back(std::move(picture));
    for (int32_t id : demo::SceneryPictureIds())
        worldPictureIds.push_back(id);
    ok = ok && demo::WriteDemoIslands(dir, std::move(worldPictures), worldPictureIds);
    ok = ok && demo::WriteDemoWaypoints(dir);
    ok = ok && demo::WriteDemoCheckpoints(dir);
    ok = ok && demo::WriteDemoTrackItems(dir);
    ok = ok && demo::WriteDemoShoreLines(dir);
    ok = ok && demo::WriteDemoVegetation(dir);
    ok = ok && demo::WriteDemoTeleporters(dir);
    ok = ok && demo::WriteDemoScenery(dir);
    ok = ok && WriteDemoFonts(dir);
    ok = ok && WriteDemoMenus(dir);
    ok = ok && WriteDemoMapsDatabase(dir);
    ok = ok && WriteDemoBuggies(dir);
    ok = ok && WriteDemoItemTextures(dir);
    ok = ok && WriteDemoFigures(dir);
    ok = ok && WriteDemoEffects(dir);
    if (!ok)
        std::fprintf(stderr, "qv7-mkdemo: writing %s failed\n", dir.c_str());
    return ok;
}
