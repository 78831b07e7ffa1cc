// The game's text is 8-bit Windows-1252; FreeType looks glyphs up by Unicode.
// This is the one place where a byte of game text becomes a code point.
#pragma once

namespace font
{
// Bytes outside 0x80..0x9F are Latin-1 and map to themselves. The five bytes
// Windows-1252 leaves undefined (0x81, 0x8D, 0x8F, 0x90, 0x9D) also map to
// themselves, as Windows' own conversion does, so they draw the missing-glyph box.
char32_t Cp1252ToUnicode(unsigned char byte);
} // namespace font
