// Grov, the thrown hero: a stocky, grumpy cartoon man about 4 units tall, feet at the
// origin, facing -z. Written three times: skinned with his flailing clip
// ("assets/grov_anim.dae"), static in the same bind pose ("assets/grov.dae"), which gives the
// game his box, and skinned again with under half the triangles ("assets/grov_anim_low.dae"),
// for drawing him small on a renderer that pays for every triangle.

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

constexpr float CLIP_SECONDS = 1.5f;      // length of the flailing loop
constexpr int KEYS_PER_SECOND = 30;       // matrix keys written per joint
constexpr float ARM_DROP_DEGREES = 50.0f; // bind pose: arms hang this far from vertical
constexpr int ATLAS_SIZE = 512;           // texels
constexpr int ATLAS_CELLS = 8;            // cells per side

// How finely the body is built: the share of the steps round each shape that is kept, and of
// those round the capsules of the neck and limbs.
struct BodyDetail {
    float shapes;
    float limbs;
};
constexpr BodyDetail FULL_DETAIL{1.0f, 1.0f};
// The low-poly twin, drawn about a hundred pixels tall: three quarters of the steps round the
// shapes, and half round the limbs, which are thin and whose ends are buried in the trunk, the
// fists and the shoes. Under half of the triangles, and the shirt keeps its stripes.
constexpr BodyDetail LOW_POLY_DETAIL{0.75f, 0.5f};

enum Bone {
    HIPS,
    SPINE,
    HEAD,
    UPPERARM_L,
    LOWERARM_L,
    UPPERARM_R,
    LOWERARM_R,
    UPPERLEG_L,
    LOWERLEG_L,
    UPPERLEG_R,
    LOWERLEG_R,
    BONE_COUNT
};

const char* const BONE_NAMES[BONE_COUNT] = {"hips",       "spine",      "head",       "upperarm_L",
                                            "lowerarm_L", "upperarm_R", "lowerarm_R", "upperleg_L",
                                            "lowerleg_L", "upperleg_R", "lowerleg_R"};
const int BONE_PARENTS[BONE_COUNT] = {-1,         HIPS, SPINE,      SPINE, UPPERARM_L, SPINE,
                                      UPPERARM_R, HIPS, UPPERLEG_L, HIPS,  UPPERLEG_R};

enum Cell { SKIN, SHIRT, TROUSERS, SHOE, EYE_WHITE, PUPIL, HAIR, MOUTH, NOSE, BELT, SOLE };

// The skeleton in its bind pose: joint positions in model space.
struct Skeleton {
    glm::vec3 joint[BONE_COUNT];
    glm::vec3 wrist[2];
    glm::vec3 ankle[2];

    Skeleton()
    {
        const float drop = glm::radians(ARM_DROP_DEGREES);
        const glm::vec3 armL(-std::sin(drop), -std::cos(drop), 0.0f);
        const glm::vec3 armR(std::sin(drop), -std::cos(drop), 0.0f);
        joint[HIPS] = {0.0f, 1.55f, 0.0f};
        joint[SPINE] = {0.0f, 2.0f, 0.0f};
        joint[HEAD] = {0.0f, 2.8f, 0.0f};
        joint[UPPERARM_L] = {-0.62f, 2.6f, 0.0f};
        joint[LOWERARM_L] = joint[UPPERARM_L] + armL * 0.62f;
        wrist[0] = joint[LOWERARM_L] + armL * 0.55f;
        joint[UPPERARM_R] = {0.62f, 2.6f, 0.0f};
        joint[LOWERARM_R] = joint[UPPERARM_R] + armR * 0.62f;
        wrist[1] = joint[LOWERARM_R] + armR * 0.55f;
        joint[UPPERLEG_L] = {-0.3f, 1.45f, 0.0f};
        joint[LOWERLEG_L] = {-0.3f, 0.82f, 0.0f};
        ankle[0] = {-0.3f, 0.26f, 0.0f};
        joint[UPPERLEG_R] = {0.3f, 1.45f, 0.0f};
        joint[LOWERLEG_R] = {0.3f, 0.82f, 0.0f};
        ankle[1] = {0.3f, 0.26f, 0.0f};
    }
};

using Weights = std::array<Influence, MAX_INFLUENCES>;

Weights only(int bone)
{
    Weights w{};
    w[0] = {bone, 1.0f};
    return w;
}

float smooth(float t)
{
    t = glm::clamp(t, 0.0f, 1.0f);
    return t * t * (3.0f - 2.0f * t);
}

// A limb part from joint a to b: owned by `bone`, shared half and half with the parent at a
// and with the child at b, fading over the last 30 percent of the length on each side.
Weights limbWeights(const glm::vec3& p, const glm::vec3& a, const glm::vec3& b, int bone, int parent, int child)
{
    const glm::vec3 axis = b - a;
    const float t = glm::dot(p - a, axis) / glm::dot(axis, axis);
    const float toParent = parent >= 0 ? 0.5f * (1.0f - smooth(t / 0.3f)) : 0.0f;
    const float toChild = child >= 0 ? 0.5f * smooth((t - 0.7f) / 0.3f) : 0.0f;
    Weights w{};
    int n = 0;
    w[size_t(n++)] = {bone, 1.0f - toParent - toChild};
    if (toParent > 0.0f)
        w[size_t(n++)] = {parent, toParent};
    if (toChild > 0.0f)
        w[size_t(n++)] = {child, toChild};
    return w;
}

glm::mat4 ellipsoidAt(const glm::vec3& centre, const glm::vec3& radii, float rollDegrees = 0.0f)
{
    glm::mat4 m = glm::translate(glm::mat4(1.0f), centre);
    m = glm::rotate(m, glm::radians(rollDegrees), glm::vec3(0.0f, 0.0f, 1.0f));
    return glm::scale(m, radii);
}

const glm::vec3 HEAD_CENTRE(0.0f, 3.32f, 0.0f);
const glm::vec3 HEAD_RADII(0.58f, 0.6f, 0.55f);
const glm::vec3 JAW_CENTRE(0.0f, 3.1f, -0.1f);
const glm::vec3 JAW_RADII(0.5f, 0.32f, 0.45f);

// Front surface (most negative z) of the head and jaw at (x, y), for things drawn on the face.
float faceZ(float x, float y)
{
    float z = 0.0f;
    for (const auto& [c, r] : {std::pair{HEAD_CENTRE, HEAD_RADII}, std::pair{JAW_CENTRE, JAW_RADII}}) {
        const float q = 1.0f - std::pow((x - c.x) / r.x, 2.0f) - std::pow((y - c.y) / r.y, 2.0f);
        if (q > 0.0f)
            z = std::min(z, c.z - r.z * std::sqrt(q));
    }
    return z;
}

MeshBuilder buildBody(const Skeleton& s, const TextureAtlas& atlas, const BodyDetail& detail)
{
    MeshBuilder m;
    m.detail = detail.shapes;
    auto part = [&](auto build, auto weights) {
        const size_t first = m.vertices.size();
        build();
        m.skin(first, weights);
    };
    // The neck and the limbs, built at their own detail.
    auto limbPart = [&](auto build, auto weights) {
        m.detail = detail.limbs;
        part(build, weights);
        m.detail = detail.shapes;
    };
    auto bone = [](int b) { return [b](const glm::vec3&) { return only(b); }; };

    // Trunk: a round belly over short hips, with a belt between.
    part(
        [&] {
            m.ellipsoid(ellipsoidAt({0.0f, 2.15f, 0.0f}, {0.64f, 0.74f, 0.48f}), atlas.cell(SHIRT), 20, 28);
        },
        [](const glm::vec3& p) {
            const float toSpine = smooth((p.y - 1.75f) / 0.45f);
            Weights w{};
            w[0] = {SPINE, toSpine};
            w[1] = {HIPS, 1.0f - toSpine};
            return w;
        });
    part(
        [&] {
            m.ellipsoid(ellipsoidAt({0.0f, 1.5f, 0.0f}, {0.56f, 0.34f, 0.43f}), atlas.cell(TROUSERS));
        },
        bone(HIPS));
    part(
        [&] {
            m.ellipsoid(ellipsoidAt({0.0f, 1.7f, 0.0f}, {0.54f, 0.08f, 0.42f}), atlas.cell(BELT), 8, 28);
        },
        bone(HIPS));

    // Neck and head, with the scowl: heavy brows slanting down to the nose, eyelids half
    // shut over the eyes, and a frown.
    limbPart(
        [&] {
            m.capsule({0.0f, 2.7f, 0.0f}, {0.0f, 3.0f, 0.0f}, 0.2f, 0.2f, atlas.cell(SKIN));
        },
        [&](const glm::vec3& p) {
            return limbWeights(p, {0.0f, 2.7f, 0.0f}, {0.0f, 3.0f, 0.0f}, HEAD, SPINE, -1);
        });
    const size_t headFirst = m.vertices.size();
    m.ellipsoid(ellipsoidAt(HEAD_CENTRE, HEAD_RADII), atlas.cell(SKIN), 20, 28);
    m.ellipsoid(ellipsoidAt(JAW_CENTRE, JAW_RADII), atlas.cell(SKIN));
    for (float side : {-1.0f, 1.0f}) {
        m.ellipsoid(ellipsoidAt({side * 0.57f, 3.32f, 0.02f}, {0.1f, 0.17f, 0.08f}), atlas.cell(SKIN), 8, 12);
        m.ellipsoid(ellipsoidAt({side * 0.2f, 3.45f, -0.46f}, {0.16f, 0.19f, 0.11f}), atlas.cell(EYE_WHITE), 10, 16);
        m.ellipsoid(ellipsoidAt({side * 0.17f, 3.41f, -0.56f}, {0.07f, 0.08f, 0.045f}), atlas.cell(PUPIL), 8, 12);
        m.ellipsoid(ellipsoidAt({side * 0.2f, 3.55f, -0.47f}, {0.185f, 0.1f, 0.13f}, side * 18.0f), atlas.cell(SKIN), 8,
                    16);
        glm::mat4 brow = glm::translate(glm::mat4(1.0f), {side * 0.21f, 3.665f, -0.53f});
        brow = glm::rotate(brow, glm::radians(side * 28.0f), glm::vec3(0.0f, 0.0f, 1.0f));
        m.box({0.18f, 0.05f, 0.06f}, brow, atlas.cell(HAIR));
    }
    m.ellipsoid(ellipsoidAt({0.0f, 3.3f, -0.58f}, {0.12f, 0.15f, 0.13f}), atlas.cell(NOSE), 10, 14);
    std::vector<glm::vec3> frown;
    for (int i = 0; i <= 8; ++i) {
        const float x = -0.21f + 0.42f * float(i) / 8.0f;
        const float y = 3.1f - 0.08f * (x / 0.21f) * (x / 0.21f);
        frown.push_back({x, y, faceZ(x, y) + 0.012f});
    }
    m.tube(frown, 0.035f, atlas.cell(MOUTH));
    // A short crop over the crown and the back of the head, spikes swept back out of it.
    m.ellipsoid(ellipsoidAt({0.0f, 3.4f, 0.1f}, {0.6f, 0.56f, 0.52f}), atlas.cell(HAIR), 16, 24);
    const glm::vec3 spikes[] = {{0.0f, 1.0f, 0.15f},   {-0.45f, 0.85f, 0.25f}, {0.45f, 0.85f, 0.25f},
                                {-0.25f, 0.7f, 0.65f}, {0.25f, 0.7f, 0.65f},   {0.0f, 0.55f, 0.85f}};
    for (const glm::vec3& d : spikes) {
        const glm::vec3 dir = glm::normalize(d);
        const glm::vec3 base = HEAD_CENTRE + dir * 0.4f;
        m.lathe({{0.0f, 0.0f}, {0.0f, 0.17f}, {0.38f, 0.0f}}, placeAlong(base, base + dir), atlas.cell(HAIR), 10);
    }
    m.skin(headFirst, bone(HEAD));

    // Arms: striped sleeves, bare forearms, big fists.
    for (int side = 0; side < 2; ++side) {
        const int upper = side == 0 ? UPPERARM_L : UPPERARM_R;
        const int lower = side == 0 ? LOWERARM_L : LOWERARM_R;
        const glm::vec3 shoulder = s.joint[upper], elbow = s.joint[lower], wrist = s.wrist[side];
        limbPart([&] { m.capsule(shoulder, elbow, 0.19f, 0.16f, atlas.cell(SHIRT)); },
                 [&](const glm::vec3& p) { return limbWeights(p, shoulder, elbow, upper, SPINE, lower); });
        limbPart([&] { m.capsule(elbow, wrist, 0.15f, 0.13f, atlas.cell(SKIN)); },
                 [&](const glm::vec3& p) { return limbWeights(p, elbow, wrist, lower, upper, -1); });
        const glm::vec3 fist = wrist + glm::normalize(wrist - elbow) * 0.1f;
        part([&] { m.ellipsoid(ellipsoidAt(fist, {0.21f, 0.21f, 0.2f}), atlas.cell(SKIN), 10, 14); }, bone(lower));
    }

    // Legs: baggy trousers and clumsy shoes.
    for (int side = 0; side < 2; ++side) {
        const int upper = side == 0 ? UPPERLEG_L : UPPERLEG_R;
        const int lower = side == 0 ? LOWERLEG_L : LOWERLEG_R;
        const glm::vec3 hip = s.joint[upper], knee = s.joint[lower], ankle = s.ankle[side];
        limbPart([&] { m.capsule(hip, knee, 0.25f, 0.21f, atlas.cell(TROUSERS)); },
                 [&](const glm::vec3& p) { return limbWeights(p, hip, knee, upper, HIPS, lower); });
        limbPart([&] { m.capsule(knee, ankle, 0.21f, 0.18f, atlas.cell(TROUSERS)); },
                 [&](const glm::vec3& p) { return limbWeights(p, knee, ankle, lower, upper, -1); });
        part(
            [&] {
                m.ellipsoid(ellipsoidAt({ankle.x, 0.17f, -0.12f}, {0.22f, 0.16f, 0.36f}), atlas.cell(SHOE), 10, 16);
                m.ellipsoid(ellipsoidAt({ankle.x, 0.05f, -0.12f}, {0.23f, 0.05f, 0.37f}), atlas.cell(SOLE), 6, 16);
            },
            bone(lower));
    }
    return m;
}

void paintAtlas(TextureAtlas& atlas)
{
    auto grain = [](float u, float v, unsigned seed, float amount) {
        return 1.0f + amount * (valueNoise(u * 24.0f, v * 24.0f, seed) - 0.5f);
    };
    atlas.paint(SKIN, [&](float u, float v) { return glm::vec3(0.96f, 0.72f, 0.55f) * grain(u, v, 1, 0.08f); });
    atlas.paint(NOSE, [&](float u, float v) { return glm::vec3(0.93f, 0.52f, 0.42f) * grain(u, v, 2, 0.08f); });
    // Red and white stripes running round the shirt.
    atlas.paint(SHIRT, [&](float u, float v) {
        const bool white = std::fmod(v * 7.0f + 10.0f, 1.0f) < 0.35f;
        return (white ? glm::vec3(0.95f, 0.93f, 0.88f) : glm::vec3(0.85f, 0.12f, 0.1f)) * grain(u, v, 3, 0.1f);
    });
    // Blue denim with a faint weave.
    atlas.paint(TROUSERS, [&](float u, float v) {
        const float weave = 0.06f * std::sin((u + v) * 180.0f);
        return glm::vec3(0.16f, 0.27f, 0.55f) * (grain(u, v, 4, 0.15f) + weave);
    });
    atlas.paint(SHOE, [&](float u, float v) { return glm::vec3(0.35f, 0.2f, 0.1f) * grain(u, v, 5, 0.12f); });
    atlas.paint(SOLE, [&](float, float) { return glm::vec3(0.12f, 0.1f, 0.09f); });
    atlas.paint(EYE_WHITE, [&](float, float) { return glm::vec3(0.98f, 0.98f, 0.96f); });
    atlas.paint(PUPIL, [&](float, float) { return glm::vec3(0.04f, 0.04f, 0.05f); });
    atlas.paint(HAIR, [&](float u, float v) { return glm::vec3(0.16f, 0.1f, 0.07f) * grain(u, v, 6, 0.3f); });
    atlas.paint(MOUTH, [&](float, float) { return glm::vec3(0.35f, 0.06f, 0.06f); });
    atlas.paint(BELT, [&](float u, float) {
        const bool buckle = std::fabs(u - 0.75f) < 0.04f; // the front of the ring faces -z
        return buckle ? glm::vec3(0.9f, 0.75f, 0.2f) : glm::vec3(0.22f, 0.14f, 0.08f);
    });
}

glm::mat4 poseRotation(int bone, float t)
{
    const float w = 2.0f * glm::pi<float>() / CLIP_SECONDS;
    auto rot = [](float degrees, const glm::vec3& axis) {
        return glm::rotate(glm::mat4(1.0f), glm::radians(degrees), axis);
    };
    const glm::vec3 X(1, 0, 0), Y(0, 1, 0), Z(0, 0, 1);
    switch (bone) {
    case HIPS:
        return rot(10.0f * std::sin(w * t), X) * rot(7.0f * std::sin(w * t + 1.0f), Z);
    case SPINE:
        return rot(-12.0f * std::sin(2.0f * w * t + 0.5f), X) * rot(6.0f * std::sin(w * t), Z);
    case HEAD:
        return rot(20.0f * std::sin(w * t + 0.7f), Y) * rot(12.0f * std::sin(2.0f * w * t), X);
    // Arms windmill: up and down beside him, forwards and back, out of step with each other.
    case UPPERARM_L:
        return rot(-(20.0f + 55.0f * std::sin(2.0f * w * t)), Z) * rot(45.0f * std::sin(2.0f * w * t + 1.6f), X);
    case UPPERARM_R:
        return rot(20.0f + 55.0f * std::sin(2.0f * w * t + 2.4f), Z) * rot(45.0f * std::sin(2.0f * w * t + 4.0f), X);
    case LOWERARM_L:
        return rot(35.0f + 35.0f * std::sin(2.0f * w * t + 0.8f), X);
    case LOWERARM_R:
        return rot(35.0f + 35.0f * std::sin(2.0f * w * t + 3.2f), X);
    // Legs kick in turn, knees snapping.
    case UPPERLEG_L:
        return rot(40.0f * std::sin(2.0f * w * t), X) * rot(-8.0f - 6.0f * std::sin(w * t), Z);
    case UPPERLEG_R:
        return rot(-40.0f * std::sin(2.0f * w * t), X) * rot(8.0f + 6.0f * std::sin(w * t), Z);
    case LOWERLEG_L:
        return rot(-(30.0f + 30.0f * std::sin(2.0f * w * t - 1.2f)), X);
    case LOWERLEG_R:
        return rot(-(30.0f + 30.0f * std::sin(2.0f * w * t + 1.9f)), X);
    default:
        return glm::mat4(1.0f);
    }
}

glm::mat4 bindLocal(const Skeleton& s, int bone)
{
    const glm::vec3 parent = BONE_PARENTS[bone] >= 0 ? s.joint[BONE_PARENTS[bone]] : glm::vec3(0.0f);
    return glm::translate(glm::mat4(1.0f), s.joint[bone] - parent);
}

ColladaNode jointTree(const Skeleton& s, int bone)
{
    ColladaNode node;
    node.id = BONE_NAMES[bone];
    node.joint = true;
    node.transform = bindLocal(s, bone);
    for (int child = 0; child < BONE_COUNT; ++child)
        if (BONE_PARENTS[child] == bone)
            node.children.push_back(jointTree(s, child));
    return node;
}

bool generateGrov(const std::string& gameDir)
{
    const std::string assets = gameDir + "/assets";
    std::filesystem::create_directories(assets);
    const Skeleton skeleton;
    TextureAtlas atlas(ATLAS_SIZE, ATLAS_CELLS);
    paintAtlas(atlas);
    if (!atlas.save(assets + "/grov_skin.png"))
        return false;

    ColladaGeometry body{"grov_body-mesh", "grov_skin", buildBody(skeleton, atlas, FULL_DETAIL)};

    // Static twin: the same figure in the bind pose, no skeleton.
    ColladaDocument still;
    still.sceneName = "grov";
    still.materials = {{"grov_skin", "grov_skin.png"}};
    still.geometries = {body};
    // The visual scene named "grov" becomes the imported root node.
    ColladaNode stillBody{"grov_body", false, glm::mat4(1.0f), {body.id}, "", "", {}};
    still.nodes = {stillBody};
    if (!writeCollada(still, assets + "/grov.dae"))
        return false;

    ColladaDocument animated = still;
    ColladaSkin skin;
    skin.id = "grov_body-skin";
    skin.geometryId = body.id;
    for (int b = 0; b < BONE_COUNT; ++b) {
        skin.joints.push_back(BONE_NAMES[b]);
        skin.inverseBindPoses.push_back(glm::translate(glm::mat4(1.0f), -skeleton.joint[b]));
    }
    animated.skins = {skin};
    ColladaNode animatedBody{"grov_body", false, glm::mat4(1.0f), {}, skin.id, BONE_NAMES[HIPS], {}};
    animated.nodes = {animatedBody, jointTree(skeleton, HIPS)};
    animated.clipName = "grov_flail";
    const int keys = int(std::lround(CLIP_SECONDS * float(KEYS_PER_SECOND)));
    for (int b = 0; b < BONE_COUNT; ++b) {
        ColladaTrack track{BONE_NAMES[b], {}, {}};
        for (int k = 0; k <= keys; ++k) {
            const float t = float(k) / float(KEYS_PER_SECOND);
            track.times.push_back(t);
            track.values.push_back(bindLocal(skeleton, b) * poseRotation(b, t));
        }
        animated.tracks.push_back(track);
    }
    if (!writeCollada(animated, assets + "/grov_anim.dae"))
        return false;

    // The low-poly twin: the same skeleton, clip and atlas, fewer steps round every shape.
    ColladaDocument low = animated;
    low.geometries = {{body.id, body.materialId, buildBody(skeleton, atlas, LOW_POLY_DETAIL)}};
    return writeCollada(low, assets + "/grov_anim_low.dae");
}

} // namespace

GROV_REGISTER_GENERATOR("models_grov", generateGrov);
