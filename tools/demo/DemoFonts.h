// The demo's Fonts.qvx: bitmap fonts rasterised from the Liberation faces.
#pragma once

#include <cstdint>
#include <string>

namespace demo
{
constexpr int32_t kMenuFontId = 1;  // buttons and labels, 18 pixels, bold
constexpr int32_t kTitleFontId = 2; // page titles, 30 pixels, bold
constexpr int32_t kSmallFontId = 3; // lists and help texts, 14 pixels
} // namespace demo

// Writes Fonts.qvx into dataDir (ending in '/'); false when a face is missing
// or the file can't be written.
bool WriteDemoFonts(const std::string& dataDir);
