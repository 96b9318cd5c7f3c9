#include "render/line_fragments.h"

#include <cmath>
#include <new>

#include "render/line.h"
#include "render/frame_projection.h"

namespace vellacor {

void rasterContourLines(const FrameBuffer& frame, const Matrix& view, std::span<const ContourLine> segments,
                        LineFragments& out, int splitRow) {
    out.upper.clear();
    out.lower.clear();
    out.segmentsDone = 0;
    out.splitRow = splitRow;
    const long long width = frame.viewWidth, height = frame.viewHeight, split = out.splitRow;
    // One segment adds at most a screen's length of pixels.
    const std::size_t longest = static_cast<std::size_t>(std::max(width, height)) + 2;
    try {
        for (const ContourLine& s : segments) {
            if (out.upper.size() + out.lower.size() + longest > kMaxLineFragments) return;
            Vec3 a = transformPoint(s.from, view), b = transformPoint(s.to, view);
            // Most segments lie wholly inside the view: those need no call.
            if ((outcode(a) | outcode(b)) == 0 || clipLineToView(a, b)) {
                const ProjectedPoint pa = project(frame, a), pb = project(frame, b);
                if (std::isfinite(pa.x) && std::isfinite(pa.y) && std::isfinite(pb.x) && std::isfinite(pb.y))
                    forEachLinePixel(pa, pb, [&](long long x, long long y, double w) {
                        if (x < 0 || y < 0 || x >= width || y >= height) return;
                        const LineFragment fragment{static_cast<std::uint32_t>(y * width + x), s.colour, w};
                        (y < split ? out.upper : out.lower).push_back(fragment);
                    });
            }
            ++out.segmentsDone;
        }
    } catch (const std::bad_alloc&) {
        // The segment being rasterised may be partly listed: it is drawn again
        // over the finished surface, which gives the same pixels.
    }
}

void applyLineFragments(RasterTarget target, std::span<const LineFragment> fragments) {
    if (!target.pixels || !target.depth) return;
    for (const LineFragment& f : fragments)
        if (f.w <= target.depth[f.pixel]) target.pixels[f.pixel] = f.colour;
}

}  // namespace vellacor
