#pragma once
// Which parts of the terrain's snaking strip can reach the screen from a given view. The strip
// is split into units of two triangles: one grid cell, or the turn at the end of a row (the
// strip runs left to right on even rows and right to left on odd ones). Each row's cells that
// lie inside the view volume form one run of columns, so a row needs at most one index range
// for its cells, and neighbouring rows' ranges join across the turns.
//
// Every range starts at an even offset of the strip, so each triangle keeps the winding it has
// in the whole strip, and triangles are drawn in the strip's own order, each at most once: the
// picture is the same as drawing the whole strip, only the triangles that end up entirely
// outside the view are left out.

#include <GL/glew.h>
#include <glm/glm.hpp>

#include <vector>

class TerrainCulling {
public:
    // The layout of the grid made by Terrain::generate: width x depth vertices centred on the
    // origin, one unit apart, raised by up to maxRise in y by the vertex program.
    TerrainCulling(int width, int depth, float maxRise = 1.0f);

    // Collects the index ranges whose triangles can touch the view volume of
    // modelViewProjection (the matrix the vertex program places the grid with). Empty when
    // nothing of the grid is in view.
    void cull(const glm::mat4& modelViewProjection);

    // glMultiDrawElements arguments: byte offsets into the index buffer and index counts.
    const std::vector<const void*>& offsets() const { return offsets_; }
    const std::vector<GLsizei>& counts() const { return counts_; }
    int rangeCount() const { return int(counts_.size()); }
    // Indices sent by the last cull (turns and overlaps between units included).
    long long drawnIndices() const;
    // Index offset of each range's first index, for tests and figures.
    long long firstIndex(int range) const;

    // True when no unit of grid row r (0 to depth - 2) was kept by the last cull.
    bool rowCulled(int row) const;

private:
    struct Bounds {
        double x0, x1, z0, z1; // object space; y runs from 0 to maxRise
    };

    // Cells [first, last] of row r that the planes keep; first > last when none.
    void rowSpan(int row, int& first, int& last) const;
    bool boxInside(const Bounds& box) const;
    void addUnits(long long firstUnit, long long lastUnit);

    int width;
    int depth;
    double maxRise;
    double planes[6][4] = {}; // a x + b y + c z + d >= 0 inside, object space
    std::vector<const void*> offsets_;
    std::vector<GLsizei> counts_;
    std::vector<bool> rowKept;
    long long lastUnit = -2; // last unit of the range being built
};
