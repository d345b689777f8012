// The HUD images from the generator, read the way the game reads them: FreeImage rows
// bottom-up, which the sprites show upright, so row index grows towards the top of the screen.

#include <FreeImage.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <memory>
#include <string>
#include <utility>
#include <vector>

namespace {

struct Rgba {
    float r, g, b, a;
};

struct Image {
    int width = 0;
    int height = 0;
    int bitsPerPixel = 0;
    std::vector<Rgba> pixels; // row 0 is the bottom of the screen

    const Rgba& at(int x, int up) const { return pixels[static_cast<std::size_t>(up) * width + x]; }
};

Image loadHudImage(const std::string& name)
{
    Image image;
    const std::string path = std::string(GROV_GAME_DIR) + "/res/" + name;
    std::unique_ptr<FIBITMAP, void (*)(FIBITMAP*)> bitmap(FreeImage_Load(FIF_PNG, path.c_str(), 0), FreeImage_Unload);
    if (!bitmap)
        return image;
    image.width = static_cast<int>(FreeImage_GetWidth(bitmap.get()));
    image.height = static_cast<int>(FreeImage_GetHeight(bitmap.get()));
    image.bitsPerPixel = static_cast<int>(FreeImage_GetBPP(bitmap.get()));
    if (image.bitsPerPixel != 32)
        return image;
    for (int up = 0; up < image.height; ++up) {
        const BYTE* line = FreeImage_GetScanLine(bitmap.get(), up);
        for (int x = 0; x < image.width; ++x) {
            const BYTE* p = line + x * 4;
            image.pixels.push_back({p[FI_RGBA_RED] / 255.0f, p[FI_RGBA_GREEN] / 255.0f, p[FI_RGBA_BLUE] / 255.0f,
                                    p[FI_RGBA_ALPHA] / 255.0f});
        }
    }
    return image;
}

// Highest row (towards the top of the screen) with any visible pixel, as a fraction of height.
float topOfInk(const Image& image)
{
    for (int up = image.height - 1; up >= 0; --up)
        for (int x = 0; x < image.width; ++x)
            if (image.at(x, up).a > 0.0f)
                return (up + 1.0f) / image.height;
    return 0.0f;
}

// How red rather than green a colour is, from -1 to 1, whatever its brightness.
float warmth(const Rgba& c)
{
    return (c.r - c.g) / (c.r + c.g + 1e-6f);
}

struct HudImage {
    const char* name;
    int width, height;
    bool coversWindow; // stretched over the whole window, so the same texel everywhere
};

// The HUD's sprites are square quads scaled evenly; the menu's images are stretched to their
// panels and rows.
const HudImage HUD_IMAGES[] = {{"wheel.png", 512, 512, false},
                               {"arrow.png", 512, 512, false},
                               {"altitudewarning.png", 512, 512, false},
                               {"rageometer1.png", 512, 512, false},
                               {"rageometer2.png", 512, 512, false},
                               {"sun.png", 256, 256, false},
                               {"moon.png", 256, 256, false},
                               {"menu_panel.png", 512, 512, false},
                               {"menu_highlight.png", 512, 64, false},
                               {"menu_shade.png", 256, 256, true}};

TEST(HudImagesTest, EveryImageHasItsPowerOfTwoSizeAndRealTransparency)
{
    for (const HudImage& expected : HUD_IMAGES) {
        SCOPED_TRACE(expected.name);
        const Image image = loadHudImage(expected.name);
        ASSERT_EQ(image.bitsPerPixel, 32);
        EXPECT_EQ(image.width, expected.width);
        EXPECT_EQ(image.height, expected.height);

        if (expected.coversWindow) {
            // A see-through veil: any border or pattern would show round or across the screen.
            const Rgba& first = image.pixels.front();
            EXPECT_GT(first.a, 0.0f);
            EXPECT_LT(first.a, 1.0f);
            int different = 0;
            for (const Rgba& p : image.pixels)
                different += p.r != first.r || p.g != first.g || p.b != first.b || p.a != first.a;
            EXPECT_EQ(different, 0);
            continue;
        }

        int clear = 0;
        int solid = 0;
        for (const Rgba& p : image.pixels) {
            clear += p.a == 0.0f;
            solid += p.a == 1.0f;
        }
        EXPECT_GT(clear, 0);
        EXPECT_GT(solid, 0);

        // Textures repeat, so anything on the border would bleed in at the opposite edge.
        for (int x = 0; x < image.width; ++x) {
            EXPECT_EQ(image.at(x, 0).a, 0.0f);
            EXPECT_EQ(image.at(x, image.height - 1).a, 0.0f);
        }
        for (int up = 0; up < image.height; ++up) {
            EXPECT_EQ(image.at(0, up).a, 0.0f);
            EXPECT_EQ(image.at(image.width - 1, up).a, 0.0f);
        }
    }
}

TEST(HudImagesTest, MenuPanelIsPlainDarkAndNearlyOpaqueWhereTheRowsAreWritten)
{
    const Image panel = loadHudImage("menu_panel.png");
    ASSERT_EQ(panel.bitsPerPixel, 32);
    // The middle three fifths each way, where cream text has to read over day and night alike:
    // nothing there but shading so gentle that no two neighbouring pixels differ visibly.
    float lowest = 1.0f, highest = 0.0f, brightest = 0.0f, steepest = 0.0f;
    for (int up = panel.height / 5; up < panel.height * 4 / 5; ++up) {
        for (int x = panel.width / 5; x < panel.width * 4 / 5; ++x) {
            const Rgba& p = panel.at(x, up);
            lowest = std::min(lowest, p.a);
            highest = std::max(highest, p.a);
            brightest = std::max(brightest, 0.3f * p.r + 0.59f * p.g + 0.11f * p.b);
            for (const Rgba& q : {panel.at(x + 1, up), panel.at(x, up + 1)})
                steepest = std::max(
                    {steepest, std::fabs(p.r - q.r), std::fabs(p.g - q.g), std::fabs(p.b - q.b), std::fabs(p.a - q.a)});
        }
    }
    EXPECT_GT(lowest, 0.85f);
    EXPECT_LT(highest, 0.97f); // the scene still shows through
    EXPECT_LT(brightest, 0.3f);
    EXPECT_LE(steepest, 2.5f / 255.0f);
}

// Launch power for an arrow rotation in degrees, worked out the way the throw does it.
float launchPower(float rotation)
{
    const float a = std::fmod(rotation + 1080.0f - 90.0f, 360.0f);
    return a <= 180.0f ? (180.0f - a) / 180.0f : (a - 180.0f) / 180.0f;
}

TEST(HudImagesTest, WheelColourGrowsRedderWithTheLaunchPowerTheArrowWouldGive)
{
    const Image wheel = loadHudImage("wheel.png");
    ASSERT_EQ(wheel.bitsPerPixel, 32);
    const float centre = wheel.width / 2.0f;
    const float bandRadius = 0.82f * centre; // inside the power band all the way round

    // Where the arrow tip is on screen at a rotation: up at 0, counter-clockwise for positive.
    auto underArrow = [&](float rotation) {
        const float radians = rotation * 3.14159265f / 180.0f;
        const int x = static_cast<int>(centre - bandRadius * std::sin(radians));
        const int up = static_cast<int>(centre + bandRadius * std::cos(radians));
        return wheel.at(x, up);
    };

    // From the weakest stop, round the top and round the bottom to the strongest.
    for (float direction : {1.0f, -1.0f}) {
        float previousPower = -1.0f;
        float previousWarmth = -2.0f;
        for (int step = 0; step <= 12; ++step) {
            const float rotation = -90.0f + direction * 15.0f * step;
            const float power = launchPower(rotation);
            const Rgba colour = underArrow(rotation);
            SCOPED_TRACE(rotation);
            EXPECT_GT(colour.a, 0.9f);
            EXPECT_GT(power, previousPower);
            EXPECT_GE(warmth(colour), previousWarmth - 0.02f);
            previousPower = power;
            previousWarmth = warmth(colour);
        }
    }
    EXPECT_LT(warmth(underArrow(-90.0f)), 0.0f);  // green where the throw is weakest
    EXPECT_GT(warmth(underArrow(-270.0f)), 0.5f); // red where it is strongest
}

TEST(HudImagesTest, WheelHasMoreRedOnTheScreensLeftAndIsSymmetricTopToBottom)
{
    const Image wheel = loadHudImage("wheel.png");
    ASSERT_EQ(wheel.bitsPerPixel, 32);
    float left = 0.0f, right = 0.0f, top = 0.0f, bottom = 0.0f;
    for (int up = 0; up < wheel.height; ++up) {
        for (int x = 0; x < wheel.width; ++x) {
            const Rgba& p = wheel.at(x, up);
            const float red = p.a * std::fmax(0.0f, p.r - std::fmax(p.g, p.b));
            (x < wheel.width / 2 ? left : right) += red;
            (up < wheel.height / 2 ? bottom : top) += red;
        }
    }
    EXPECT_GT(left, 3.0f * right);
    EXPECT_NEAR(top, bottom, 0.05f * (top + bottom));
}

TEST(HudImagesTest, ArrowPointsUpAndTurnsAboutTheImageCentre)
{
    const Image arrow = loadHudImage("arrow.png");
    ASSERT_EQ(arrow.bitsPerPixel, 32);
    double sum = 0.0, sumX = 0.0, sumUp = 0.0;
    for (int up = 0; up < arrow.height; ++up) {
        for (int x = 0; x < arrow.width; ++x) {
            const float a = arrow.at(x, up).a;
            sum += a;
            sumX += a * (x + 0.5);
            sumUp += a * (up + 0.5);
        }
    }
    ASSERT_GT(sum, 0.0);
    EXPECT_NEAR(sumX / sum, arrow.width / 2.0, 0.01 * arrow.width);
    EXPECT_GT(sumUp / sum, 0.55 * arrow.height);
    // The tip reaches out to the power band; the tail stays short of it.
    EXPECT_GT(topOfInk(arrow), 0.85f);
    const Rgba& tail = arrow.at(arrow.width / 2, arrow.height / 4);
    EXPECT_EQ(tail.a, 0.0f);
}

TEST(HudImagesTest, RageFillSitsInsideTheFrameSpansItAndTintsRed)
{
    const Image frame = loadHudImage("rageometer1.png");
    const Image fill = loadHudImage("rageometer2.png");
    ASSERT_EQ(frame.bitsPerPixel, 32);
    ASSERT_EQ(fill.bitsPerPixel, 32);
    ASSERT_EQ(frame.width, fill.width);
    ASSERT_EQ(frame.height, fill.height);

    // The gauge's shader tints fill texels whose channels lie in this range.
    auto tinted = [](const Rgba& c) { return c.r >= 120 / 255.0f && c.g >= 120 / 255.0f && c.b >= 100 / 255.0f; };
    int opaque = 0, inRange = 0, poking = 0;
    int barRow = 0, widest = 0;
    for (int up = 0; up < fill.height; ++up) {
        int inRow = 0;
        for (int x = 0; x < fill.width; ++x) {
            const Rgba& p = fill.at(x, up);
            if (p.a < 0.5f)
                continue;
            ++opaque;
            ++inRow;
            inRange += tinted(p);
            poking += frame.at(x, up).a < 0.5f;
        }
        if (inRow > widest) {
            widest = inRow;
            barRow = up;
        }
    }
    ASSERT_GT(opaque, 0);
    EXPECT_EQ(poking, 0);
    EXPECT_GT(inRange, opaque / 2);

    // Across the middle of the bar: the fill is cut at u = rage value, so it has to run nearly
    // from edge to edge, and the frame's bar has to end where the fill's does.
    auto extent = [barRow](const Image& image) {
        int first = -1, last = -1;
        for (int x = 0; x < image.width; ++x) {
            if (image.at(x, barRow).a >= 0.5f) {
                last = x;
                if (first < 0)
                    first = x;
            }
        }
        return std::make_pair(first, last);
    };
    const auto [fillFirst, fillLast] = extent(fill);
    const auto [frameFirst, frameLast] = extent(frame);
    EXPECT_LT(fillFirst, 0.05f * fill.width);
    EXPECT_GT(fillLast, 0.95f * fill.width);
    EXPECT_NEAR(frameFirst, fillFirst, 1);
    EXPECT_NEAR(frameLast, fillLast, 1);
}

// HUD layout, in HUD units with y up: where the images sit and what lies above them.
constexpr float HUD_TOP = 1.0f;                      // top edge of a landscape window
constexpr float DISTANCE_TEXT_BOTTOM = 0.9f - 0.05f; // centre minus half its height
constexpr float WARNING_Y = 0.75f, WARNING_HALF = 0.4f;
constexpr float GAUGE_Y = 0.82f, GAUGE_HALF = 0.4f;

TEST(HudImagesTest, WarningClearsTheDistanceTextAndTheGaugeStaysInsideTheWindow)
{
    const Image warning = loadHudImage("altitudewarning.png");
    ASSERT_EQ(warning.bitsPerPixel, 32);
    const float warningLimit = (DISTANCE_TEXT_BOTTOM - (WARNING_Y - WARNING_HALF)) / (2.0f * WARNING_HALF);
    EXPECT_LE(topOfInk(warning), warningLimit);
    EXPECT_GT(topOfInk(warning), 0.5f * warningLimit); // and is not a speck at the bottom

    for (const char* name : {"rageometer1.png", "rageometer2.png"}) {
        SCOPED_TRACE(name);
        const Image gauge = loadHudImage(name);
        ASSERT_EQ(gauge.bitsPerPixel, 32);
        EXPECT_LE(topOfInk(gauge), (HUD_TOP - (GAUGE_Y - GAUGE_HALF)) / (2.0f * GAUGE_HALF));
    }
}

} // namespace
