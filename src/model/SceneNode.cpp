#include "model/SceneNode.h"

#include <assimp/scene.h>

#include <cstring>

glm::mat4 toGlm(const aiMatrix4x4& m)
{
    // Reading the 16 floats in memory order as columns gives the transpose.
    const float* values = &m.a1;
    glm::mat4 columns(1.0f);
    for (int c = 0; c < 4; ++c)
        for (int r = 0; r < 4; ++r)
            columns[c][r] = values[c * 4 + r];
    return glm::transpose(columns);
}

bool nameStartsWith(const std::string& name, const char* prefix)
{
    return name.compare(0, std::strlen(prefix), prefix) == 0;
}

std::unique_ptr<SceneNode> SceneNode::fromAssimp(const aiNode& node)
{
    auto copy = std::make_unique<SceneNode>();
    copy->name = node.mName.C_Str();
    copy->meshIndices.assign(node.mMeshes, node.mMeshes + node.mNumMeshes);
    copy->transformation = toGlm(node.mTransformation);
    copy->children.reserve(node.mNumChildren);
    for (unsigned i = 0; i < node.mNumChildren; ++i)
        copy->children.push_back(fromAssimp(*node.mChildren[i]));
    return copy;
}
