// Keyframe interpolation, the rotation blend, bone influences and the clip clock.

#include "model/Animation.h"
#include "model/BoneObject.h"
#include "model/ImportObject.h"

#include <glm/gtc/matrix_transform.hpp>
#include <gtest/gtest.h>

#include <cmath>

namespace {

AnimationChannel positionTrack(std::initializer_list<std::pair<double, float>> keys)
{
    AnimationChannel channel;
    channel.nodeName = "node";
    for (const auto& [time, x] : keys)
        channel.positionKeys.push_back({time, glm::vec3(x, 0.0f, 0.0f)});
    channel.scalingKeys.push_back({0.0, glm::vec3(1.0f)});
    channel.rotationKeys.push_back({0.0, glm::quat(1.0f, 0.0f, 0.0f, 0.0f)});
    return channel;
}

float xAt(const AnimationChannel& channel, double time)
{
    return channel.interpolate(time)[3].x;
}

TEST(AnimationTrack, HoldsTheEndsAndBlendsBetweenKeys)
{
    const AnimationChannel track = positionTrack({{0.0, 0.0f}, {10.0, 4.0f}, {20.0, 8.0f}});
    EXPECT_FLOAT_EQ(xAt(track, 15.0), 6.0f); // halfway between the keys at 10 and 20
    EXPECT_FLOAT_EQ(xAt(track, 25.0), 8.0f); // after the last key: no wrap to the first
    EXPECT_FLOAT_EQ(xAt(track, 10.0), 4.0f);

    const AnimationChannel late = positionTrack({{5.0, 3.0f}, {10.0, 7.0f}});
    EXPECT_FLOAT_EQ(xAt(late, 2.0), 3.0f); // before the first key

    const AnimationChannel single = positionTrack({{5.0, 9.0f}});
    EXPECT_FLOAT_EQ(xAt(single, 100.0), 9.0f);
}

TEST(AnimationTrack, EmptyTracksKeepTheFileTransform)
{
    AnimationChannel empty;
    const glm::mat4 file = glm::translate(glm::mat4(1.0f), glm::vec3(1.0f, 2.0f, 3.0f))
        * glm::rotate(glm::mat4(1.0f), glm::radians(30.0f), glm::vec3(0.0f, 0.0f, 1.0f));
    const glm::mat4 local = empty.interpolate(7.0, file);
    for (int c = 0; c < 4; ++c)
        for (int r = 0; r < 4; ++r)
            EXPECT_NEAR(local[c][r], file[c][r], 1e-5f);
}

TEST(AnimationRotation, OppositeHemispheresTakeTheLongerArc)
{
    // +90 degrees about z, stored with the opposite sign: the shorter way from the identity
    // is +90, the keys as written go round through -135 at the middle.
    const glm::quat a(1.0f, 0.0f, 0.0f, 0.0f);
    const float h = std::sqrt(0.5f);
    const glm::quat b(-h, 0.0f, 0.0f, -h);
    AnimationChannel channel;
    channel.rotationKeys = {{0.0, a}, {10.0, b}};
    const glm::vec3 x = glm::mat3(channel.interpolate(5.0)) * glm::vec3(1.0f, 0.0f, 0.0f);
    const float degrees = glm::degrees(std::atan2(x.y, x.x));
    EXPECT_NEAR(degrees, -135.0f, 0.01f);

    // Nearly equal keys blend linearly and still come out unit length.
    const glm::quat c = normalizeRotation(mixRotations(a, a, 0.5f));
    EXPECT_FLOAT_EQ(c.w, 1.0f);
    const glm::quat zero = normalizeRotation(glm::quat(0.0f, 0.0f, 0.0f, 0.0f));
    EXPECT_FLOAT_EQ(zero.w, 1.0f);
}

TEST(AnimationClock, WrapsTheClipAndSurvivesOddFiles)
{
    EXPECT_DOUBLE_EQ(BoneObject::clipTime(5.0, 25.0, 100.0), 25.0); // 125 ticks of a 100-tick clip
    EXPECT_DOUBLE_EQ(BoneObject::clipTime(5.0, 0.0, 100.0), 0.0);   // no ticks per second: tick 0
    EXPECT_DOUBLE_EQ(BoneObject::clipTime(5.0, 25.0, 0.0), 0.0);    // a clip without length
}

TEST(VertexBones, AFifthInfluenceIsDropped)
{
    VertexBoneData vertex;
    for (int bone = 0; bone < 5; ++bone)
        vertex.add(bone + 10, 0.1f * float(bone + 1));
    for (int slot = 0; slot < 4; ++slot) {
        EXPECT_EQ(vertex.ids[slot], slot + 10);
        EXPECT_FLOAT_EQ(vertex.weights[slot], 0.1f * float(slot + 1));
    }
}

TEST(ImportRules, TexturePathsAndTheCharacterRoot)
{
    EXPECT_EQ(ImportObject::texturePath("C:\\models\\skin.png"), "assets/skin.png");
    EXPECT_EQ(ImportObject::texturePath("textures/skin.png"), "assets/skin.png");
    EXPECT_EQ(ImportObject::texturePath("skin.png"), "assets/skin.png");
    EXPECT_TRUE(ImportObject::usesCharacterBox("grov"));
    EXPECT_TRUE(ImportObject::usesCharacterBox("grovRoot"));
    EXPECT_FALSE(ImportObject::usesCharacterBox("Grov"));
    EXPECT_FALSE(ImportObject::usesCharacterBox("gro"));
}

TEST(ImportRules, CullingNeedsAllCornersBeyondOnePlane)
{
    auto box = [](glm::vec3 low, glm::vec3 high) {
        std::vector<glm::vec4> corners;
        for (int i = 0; i < 8; ++i)
            corners.emplace_back((i & 1) ? high.x : low.x, (i & 2) ? high.y : low.y, (i & 4) ? high.z : low.z, 1.0f);
        return corners;
    };
    const glm::mat4 identity(1.0f); // clip space = box space, w = 1
    EXPECT_TRUE(ImportObject::outsideFrustum(identity, box({2, -0.5f, -0.5f}, {3, 0.5f, 0.5f})));
    // Partly right of the view and partly above it, but not all beyond either plane.
    EXPECT_FALSE(ImportObject::outsideFrustum(identity, box({0.5f, 0.5f, 0}, {3, 3, 0.5f})));
    EXPECT_FALSE(ImportObject::outsideFrustum(identity, box({-0.5f, -0.5f, -0.5f}, {0.5f, 0.5f, 0.5f})));
}

} // namespace

namespace Assimp {
void aiAssertViolation(const char* failedExpression, const char* file, int line);
}

TEST(ImporterChecks, AFailedCheckInsideTheImporterThrowsInsteadOfEndingTheGame)
{
    try {
        Assimp::aiAssertViolation("pos < size", "ColladaLoader.cpp", 1743);
        FAIL() << "returned";
    } catch (const std::exception& error) {
        EXPECT_STREQ(error.what(), "the importer's check failed: pos < size (ColladaLoader.cpp:1743)");
    }
}
