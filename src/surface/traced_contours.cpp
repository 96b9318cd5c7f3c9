#include "surface/traced_contours.h"

#include <algorithm>
#include <new>
#include <utility>

namespace vellacor {

namespace {

// Passes every line on, and keeps a copy while they stay within the limit.
class KeepingSink : public ContourLineSink {
public:
    KeepingSink(ContourLineSink& next, std::vector<ContourLine>& kept) : next_(next), kept_(kept) {}
    void line(const Vec3& from, const Vec3& to, std::uint8_t colour) override {
        next_.line(from, to, colour);
        if (overflowed_) return;
        if (kept_.size() >= kMaxKeptContourLines) {
            overflowed_ = true;
            return;
        }
        try {
            kept_.push_back({from, to, colour});
        } catch (const std::bad_alloc&) {
            overflowed_ = true;  // drawing goes on; the lines are traced again next frame
        }
    }
    bool overflowed() const { return overflowed_; }

private:
    ContourLineSink& next_;
    std::vector<ContourLine>& kept_;
    bool overflowed_ = false;
};

}  // namespace

bool operator==(const ContourTraceKey& a, const ContourTraceKey& b) {
    auto same = [](const Vec3& p, const Vec3& q) { return p.x == q.x && p.y == q.y && p.z == q.z; };
    return a.triangles == b.triangles && a.points == b.points && a.triangleCount == b.triangleCount &&
           a.pointCount == b.pointCount && a.interval == b.interval && a.smoothing == b.smoothing &&
           a.linked == b.linked && a.limitMode == b.limitMode &&
           std::equal(a.limitVertices.begin(), a.limitVertices.end(), b.limitVertices.begin(), b.limitVertices.end(),
                      same);
}

ContourTraceKey contourTraceKey(const SiteDocument& document, bool straight) {
    const ContourSettings& c = document.contours;
    ContourTraceKey key;
    key.triangles = document.triangles.data();
    key.points = document.points.data();
    key.triangleCount = document.triangleCount;
    key.pointCount = document.pointCount;
    key.interval = c.contourInterval;
    key.smoothing = straight || !document.contourStage.done.load(std::memory_order_acquire) ? 0.0 : c.contourSmoothing;
    key.linked = document.contourStage.done.load(std::memory_order_acquire);
    key.limitMode = c.contourLimitMode;
    if (c.contourLimitMode == ContourLimitMode::InsidePolygon && c.limitPolygon)
        key.limitVertices = c.limitPolygon->vertices;
    return key;
}

void traceAndKeepContours(const SiteDocument& document, bool straight, const ContourCornerCache* corners,
                          ContourLineSink& sink, TracedContours& traced, ContourTraceKey key) {
    auto trace = [&](ContourLineSink& to) {
        if (corners)
            drawSurfaceContours(document, to, straight, *corners);
        else
            drawSurfaceContours(document, to, straight);
    };
    if (traced.tooMany && traced.key == key) {
        trace(sink);
        return;
    }
    traced = TracedContours{};
    KeepingSink keeping(sink, traced.segments);
    trace(keeping);
    traced.key = std::move(key);
    traced.tooMany = keeping.overflowed();
    traced.kept = !traced.tooMany;
    if (traced.tooMany) std::vector<ContourLine>().swap(traced.segments);
}

}  // namespace vellacor
