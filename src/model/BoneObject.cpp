#include "model/BoneObject.h"

#include "render/Shader.h"
#include "render/ShaderVariable.h"

#include <assimp/scene.h>

#include <cmath>
#include <cstddef>

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
}

void BoneObject::load(const std::string& path)
{
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
    // Without a program there is nowhere to send the pose; it is still worked out.
    uploading = shader_ != nullptr;
    if (uploading)
        shader_->use();
    poseClip(clockSeconds, 0);
    if (uploading)
        Shader::unuse();
    uploading = false;
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
        // The shader's array ends at MAX_SHADER_BONES; nothing is sent past it.
        if (uploading && index < MAX_SHADER_BONES)
            setUniformMatrix4(BONE_UNIFORM_BASE + index, 1, GL_FALSE, &skinning[0][0]);
    }
    for (const auto& child : node.children)
        poseNode(time, clip, *child, global);
}
