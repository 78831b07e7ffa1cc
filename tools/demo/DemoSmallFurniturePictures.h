// The pictures of the islands' small furniture, in Textures2.qvx and every
// race map's Map%d.tex: the coin the track's currency pieces show, the
// plants' atlas (grass on the left half, flowers on the right), the surf of
// the shorelines and the light speckled skin of the pick-up meshes and stones.
#pragma once

#include "tools/writers/ImageWriters.h"
#include "tools/writers/TextureContainerWriter.h"

#include <cstdint>
#include <vector>

namespace demo
{
constexpr int32_t kCoinPictureId = 7001;
constexpr int32_t kPlantsPictureId = 7002;
constexpr int32_t kSurfPictureId = 7003;
constexpr int32_t kSpeckledPictureId = 7004;

ImagePixels CoinPicture();
ImagePixels PlantsPicture();
ImagePixels SurfPicture();
ImagePixels SpeckledPicture();

std::vector<TextureContainerRecord> DemoSmallFurniturePictures();
std::vector<int32_t> DemoSmallFurniturePictureIds();
} // namespace demo
