#pragma once
// Writes a small Collada 1.4.1 document: textured triangle meshes, optional skins, a node
// tree with matrices and one animation clip of matrix keys.

#include "MeshBuilder.h"

#include <glm/glm.hpp>

#include <string>
#include <vector>

namespace models {

struct ColladaMaterial {
    std::string id;        // also used as the binding symbol
    std::string imageFile; // file name beside the model
};

struct ColladaGeometry {
    std::string id;
    std::string materialId;
    MeshBuilder mesh;
};

// Binds a geometry to joints. The geometry's vertex influences index `joints`.
struct ColladaSkin {
    std::string id;
    std::string geometryId;
    std::vector<std::string> joints;         // joint node sids
    std::vector<glm::mat4> inverseBindPoses; // one per joint
};

struct ColladaNode {
    std::string id; // also the name and the sid
    bool joint = false;
    glm::mat4 transform{1.0f};
    std::vector<std::string> geometries; // instance_geometry
    std::string controller;              // instance_controller, with `skeleton` as its root joint
    std::string skeleton;
    std::vector<ColladaNode> children;
};

// Matrix keys for one node's "transform", times in seconds.
struct ColladaTrack {
    std::string nodeId;
    std::vector<float> times;
    std::vector<glm::mat4> values;
};

struct ColladaDocument {
    bool zUp = false;
    std::string sceneName; // name of the visual scene
    std::vector<ColladaMaterial> materials;
    std::vector<ColladaGeometry> geometries;
    std::vector<ColladaSkin> skins;
    std::vector<ColladaNode> nodes;
    std::string clipName;
    std::vector<ColladaTrack> tracks;
};

// Returns false when the file cannot be written.
bool writeCollada(const ColladaDocument& document, const std::string& path);

} // namespace models
