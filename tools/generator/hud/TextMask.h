#pragma once
// Bold labels for the HUD images, rasterised with FreeType into coverage masks.

#include "hud/Raster.h"

#include <ft2build.h>
#include FT_FREETYPE_H

#include <string>

namespace hud {

class TextMask {
public:
    // Opens the font; check isOpen before drawing.
    explicit TextMask(const std::string& fontFile);
    ~TextMask();
    TextMask(const TextMask&) = delete;
    TextMask& operator=(const TextMask&) = delete;

    bool isOpen() const { return face != nullptr; }

    // The coverage of one line of text whose inked box is centred on centre. The font is
    // pixelHeight pixels to the em, made smaller if the line would be wider than maxWidth.
    // An empty mask when the font is not open.
    Mask draw(const std::string& text, glm::vec2 centre, float pixelHeight, float maxWidth, int width,
              int height) const;

private:
    // Inked box in pixels from the pen's start on the baseline, y downward.
    struct Box {
        int left, top, right, bottom;
    };
    // Walks the line glyph by glyph; visit gets each rendered glyph and its pen position.
    template <typename Visit>
    void layOut(const std::string& text, Visit visit) const;
    Box measure(const std::string& text) const;
    void setSize(float pixelHeight) const;

    FT_Library library = nullptr;
    FT_Face face = nullptr;
};

} // namespace hud
