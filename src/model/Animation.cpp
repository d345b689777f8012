#include "model/Animation.h"

#include <assimp/anim.h>

#include <glm/gtc/matrix_transform.hpp>

#include <cmath>

namespace {

// 1 - 2^-23: above this the rotations are too close for the spherical formula.
constexpr float NEARLY_EQUAL = 1.0f - 1.1920929e-7f;

// Index of the key at or before time (the first key when time is before it, the last when
// it is after it) and the blend factor towards the next key; factor < 0 means "use key i".
template <typename Key>
size_t findKey(const std::vector<Key>& keys, double time, float& factor)
{
    factor = -1.0f;
    const size_t n = keys.size();
    if (n == 1)
        return 0;
    size_t i = 0;
    while (i < n - 1 && !(keys[i + 1].time > time))
        ++i;
    if (i + 1 == n || time < keys[i].time)
        return i;
    factor = float((time - keys[i].time) / (keys[i + 1].time - keys[i].time));
    return i;
}

glm::vec3 vectorAt(const std::vector<VectorKey>& keys, double time)
{
    float factor = 0.0f;
    const size_t i = findKey(keys, time, factor);
    if (factor < 0.0f)
        return keys[i].value;
    const glm::vec3& a = keys[i].value;
    const glm::vec3& b = keys[i + 1].value;
    return a + factor * (b - a);
}

glm::quat rotationAt(const std::vector<RotationKey>& keys, double time)
{
    float factor = 0.0f;
    const size_t i = findKey(keys, time, factor);
    if (factor < 0.0f)
        return keys[i].value;
    return normalizeRotation(mixRotations(keys[i].value, keys[i + 1].value, factor));
}

template <typename Source, typename Key, typename Convert>
void copyKeys(const Source* source, unsigned count, std::vector<Key>& keys, Convert convert)
{
    keys.reserve(count);
    for (unsigned k = 0; k < count; ++k)
        keys.push_back(Key{source[k].mTime, convert(source[k].mValue)});
}

} // namespace

glm::quat mixRotations(const glm::quat& a, const glm::quat& b, float factor)
{
    const float d = a.x * b.x + a.y * b.y + a.z * b.z + a.w * b.w;
    if (d > NEARLY_EQUAL)
        return glm::quat(a.w + factor * (b.w - a.w), a.x + factor * (b.x - a.x), a.y + factor * (b.y - a.y),
                         a.z + factor * (b.z - a.z));
    // No flip for d < 0: two keys on opposite hemispheres go the long way round, as animated.
    const float angle = std::acos(glm::clamp(d, -1.0f, 1.0f));
    const float s = std::sin(angle);
    if (s == 0.0f)
        return a; // exactly opposite keys: no plane to turn in, hold the first
    const float wa = std::sin((1.0f - factor) * angle) / s;
    const float wb = std::sin(factor * angle) / s;
    return glm::quat(wa * a.w + wb * b.w, wa * a.x + wb * b.x, wa * a.y + wb * b.y, wa * a.z + wb * b.z);
}

glm::quat normalizeRotation(const glm::quat& q)
{
    const float length = std::sqrt(q.x * q.x + q.y * q.y + q.z * q.z + q.w * q.w);
    if (!(length > 0.0f))
        return glm::quat(1.0f, 0.0f, 0.0f, 0.0f);
    const float inverse = 1.0f / length;
    return glm::quat(q.w * inverse, q.x * inverse, q.y * inverse, q.z * inverse);
}

glm::mat4 AnimationChannel::interpolate(double time, const glm::mat4& fileTransform) const
{
    // What the file's own transform says, for tracks that have no keys.
    const glm::vec3 fileScale(glm::length(glm::vec3(fileTransform[0])), glm::length(glm::vec3(fileTransform[1])),
                              glm::length(glm::vec3(fileTransform[2])));
    glm::vec3 position = glm::vec3(fileTransform[3]);
    glm::vec3 scaling = fileScale;
    glm::quat rotation(1.0f, 0.0f, 0.0f, 0.0f);
    if (rotationKeys.empty() && fileScale.x > 0.0f && fileScale.y > 0.0f && fileScale.z > 0.0f) {
        glm::mat3 r(fileTransform);
        r[0] /= fileScale.x;
        r[1] /= fileScale.y;
        r[2] /= fileScale.z;
        rotation = glm::quat_cast(r);
    }
    if (!positionKeys.empty())
        position = vectorAt(positionKeys, time);
    if (!scalingKeys.empty())
        scaling = vectorAt(scalingKeys, time);
    if (!rotationKeys.empty())
        rotation = rotationAt(rotationKeys, time);
    const glm::mat4 t = glm::translate(glm::mat4(1.0f), position);
    const glm::mat4 r = glm::mat4_cast(rotation);
    const glm::mat4 s = glm::scale(glm::mat4(1.0f), scaling);
    return (t * r) * s;
}

const AnimationChannel* Animation::findChannel(const std::string& nodeName) const
{
    for (const auto& channel : channels)
        if (channel->nodeName == nodeName)
            return channel.get();
    return nullptr;
}

std::unique_ptr<Animation> Animation::fromAssimp(const aiAnimation& source)
{
    auto animation = std::make_unique<Animation>();
    animation->name = source.mName.C_Str();
    animation->duration = source.mDuration;
    animation->channels.reserve(source.mNumChannels);
    for (unsigned c = 0; c < source.mNumChannels; ++c) {
        const aiNodeAnim& track = *source.mChannels[c];
        auto channel = std::make_unique<AnimationChannel>();
        channel->nodeName = track.mNodeName.C_Str();
        auto vector = [](const aiVector3D& v) { return glm::vec3(v.x, v.y, v.z); };
        copyKeys(track.mPositionKeys, track.mNumPositionKeys, channel->positionKeys, vector);
        copyKeys(track.mScalingKeys, track.mNumScalingKeys, channel->scalingKeys, vector);
        copyKeys(track.mRotationKeys, track.mNumRotationKeys, channel->rotationKeys,
                 [](const aiQuaternion& q) { return glm::quat(q.w, q.x, q.y, q.z); });
        animation->channels.push_back(std::move(channel));
    }
    return animation;
}
