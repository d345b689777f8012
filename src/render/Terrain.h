#pragma once
// The endless landscape: a flat grid of vertices that follows the camera in whole cells, raised
// by the vertex program from a greyscale heightmap sampled at each vertex's world x and z. The
// map repeats with mirroring every textureScale1 world units, so the hills stay where they
// are while the grid slides underneath. The same map is kept in memory for the height queries
// with which the game lands, bounces and stands things on the ground.

#include "render/SceneObject.h"
#include "render/TerrainCulling.h"
#include "render/TerrainDetail.h"
#include "render/TerrainLod.h"

#include <cstdint>
#include <memory>
#include <string>

class MovableCamera;

class Terrain : public SceneObject {
public:
    Terrain();
    ~Terrain() override;

    // The most vertices a side of the grid may have: their positions are kept as shorts.
    static constexpr int MAX_GRID_SIDE = 65535;
    // The texture unit AUTO's programs read the packed colour and normal map from.
    static constexpr int DETAIL_UNIT = 4;

    // Builds a width x depth grid (one vertex per cell corner, centred on the origin, drawn as
    // one snaking triangle strip) and loads the heightmap, the normal map and the colour map.
    virtual void generate(int width, int depth);

    // The World's active-camera pointer: the grid follows whichever camera it names.
    void setCamera(MovableCamera** cameraRef);

    // Keeps the grid within one cell of being centred on the camera, moving it in whole cells.
    void update(double dt) override;
    // Draws the whole strip, or with cullingEnabled only the index ranges that can reach the
    // view of the shader's current matrices; the picture is the same either way. With the
    // level of detail on (and culling), the chunks in view instead, coarser far away.
    void draw(Shader* shader) override;

    void setLevelOfDetail(bool enabled) { levelOfDetail_ = enabled; }
    // How far the finest level reaches, as a share of its full range (TerrainLod::setNearReach).
    void setNearReach(double share) { lod_.setNearReach(share); }
    // The program for the levels beyond the nearest when the level of detail is on (AUTO's
    // cheaper shading out there); without one, every level is drawn with the object's own.
    void setFarShader(Shader* shader) { farShader_ = shader; }
    // The light the far levels' program is drawn with; the near one gets it from the World.
    void setLightPosition(const glm::vec3& position) { lightPosition_ = position; }
    bool levelOfDetail() const { return levelOfDetail_; }
    // The chunks the last draw with the level of detail sent.
    const TerrainLod& lod() const { return lod_; }

    // Ground height at a world point (nearest heightmap pixel, mirrored tiling). 0 when no
    // heightmap is loaded or the point is not finite.
    float heightAt(float x, float z) const;
    float heightAt(const glm::vec3& point) const { return heightAt(point.x, point.z); }
    // Highest ground over [x + boxMin.x, x + boxMax.x] x [z + boxMin.z, z + boxMax.z],
    // sampled on the cell corners that cover it and at (x, z); the box's y is ignored.
    float maxHeightInArea(float x, float z, const glm::vec3& boxMin, const glm::vec3& boxMax) const;
    // maxHeightInArea over the object's box at its position.
    float maxHeightUnder(const SceneObject& object) const;
    // Stand an object on the ground (at its x and z) or on the highest ground under its box;
    // both return the height they set.
    float placeOnGround(SceneObject& object) const;
    float placeOnTop(SceneObject& object) const;

    // Replaces the height bytes with the red channel of an image file; false (and no heights,
    // so every query gives 0) when it cannot be read. generate calls it with the game's map.
    bool loadHeights(const std::string& path);

    std::uint32_t heightmapWidth() const { return heightmapWidth_; }
    std::uint32_t heightmapHeight() const { return heightmapHeight_; }
    float textureScale1() const { return textureScale1_; }
    int colorUnit() const { return colorUnit_; }
    int heightmapUnit() const { return heightmapUnit_; }
    int normalUnit() const { return normalUnit_; }
    GLuint colorTexture() const { return colorTexture_; }
    GLuint heightmapTexture() const { return heightmapTexture_; }
    GLuint normalTexture() const { return normalTexture_; }
    // The ranges the last culled draw sent.
    const TerrainCulling& culling() const { return culling_; }

private:
    void releaseMesh();
    // The terrain's uniforms and textures, for the program in use.
    void applyMaterial() const;
    // After the nearest level: the levels beyond with farShader_, then nearShader in use again.
    void drawFarLevels(Shader& nearShader);

    int colorUnit_ = -1;
    GLuint colorTexture_ = 0;
    int heightmapUnit_ = -1;
    GLuint heightmapTexture_ = 0;
    int normalUnit_ = -1;
    GLuint normalTexture_ = 0;
    MovableCamera** cameraRef_ = nullptr;     // not owned; the World's active-camera field
    std::unique_ptr<unsigned char[]> heights; // one byte per pixel, row 0 the image's bottom
    std::uint32_t heightmapWidth_ = 0;
    std::uint32_t heightmapHeight_ = 0;
    float textureScale1_; // world units covered by one heightmap tile
    TerrainCulling culling_{0, 0};
    TerrainLod lod_;
    bool levelOfDetail_ = false;
    Shader* farShader_ = nullptr; // not owned
    glm::vec3 lightPosition_{0.0f};
    TerrainDetail detail_; // AUTO's colour and normal map in one texture
};
