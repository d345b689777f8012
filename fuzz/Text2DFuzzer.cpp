// Any bytes as a line of HUD text: the glyph mesh is built and uploaded, replaced by the next
// text and checked to stay in its box with texture coordinates inside the font image.

#include "FuzzSupport.h"

#include "render/Text2D.h"

#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

namespace {

// Every value of a glyph mesh lies in [low, high].
void requireWithin(const std::vector<float>& values, float low, float high)
{
    for (float v : values)
        if (!std::isfinite(v) || v < low || v > high)
            std::abort();
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    FuzzSupport::enterRunDirectory();
    FuzzSupport::requireGlContext();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    if (size == 0)
        return 0;
    // The first byte picks the alignment (three valid ones and a stray value); the rest is text.
    const int alignment = int(data[0] % 4);
    const std::string text(reinterpret_cast<const char*>(data + 1), size - 1);

    // One object lives across inputs, as the HUD's texts do across frames.
    static Text2D line;
    line.setAlignment(alignment);
    line.setText(text);
    if (line.text() != text)
        std::abort();

    std::vector<float> positions;
    std::vector<float> texcoords;
    Text2D::buildMesh(text, alignment, positions, texcoords);
    if (positions.size() != text.size() * 8 || texcoords.size() != text.size() * 8)
        std::abort();
    requireWithin(positions, -1.0f, 1.0f);
    requireWithin(texcoords, 0.0f, 1.0f);
    return 0;
}
