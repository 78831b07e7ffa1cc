// FreeType, started once for the process, and the faces opened through it:
// one per font file and GDI height, shared by every Font made with that pair.
// Only the font layer includes this header; the rest of the program sees Font.
#pragma once

#include <ft2build.h>
#include FT_FREETYPE_H

#include <memory>
#include <mutex>
#include <string>

namespace font
{
// A face scaled for one GDI height, with the cell metrics that height gives.
// An FT_Face is not thread-safe, so every use of `face` holds `mutex`.
struct SizedFace
{
    std::shared_ptr<FT_LibraryRec_> library; // keeps FreeType alive as long as the face
    FT_Face face = nullptr;
    std::mutex mutex;
    int ascent = 0;  // pixels above the baseline
    int descent = 0; // pixels below it
    ~SizedFace();
};

// The cached face for (path, height), opened on first use; null when the file
// is missing, is not a scalable font, or FreeType cannot start. `height` is a
// GDI height, not 0 (see Font.h for the mapping).
std::shared_ptr<SizedFace> OpenSizedFace(const std::string& path, int height);
} // namespace font
