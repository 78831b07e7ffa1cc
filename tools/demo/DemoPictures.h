// The demo's pictures, drawn by code: the start-up pictures ldat1.gfx to
// ldat4.gfx (two logos, the loading background, the progress bar), the menu
// textures of Textures1.qvx and a few world textures for Textures2.qvx. The compile IDs below are the ones
// the demo's menus use.
#pragma once

#include "tools/writers/TextureContainerWriter.h"

#include <cstdint>
#include <string>
#include <vector>

namespace demo
{
// Textures1.qvx.
constexpr int32_t kMainBackdropId = 1001;    // 1024 x 1024, the main menu ("ID_MM_BACKGROUND")
constexpr int32_t kPageBackdropId = 1002;    // 1024 x 1024, every other page
constexpr int32_t kLoadingBackdropId = 1003; // 1024 x 1024, the race loading page
constexpr int32_t kButtonId = 1010;          // 256 x 64, normal
constexpr int32_t kButtonHoverId = 1011;     // 256 x 64, under the cursor
constexpr int32_t kSmallButtonId = 1012;     // 128 x 32, normal
constexpr int32_t kSmallButtonHoverId = 1013;
constexpr int32_t kCursorId = 1020;         // 32 x 32, hot spot top-left
constexpr int32_t kCursorTrailId = 1021;    // 16 x 16 soft dot
constexpr int32_t kPanelId = 1030;          // 256 x 256 translucent box for lists and fields
constexpr int32_t kProgressFrameId = 1031;  // 512 x 32
constexpr int32_t kProgressFillId = 1032;   // 512 x 32
constexpr int32_t kCheckMarkId = 1040;      // 32 x 32 tick of check and option boxes
constexpr int32_t kCheckFrameId = 1041;     // 32 x 32 empty box behind a check or option box
constexpr int32_t kListKnobId = 1042;       // 12 x 32 scroll knob of lists
constexpr int32_t kInnerBackdropId = 1043;  // 1024 x 1024, the garage pages ("ID_IM_BACKGROUND")
constexpr int32_t kDropArrowId = 1045;      // 32 x 32, the drop button of combo boxes
constexpr int32_t kSliderTrackId = 1046;    // 256 x 16, the groove behind a slider
constexpr int32_t kSmallButtonDimId = 1044; // 128 x 32, a dark veil: hover and greyed look of garage buttons
// Textures2.qvx (the buggies' own, 5000-5999, are in DemoBuggyMeshes.h; the
// driver figures', 6000-6999, in DemoFigures.h).
constexpr int32_t kGrassId = 2001;
constexpr int32_t kTrackId = 2002;
constexpr int32_t kMapLoadingId = 2003;
} // namespace demo

// Writes ldat1.gfx .. ldat4.gfx and Textures1.qvx into dataDir (ending in
// '/'); false on a write failure.
bool WriteDemoPictures(const std::string& dataDir);
// The world pictures of Textures2.qvx besides the islands' own (which
// WriteDemoIslands adds), and those every race map lists in its Map%d.tex.
std::vector<TextureContainerRecord> DemoWorldPictures();
std::vector<int32_t> DemoWorldPictureIds();
