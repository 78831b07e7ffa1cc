// Pictures and lighting layers computed from a demo island's heights: the sun's
// cast shadows, the grey sun shading (MapSHD%d.map), the brightness layer, the
// base picture stretched over the island (column i is x, row j is z), and the
// island-independent pictures: detail noise, sky atlas, water and ripples.
#pragma once

#include "platform/gfx/D3D9Types.h"
#include "tools/demo/DemoHeightfields.h"
#include "tools/writers/ImageWriters.h"

#include <cstdint>
#include <vector>

namespace demo
{
struct Rgb
{
    float r, g, b;
};

uint32_t PackArgb(const Rgb& colour, float alpha = 1.0f);

// The sun travels along whole grid steps (stepX, stepZ each -1, 0 or 1, not
// both 0), so its shadows can be swept along grid lines exactly.
struct Sun
{
    int stepX = 1, stepZ = 1;
    float elevationDegrees = 45.0f;

    // The light's Direction: the way the light travels, unit length, pointing down.
    D3DVECTOR Direction() const;
};

// 0 where the sun reaches the ground, 1 in full shadow, soft at the edges.
std::vector<float> CastShadows(const Heightfield& field, const Sun& sun);
// Unit upward normal at a sample, from its neighbours.
D3DVECTOR SampleNormal(const Heightfield& field, int x, int z);
// Grey sun shading 0..1: 1 on lit flat ground, `ambient` in shadow or facing away.
std::vector<float> SunShading(const Heightfield& field, const Sun& sun, const std::vector<float>& shadows,
                              float ambient);
// The brightness layer: `litCap` in the sun, `shadeLevel` in shadow, so the
// landscape's lighting darkens shadowed ground to the shade level's light.
std::vector<float> BrightnessLayer(const std::vector<float>& shadows, float litCap, float shadeLevel);
ImagePixels ShadingPicture(const std::vector<float>& shading);

// Ground colours of an island. With strata the rock shows coloured bands by
// height. Flat ground lower than sandLine above the water is sand; ground
// steeper than rockSlope (rise per unit) turns to rock.
struct GroundPalette
{
    Rgb sand, wetSand, seabed, grass, lushGrass, dryGrass, rock, darkRock;
    bool strata = false;
    Rgb strataLight, strataDark;
    float sandLine = kBeachRise;
    float rockSlope = 0.5f;
};

// Sand up to the beach's top, rock on steep ground, grass elsewhere; 1024 x 1024.
ImagePixels BasePicture(const Heightfield& field, const GroundPalette& palette, uint32_t seed);
// Grey around 128 (the landscape adds it signed), tiling; contrast is the spread in 0..1.
ImagePixels DetailPicture(int size, float contrast, uint32_t seed);

struct SkyLook
{
    Rgb zenith, horizon, sunGlow, cloudLit, cloudShade;
    float cloudCover = 0.5f; // 0 clear .. 1 overcast
    uint32_t seed = 1;
};

// The point on the sky box (half size 1) that atlas coordinate (u, v) shows,
// v = 0 at the picture's top; (0, 0, 0) in the unused corner.
D3DVECTOR SkyBoxPoint(float u, float v);
// The colour of the sky seen in direction `direction` (unit), sun from `toSun`.
Rgb SkyColour(const SkyLook& look, const D3DVECTOR& direction, const D3DVECTOR& toSun);
ImagePixels SkyAtlas(const SkyLook& look, const Sun& sun, int size);

// The water's colour texture, tiling, nearly opaque.
ImagePixels WaterPicture(const Rgb& colour, uint32_t seed);
// The ripple bump map: du in red, dv in green, both centred on 128; tiling.
ImagePixels RipplePicture(uint32_t seed);
} // namespace demo
