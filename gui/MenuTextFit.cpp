// Text measuring and ellipsis fitting for the menu controls.
#include "gui/MenuTextFit.h"

#include "gui/QV7_FontsHandler.h"

int MenuGlyphAdvance(const MenuFont* font, unsigned char c)
{
    if (!font || c < MenuFont::kFirstChar || c > MenuFont::kLastChar)
        return 0;
    const float* glyph = font->m_Glyphs[c - MenuFont::kFirstChar];
    return int((glyph[2] - glyph[0]) * float(font->m_TextureWidth)) - 2 * font->m_Spacing;
}

int MenuTextWidth(const MenuFont* font, const std::string& text)
{
    int width = 0;
    for (unsigned char c : text)
        width += MenuGlyphAdvance(font, c);
    return width;
}

std::string FitMenuText(const MenuFont* font, const std::string& text, int available,
                        const std::string& ellipsis)
{
    int sum = 0;
    size_t exceeding = text.size();
    for (size_t i = 0; i < text.size(); ++i)
    {
        sum += MenuGlyphAdvance(font, (unsigned char)text[i]);
        if (sum > available)
        {
            exceeding = i;
            break;
        }
    }
    if (exceeding == text.size())
        return text;
    // Cut at the character before the one that overflowed, then shorten
    // until the text with its ellipsis fits.
    std::string kept = text.substr(0, exceeding > 0 ? exceeding - 1 : 0);
    std::string result = kept + ellipsis;
    while (!kept.empty() && MenuTextWidth(font, result) > available)
    {
        kept.pop_back();
        result = kept + ellipsis;
    }
    return result;
}
