// Measuring menu text with a bitmap font, and fitting a text into a width
// with an ellipsis: what captions, lists, combo boxes and text fields use
// when a text may be wider than their rectangle.
#pragma once

#include <string>

struct MenuFont;

// Advance of one character: its glyph's width in texture pixels less twice
// the font's spacing; characters outside 32 to 127 and a null font count 0.
int MenuGlyphAdvance(const MenuFont* font, unsigned char c);
int MenuTextWidth(const MenuFont* font, const std::string& text);

// The text cut to fit available pixels with the ellipsis appended, or the
// text unchanged when it fits.
std::string FitMenuText(const MenuFont* font, const std::string& text, int available,
                        const std::string& ellipsis);
