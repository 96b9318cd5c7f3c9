#pragma once
#include <cstdint>
#include <vector>

#include "model/contour_settings.h"
#include "model/surface_view.h"
#include "model/survey_point.h"

namespace vellacor {


// The contour pieces of one level: short polylines, one or more per triangle.
struct ContourPieces {
    std::vector<Vec3> points;
    std::vector<std::int32_t> offsets{0};  // piece i is points[offsets[i]] .. points[offsets[i + 1] - 1]

    void clear() {
        points.clear();
        offsets.assign(1, 0);
    }
    void add(const Vec3* first, int count);
    int size() const { return static_cast<int>(offsets.size()) - 1; }
};

// The pieces of `level` in the given triangles (in that order), smoothed when
// `smoothing` is not 0 and limited by the settings' contourLimitMode (a limited
// piece arrives as two-point pieces). An edge on the level that both of its
// triangles give (a ridge the level only grazes) is left out, the neighbour
// links known or not; the list needs both triangles for that.
void collectContourPieces(const SurfaceView& surface, const ContourSettings& settings, double level, double smoothing, const std::int32_t* triangles,
                          int triangleCount, ContourPieces& out);

// The same over every triangle of the model that is not flat.
void collectSegments(const SurfaceView& surface, const ContourSettings& settings, double level, double smoothing, ContourPieces& out);

// Joins the pieces of one level into polylines. Every piece is first turned to
// run west to east; a polyline starts with the westernmost piece left and
// grows at its end, then at its start, by pieces whose end points coincide
// with its own within 0.001 in all three coordinates. Where several could
// attach, the nearest wins, then the westernmost, then a piece's first point
// before its last.
// End points are found through a hash of their cells, so joining a level is
// linear in its pieces.
class PolylineJoiner {
public:
    explicit PolylineJoiner(ContourPieces& pieces);

    // The next polyline; false when every piece has been used.
    bool next(std::vector<Vec3>& polyline);

private:
    bool attach(const Vec3& at, int& piece, bool& byLast) const;
    const Vec3& pointOf(int piece, int i) const {
        return pieces_.points[static_cast<std::size_t>(pieces_.offsets[static_cast<std::size_t>(piece)] + i)];
    }
    int lengthOf(int piece) const {
        return pieces_.offsets[static_cast<std::size_t>(piece) + 1] - pieces_.offsets[static_cast<std::size_t>(piece)];
    }
    std::size_t bucketOf(std::int64_t cx, std::int64_t cy) const;

    ContourPieces& pieces_;
    std::vector<std::int32_t> order_;  // pieces by the easting of their first point
    std::vector<std::int32_t> rank_;   // position of each piece in order_
    std::vector<char> used_;
    std::size_t nextStart_ = 0;
    std::vector<std::int32_t> bucketStart_;  // end points grouped by hashed cell
    std::vector<std::int32_t> bucketEnds_;   // 2 * piece + (0 first, 1 last)
    std::size_t bucketMask_ = 0;
    std::vector<Vec3> front_;
};

}  // namespace vellacor
