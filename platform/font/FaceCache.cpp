// Opening and scaling faces the way GDI does at 96 dpi. GDI sizes TrueType
// fonts by the OS/2 table's Windows ascent and descent (the cell), so those
// are used when the font has them, FreeType's ascender and descender when not.
#include "platform/font/FaceCache.h"

#include FT_TRUETYPE_TABLES_H

#include <cmath>
#include <cstdlib>
#include <map>
#include <utility>

namespace font
{
namespace
{
std::shared_ptr<FT_LibraryRec_> Library()
{
    static const std::shared_ptr<FT_LibraryRec_> s_library = []
    {
        FT_Library library = nullptr;
        if (FT_Init_FreeType(&library) != 0)
            return std::shared_ptr<FT_LibraryRec_>();
        return std::shared_ptr<FT_LibraryRec_>(library, [](FT_Library l) { FT_Done_FreeType(l); });
    }();
    return s_library;
}

struct CellUnits
{
    long ascent;
    long descent;
};

CellUnits CellInFontUnits(FT_Face face)
{
    auto* os2 = static_cast<TT_OS2*>(FT_Get_Sfnt_Table(face, FT_SFNT_OS2));
    if (os2 && os2->usWinAscent + os2->usWinDescent > 0)
        return {os2->usWinAscent, os2->usWinDescent};
    return {face->ascender, -face->descender};
}

// Sets the face's scale for a GDI height and fills in the cell metrics.
bool ApplyHeight(SizedFace& sized, int height)
{
    FT_Face face = sized.face;
    const CellUnits cell = CellInFontUnits(face);
    const double cellUnits = double(cell.ascent + cell.descent);
    if (cellUnits <= 0 || face->units_per_EM == 0)
        return false;

    // Positive: the cell (ascent + descent) is `height` pixels. Negative: the
    // em is -height pixels and the cell is whatever the font's proportions give.
    const double em = height > 0 ? height * face->units_per_EM / cellUnits : -height;
    FT_Size_RequestRec request = {FT_SIZE_REQUEST_TYPE_NOMINAL, 0, FT_Long(std::lround(em * 64)), 0, 0};
    if (FT_Request_Size(face, &request) != 0)
        return false;

    const double pixelsPerUnit = em / face->units_per_EM;
    sized.ascent = int(std::lround(cell.ascent * pixelsPerUnit));
    sized.descent = height > 0 ? height - sized.ascent : int(std::lround(cell.descent * pixelsPerUnit));
    return true;
}

std::shared_ptr<SizedFace> Open(const std::string& path, int height)
{
    auto library = Library();
    if (!library)
        return nullptr;
    auto sized = std::make_shared<SizedFace>();
    sized->library = library;
    if (FT_New_Face(library.get(), path.c_str(), 0, &sized->face) != 0)
    {
        sized->face = nullptr;
        return nullptr;
    }
    if (!FT_IS_SCALABLE(sized->face) || !ApplyHeight(*sized, height))
        return nullptr;
    return sized;
}
} // namespace

SizedFace::~SizedFace()
{
    if (face)
        FT_Done_Face(face);
}

std::shared_ptr<SizedFace> OpenSizedFace(const std::string& path, int height)
{
    static std::mutex s_mutex;
    static std::map<std::pair<std::string, int>, std::shared_ptr<SizedFace>> s_faces;
    std::lock_guard lock(s_mutex);
    auto key = std::make_pair(path, height);
    if (auto found = s_faces.find(key); found != s_faces.end())
        return found->second;
    // Failures are not cached: a font file may be installed while the game runs.
    auto sized = Open(path, height);
    if (sized)
        s_faces.emplace(std::move(key), sized);
    return sized;
}
} // namespace font
