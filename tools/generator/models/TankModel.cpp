// The tank: about 7 wide, 4 high and 11 long, origin at the bottom centre, written Z-up so
// that its turret node "tank_top" (a direct child of the root) turns about its own Z axis.
// The hull's front faces -y in the file, which the importer turns into +z: toward the
// player, the way the tanks drive.

#include "ColladaWriter.h"
#include "Generator.h"
#include "MeshBuilder.h"
#include "TextureAtlas.h"

#include <glm/gtc/constants.hpp>
#include <glm/gtc/matrix_transform.hpp>

#include <cmath>
#include <filesystem>
#include <string>
#include <vector>

namespace {

using namespace models;

constexpr int ATLAS_SIZE = 512;        // texels
constexpr int ATLAS_CELLS = 4;         // cells per side
constexpr float TRACK_RADIUS = 0.85f;  // units, the rounded ends of the track loops
constexpr float TRACK_INNER_X = 2.35f; // units from the centre line
constexpr float TRACK_OUTER_X = 3.45f;
const glm::vec3 TURRET_PIVOT(0.0f, 0.4f, 2.05f);   // on the hull roof
const glm::vec3 BARREL_PIVOT(0.0f, -1.75f, 0.65f); // in the turret's frame

enum Cell { HULL, TREAD, TRACK_SIDE, WHEEL, TURRET, BARREL, GRILLE, LAMP, HUB };

// Surface of revolution about the file's z axis (turret parts).
glm::mat4 alongZ(const glm::vec3& at)
{
    return glm::rotate(glm::translate(glm::mat4(1.0f), at), glm::half_pi<float>(), glm::vec3(1.0f, 0.0f, 0.0f));
}

// A flat-faced disc or short cylinder: hard edges at both rims.
std::vector<ProfilePoint> drum(float length, float radius)
{
    return {{0.0f, 0.0f}, {0.0f, radius}, {0.0f, radius}, {length, radius}, {length, radius}, {length, 0.0f}};
}

MeshBuilder buildHull(const TextureAtlas& atlas)
{
    MeshBuilder m;
    // Side profile (y, z): sloped glacis at the front (-y), short sloped rear.
    const std::vector<glm::vec2> hull = {{-4.6f, 0.55f}, {4.7f, 0.55f},  {5.5f, 1.2f},
                                         {5.3f, 2.05f},  {-4.0f, 2.05f}, {-5.5f, 1.3f}};
    m.prism(hull, -TRACK_INNER_X, TRACK_INNER_X, glm::mat4(1.0f), atlas.cell(HULL), atlas.cell(HULL), false);

    std::vector<glm::vec2> loop;
    constexpr int arcSteps = 10;
    for (int end = 0; end < 2; ++end) {
        const float cy = end == 0 ? 4.5f : -4.5f;
        for (int k = 0; k <= arcSteps; ++k) {
            const float a =
                (end == 0 ? -0.5f : 0.5f) * glm::pi<float>() + glm::pi<float>() * float(k) / float(arcSteps);
            loop.push_back({cy + TRACK_RADIUS * std::cos(a), TRACK_RADIUS + TRACK_RADIUS * std::sin(a)});
        }
    }
    for (float side : {-1.0f, 1.0f}) {
        const float x0 = side < 0.0f ? -TRACK_OUTER_X : TRACK_INNER_X;
        const float x1 = side < 0.0f ? -TRACK_INNER_X : TRACK_OUTER_X;
        m.prism(loop, x0, x1, glm::mat4(1.0f), atlas.cell(TREAD), atlas.cell(TRACK_SIDE), true);
        // Road wheels and sprockets on the outer face, with hubs.
        const float face = side * TRACK_OUTER_X;
        const float outward = side;
        auto wheel = [&](float y, float z, float radius) {
            const glm::vec3 at(face, y, z);
            const glm::vec3 tip = at + glm::vec3(outward, 0.0f, 0.0f);
            m.lathe(drum(0.12f, radius), placeAlong(at, tip), atlas.cell(WHEEL), 20);
            m.lathe(drum(0.2f, radius * 0.35f), placeAlong(at, tip), atlas.cell(HUB), 12);
        };
        for (int i = 0; i < 7; ++i)
            wheel(-3.9f + 1.3f * float(i), 0.72f, 0.58f);
        wheel(-4.5f, TRACK_RADIUS, 0.5f);
        wheel(4.5f, TRACK_RADIUS, 0.5f);
        // Mudguard over the track.
        m.box({0.62f, 5.3f, 0.06f}, glm::translate(glm::mat4(1.0f), {side * 2.9f, -0.1f, 1.76f}), atlas.cell(HULL));
        // Headlamp on the glacis.
        m.ellipsoid(
            glm::scale(glm::translate(glm::mat4(1.0f), {side * 1.7f, -4.45f, 1.9f}), glm::vec3(0.22f, 0.14f, 0.16f)),
            atlas.cell(LAMP), 8, 12);
    }
    // Engine deck grille and two exhausts at the rear.
    m.box({1.7f, 0.9f, 0.08f}, glm::translate(glm::mat4(1.0f), {0.0f, 4.15f, 2.09f}), atlas.cell(GRILLE));
    for (float side : {-1.0f, 1.0f})
        m.lathe(drum(0.5f, 0.16f), placeAlong({side * 1.4f, 5.2f, 1.6f}, {side * 1.4f, 6.0f, 1.6f}), atlas.cell(BARREL),
                12);
    return m;
}

MeshBuilder buildTurret(const TextureAtlas& atlas)
{
    MeshBuilder m;
    const size_t first = m.vertices.size();
    m.lathe({{0.0f, 0.0f},
             {0.0f, 1.95f},
             {0.0f, 1.95f},
             {0.2f, 2.0f},
             {0.85f, 1.8f},
             {1.2f, 1.4f},
             {1.3f, 1.1f},
             {1.3f, 1.1f},
             {1.3f, 0.0f}},
            alongZ(glm::vec3(0.0f)), atlas.cell(TURRET), 32);
    // Stretch it front to back, a little more toward the front where the gun sits.
    for (size_t i = first; i < m.vertices.size(); ++i) {
        glm::vec3& p = m.vertices[i].position;
        p.y *= p.y < 0.0f ? 1.2f : 1.05f;
    }
    m.lathe(drum(0.22f, 0.5f), alongZ({0.55f, 0.55f, 1.28f}), atlas.cell(TURRET), 16); // hatch
    m.lathe(drum(0.12f, 0.2f), alongZ({0.55f, 0.55f, 1.48f}), atlas.cell(HUB), 10);
    m.capsule({-0.9f, 1.2f, 1.2f}, {-0.9f, 1.35f, 1.95f}, 0.04f, 0.03f, atlas.cell(BARREL), 6); // antenna
    return m;
}

MeshBuilder buildBarrel(const TextureAtlas& atlas)
{
    MeshBuilder m;
    m.box({0.5f, 0.3f, 0.34f}, glm::mat4(1.0f), atlas.cell(TURRET)); // mantlet
    m.lathe(drum(3.5f, 0.17f), placeAlong({0.0f, -0.2f, 0.0f}, {0.0f, -1.2f, 0.0f}), atlas.cell(BARREL), 16);
    m.lathe(drum(0.45f, 0.26f), placeAlong({0.0f, -3.55f, 0.0f}, {0.0f, -4.55f, 0.0f}), atlas.cell(BARREL), 16);
    return m;
}

glm::vec3 camouflage(float u, float v, unsigned seed)
{
    const float n = valueNoise(u * 5.0f, v * 5.0f, seed) * 0.7f + valueNoise(u * 13.0f, v * 13.0f, seed + 7) * 0.3f;
    const float speck = 1.0f + 0.12f * (valueNoise(u * 60.0f, v * 60.0f, seed + 3) - 0.5f);
    glm::vec3 colour(0.36f, 0.42f, 0.2f);
    if (n < 0.35f)
        colour = glm::vec3(0.2f, 0.27f, 0.12f);
    else if (n > 0.68f)
        colour = glm::vec3(0.45f, 0.36f, 0.22f);
    return colour * speck;
}

void paintAtlas(TextureAtlas& atlas)
{
    atlas.paint(HULL, [](float u, float v) { return camouflage(u, v, 11); });
    atlas.paint(TURRET, [](float u, float v) { return camouflage(u, v, 23); });
    atlas.paint(TREAD, [](float u, float v) {
        const float bar = std::fmod(u * 70.0f, 1.0f) < 0.45f ? 0.34f : 0.16f;
        const float edge = (v < 0.08f || v > 0.92f) ? 0.8f : 1.0f;
        return glm::vec3(bar * edge);
    });
    atlas.paint(TRACK_SIDE, [](float u, float v) {
        return glm::vec3(0.2f, 0.21f, 0.18f) * (1.0f + 0.2f * (valueNoise(u * 30.0f, v * 30.0f, 5) - 0.5f));
    });
    atlas.paint(WHEEL, [](float, float v) {
        const bool rim = v > 0.42f && v < 0.58f; // the tyre band of the disc profile
        return rim ? glm::vec3(0.12f) : glm::vec3(0.3f, 0.35f, 0.18f) * (0.85f + 0.3f * std::fabs(std::sin(v * 20.0f)));
    });
    atlas.paint(HUB, [](float, float) { return glm::vec3(0.55f, 0.55f, 0.5f); });
    atlas.paint(BARREL, [](float u, float v) {
        return glm::vec3(0.24f, 0.28f, 0.14f) * (1.0f + 0.1f * (valueNoise(u * 20.0f, v * 20.0f, 9) - 0.5f));
    });
    atlas.paint(GRILLE, [](float u, float) {
        return std::fmod(u * 12.0f, 1.0f) < 0.5f ? glm::vec3(0.08f) : glm::vec3(0.28f, 0.32f, 0.16f);
    });
    atlas.paint(LAMP, [](float, float) { return glm::vec3(1.0f, 0.93f, 0.6f); });
}

bool generateTank(const std::string& gameDir)
{
    const std::string assets = gameDir + "/assets";
    std::filesystem::create_directories(assets);
    TextureAtlas atlas(ATLAS_SIZE, ATLAS_CELLS);
    paintAtlas(atlas);
    if (!atlas.save(assets + "/tank_skin.png"))
        return false;

    ColladaDocument d;
    d.zUp = true;
    d.sceneName = "tank";
    d.materials = {{"tank_skin", "tank_skin.png"}};
    d.geometries = {{"tank_hull-mesh", "tank_skin", buildHull(atlas)},
                    {"tank_turret-mesh", "tank_skin", buildTurret(atlas)},
                    {"tank_barrel-mesh", "tank_skin", buildBarrel(atlas)}};
    ColladaNode barrel{
        "tank_barrel", false, glm::translate(glm::mat4(1.0f), BARREL_PIVOT), {"tank_barrel-mesh"}, "", "", {}};
    ColladaNode turret{"tank_top", false,   glm::translate(glm::mat4(1.0f), TURRET_PIVOT), {"tank_turret-mesh"}, "",
                       "",         {barrel}};
    ColladaNode hull{"tank_body", false, glm::mat4(1.0f), {"tank_hull-mesh"}, "", "", {}};
    d.nodes = {hull, turret};
    return writeCollada(d, assets + "/tank.dae");
}

} // namespace

GROV_REGISTER_GENERATOR("models_tank", generateTank);
