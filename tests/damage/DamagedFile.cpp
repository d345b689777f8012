#include "DamagedFile.h"

#include <cctype>
#include <cstdio>
#include <fstream>
#include <iterator>
#include <random>

namespace {

constexpr unsigned randomSeed = 20261208; // the same random bytes on every run

} // namespace

const std::vector<std::string>& gameFiles()
{
    static const std::vector<std::string> files = [] {
        std::vector<std::string> list = {"settings.txt"};
        for (const char* name :
             {"BlinnPhongTexture.frag", "BlinnPhongTexture.vert", "fullscreen.vert", "heightmap.vert",
              "heightmapBlinnPhongTexture.frag", "heightmapLod.frag", "heightmapFar.frag", "motionblur.frag",
              "simple.vert", "standard.vert", "texture.frag", "textureWithColor.frag", "vertexSkinning.vert"})
            list.push_back(std::string("shader/") + name);
        for (const char* name : {"font.png", "heightmap.png", "1047-5.jpg", "1047-5-normal.jpg", "wheel.png",
                                 "arrow.png", "altitudewarning.png", "rageometer1.png", "rageometer2.png", "sun.png",
                                 "moon.png", "menu_panel.png", "menu_highlight.png", "menu_shade.png"})
            list.push_back(std::string("res/") + name);
        for (const char* name : {"back", "bottom", "front", "left", "right", "top"})
            list.push_back(std::string("res/skybox2/") + name + ".jpg");
        for (const char* name :
             {"ah", "donk", "flight", "goal", "grunt", "haha", "haha2", "inbetween", "intro", "mm", "uff", "uuh"})
            list.push_back(std::string("res/sounds/") + name + ".wav");
        for (const char* name :
             {"grov.dae", "grov_anim.dae", "grov_anim_low.dae", "grov_skin.png", "tank.dae", "tank_skin.png"})
            list.push_back(std::string("assets/") + name);
        return list;
    }();
    return files;
}

const std::vector<Damage>& allDamages()
{
    static const std::vector<Damage> damages = {Damage::Missing, Damage::Empty, Damage::Cut, Damage::Random};
    return damages;
}

std::string damageName(Damage damage)
{
    switch (damage) {
    case Damage::Missing:
        return "missing";
    case Damage::Empty:
        return "empty";
    case Damage::Cut:
        return "cut";
    case Damage::Random:
        return "random";
    }
    return "unknown";
}

bool damageFile(const std::string& path, Damage damage)
{
    std::string bytes;
    {
        std::ifstream in(path, std::ios::binary);
        if (!in)
            return false;
        bytes.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    }
    if (damage == Damage::Missing)
        return std::remove(path.c_str()) == 0;
    if (damage == Damage::Empty)
        bytes.clear();
    else if (damage == Damage::Cut)
        bytes.resize(bytes.size() / 2);
    else {
        std::mt19937 random(randomSeed);
        for (char& byte : bytes)
            byte = static_cast<char>(random() & 0xFF);
    }
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out << bytes;
    return bool(out);
}

std::string caseName(const std::string& file, Damage damage)
{
    std::string name = file + "_" + damageName(damage);
    for (char& c : name)
        if (!std::isalnum(static_cast<unsigned char>(c)))
            c = '_';
    return name;
}
