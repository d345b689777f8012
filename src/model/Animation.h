#pragma once
// Keyframe clips copied from an imported file: per node, tracks of position, rotation and
// scaling keys, and the interpolation that turns them into a local transform.

#include <glm/glm.hpp>
#include <glm/gtc/quaternion.hpp>

#include <memory>
#include <string>
#include <vector>

struct aiAnimation;

struct VectorKey {
    double time = 0.0; // ticks
    glm::vec3 value{0.0f};
};

struct RotationKey {
    double time = 0.0;                       // ticks
    glm::quat value{1.0f, 0.0f, 0.0f, 0.0f}; // unit quaternion, stored x, y, z, w
};

struct AnimationChannel {
    std::string nodeName;
    std::vector<VectorKey> positionKeys;
    std::vector<VectorKey> scalingKeys;
    std::vector<RotationKey> rotationKeys;

    // The node's local transform at a time in ticks: (T x R) x S. A track without keys takes
    // its part from the node's own transform in the file.
    glm::mat4 interpolate(double time, const glm::mat4& fileTransform = glm::mat4(1.0f)) const;
};

struct Animation {
    std::string name;
    double duration = 0.0; // ticks
    std::vector<std::unique_ptr<AnimationChannel>> channels;

    // The first channel for exactly this node name, or null.
    const AnimationChannel* findChannel(const std::string& nodeName) const;

    static std::unique_ptr<Animation> fromAssimp(const aiAnimation& source);
};

// Spherical blend of two rotations by factor, without turning onto the shorter arc; nearly
// equal rotations blend linearly. The result is not normalised.
glm::quat mixRotations(const glm::quat& a, const glm::quat& b, float factor);
// Unit length; the identity rotation for a zero quaternion.
glm::quat normalizeRotation(const glm::quat& q);
