// Which font file draws a family the game names. The game asks for Windows'
// core fonts; the Liberation fonts have the same advance widths and vertical
// metrics, so text measures and lays out as it would on Windows.
#pragma once

#include <string>

namespace font
{
// Where the fonts-liberation2 package installs its files (ends in '/').
extern const char* const kLiberationDir;

// "Arial" -> Liberation Sans, "Times New Roman" -> Liberation Serif,
// "Courier New" -> Liberation Mono (names compared without regard to case).
// Any other family is matched by fontconfig; when fontconfig has nothing, the
// answer is Liberation Sans. A weight of 600 or more picks the bold face,
// italic the italic face. The file returned need not exist: opening it is the
// caller's check.
std::string FindFontFile(const std::string& family, int weight, bool italic);
} // namespace font
