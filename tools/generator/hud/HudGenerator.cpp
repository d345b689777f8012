// res/wheel.png, arrow.png, altitudewarning.png, rageometer1.png, rageometer2.png, sun.png,
// moon.png, menu_panel.png, menu_highlight.png and menu_shade.png: the images of the HUD and
// the in-game menu, all 32-bit RGBA with a real alpha channel and power-of-two sizes.

#include "Generator.h"
#include "hud/HudArt.h"
#include "hud/HudStyle.h"

#include <cstdio>
#include <filesystem>
#include <string>

namespace {

bool writeImage(const hud::Canvas& canvas, const std::string& path)
{
    // Transparent pixels take the ink colour: every shape's rim is ink, so filtering blends
    // edges into their own outline.
    if (!canvas.savePng(path, glm::vec3(hud::INK))) {
        std::fprintf(stderr, "hud: cannot write %s\n", path.c_str());
        return false;
    }
    return true;
}

bool generateHud(const std::string& gameDir)
{
    const std::string res = gameDir + "/res/";
    std::error_code error;
    std::filesystem::create_directories(res, error);

    // Without the font the labels are left out; the images still work, but the run fails so
    // that the missing font is noticed.
    const hud::TextMask font(hud::LABEL_FONT);

    bool written = writeImage(hud::paintWheel(font), res + "wheel.png");
    written = writeImage(hud::paintArrow(), res + "arrow.png") && written;
    written = writeImage(hud::paintAltitudeWarning(font), res + "altitudewarning.png") && written;
    written = writeImage(hud::paintRageBackground(font), res + "rageometer1.png") && written;
    written = writeImage(hud::paintRageFill(), res + "rageometer2.png") && written;
    written = writeImage(hud::paintSun(), res + "sun.png") && written;
    written = writeImage(hud::paintMoon(), res + "moon.png") && written;
    written = writeImage(hud::paintMenuPanel(), res + "menu_panel.png") && written;
    written = writeImage(hud::paintMenuHighlight(), res + "menu_highlight.png") && written;
    written = writeImage(hud::paintMenuShade(), res + "menu_shade.png") && written;
    return written && font.isOpen();
}

} // namespace

GROV_REGISTER_GENERATOR("hud", generateHud);
