// res/font.png: the bitmap font of the HUD texts. A 16 x 16 grid of glyph cells, code 0 in the
// top-left cell and codes running left to right, then downward; white glyphs whose alpha is
// the glyph's coverage, with a soft dark rim. Cells hold printable ASCII (32 to 126) and
// Latin-1 (160 to 255); the control codes stay empty.

#include "Generator.h"

#include <FreeImage.h>
#include <ft2build.h>
#include FT_FREETYPE_H

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <algorithm>
#include <cmath>
#include <string>
#include <vector>

namespace {

constexpr const char* FONT_FILE = "/usr/share/fonts/truetype/dejavu/DejaVuSans-Bold.ttf";
constexpr int GRID_CELLS = 16; // cells per row and per column
constexpr int CELL_SIZE = 64;  // pixels; the image is 1024 x 1024
constexpr int IMAGE_SIZE = GRID_CELLS * CELL_SIZE;
// Pixels kept clear around each glyph: the text is drawn small with mipmaps, and at the
// eighth-size level anything nearer the cell edge bleeds into the neighbouring cell.
constexpr int CELL_MARGIN = 7;
// A soft dark rim around every glyph keeps the white letters readable over the bright sky
// and the pale clouds; it stays well inside the cell margin.
constexpr float OUTLINE_RADIUS = 5.0f; // pixels
// Glyph code ranges that get a glyph.
constexpr int FIRST_ASCII = 32;
constexpr int LAST_ASCII = 126;
constexpr int FIRST_LATIN1 = 160;
constexpr int LAST_LATIN1 = 255;

bool hasGlyph(int code)
{
    return (code >= FIRST_ASCII && code <= LAST_ASCII) || (code >= FIRST_LATIN1 && code <= LAST_LATIN1);
}

// Coverage image, row 0 at the top.
struct Coverage {
    std::vector<unsigned char> alpha = std::vector<unsigned char>(IMAGE_SIZE * IMAGE_SIZE, 0);

    void blend(int x, int y, unsigned char value)
    {
        if (x < 0 || y < 0 || x >= IMAGE_SIZE || y >= IMAGE_SIZE)
            return;
        unsigned char& target = alpha[static_cast<std::size_t>(y) * IMAGE_SIZE + x];
        target = std::max(target, value);
    }
};

// Draws one glyph centred across its cell on the shared baseline, clipped to the cell.
void drawGlyph(FT_Face face, int code, int baseline, Coverage& coverage)
{
    if (FT_Load_Char(face, static_cast<FT_ULong>(code), FT_LOAD_RENDER) != 0)
        return;
    const FT_GlyphSlot slot = face->glyph;
    const FT_Bitmap& bitmap = slot->bitmap;
    const int cellX = (code % GRID_CELLS) * CELL_SIZE;
    const int cellY = (code / GRID_CELLS) * CELL_SIZE;
    const int advance = static_cast<int>(slot->advance.x >> 6);
    const int originX = cellX + (CELL_SIZE - advance) / 2;
    const int left = originX + slot->bitmap_left;
    const int top = cellY + baseline - slot->bitmap_top;

    for (unsigned row = 0; row < bitmap.rows; ++row) {
        for (unsigned column = 0; column < bitmap.width; ++column) {
            const int x = left + static_cast<int>(column);
            const int y = top + static_cast<int>(row);
            if (x < cellX || x >= cellX + CELL_SIZE || y < cellY || y >= cellY + CELL_SIZE)
                continue;
            coverage.blend(x, y, bitmap.buffer[row * bitmap.pitch + column]);
        }
    }
}

// The glyph coverage grown by the outline radius, without leaving the glyph's cell.
std::vector<unsigned char> outlineOf(const Coverage& coverage)
{
    const int reach = static_cast<int>(OUTLINE_RADIUS + 1.0f);
    std::vector<unsigned char> outline(coverage.alpha.size(), 0);
    for (int y = 0; y < IMAGE_SIZE; ++y) {
        const int cellTop = y / CELL_SIZE * CELL_SIZE;
        for (int x = 0; x < IMAGE_SIZE; ++x) {
            const int cellLeft = x / CELL_SIZE * CELL_SIZE;
            float strongest = 0.0f;
            for (int dy = -reach; dy <= reach; ++dy) {
                const int sy = y + dy;
                if (sy < cellTop || sy >= cellTop + CELL_SIZE)
                    continue;
                for (int dx = -reach; dx <= reach; ++dx) {
                    const int sx = x + dx;
                    if (sx < cellLeft || sx >= cellLeft + CELL_SIZE)
                        continue;
                    const float distance = std::sqrt(float(dx * dx + dy * dy));
                    const float falloff = std::clamp(OUTLINE_RADIUS + 0.5f - distance, 0.0f, 1.0f);
                    strongest =
                        std::max(strongest, coverage.alpha[static_cast<std::size_t>(sy) * IMAGE_SIZE + sx] * falloff);
                }
            }
            outline[static_cast<std::size_t>(y) * IMAGE_SIZE + x] = static_cast<unsigned char>(strongest + 0.5f);
        }
    }
    return outline;
}

bool writePng(const Coverage& coverage, const std::string& path)
{
    const std::vector<unsigned char> outline = outlineOf(coverage);
    FIBITMAP* image = FreeImage_Allocate(IMAGE_SIZE, IMAGE_SIZE, 32);
    if (!image)
        return false;
    for (int y = 0; y < IMAGE_SIZE; ++y) {
        // FreeImage keeps the bottom row first.
        BYTE* line = FreeImage_GetScanLine(image, IMAGE_SIZE - 1 - y);
        for (int x = 0; x < IMAGE_SIZE; ++x) {
            BYTE* pixel = line + x * 4;
            const std::size_t at = static_cast<std::size_t>(y) * IMAGE_SIZE + x;
            const int glyph = coverage.alpha[at];
            const int alpha = std::max(glyph, int(outline[at]));
            // White where the glyph covers the pixel, fading to black over the rim; fully
            // transparent pixels stay white so filtering never darkens a glyph's own edge.
            const BYTE shade = alpha == 0 ? 255 : static_cast<BYTE>(255 * glyph / alpha);
            pixel[FI_RGBA_RED] = shade;
            pixel[FI_RGBA_GREEN] = shade;
            pixel[FI_RGBA_BLUE] = shade;
            pixel[FI_RGBA_ALPHA] = static_cast<BYTE>(alpha);
        }
    }
    const bool saved = FreeImage_Save(FIF_PNG, image, path.c_str(), PNG_Z_BEST_COMPRESSION) != 0;
    FreeImage_Unload(image);
    return saved;
}

bool generateFont(const std::string& gameDir)
{
    FT_Library library = nullptr;
    if (FT_Init_FreeType(&library) != 0) {
        std::fprintf(stderr, "font: FreeType does not start\n");
        return false;
    }
    FT_Face face = nullptr;
    if (FT_New_Face(library, FONT_FILE, 0, &face) != 0) {
        std::fprintf(stderr, "font: cannot open %s\n", FONT_FILE);
        FT_Done_FreeType(library);
        return false;
    }

    // Size the font so that its full height (ascent plus descent) fills the cell but for the
    // margins: accents above capitals and descenders both stay inside their own cell.
    const double emHeight = double(face->ascender - face->descender) / face->units_per_EM;
    const int pixelSize = static_cast<int>((CELL_SIZE - 2 * CELL_MARGIN) / emHeight);
    FT_Set_Pixel_Sizes(face, 0, static_cast<FT_UInt>(pixelSize));
    const int ascent = static_cast<int>(double(face->ascender) * pixelSize / face->units_per_EM + 0.5);
    const int baseline = CELL_MARGIN + ascent;

    Coverage coverage;
    for (int code = 0; code < GRID_CELLS * GRID_CELLS; ++code) {
        if (hasGlyph(code))
            drawGlyph(face, code, baseline, coverage);
    }
    FT_Done_Face(face);
    FT_Done_FreeType(library);

    std::error_code error;
    std::filesystem::create_directories(gameDir + "/res", error);
    const std::string path = gameDir + "/res/font.png";
    if (!writePng(coverage, path)) {
        std::fprintf(stderr, "font: cannot write %s\n", path.c_str());
        return false;
    }
    return true;
}

} // namespace

GROV_REGISTER_GENERATOR("font", generateFont);
