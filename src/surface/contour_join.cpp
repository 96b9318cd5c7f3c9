#include "surface/contour_join.h"

#include <algorithm>
#include <bit>
#include <cmath>

#include "model/surface_view.h"
#include "surface/contour_limit.h"
#include "surface/contour_segment.h"
#include "surface/contour_smoothing.h"

namespace vellacor {

namespace {

constexpr double kSame = 0.001;
constexpr double kCell = 0.004;    // at least twice the tolerance: a search touches at most 2 x 2 cells
constexpr double kReach = 0.0011;  // the tolerance plus a margin for rounding

std::int64_t cellOf(double v) {
    const double q = std::floor(v / kCell);
    return static_cast<std::int64_t>(std::clamp(q, -4.0e18, 4.0e18));
}

bool samePoint(const Vec3& a, const Vec3& b) {
    return std::fabs(a.x - b.x) < kSame && std::fabs(a.y - b.y) < kSame && std::fabs(a.z - b.z) < kSame;
}

void addLimited(const ContourSettings& settings, const ContourPiece& piece, ContourPieces& out, std::vector<Vec3>& pairs) {
    if (settings.contourLimitMode == ContourLimitMode::Everywhere) {
        out.add(piece.point, piece.count);
        return;
    }
    pairs.clear();
    for (int i = 0; i + 1 < piece.count; ++i) limitContourPiece(settings, piece.point[i], piece.point[i + 1], pairs);
    for (std::size_t i = 0; i + 1 < pairs.size(); i += 2) out.add(&pairs[i], 2);
}

}  // namespace

void ContourPieces::add(const Vec3* first, int count) {
    points.insert(points.end(), first, first + count);
    offsets.push_back(static_cast<std::int32_t>(points.size()));
}

namespace {

// The pieces a triangle gave for an edge lying on the level.
struct EdgePieces {
    EdgeCorners corners;
    int first, last;  // the pieces [first, last) of the list
};

// An edge on the level given by both its triangles lies on a ridge the level
// only grazes: both copies go, rather than make a line out along the ridge
// and back. The pieces keep their order.
void dropRepeatedEdges(std::vector<EdgePieces>& edges, ContourPieces& pieces) {
    std::sort(edges.begin(), edges.end(),
              [](const EdgePieces& a, const EdgePieces& b) { return a.corners < b.corners; });
    std::vector<char> dropped;
    for (std::size_t i = 0, j = 0; i < edges.size(); i = j) {
        for (j = i + 1; j < edges.size() && edges[j].corners == edges[i].corners;) ++j;
        if (j - i < 2) continue;
        dropped.resize(static_cast<std::size_t>(pieces.size()), 0);
        for (std::size_t k = i; k < j; ++k)
            for (int p = edges[k].first; p < edges[k].last; ++p) dropped[static_cast<std::size_t>(p)] = 1;
    }
    if (dropped.empty()) return;
    ContourPieces kept;
    for (int p = 0; p < pieces.size(); ++p) {
        if (dropped[static_cast<std::size_t>(p)]) continue;
        const std::int32_t from = pieces.offsets[static_cast<std::size_t>(p)];
        kept.add(pieces.points.data() + from, pieces.offsets[static_cast<std::size_t>(p) + 1] - from);
    }
    pieces = std::move(kept);
}

}  // namespace

void collectContourPieces(const SurfaceView& surface, const ContourSettings& settings, double level, double smoothing, const std::int32_t* triangles,
                          int triangleCount, ContourPieces& out) {
    out.clear();
    ContourSegment segment;
    ContourPiece piece;
    std::vector<Vec3> pairs;
    std::vector<EdgePieces> edges;
    for (int i = 0; i < triangleCount; ++i) {
        const int t = triangles[i];
        if (isFlatTriangle(surface, t)) continue;
        // Without the neighbour links: a ridge's edge comes from both sides, and goes below.
        if (!triangleContourSegment(surface, t, level, segment)) continue;
        contourPieceOfSegment(surface, t, level, segment, smoothing, piece);
        const int first = out.size();
        addLimited(settings, piece, out, pairs);
        if (segment.flatEdge) edges.push_back({flatEdgeCorners(surface, t, segment), first, out.size()});
    }
    dropRepeatedEdges(edges, out);
}

void collectSegments(const SurfaceView& surface, const ContourSettings& settings, double level, double smoothing, ContourPieces& out) {
    std::vector<std::int32_t> all(static_cast<std::size_t>(surface.triangleCount));
    for (int t = 0; t < surface.triangleCount; ++t) all[static_cast<std::size_t>(t)] = t;
    collectContourPieces(surface, settings, level, smoothing, all.data(), surface.triangleCount, out);
}

PolylineJoiner::PolylineJoiner(ContourPieces& pieces) : pieces_(pieces) {
    const int count = pieces.size();
    // West to east.
    for (int p = 0; p < count; ++p) {
        auto first = pieces.points.begin() + pieces.offsets[static_cast<std::size_t>(p)];
        auto last = pieces.points.begin() + pieces.offsets[static_cast<std::size_t>(p) + 1];
        if (first->x > (last - 1)->x) std::reverse(first, last);
    }
    order_.resize(static_cast<std::size_t>(count));
    for (int p = 0; p < count; ++p) order_[static_cast<std::size_t>(p)] = p;
    std::stable_sort(order_.begin(), order_.end(), [&](int a, int b) { return pointOf(a, 0).x < pointOf(b, 0).x; });
    rank_.resize(static_cast<std::size_t>(count));
    for (int r = 0; r < count; ++r) rank_[static_cast<std::size_t>(order_[static_cast<std::size_t>(r)])] = r;
    used_.assign(static_cast<std::size_t>(count), 0);

    const int bits = std::max(1, static_cast<int>(std::bit_width(static_cast<std::uint32_t>(2 * count))));
    const std::size_t buckets = std::size_t{1} << bits;
    bucketMask_ = buckets - 1;
    bucketStart_.assign(buckets + 1, 0);
    bucketEnds_.resize(2 * static_cast<std::size_t>(count));
    auto bucketOfEnd = [&](int end) {
        const Vec3& p = pointOf(end / 2, end % 2 == 0 ? 0 : lengthOf(end / 2) - 1);
        return bucketOf(cellOf(p.x), cellOf(p.y));
    };
    for (int end = 0; end < 2 * count; ++end) ++bucketStart_[bucketOfEnd(end) + 1];
    for (std::size_t b = 1; b <= buckets; ++b) bucketStart_[b] += bucketStart_[b - 1];
    std::vector<std::int32_t> fill(bucketStart_.begin(), bucketStart_.end() - 1);
    for (int end = 0; end < 2 * count; ++end) bucketEnds_[static_cast<std::size_t>(fill[bucketOfEnd(end)]++)] = end;
}

std::size_t PolylineJoiner::bucketOf(std::int64_t cx, std::int64_t cy) const {
    const std::uint64_t h =
        static_cast<std::uint64_t>(cx) * 0x9E3779B97F4A7C15ull ^ static_cast<std::uint64_t>(cy) * 0xC2B2AE3D27D4EB4Full;
    return static_cast<std::size_t>((h ^ (h >> 29)) & bucketMask_);
}

bool PolylineJoiner::attach(const Vec3& at, int& piece, bool& byLast) const {
    int bestRank = -1;
    double bestDistance = 0.0;
    const std::int64_t x0 = cellOf(at.x - kReach), x1 = cellOf(at.x + kReach);
    const std::int64_t y0 = cellOf(at.y - kReach), y1 = cellOf(at.y + kReach);
    std::size_t searched[4];
    int searchedCount = 0;
    for (std::int64_t cx = x0; cx <= x1; ++cx) {
        for (std::int64_t cy = y0; cy <= y1; ++cy) {
            const std::size_t b = bucketOf(cx, cy);
            if (std::find(searched, searched + searchedCount, b) != searched + searchedCount) continue;
            if (searchedCount < 4) searched[searchedCount++] = b;
            for (std::int32_t i = bucketStart_[b]; i < bucketStart_[b + 1]; ++i) {
                const int end = bucketEnds_[static_cast<std::size_t>(i)];
                const int p = end / 2;
                if (used_[static_cast<std::size_t>(p)]) continue;
                const bool last = end % 2 == 1;
                const Vec3& q = pointOf(p, last ? lengthOf(p) - 1 : 0);
                if (!samePoint(q, at)) continue;
                // Several ends can lie within the tolerance where a contour
                // passes close to a vertex: the nearest one continues it.
                const double distance =
                    (q.x - at.x) * (q.x - at.x) + (q.y - at.y) * (q.y - at.y) + (q.z - at.z) * (q.z - at.z);
                const int r = rank_[static_cast<std::size_t>(p)];
                const bool better = bestRank < 0 || distance < bestDistance ||
                                    (distance == bestDistance && (r < bestRank || (r == bestRank && byLast && !last)));
                if (better) {
                    bestRank = r;
                    bestDistance = distance;
                    piece = p;
                    byLast = last;
                }
            }
        }
    }
    return bestRank >= 0;
}

bool PolylineJoiner::next(std::vector<Vec3>& polyline) {
    while (nextStart_ < order_.size() && used_[static_cast<std::size_t>(order_[nextStart_])]) ++nextStart_;
    if (nextStart_ >= order_.size()) return false;
    const int start = order_[nextStart_];
    used_[static_cast<std::size_t>(start)] = 1;
    polyline.assign(&pointOf(start, 0), &pointOf(start, 0) + lengthOf(start));

    int piece = 0;
    bool byLast = false;
    while (attach(polyline.back(), piece, byLast)) {
        used_[static_cast<std::size_t>(piece)] = 1;
        const int n = lengthOf(piece);
        if (!byLast)
            for (int i = 1; i < n; ++i) polyline.push_back(pointOf(piece, i));
        else
            for (int i = n - 2; i >= 0; --i) polyline.push_back(pointOf(piece, i));
    }
    // The start grows in reverse; front_ holds the new points, outermost last.
    front_.clear();
    while (attach(front_.empty() ? polyline.front() : front_.back(), piece, byLast)) {
        used_[static_cast<std::size_t>(piece)] = 1;
        const int n = lengthOf(piece);
        if (!byLast)
            for (int i = 1; i < n; ++i) front_.push_back(pointOf(piece, i));
        else
            for (int i = n - 2; i >= 0; --i) front_.push_back(pointOf(piece, i));
    }
    polyline.insert(polyline.begin(), front_.rbegin(), front_.rend());
    return true;
}

}  // namespace vellacor
