#include "render/TerrainCulling.h"

#include <algorithm>
#include <cmath>
#include <cstdint>

namespace {

// Every box is tested grown by this much on each side (object units: half a cell across, half
// the full height up and down), and every kept run of cells by one more cell at each end, so
// rounding in this test or in the vertex program never loses a triangle at the view's edge.
constexpr double BOX_MARGIN = 0.5;
constexpr int SPAN_MARGIN = 1; // cells

// Far beyond any grid, but small enough to turn into an int safely.
constexpr double COLUMN_LIMIT = 1.0e9;

} // namespace

TerrainCulling::TerrainCulling(int width, int depth, float maxRise)
    : width(std::max(width, 0)), depth(std::max(depth, 0)), maxRise(maxRise)
{}

void TerrainCulling::cull(const glm::mat4& m)
{
    offsets_.clear();
    counts_.clear();
    rowKept.assign(std::size_t(std::max(depth - 1, 0)), false);
    lastUnit = -2;
    if (width < 2 || depth < 2)
        return;

    // The view volume is -w <= x, y, z <= w in clip space; as planes in the grid's own space
    // that is row 3 of the matrix plus or minus rows 0, 1 and 2.
    bool finite = true;
    for (int p = 0; p < 6; ++p) {
        const int axis = p / 2;
        const double sign = p % 2 == 0 ? 1.0 : -1.0;
        for (int column = 0; column < 4; ++column) {
            planes[p][column] = double(m[column][3]) + sign * double(m[column][axis]);
            finite = finite && std::isfinite(planes[p][column]);
        }
    }

    const long long rowUnits = width; // width - 1 cells, then the turn into the next row
    for (int row = 0; row + 1 < depth; ++row) {
        const long long rowStart = row * rowUnits;
        int first = 0, last = width - 2;
        if (finite)
            rowSpan(row, first, last);
        if (first <= last) {
            rowKept[std::size_t(row)] = true;
            // Odd rows run right to left: their first unit is the rightmost cell.
            if (row % 2 == 0)
                addUnits(rowStart + first, rowStart + last);
            else
                addUnits(rowStart + (width - 2 - last), rowStart + (width - 2 - first));
        }
        // The turn's one real triangle stands upright in the edge column, across this row and
        // the next; the last row has no turn.
        if (row + 2 < depth) {
            const double edgeX = double((row % 2 == 0 ? width - 1 : 0) - width / 2);
            const double z = double(row - depth / 2);
            if (!finite || boxInside({edgeX, edgeX, z, z + 2.0})) {
                rowKept[std::size_t(row)] = true;
                addUnits(rowStart + width - 1, rowStart + width - 1);
            }
        }
    }
}

void TerrainCulling::rowSpan(int row, int& first, int& last) const
{
    const double z0 = double(row - depth / 2) - BOX_MARGIN;
    const double z1 = z0 + 1.0 + 2.0 * BOX_MARGIN;
    const double y0 = -BOX_MARGIN;
    const double y1 = maxRise + BOX_MARGIN;
    // Cell c covers x from c - width / 2 to one more; in each plane the box's farthest corner
    // on the inside moves linearly with c, so each plane keeps the cells on one side of a
    // bound, and the row keeps the cells between the tightest bounds.
    double low = -COLUMN_LIMIT, high = COLUMN_LIMIT;
    for (const auto& plane : planes) {
        const double a = plane[0], b = plane[1], c = plane[2], d = plane[3];
        const double reachX = a > 0.0 ? a * (1.0 + BOX_MARGIN) : -a * BOX_MARGIN;
        const double reach = reachX + std::max(b * y0, b * y1) + std::max(c * z0, c * z1) + d;
        // Inside when a * x + reach >= 0, x being the cell's left edge.
        if (a > 0.0)
            low = std::max(low, -reach / a);
        else if (a < 0.0)
            high = std::min(high, -reach / a);
        else if (reach < 0.0)
            low = COLUMN_LIMIT;
    }
    const double offset = double(width / 2);
    low = std::clamp(std::ceil(low + offset), -COLUMN_LIMIT, COLUMN_LIMIT);
    high = std::clamp(std::floor(high + offset), -COLUMN_LIMIT, COLUMN_LIMIT);
    if (low > high) {
        first = 1;
        last = 0;
        return;
    }
    first = std::max(int(low) - SPAN_MARGIN, 0);
    last = std::min(int(high) + SPAN_MARGIN, width - 2);
}

bool TerrainCulling::boxInside(const Bounds& box) const
{
    for (const auto& plane : planes) {
        const double a = plane[0], b = plane[1], c = plane[2], d = plane[3];
        const double reach = std::max(a * (box.x0 - BOX_MARGIN), a * (box.x1 + BOX_MARGIN))
            + std::max(b * -BOX_MARGIN, b * (maxRise + BOX_MARGIN))
            + std::max(c * (box.z0 - BOX_MARGIN), c * (box.z1 + BOX_MARGIN)) + d;
        if (reach < 0.0)
            return false;
    }
    return true;
}

void TerrainCulling::addUnits(long long firstUnit, long long lastUnitNow)
{
    // Unit u is the strip's triangles 2u and 2u + 1, drawn by indices 2u to 2u + 3.
    const long long indexCount = 2LL * width * (depth - 1);
    if (firstUnit <= lastUnit + 1 && !counts_.empty()) {
        const long long start = firstIndex(int(counts_.size()) - 1);
        counts_.back() = GLsizei(std::min(2 * lastUnitNow + 4, indexCount) - start);
    } else {
        const long long start = 2 * firstUnit;
        offsets_.push_back(reinterpret_cast<const void*>(std::uintptr_t(start) * sizeof(GLuint)));
        counts_.push_back(GLsizei(std::min(2 * lastUnitNow + 4, indexCount) - start));
    }
    lastUnit = lastUnitNow;
}

long long TerrainCulling::drawnIndices() const
{
    long long total = 0;
    for (GLsizei count : counts_)
        total += count;
    return total;
}

long long TerrainCulling::firstIndex(int range) const
{
    return (long long)(reinterpret_cast<std::uintptr_t>(offsets_[std::size_t(range)]) / sizeof(GLuint));
}

bool TerrainCulling::rowCulled(int row) const
{
    return row >= 0 && std::size_t(row) < rowKept.size() && !rowKept[std::size_t(row)];
}
