#pragma once
// The terrain drawn with less detail far away. The grid is cut into square chunks, each drawn
// as one of a few patch meshes: every cell near the camera, every second, fourth or eighth
// farther out. A chunk's level comes from its nearest point's distance to the eye; toward the
// end of its range each vertex slides onto the next coarser level's grid (the vertex program
// does it), so the ground changes shape smoothly instead of popping, and where two levels meet
// the finer chunk's edge already lies exactly on the coarser one's: no cracks.
//
// Only chunks that can reach the view are drawn, nearest first, so the depth test throws away
// hidden ground before it is shaded. The heights come from the same map as the full grid's.

#include <GL/glew.h>
#include <glm/glm.hpp>

#include <array>
#include <vector>

class TerrainLod {
public:
    static constexpr int CHUNK_CELLS = 32;
    static constexpr int LEVELS = 3; // vertices every 1, 2 and 4 cells
    // Where each level's range begins, in world units of horizontal distance from the eye.
    static constexpr std::array<double, LEVELS> LEVEL_START{0.0, 400.0, 900.0};
    // Over this last stretch of its range a level's vertices slide onto the next level's grid.
    static constexpr std::array<double, LEVELS> MORPH_LENGTH{100.0, 200.0, 0.0};
    // Where the nearest level's fine colour and normal map fade out, before its range ends:
    // the levels beyond are drawn without them.
    static constexpr double DETAIL_FADE_START = 250.0, DETAIL_FADE_END = 390.0;
    // The least share of its range the nearest level keeps (see setNearReach).
    static constexpr double MIN_NEAR_REACH = 0.6;
    // The instance attribute of a chunk's first cell; no mesh of the game uses it.
    static constexpr GLuint ATTRIB_CHUNK_CORNER = 5;

    TerrainLod() = default;
    ~TerrainLod();
    TerrainLod(const TerrainLod&) = delete;
    TerrainLod& operator=(const TerrainLod&) = delete;

    // Patches and chunks for the grid of Terrain::generate (width x depth vertices, centred
    // on the origin, one unit apart); the chunks cover it whole. Needs a current GL context.
    void build(int width, int depth);
    void release();

    // The share of its range the nearest level reaches, kept between MIN_NEAR_REACH and 1;
    // the next level and the detail's fade come nearer with it. A scene drawn at a fraction of
    // the window's resolution cannot show every cell as far out as the full picture can.
    void setNearReach(double share);

    // Picks the chunks in view of the matrices and their levels: model places the grid in the
    // world, viewProjection and eye are the camera's.
    void select(const glm::mat4& model, const glm::mat4& viewProjection, const glm::vec3& eye);
    // Draws what select picked of levels firstLevel to endLevel - 1 with the current program,
    // setting its level uniforms.
    void draw(GLuint program, int firstLevel = 0, int endLevel = LEVELS);
    // Tells the current program that the whole strip comes next, not patches.
    void useWholeStrip(GLuint program);

    // The level a chunk takes whose nearest point is this far from the eye.
    int levelFor(double distance) const;

    // Figures of the last select.
    int chunksDrawn() const;
    int chunksAt(int level) const { return int(picked[std::size_t(level)].size()) / 2; }
    long long verticesDrawn() const;
    int chunkCount() const { return chunksAcross * chunksDeep; }

private:
    struct Patch {
        GLuint vertexArray = 0;
        GLuint positions = 0;
        GLuint indices = 0;
        GLsizei indexCount = 0;
        int vertexCount = 0;
    };

    void buildPatch(Patch& patch, int step);
    // Where a level's range begins and the stretch over which it slides, with the reach.
    double levelStart(int level) const;
    double morphLength(int level) const;
    // Looks the level uniforms up once per program rather than every frame.
    void locate(GLuint program);

    std::array<Patch, LEVELS> patches{};
    GLuint cornerBuffer = 0;
    int width = 0;
    int depth = 0;
    int chunksAcross = 0;
    int chunksDeep = 0;
    // Per level, the chunk corners (x, z in cells from the grid's first vertex), nearest first.
    std::array<std::vector<float>, LEVELS> picked;
    std::vector<float> uploads;
    bool uploaded = false; // the corners of the last select are in cornerBuffer
    GLuint locatedProgram = 0;
    GLint stepAt = -1, morphAt = -1, halfAt = -1, fadeAt = -1;
    double nearReach_ = 1.0;
    struct Candidate {
        double distance;
        float x, z;
    };
    std::vector<Candidate> sorting;
};
