#pragma once
// Where one imported mesh lives in a model's shared buffers.

#include <cstdint>

// The material index of a mesh that has none.
constexpr std::uint32_t NO_MATERIAL = 0xffffffffu;

struct MeshEntry {
    std::uint32_t indexCount = 0; // faces x 3
    std::uint32_t baseVertex = 0; // vertices of all earlier meshes
    std::uint32_t baseIndex = 0;  // indices of all earlier meshes
    std::uint32_t materialIndex = NO_MATERIAL;
};
