#pragma once
#include <cstdint>
#include <span>
#include <vector>

#include "camera/matrix.h"
#include "model/surface_view.h"
#include "render/frame_buffer.h"
#include "water/depression_tree.h"
#include "water/rain_drop.h"
#include "water/wave_grid.h"

namespace vellacor {

// The triangles of each point, as offsets (pointCount + 1) into one list.
struct PointTriangles {
    std::vector<std::int32_t> offsets;
    std::vector<std::int32_t> triangles;
    std::span<const std::int32_t> of(int point) const {
        const auto b = static_cast<std::size_t>(offsets[static_cast<std::size_t>(point)]);
        const auto e = static_cast<std::size_t>(offsets[static_cast<std::size_t>(point) + 1]);
        return std::span<const std::int32_t>(triangles).subspan(b, e - b);
    }
};
PointTriangles trianglesAroundPoints(const SurfaceView& surface);

// Water standing in one closed depression of the surface.
struct Pond {
    std::vector<std::int32_t> floodedTriangles;
    std::int32_t lowPoint = kNoPoint;  // its lowest point
    double level = 0.0;                // the water's elevation
    double size = 0.0;                 // from the last drawing; 0 before the first
    bool full = false;                 // it spills and no longer rises
    std::int32_t spillPoint = kNoPoint;
    std::int32_t spillTriangle = kNoTriangle;
    Vec3 overflow;  // where a drop reaching the full pond is set down, on spillTriangle
    std::int32_t depression = -1;  // the depression of the surface it fills now
    std::size_t reached = 0;       // how many of that depression's points are under water

    int floodedCount() const { return static_cast<int>(floodedTriangles.size()); }
};

// Whether a drop falling into a pond is seen, so that it starts a wave there.
struct DropSight {
    bool ripples = false;  // waves are drawn at all
    const Matrix* view = nullptr;
    const FrameBuffer* frame = nullptr;  // its depth tells whether the drop is hidden
};

// The ponds of a linked surface and the ripples of their water. A pond
// starts at the bottom of each depression, rises with the rain, stops where
// its depression spills, and joins the ponds it meets there once they are
// full too; so ponds rained on until they all spill stand at the levels of
// the filled surface. The surface is passed to every call that reads it and
// must be the one the ponds were found on.
class PondSystem {
public:
    // Finds the depressions and makes a pond at the bottom of each.
    void Build(const SurfaceView& surface);

    int Count() const;  // ponds holding water
    bool IsLowPoint(int point) const;
    std::span<const Pond> ponds() const { return ponds_; }
    std::span<Pond> ponds() { return ponds_; }
    // One mark per point, set at the low points of the ponds holding water.
    std::span<const std::uint8_t> lowPointMarks() const { return lowPointMarks_; }

    // Raises pond p by one step (its size sets the step) and floods what the
    // water reaches. `siteSize` scales the step.
    void Rise(const SurfaceView& surface, int p, double siteSize);

    // The pond holding triangle t whose level is at or above z, or -1.
    int pondUnder(int triangle, double z) const;

    // True when the drop fell into a pond that is still filling: the pond
    // rises and the drop is gone. A drop reaching a full pond is not taken
    // but set down just past the spill point, to run on from there.
    bool ContainsDrop(const SurfaceView& surface, double siteSize, RainDrop& drop, const DropSight& sight);

    // Full ponds whose water meets join, the first keeping the water, and
    // rise on together.
    void mergePass(const SurfaceView& surface);

    WaveGrids& waves() { return waves_; }
    const WaveGrids& waves() const { return waves_; }

private:
    void floodTo(const SurfaceView& surface, int p);
    void join(const SurfaceView& surface, int depression);
    void placeOverflow(const SurfaceView& surface, Pond& pond) const;

    DepressionTree tree_;
    PointTriangles around_;
    std::vector<Pond> ponds_;
    std::vector<std::int32_t> holder_;        // the pond holding each triangle, or -1
    std::vector<std::int32_t> pondOf_;        // the pond filling each depression, or -1
    std::vector<std::uint8_t> lowPointMarks_;
    std::vector<int> filled_;  // ponds that became full since the last merge pass
    WaveGrids waves_;
};


}  // namespace vellacor
