// Demo bitmap fonts.
#include "tools/demo/DemoFonts.h"

#include "tools/writers/FontsFileWriter.h"

#include <cstdio>

bool WriteDemoFonts(const std::string& dataDir)
{
    const std::vector<FontFileRecord> fonts = {
        RasteriseBitmapFont(demo::kMenuFontId, "Menu", "Arial", "", 18, true, 1),
        RasteriseBitmapFont(demo::kTitleFontId, "Title", "Arial", "", 30, true, 1),
        RasteriseBitmapFont(demo::kSmallFontId, "Small", "Arial", "", 14, false, 1),
    };
    for (const FontFileRecord& font : fonts)
        if (font.name.empty())
        {
            std::fprintf(stderr, "qv7-mkdemo: the Liberation fonts are missing\n");
            return false;
        }
    return WriteFontsFile(dataDir + "Fonts.qvx", fonts);
}
