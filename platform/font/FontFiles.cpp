// Family to file: a fixed table for the three families the game uses, so the
// result never depends on the machine's fontconfig setup, and fontconfig for
// the rest.
#include "platform/font/FontFiles.h"

#include <fontconfig/fontconfig.h>

#include <memory>
#include <mutex>
#include <strings.h>

namespace font
{
const char* const kLiberationDir = "/usr/share/fonts/truetype/liberation2/";

namespace
{
constexpr int kBoldWeight = 600;

struct Alias
{
    const char* family;
    const char* liberation;
};
constexpr Alias kAliases[] = {
    {"Arial", "Sans"},
    {"Times New Roman", "Serif"},
    {"Courier New", "Mono"},
};

std::string LiberationFile(const char* kind, bool bold, bool italic)
{
    const char* style = bold ? (italic ? "BoldItalic" : "Bold") : (italic ? "Italic" : "Regular");
    return std::string(kLiberationDir) + "Liberation" + kind + "-" + style + ".ttf";
}

// Empty when fontconfig cannot be loaded or matches nothing.
std::string MatchWithFontconfig(const std::string& family, bool bold, bool italic)
{
    // A configuration of our own, released at exit (fontconfig's shared one is
    // never freed); one caller at a time, as fontconfig objects are not
    // guaranteed thread-safe.
    static std::mutex s_mutex;
    std::lock_guard lock(s_mutex);
    static const std::unique_ptr<FcConfig, void (*)(FcConfig*)> s_config(FcInitLoadConfigAndFonts(),
                                                                         FcConfigDestroy);
    if (!s_config)
        return {};

    FcPattern* pattern = FcPatternCreate();
    FcPatternAddString(pattern, FC_FAMILY, reinterpret_cast<const FcChar8*>(family.c_str()));
    FcPatternAddInteger(pattern, FC_WEIGHT, bold ? FC_WEIGHT_BOLD : FC_WEIGHT_REGULAR);
    FcPatternAddInteger(pattern, FC_SLANT, italic ? FC_SLANT_ITALIC : FC_SLANT_ROMAN);
    FcPatternAddBool(pattern, FC_SCALABLE, FcTrue);
    FcConfigSubstitute(s_config.get(), pattern, FcMatchPattern);
    FcDefaultSubstitute(pattern);

    std::string file;
    FcResult result = FcResultNoMatch;
    if (FcPattern* match = FcFontMatch(s_config.get(), pattern, &result))
    {
        FcChar8* path = nullptr;
        if (FcPatternGetString(match, FC_FILE, 0, &path) == FcResultMatch && path)
            file = reinterpret_cast<const char*>(path);
        FcPatternDestroy(match);
    }
    FcPatternDestroy(pattern);
    return file;
}
} // namespace

std::string FindFontFile(const std::string& family, int weight, bool italic)
{
    const bool bold = weight >= kBoldWeight;
    for (const Alias& alias : kAliases)
    {
        if (strcasecmp(family.c_str(), alias.family) == 0)
            return LiberationFile(alias.liberation, bold, italic);
    }
    std::string matched = MatchWithFontconfig(family, bold, italic);
    return matched.empty() ? LiberationFile("Sans", bold, italic) : matched;
}
} // namespace font
