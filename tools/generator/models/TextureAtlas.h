#pragma once
// A square texture cut into equal cells, one per surface colour of a model, painted by
// functions of the cell's (0..1, 0..1) coordinates and saved as a 32-bit PNG.

#include "MeshBuilder.h"

#include <glm/glm.hpp>

#include <functional>
#include <string>
#include <vector>

namespace models {

class TextureAtlas {
public:
    TextureAtlas(int size, int cellsPerSide);

    // The cell's texture coordinates, kept clear of its edges so filtering stays inside.
    UvRect cell(int index) const;
    // Paints every pixel of the cell; (u, v) run from 0 to 1 with v up, as in the mesh.
    void paint(int index, const std::function<glm::vec3(float u, float v)>& colour);
    bool save(const std::string& path) const;

private:
    int size;
    int cells;
    std::vector<glm::vec3> pixels; // bottom row first
};

// Smooth value noise in 0..1, the same for the same arguments on every run.
float valueNoise(float x, float y, unsigned seed);

} // namespace models
