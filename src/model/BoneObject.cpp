#include "model/BoneObject.h"

#include "render/Shader.h"
#include "render/ShaderVariable.h"

#include <assimp/scene.h>

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <iostream>

double animationClock = 0.0;

void VertexBoneData::add(int id, float weight)
{
    for (int slot = 0; slot < 4; ++slot) {
        if (weights[slot] == 0.0f) {
            ids[slot] = id;
            weights[slot] = weight;
            return;
        }
    }
}

BoneObject::BoneObject(const std::string& path)
{
    BoneObject::load(path);
}

BoneObject::~BoneObject()
{
    while (!clips.empty())
        clips.pop_back();
    bones.clear();
    if (boneBuffer)
        glDeleteBuffers(1, &boneBuffer);
    releaseSkinning();
}

void BoneObject::releaseSkinning()
{
    for (GLuint* buffer : {&skinnedPositionBuffer, &skinnedNormalBuffer}) {
        if (*buffer)
            glDeleteBuffers(1, buffer);
        *buffer = 0;
    }
    bindPositions.clear();
    bindNormals.clear();
}

void BoneObject::load(const std::string& path)
{
    releaseSkinning();
    const aiScene* scene = import(path);
    if (scene) {
        glGenVertexArrays(1, &vertexArray_);
        glBindVertexArray(vertexArray_);
        const bool built = buildMeshes(*scene);
        if (built)
            buildBones(*scene);
        glBindVertexArray(0);
        glBindBuffer(GL_ARRAY_BUFFER, 0);
        glBindBuffer(GL_ELEMENT_ARRAY_BUFFER, 0);
        if (built) {
            loadMaterialTextures(*scene);
            loadAnimations(*scene);
            buildNodeTree(*scene);
        } else {
            releaseBuffers();
        }
    }
    finishImport();
}

void BoneObject::buildBones(const aiScene& scene)
{
    std::size_t vertexTotal = 0;
    for (unsigned j = 0; j < scene.mNumMeshes; ++j)
        vertexTotal += scene.mMeshes[j]->mNumVertices;
    vertexBones_.assign(vertexTotal, VertexBoneData());

    for (unsigned j = 0; j < scene.mNumMeshes; ++j) {
        const aiMesh& mesh = *scene.mMeshes[j];
        for (unsigned k = 0; k < mesh.mNumBones; ++k) {
            const aiBone& bone = *mesh.mBones[k];
            const std::string name = bone.mName.C_Str();
            auto found = bones.find(name);
            if (found == bones.end()) {
                BoneInfo info;
                info.offset = toGlm(bone.mOffsetMatrix);
                info.index = int(bones.size());
                found = bones.emplace(name, info).first;
            }
            const int index = found->second.index;
            for (unsigned w = 0; w < bone.mNumWeights; ++w) {
                const std::size_t vertex = entries[j].baseVertex + bone.mWeights[w].mVertexId;
                if (bone.mWeights[w].mVertexId < mesh.mNumVertices)
                    vertexBones_[vertex].add(index, bone.mWeights[w].mWeight);
            }
        }
    }
    boneMatrices_.assign(bones.size(), glm::mat4(1.0f));

    glGenBuffers(1, &boneBuffer);
    glBindBuffer(GL_ARRAY_BUFFER, boneBuffer);
    glBufferData(GL_ARRAY_BUFFER, GLsizeiptr(vertexBones_.size() * sizeof(VertexBoneData)),
                 vertexBones_.empty() ? nullptr : vertexBones_.data(), GL_STATIC_DRAW);
    glEnableVertexAttribArray(ATTRIB_BONE_WEIGHTS);
    glVertexAttribPointer(ATTRIB_BONE_WEIGHTS, 4, GL_FLOAT, GL_FALSE, sizeof(VertexBoneData),
                          reinterpret_cast<const void*>(offsetof(VertexBoneData, weights)));
    glEnableVertexAttribArray(ATTRIB_BONE_IDS);
    glVertexAttribIPointer(ATTRIB_BONE_IDS, 4, GL_INT, sizeof(VertexBoneData),
                           reinterpret_cast<const void*>(offsetof(VertexBoneData, ids)));
}

void BoneObject::loadAnimations(const aiScene& scene)
{
    if (scene.mNumAnimations == 0)
        return;
    ticksPerSecond_ = scene.mAnimations[0]->mTicksPerSecond;
    for (unsigned a = 0; a < scene.mNumAnimations; ++a)
        clips.push_back(Animation::fromAssimp(*scene.mAnimations[a]));
}

double BoneObject::clipTime(double clockSeconds, double ticksPerSecond, double duration)
{
    // A clip without length (or a clock gone bad) would give NaN; hold the first tick.
    if (!(duration > 0.0) || !std::isfinite(duration))
        return 0.0;
    const double time = std::fmod(clockSeconds * ticksPerSecond, duration);
    return std::isfinite(time) ? time : 0.0;
}

void BoneObject::update(double dt)
{
    animationClock += dt;
    poseAt(animationClock);
}

void BoneObject::animate(double dt, int clip)
{
    animationClock += dt;
    poseClip(animationClock, clip);
}

void BoneObject::poseAt(double clockSeconds)
{
    poseClip(clockSeconds, 0);
}

void BoneObject::loadLowPolyTwin(const std::string& path)
{
    twin.reset();
    if (!root)
        return;
    auto candidate = std::make_unique<BoneObject>(path);
    if (!candidate->isLoaded())
        return;
    std::vector<int> matched(candidate->bones.size(), -1);
    for (const auto& [name, info] : candidate->bones) {
        const auto ours = bones.find(name);
        if (ours == bones.end()) {
            std::cout << "The low-poly twin '" << path << "' has a bone its model lacks (" << name
                      << "): the model is drawn in full" << std::endl;
            return;
        }
        matched[std::size_t(info.index)] = ours->second.index;
    }
    twin = std::move(candidate);
    twinBones = std::move(matched);
}

void BoneObject::takePoseOf(const BoneObject& model, const std::vector<int>& modelBoneOf)
{
    setPosition(model.position());
    setRotationAxis(model.rotationAxis());
    setRotationAngle(model.rotationAngle());
    setScale(model.scale());
    material().copyLighting(model.material());
    skinOnProcessor = model.skinOnProcessor;
    for (std::size_t bone = 0; bone < modelBoneOf.size() && bone < boneMatrices_.size(); ++bone)
        if (std::size_t(modelBoneOf[bone]) < model.boneMatrices_.size())
            boneMatrices_[bone] = model.boneMatrices_[std::size_t(modelBoneOf[bone])];
}

void BoneObject::draw(Shader* shader)
{
    if (lowPoly && twin) {
        twin->takePoseOf(*this, twinBones);
        twin->draw(shader);
        return;
    }
    if (!root || !shader || !vertexArray_)
        return;
    glBindVertexArray(vertexArray_);
    if (skinOnProcessor) {
        skinVertices();
    } else {
        // The shader's array ends at MAX_SHADER_BONES; nothing is sent past it.
        const std::size_t sent = std::min(boneMatrices_.size(), std::size_t(MAX_SHADER_BONES));
        for (std::size_t i = 0; i < sent; ++i)
            setUniformMatrix4(BONE_UNIFORM_BASE + int(i), 1, GL_FALSE, &boneMatrices_[i][0][0]);
    }
    const auto readFrom = [](GLuint attribute, GLuint buffer) {
        glBindBuffer(GL_ARRAY_BUFFER, buffer);
        glVertexAttribPointer(attribute, 3, GL_FLOAT, GL_FALSE, 0, nullptr);
    };
    readFrom(ATTRIB_POSITION, skinOnProcessor ? skinnedPositionBuffer : positionBuffer_);
    readFrom(ATTRIB_NORMAL, skinOnProcessor ? skinnedNormalBuffer : normalBuffer_);
    glBindBuffer(GL_ARRAY_BUFFER, 0);
    glBindVertexArray(0);
    ImportObject::draw(shader);
}

void BoneObject::readBindPose()
{
    const std::size_t count = std::size_t(std::max(vertexCount_, 0));
    const auto read = [count](GLuint buffer, std::vector<glm::vec3>& into) {
        into.assign(count, glm::vec3(0.0f));
        glBindBuffer(GL_ARRAY_BUFFER, buffer);
        glGetBufferSubData(GL_ARRAY_BUFFER, 0, GLsizeiptr(count * sizeof(glm::vec3)), into.data());
    };
    read(positionBuffer_, bindPositions);
    read(normalBuffer_, bindNormals);
    glGenBuffers(1, &skinnedPositionBuffer);
    glGenBuffers(1, &skinnedNormalBuffer);
}

void BoneObject::skinVertices()
{
    if (!skinnedPositionBuffer)
        readBindPose();
    const std::size_t count = bindPositions.size();
    skinnedPositions.resize(count);
    skinnedNormals.resize(count);
    for (std::size_t v = 0; v < count; ++v) {
        // As the vertex program blends: influences outside its bone array are ignored, bones
        // it has but the table lacks weigh in as zero, and no influence at all leaves the vertex.
        glm::mat4 skin(0.0f);
        float total = 0.0f;
        if (v < vertexBones_.size()) {
            const VertexBoneData& influences = vertexBones_[v];
            for (int i = 0; i < 4; ++i) {
                const int id = influences.ids[i];
                const float weight = influences.weights[i];
                if (id < 0 || id >= MAX_SHADER_BONES || weight == 0.0f)
                    continue;
                if (std::size_t(id) < boneMatrices_.size())
                    skin += boneMatrices_[std::size_t(id)] * weight;
                total += weight;
            }
        }
        if (total == 0.0f)
            skin = glm::mat4(1.0f);
        skinnedPositions[v] = glm::vec3(skin * glm::vec4(bindPositions[v], 1.0f));
        skinnedNormals[v] = glm::mat3(skin) * bindNormals[v];
    }
    // A new store each time: the renderer may still be reading the last pose (the ghost's).
    const auto upload = [count](GLuint buffer, const std::vector<glm::vec3>& data) {
        glBindBuffer(GL_ARRAY_BUFFER, buffer);
        glBufferData(GL_ARRAY_BUFFER, GLsizeiptr(count * sizeof(glm::vec3)), data.data(), GL_STREAM_DRAW);
    };
    upload(skinnedPositionBuffer, skinnedPositions);
    upload(skinnedNormalBuffer, skinnedNormals);
}

void BoneObject::poseClip(double clockSeconds, int clip)
{
    if (!root)
        return;
    // A file without clips keeps its own transforms: the bind pose.
    if (clip < 0 || std::size_t(clip) >= clips.size()) {
        poseNode(0.0, -1, *root, glm::mat4(1.0f));
        return;
    }
    const Animation& animation = *clips[std::size_t(clip)];
    const double time = clipTime(clockSeconds, ticksPerSecond_, animation.duration);
    poseNode(time, animation.duration > 0.0 ? clip : -1, *root, glm::mat4(1.0f));
}

void BoneObject::poseNode(double time, int clip, const SceneNode& node, const glm::mat4& parent)
{
    glm::mat4 local = node.transformation;
    if (clip >= 0 && std::size_t(clip) < clips.size()) {
        if (const AnimationChannel* channel = clips[std::size_t(clip)]->findChannel(node.name))
            local = channel->interpolate(time, node.transformation);
    }
    const glm::mat4 global = parent * local;
    const auto bone = bones.find(node.name);
    if (bone != bones.end()) {
        const int index = bone->second.index;
        const glm::mat4 skinning = global * bone->second.offset;
        if (std::size_t(index) < boneMatrices_.size())
            boneMatrices_[std::size_t(index)] = skinning;
    }
    for (const auto& child : node.children)
        poseNode(time, clip, *child, global);
}
