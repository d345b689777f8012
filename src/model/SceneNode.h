#pragma once
// The game's own copy of an imported node tree: names, mesh references and local
// transforms, kept after the importer's scene is gone.

#include <glm/glm.hpp>

#include <memory>
#include <string>
#include <vector>

#include <assimp/matrix4x4.h>

struct aiNode;

struct SceneNode {
    std::string name;
    std::vector<unsigned> meshIndices; // into the model's mesh entries
    std::vector<std::unique_ptr<SceneNode>> children;
    glm::mat4 transformation{1.0f}; // local, column-major

    // Copies the node and its whole subtree, children in the importer's order.
    static std::unique_ptr<SceneNode> fromAssimp(const aiNode& node);
};

// The importer keeps matrices row by row; the game keeps columns.
glm::mat4 toGlm(const aiMatrix4x4& m);

// True when name begins with prefix (names of the "joint" kind, the "grov" root).
bool nameStartsWith(const std::string& name, const char* prefix);
