#include "render/fill.h"

#include <algorithm>
#include <cmath>
#include <cstddef>

#include "render/frame_projection.h"
#include "render/raster_rows.h"

namespace vellacor {

namespace {

using detail::firstAfter;
using detail::lastAtOrBefore;

// Writes one edge's crossings into the span table: edges running down the
// screen are the left side of their rows, edges running up the right side.
// Horizontal edges cross no row. Only rows lo..hi are written.
// The attribute vertices va and vb are read only by the modes that carry them
// (a flat fill passes none).
// k is 1 / (b.y - a.y), worked out beforehand for all edges together.
template <bool kShade, bool kTexture>
[[gnu::always_inline]] inline void scanEdge(SpanRow* table, int rows, int lo, int hi, const ScreenVertex& a,
                                            const ClipVertex* va, const ScreenVertex& b, const ClipVertex* vb,
                                            double k) {
    if (b.y == a.y) return;
    const double dx = (b.x - a.x) * k, dw = (b.w - a.w) * k;
    double ds = 0.0, du = 0.0, dv = 0.0;
    if constexpr (kShade) ds = (vb->shade - va->shade) * k;
    if constexpr (kTexture) {
        du = (vb->u - va->u) * k;
        dv = (vb->v - va->v) * k;
    }
    // Only the values the fill mode reads are carried down the edge.
    auto write = [&](SpanEnd& end, double f) {
        end.x = a.x + f * dx;
        end.w = a.w + f * dw;
        if constexpr (kShade) end.shade = va->shade + f * ds;
        if constexpr (kTexture) {
            end.u = va->u + f * du;
            end.v = va->v + f * dv;
        }
    };
    if (a.y < b.y) {
        const int r0 = std::max(firstAfter(a.y, rows), lo), r1 = std::min(lastAtOrBefore(b.y, rows), hi);
        for (int r = r0; r <= r1; ++r) write(table[r].left, r - a.y);
    } else {
        const int r0 = std::min(lastAtOrBefore(a.y, rows), hi), r1 = std::max(firstAfter(b.y, rows), lo);
        for (int r = r0; r >= r1; --r) write(table[r].right, r - a.y);
    }
}

// The per-pixel writers. Each gets one row's pixels and depths, the first and
// last column to visit, the two crossings, 1 / (right.x - left.x) and the
// row's offset in the buffer.

template <bool kWriteDepth>
struct FlatSpan {
    std::uint8_t colour;
    void operator()(std::uint8_t* pix, double* depth, int x0, int x1, const SpanEnd& l, const SpanEnd& r, double k,
                    std::ptrdiff_t) const {
        const double dw = (r.w - l.w) * k;
        double w = l.w + (x0 - l.x) * dw;
        for (int x = x0; x <= x1; ++x, w += dw)
            if (w <= depth[x]) {
                pix[x] = colour;
                if constexpr (kWriteDepth) depth[x] = w;
            }
    }
};

struct GouraudSpan {
    void operator()(std::uint8_t* pix, double* depth, int x0, int x1, const SpanEnd& l, const SpanEnd& r, double k,
                    std::ptrdiff_t) const {
        const double dw = (r.w - l.w) * k, ds = (r.shade - l.shade) * k;
        double w = l.w + (x0 - l.x) * dw, shade = l.shade + (x0 - l.x) * ds;
        for (int x = x0; x <= x1; ++x, w += dw, shade += ds)
            if (w <= depth[x]) {
                pix[x] = static_cast<std::uint8_t>(static_cast<int>(shade));
                depth[x] = w;
            }
    }
};

// 16.16 fixed point, kept far from the limits of the integer type.
std::int64_t toFixed(double v) {
    const double scaled = std::clamp(v * 65536.0, -4.0e18, 4.0e18);
    return static_cast<std::int64_t>(scaled);
}

struct TextureSpan {
    std::uint8_t colour;
    TextureImage texture;
    void operator()(std::uint8_t* pix, double* depth, int x0, int x1, const SpanEnd& l, const SpanEnd& r, double k,
                    std::ptrdiff_t offset) const {
        if (!texture.texels || texture.width <= 0 || texture.height <= 0) {
            FlatSpan<true>{colour}(pix, depth, x0, x1, l, r, k, offset);
            return;
        }
        const double dw = (r.w - l.w) * k;
        double w = l.w + (x0 - l.x) * dw;
        const std::int64_t du = toFixed((r.u - l.u) * k), dv = toFixed((r.v - l.v) * k);
        std::int64_t u = toFixed(l.u), v = toFixed(l.v);
        const std::int64_t lastU = texture.width - 1, lastV = texture.height - 1;
        for (int x = x0; x <= x1; ++x, w += dw, u += du, v += dv)
            if (w <= depth[x]) {
                // Coordinates beyond the image take its edge texel instead of reading past it.
                const std::int64_t tu = std::clamp<std::int64_t>(u >> 16, 0, lastU);
                const std::int64_t tv = std::clamp<std::int64_t>(v >> 16, 0, lastV);
                pix[x] = texture.texels[tv * texture.width + tu];
                depth[x] = w;
            }
    }
};

// Index into the ripple grid along one axis: whole texels modulo 511, never negative.
std::int64_t rippleCell(double t) {
    auto i = static_cast<std::int64_t>(std::clamp(t, -1.0e15, 1.0e15)) % 511;
    return i < 0 ? i + 511 : i;
}

struct WaterSpan {
    const std::uint8_t* scene;
    std::int64_t width;
    std::int64_t lastPixel;
    WaterRipples ripples;

    void operator()(std::uint8_t* pix, double* depth, int x0, int x1, const SpanEnd& l, const SpanEnd& r, double k,
                    std::ptrdiff_t offset) const {
        const double dw = (r.w - l.w) * k;
        double w = l.w + (x0 - l.x) * dw;
        if (!ripples.heights) {
            // Calm water tints the surface ramp into the water ramp; a small
            // allowance lets it win against the ground it lies on.
            for (int x = x0; x <= x1; ++x, w += dw)
                if (w - 0.00001 <= depth[x]) {
                    const int c = pix[x];
                    if (c >= kSurfaceRampFirst && c <= kWaterRampFirst)
                        pix[x] = static_cast<std::uint8_t>(kWaterRampLast -
                                                           static_cast<int>((c - 16) * 0.09302325581395349));
                }
            return;
        }
        const double du = (r.u - l.u) * k, dv = (r.v - l.v) * k;
        double u = l.u + (x0 - l.x) * du, v = l.v + (x0 - l.x) * dv;
        const std::int32_t* h = ripples.heights;
        for (int x = x0; x <= x1; ++x, w += dw, u += du, v += dv) {
            if (!(w <= depth[x])) continue;
            // The wave slope shifts where the water shows the scene from and brightens it.
            const std::int64_t i = rippleCell(v) * kRippleGridSize + rippleCell(u);
            const std::int64_t sx = std::int64_t{h[i + 1]} - h[i];
            const std::int64_t sy = std::int64_t{h[i + kRippleGridSize]} - h[i];
            const std::int64_t s = std::clamp<std::int64_t>(offset + x + (sy >> 3) * width + (sx >> 3), 0, lastPixel);
            const int c = scene[s];
            if (c >= kSurfaceRampFirst && c <= kWaterRampFirst)
                pix[x] = static_cast<std::uint8_t>(std::clamp<std::int64_t>(c + sx - 30, 16, 230));
            else if (c != kBackgroundColour)
                pix[x] = static_cast<std::uint8_t>(c);
        }
    }
};

template <class Span>
void fillRows(FrameBuffer& frame, RasterTarget target, int y0, int y1, const Span& span) {
    const int width = frame.viewWidth;
    const SpanRow* table = frame.spanTable.data();
    for (int y = y0; y <= y1; ++y) {
        const SpanEnd& l = table[y].left;
        const SpanEnd& r = table[y].right;
        const int x0 = firstAfter(l.x, width), x1 = lastAtOrBefore(r.x, width);
        if (x0 > x1) continue;  // empty, or the polygon runs the other way round
        const std::ptrdiff_t offset = static_cast<std::ptrdiff_t>(y) * width;
        span(target.pixels + offset, target.depth + offset, x0, x1, l, r, 1.0 / (r.x - l.x), offset);
    }
}

// The rows a polygon spanning ymin..ymax fills: within the frame and the
// target's own rows (the rest may be another thread's). lo..hi are the
// target's rows, y0..y1 the polygon's among them; y0 > y1 when it fills none.
struct FillRows {
    int lo, hi, y0, y1;
};
// Inlined, as canFill below: called for every triangle of a frame, the call
// cost a few per cent of it.
[[gnu::always_inline]] inline FillRows fillRowsOf(const FrameBuffer& frame, RasterTarget target, double ymin,
                                                  double ymax) {
    const int rows = frame.viewHeight;
    const int lo = std::max(target.firstRow, 0), hi = std::min(target.rowLimit, rows) - 1;
    return {lo, hi, std::max(firstAfter(ymin, rows), lo), std::min(lastAtOrBefore(ymax, rows), hi)};
}

template <bool kShade, bool kTexture, class Span>
void scanAndFill(FrameBuffer& frame, RasterTarget target, const ClipVertex* v, const ScreenVertex* p, int count,
                 double ymin, double ymax, const Span& span) {
    const int rows = frame.viewHeight;
    const auto [lo, hi, y0, y1] = fillRowsOf(frame, target, ymin, ymax);
    if (y0 > y1) return;
    SpanRow* table = frame.spanTable.data();
    // The edges' divisions first, all together, so they overlap rather than
    // each holding up the scan of its edge.
    double inverseHeight[kMaxClipVertices];
    for (int i = 0; i < count; ++i) inverseHeight[i] = 1.0 / (p[i + 1 == count ? 0 : i + 1].y - p[i].y);
    for (int i = 0; i < count; ++i) {
        const int j = i + 1 == count ? 0 : i + 1;
        const ClipVertex *vi = nullptr, *vj = nullptr;
        if constexpr (kShade || kTexture) vi = &v[i], vj = &v[j];
        scanEdge<kShade, kTexture>(table, rows, lo, hi, p[i], vi, p[j], vj, inverseHeight[i]);
    }
    fillRows(frame, target, y0, y1, span);
}

[[gnu::always_inline]] inline bool canFill(const FrameBuffer& frame, RasterTarget target) {
    return target.pixels && target.depth && frame.viewWidth > 0 && frame.viewHeight > 0 &&
           frame.spanTable.size() >= static_cast<std::size_t>(frame.viewHeight);
}

// Copies a projected vertex in; false when it is not finite (the polygon was not clipped).
bool takeVertex(const ProjectedPoint& s, int i, ScreenVertex* p, double& ymin, double& ymax) {
    p[i] = {s.x, s.y, s.w};
    if (!std::isfinite(s.x) || !std::isfinite(s.y) || !std::isfinite(s.w)) return false;
    ymin = i == 0 ? s.y : std::min(ymin, s.y);
    ymax = i == 0 ? s.y : std::max(ymax, s.y);
    return true;
}

// One side of a flat triangle: the edge from a, its steps per row, and the
// rows it crosses. The values are those scanEdge would put in the span table.
struct TriangleSide {
    ScreenVertex a;
    double dx, dw;
    int first, last;
};

// Writes the listed runs (below, with the rest of the batch's handling).
void writeRuns(FlatRuns& runs, RasterTarget target);

// A flat triangle ready to be listed row by row: for each side, the edge
// serving its upper rows, down to that edge's last, and the one serving the
// rest (the same edge when one serves them all), and the rows to list.
struct TriangleRows {
    TriangleSide leftUpper, leftLower, rightUpper, rightLower;
    int y0, y1;  // y0 > y1 when there is nothing to list
    std::uint8_t colour;
};

// The rows of a triangle are few (most cover one or two), so rather than
// going through the span table each row reads its two sides straight from
// the edges: the same crossings, the same depths, the same pixels.
//
// Which way a small triangle's edges run on the screen, which of them cross
// a row, and whether a row holds a pixel are as good as random from one
// triangle to the next: branches on them would be mispredicted about every
// other time, and that was most of the cost of a triangle of a few pixels.
// So every edge is worked out and stored, and counted as a side only where
// it crosses a row; a side is chosen by its index; and a row that holds no
// pixel is listed and then not counted. The pixels are written later, from
// the list, where a mispredicted run length costs little: its length is at
// hand, not at the end of the triangle's arithmetic.
void setUpTriangleRows(const PendingTriangle& t, int rows, TriangleRows& out) {
    const ScreenVertex* p = t.corner;
    // Edges running down the screen are the left side, those running up the
    // right; each side's edges (at most two cross rows) split the rows
    // between them. The third slot takes an edge that is not counted.
    TriangleSide left[3], right[3];
    int lefts = 0, rights = 0;
    for (int i = 0; i < 3; ++i) {
        const ScreenVertex& a = p[i];
        const ScreenVertex& b = p[i == 2 ? 0 : i + 1];
        const bool down = a.y < b.y;
        const int first = std::max(firstAfter(std::min(a.y, b.y), rows), t.lo);
        const int last = std::min(lastAtOrBefore(std::max(a.y, b.y), rows), t.hi);
        // A level edge (b.y == a.y) crosses no row, so its infinite k is never read.
        const double k = 1.0 / (b.y - a.y);
        const TriangleSide side{a, (b.x - a.x) * k, (b.w - a.w) * k, first, last};
        const bool crosses = (b.y != a.y) & (first <= last);
        left[lefts] = side;
        right[rights] = side;
        lefts += crosses & down;
        rights += crosses & !down;
    }
    // Of two edges on a side, the upper serves the rows down to its last.
    // (Bitwise, not logical, conditions: those would be branches again.)
    const bool twoLeft = lefts == 2, twoRight = rights == 2;
    const int upperLeft = twoLeft & (left[1].first < left[0].first);
    const int upperRight = twoRight & (right[1].first < right[0].first);
    out.leftUpper = left[upperLeft];
    out.leftLower = left[upperLeft ^ twoLeft];
    out.rightUpper = right[upperRight];
    out.rightLower = right[upperRight ^ twoRight];
    out.y0 = t.y0;
    // Without an edge on each side the triangle lists nothing.
    out.y1 = ((lefts == 0) | (rights == 0)) ? t.y0 - 1 : t.y1;
    out.colour = t.colour;
}

void listTriangleRows(FlatRuns& runs, RasterTarget target, const TriangleRows& t, int width) {
    for (int y = t.y0; y <= t.y1; ++y) {
        if (runs.count == FlatRuns::kCapacity) writeRuns(runs, target);
        const TriangleSide& l = y > t.leftUpper.last ? t.leftLower : t.leftUpper;
        const TriangleSide& r = y > t.rightUpper.last ? t.rightLower : t.rightUpper;
        const double fl = y - l.a.y, fr = y - r.a.y;
        const double lx = l.a.x + fl * l.dx, rx = r.a.x + fr * r.dx;
        // x0 > x1 when the row holds no pixel, or the triangle runs the other
        // way round: then the run is not counted, and its depth step, which
        // may divide by zero, is never read.
        const int x0 = firstAfter(lx, width), x1 = lastAtOrBefore(rx, width);
        const double lw = l.a.w + fl * l.dw, rw = r.a.w + fr * r.dw;
        const double dw = (rw - lw) * (1.0 / (rx - lx));
        FlatRun& run = runs.run[runs.count];
        run.offset = static_cast<std::ptrdiff_t>(y) * width + x0;
        run.w = lw + (x0 - lx) * dw;
        run.dw = dw;
        run.length = x1 - x0 + 1;
        run.colour = t.colour;
        runs.count += x0 <= x1;
    }
}

// Lists the pending triangles' rows as runs: first every triangle's edges,
// then every triangle's rows. Done triangle by triangle, each one's chain of
// divisions and conversions outlasted what the processor could look ahead for.
void listPendingTriangles(FlatRuns& runs, RasterTarget target) {
    TriangleRows ready[FlatRuns::kPendingCapacity];
    const int count = runs.pendingCount;
    for (int i = 0; i < count; ++i) setUpTriangleRows(runs.pending[i], runs.rows, ready[i]);
    for (int i = 0; i < count; ++i) listTriangleRows(runs, target, ready[i], runs.width);
    runs.pendingCount = 0;
}

void writeRuns(FlatRuns& runs, RasterTarget target) {
    for (int i = 0; i < runs.count; ++i) {
        const FlatRun& run = runs.run[i];
        std::uint8_t* pix = target.pixels + run.offset;
        double* depth = target.depth + run.offset;
        const std::uint8_t colour = run.colour;
        double w = run.w;
        // Written whether or not the test passes (the old values where it
        // fails): a branch on it would be mispredicted as often.
        for (int x = 0; x < run.length; ++x, w += run.dw) {
            const double behind = depth[x];
            const bool nearer = w <= behind;
            pix[x] = nearer ? colour : pix[x];
            depth[x] = nearer ? w : behind;
        }
    }
    runs.count = 0;
}

}  // namespace

void fillFlatRuns(FlatRuns& runs, RasterTarget target) {
    listPendingTriangles(runs, target);
    writeRuns(runs, target);
}

void queueFlatTriangle(FlatRuns& runs, const FrameBuffer& frame, RasterTarget target, const ProjectedPoint& a,
                       const ProjectedPoint& b, const ProjectedPoint& c, std::uint8_t colour) {
    if (!canFill(frame, target)) return;
    // Many triangles of a large surface, far off, cover no row; which do is
    // as good as random. Each is set down, and counted only when it covers
    // rows and is finite (not clipped): no branch to mispredict.
    const auto [lo, hi, y0, y1] =
        fillRowsOf(frame, target, std::min({a.y, b.y, c.y}), std::max({a.y, b.y, c.y}));
    // v - v is 0 for every finite v and NaN for an infinite or NaN one.
    const bool finite = (a.x - a.x) + (a.y - a.y) + (a.w - a.w) + (b.x - b.x) + (b.y - b.y) + (b.w - b.w) +
                            (c.x - c.x) + (c.y - c.y) + (c.w - c.w) ==
                        0.0;
    runs.width = frame.viewWidth;
    runs.rows = frame.viewHeight;
    PendingTriangle& t = runs.pending[runs.pendingCount];
    t = {{{a.x, a.y, a.w}, {b.x, b.y, b.w}, {c.x, c.y, c.w}}, y0, y1, lo, hi, colour};
    runs.pendingCount += finite & (y0 <= y1);
    if (runs.pendingCount == FlatRuns::kPendingCapacity) listPendingTriangles(runs, target);
}

void fillFlatTriangle(FrameBuffer& frame, RasterTarget target, const ProjectedPoint& a, const ProjectedPoint& b,
                      const ProjectedPoint& c, std::uint8_t colour) {
    FlatRuns runs;
    queueFlatTriangle(runs, frame, target, a, b, c, colour);
    fillFlatRuns(runs, target);
}

void fillPolygon(FrameBuffer& frame, RasterTarget target, FillMode mode, const ClipVertex* vertices, int count,
                 std::uint8_t colour, const FillInputs& inputs) {
    if (count < 3 || mode == FillMode::Nothing) return;
    if (!canFill(frame, target)) return;
    count = std::min(count, kMaxClipVertices);

    ScreenVertex p[kMaxClipVertices];
    double ymin = 0.0, ymax = 0.0;
    for (int i = 0; i < count; ++i)
        if (!takeVertex(project(frame, {vertices[i].x, vertices[i].y, vertices[i].z}), i, p, ymin, ymax)) return;

    switch (mode) {
        case FillMode::Flat:
            scanAndFill<false, false>(frame, target, vertices, p, count, ymin, ymax, FlatSpan<true>{colour});
            break;
        case FillMode::FlatNoDepth:
            scanAndFill<false, false>(frame, target, vertices, p, count, ymin, ymax, FlatSpan<false>{colour});
            break;
        case FillMode::Gouraud:
        case FillMode::Elevation:
            scanAndFill<true, false>(frame, target, vertices, p, count, ymin, ymax, GouraudSpan{});
            break;
        case FillMode::TextureSphere:
        case FillMode::TextureImage:
            scanAndFill<false, true>(frame, target, vertices, p, count, ymin, ymax,
                                     TextureSpan{colour, inputs.texture});
            break;
        case FillMode::Water: {
            if (frame.sceneBuffer.size() < static_cast<std::size_t>(frame.pixelCount())) return;
            const WaterSpan span{frame.sceneBuffer.data(), frame.viewWidth, frame.pixelCount() - 1, inputs.ripples};
            scanAndFill<false, true>(frame, target, vertices, p, count, ymin, ymax, span);
            break;
        }
        case FillMode::Nothing: break;
    }
}

void drawPolygon(FrameBuffer& frame, RasterTarget target, FillMode mode, ClipPolygon& polygon, int count,
                 std::uint8_t colour, const FillInputs& inputs) {
    count = clipPolygon(polygon, count);
    fillPolygon(frame, target, mode, polygon.data(), count, colour, inputs);
}

}  // namespace vellacor
