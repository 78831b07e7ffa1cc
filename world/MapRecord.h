// The records of the maps database: one race map (an island raced in one or
// more race lists) and one computer opponent's pilot. Plain records; the
// maps database owns them, its lists only point at them.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

struct TextureRecord;

// The four pictures of a map, by their slot in MapRecord::textureIds.
enum MapPicture
{
    MAP_PICTURE_LIST = 0,    // the thumbnail of the race lists
    MAP_PICTURE_LOADING = 1, // the loading page, loaded on demand by the race session
    MAP_PICTURE_MINIMAP = 2, // the island picture of the race HUD's mini-map
    MAP_PICTURE_MARKER = 3,  // the marker of each racer on the mini-map
    MAP_PICTURE_COUNT = 4,
};

// Longest texts the records keep (the game's buffers are one byte longer).
constexpr size_t kMapNameChars = 259;
constexpr size_t kMapLineChars = 1999;
constexpr size_t kPilotNameChars = 259;
constexpr size_t kPilotLineChars = 999;

struct MapRecord
{
    std::string name;
    // Which race lists the map joins (0 to 5; any other value joins none).
    uint32_t modeClass = 0;
    // The map's place in every list, ascending; stored unsigned, used signed.
    int32_t sortNumber = 0;
    // The number in the island's file names (Map%d.map and the others).
    uint32_t mapNumber = 0;
    // Description, one line per language (line VersionNumber, else line 0).
    std::vector<std::string> lines;
    uint32_t textureIds[MAP_PICTURE_COUNT] = {};
    // Resolved in the item database's texture list; null when not there.
    TextureRecord* textures[MAP_PICTURE_COUNT] = {};
};

struct PilotRecord
{
    uint32_t portraitId = 0;
    TextureRecord* portrait = nullptr;
    std::string name;
    // Description, one line per language.
    std::vector<std::string> lines;
};

// The description line the front end shows in a language: the line of that
// language's number when the record has it, else line 0, else the empty text.
inline const std::string& DescriptionFor(const std::vector<std::string>& lines, int language)
{
    static const std::string kNone;
    if (language >= 0 && size_t(language) < lines.size())
        return lines[size_t(language)];
    return lines.empty() ? kNone : lines[0];
}
