#include "hud/TextMask.h"

#include <algorithm>
#include <climits>
#include <cmath>
#include <cstdio>

namespace hud {

TextMask::TextMask(const std::string& fontFile)
{
    if (FT_Init_FreeType(&library) != 0) {
        std::fprintf(stderr, "hud: FreeType does not start\n");
        library = nullptr;
        return;
    }
    if (FT_New_Face(library, fontFile.c_str(), 0, &face) != 0) {
        std::fprintf(stderr, "hud: cannot open the font %s\n", fontFile.c_str());
        face = nullptr;
    }
}

TextMask::~TextMask()
{
    if (face)
        FT_Done_Face(face);
    if (library)
        FT_Done_FreeType(library);
}

void TextMask::setSize(float pixelHeight) const
{
    // 26.6 fixed point at 72 dpi, so one point is one pixel and fractional sizes are kept.
    FT_Set_Char_Size(face, 0, static_cast<FT_F26Dot6>(std::lround(pixelHeight * 64.0f)), 72, 72);
}

template <typename Visit>
void TextMask::layOut(const std::string& text, Visit visit) const
{
    FT_Pos pen = 0; // 26.6
    FT_UInt previous = 0;
    for (unsigned char code : text) {
        const FT_UInt index = FT_Get_Char_Index(face, code);
        if (previous != 0 && index != 0 && FT_HAS_KERNING(face)) {
            FT_Vector kerning;
            if (FT_Get_Kerning(face, previous, index, FT_KERNING_DEFAULT, &kerning) == 0)
                pen += kerning.x;
        }
        if (FT_Load_Glyph(face, index, FT_LOAD_RENDER) != 0)
            continue;
        visit(face->glyph, static_cast<int>(pen >> 6));
        pen += face->glyph->advance.x;
        previous = index;
    }
}

TextMask::Box TextMask::measure(const std::string& text) const
{
    Box box{INT_MAX, INT_MAX, INT_MIN, INT_MIN};
    layOut(text, [&](FT_GlyphSlot glyph, int penX) {
        if (glyph->bitmap.width == 0 || glyph->bitmap.rows == 0)
            return;
        const int left = penX + glyph->bitmap_left;
        const int top = -glyph->bitmap_top;
        box.left = std::min(box.left, left);
        box.top = std::min(box.top, top);
        box.right = std::max(box.right, left + static_cast<int>(glyph->bitmap.width));
        box.bottom = std::max(box.bottom, top + static_cast<int>(glyph->bitmap.rows));
    });
    if (box.left > box.right)
        return Box{0, 0, 0, 0};
    return box;
}

Mask TextMask::draw(const std::string& text, glm::vec2 centre, float pixelHeight, float maxWidth, int width,
                    int height) const
{
    Mask mask(width, height);
    if (!face)
        return mask;

    setSize(pixelHeight);
    Box box = measure(text);
    // Shrink a line that is too wide; glyph widths do not scale exactly, so measure twice.
    for (int attempt = 0; attempt < 2 && box.right - box.left > maxWidth; ++attempt) {
        pixelHeight *= maxWidth / float(box.right - box.left);
        setSize(pixelHeight);
        box = measure(text);
    }

    const int originX = static_cast<int>(std::lround(centre.x - (box.left + box.right) * 0.5f));
    const int originY = static_cast<int>(std::lround(centre.y - (box.top + box.bottom) * 0.5f));
    layOut(text, [&](FT_GlyphSlot glyph, int penX) {
        const FT_Bitmap& bitmap = glyph->bitmap;
        const int left = originX + penX + glyph->bitmap_left;
        const int top = originY - glyph->bitmap_top;
        for (unsigned row = 0; row < bitmap.rows; ++row) {
            for (unsigned column = 0; column < bitmap.width; ++column) {
                const int x = left + static_cast<int>(column);
                const int y = top + static_cast<int>(row);
                const float value = bitmap.buffer[row * bitmap.pitch + column] / 255.0f;
                mask.set(x, y, std::max(mask.at(x, y), value));
            }
        }
    });
    return mask;
}

} // namespace hud
