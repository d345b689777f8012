#pragma once
// AUTO's ground reads its fine colour and its bumps from one texture: red and green hold the
// colour map along the two directions in which its colours spread most (a meadow's greens and
// browns lie close to one plane of colours), blue and alpha the normal map's x and y, whose z
// follows from unit length. Each channel is a fixed linear function of the maps' own values, so
// filtering and mipmaps treat it as they treat the maps, and one read does the work of two.

#include <GL/glew.h>
#include <glm/glm.hpp>

#include <string>
#include <vector>

// How the packed red and green turn back into colours, and the colour map's mean.
struct DetailColours {
    glm::vec3 mean{0.0f}; // the colour map's mean colour, black without one
    // colour = base + axisA * red + axisB * green, with red and green read as 0..1.
    glm::vec3 base{0.0f};
    glm::vec3 axisA{0.0f};
    glm::vec3 axisB{0.0f};
};

struct DetailTexels {
    int width = 1;
    int height = 1;
    std::vector<unsigned char> rgba;
    DetailColours colours;
};

// Both maps as RGBA bytes in the same row order; nullptr (or a zero size) for a map that did
// not load, which reads as black colour or flat ground, as GL samples a missing texture. The
// result has the colour map's size; the normal map is read at the nearest texel to match.
DetailTexels packTerrainDetail(const unsigned char* colour, int colourWidth, int colourHeight,
                               const unsigned char* normal, int normalWidth, int normalHeight);

class TerrainDetail {
public:
    // The texture packed from the two textures' top levels, made once and kept by the
    // TextureManager under key, so the player's filter switches reach it as they reach the maps.
    void build(const std::string& key, GLuint colourTexture, GLuint normalTexture, GLint minFilter, GLint magFilter);
    // Binds the texture on unit for the program in use and sends the colour axes and the colour
    // map's mean (which stands in for the fine layer far away), when the program reads them.
    void apply(GLuint program, int unit) const;

private:
    GLuint texture = 0;
    DetailColours colours;
};
