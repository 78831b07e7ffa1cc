// Conversion between Direct3D's texel byte layouts and A8R8G8B8 values, for
// the texture loader: it decodes whatever a file holds into ARGB, filters and
// resizes there, and encodes each level into the texture's format. DXT blocks
// are decoded here and encoded through stb_dxt (compiled into libstb).
#pragma once

#include "platform/gfx/D3D9Types.h"

#include <cstdint>

namespace d3dx
{
// True for the formats this codec reads and writes.
bool IsCodecFormat(D3DFORMAT format);
bool HasAlpha(D3DFORMAT format);

// Rows of `bytes` are `pitch` bytes apart (rows of 4x4 blocks for DXT); the
// ARGB output is width x height values, top row first.
void DecodeToArgb(D3DFORMAT format, const uint8_t* bytes, uint32_t pitch, uint32_t width, uint32_t height,
                  uint32_t* argb);
void EncodeFromArgb(D3DFORMAT format, const uint32_t* argb, uint32_t width, uint32_t height, uint8_t* bytes,
                    uint32_t pitch);
} // namespace d3dx
