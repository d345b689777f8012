#pragma once
// A model from a Collada file: all meshes in one set of buffers behind one vertex array, the
// file's node tree, one diffuse texture per material and a model-space box. Drawing walks the
// tree and issues one base-vertex draw per mesh reference.

#include "model/Material.h"
#include "model/MeshEntry.h"
#include "model/SceneNode.h"
#include "render/SceneObject.h"

#include <assimp/Importer.hpp>

#include <memory>
#include <string>
#include <vector>

struct aiScene;

class ImportObject : public SceneObject {
public:
    // Imports the file at once; a file that fails leaves an object that draws nothing.
    explicit ImportObject(const std::string& path);
    ~ImportObject() override;

    void draw(Shader* shader) override;
    void update(double dt) override;
    glm::vec3 boundsMin() const override;
    glm::vec3 boundsMax() const override;
    virtual void load(const std::string& path);

    Material& material() { return material_; }
    const Material& material() const { return material_; }
    // The first direct child of the root with exactly this name, or null.
    SceneNode* findChild(const std::string& name) const;

    const std::vector<MeshEntry>& meshEntries() const { return entries; }
    const SceneNode* rootNode() const { return root.get(); }
    const std::vector<glm::vec4>& boxCorners() const { return corners; }
    // False when the import (or the character's box file) failed: nothing is drawn.
    bool isLoaded() const { return root != nullptr; }
    // The box a model file gives the object, read without drawing anything, so no GL context
    // is needed (the rules' tests). False when the file cannot be imported.
    static bool readBox(const std::string& path, glm::vec3& boxMin, glm::vec3& boxMax);

    // Where a texture named in a model file is looked for: "assets/" and its file name.
    static std::string texturePath(const std::string& pathInModel);
    // Models whose root is named like this take their box from "assets/grov.dae".
    static bool usesCharacterBox(const std::string& rootName);
    // True when all eight corners lie beyond one and the same clip plane of clip × corner.
    static bool outsideFrustum(const glm::mat4& clip, const std::vector<glm::vec4>& corners);

protected:
    // For subclasses that run their own load.
    ImportObject();

    // ReadFile with the game's flags; prints whether it worked. Null on failure.
    const aiScene* import(const std::string& path);
    // Entries, vertex arrays, box, buffers and attributes 0 to 2, into the bound vertex array.
    // False (nothing uploaded) when the box cannot be computed.
    bool buildMeshes(const aiScene& scene);
    void loadMaterialTextures(const aiScene& scene);
    void buildNodeTree(const aiScene& scene);
    // Frees the scene and prints the closing line, whatever happened before.
    void finishImport();
    // Deletes the vertex array and every buffer made so far.
    void releaseBuffers();

    Assimp::Importer importer;
    std::vector<MeshEntry> entries;
    std::unique_ptr<SceneNode> root;

private:
    bool computeBox(const aiScene& scene);
    void drawNode(Shader* shader, glm::mat4 parent, const SceneNode& node);

    Material material_;
    glm::vec3 boxMin{0.0f};
    glm::vec3 boxMax{0.0f};
    std::vector<glm::vec4> corners;
};
