#pragma once
#include <cstdint>
#include <span>
#include <unordered_map>
#include <vector>

#include "camera/matrix.h"
#include "model/surface_view.h"
#include "render/frame_buffer.h"
#include "water/rain_drop.h"
#include "water/wave_grid.h"

namespace vellacor {

// An edge of a pond's shore: edge `edge` of flooded triangle `triangle`,
// which the water passes once its level rises above `threshold` (the lower
// of the edge's two elevations).
struct ShoreEdge {
    double threshold = 0.0;
    std::int32_t triangle = kNoTriangle;
    std::int32_t edge = 0;
};

// Water standing in one closed depression of the surface.
struct Pond {
    std::vector<std::int32_t> floodedTriangles;
    std::int32_t lowPoint = kNoPoint;  // the point it started from
    double level = 0.0;                // the water's elevation
    double size = 0.0;                 // from the last drawing; 0 before the first
    bool full = false;                 // it spills and no longer rises
    std::int32_t spillPoint = kNoPoint;
    std::int32_t spillTriangle = kNoTriangle;
    std::int32_t newTriangles = 0;     // flooded since the last merge pass

    // The shore edges not yet passed, lowest first (a heap), so a rise looks
    // only at the edges the water reaches rather than at the whole pond.
    std::vector<ShoreEdge> shore;
    // The edges where it spilled: looked at again when the pond rises again after a merge.
    std::vector<ShoreEdge> spills;

    int floodedCount() const { return static_cast<int>(floodedTriangles.size()); }
};

// Whether a drop falling into a pond is seen, so that it starts a wave there.
struct DropSight {
    bool ripples = false;  // waves are drawn at all
    const Matrix* view = nullptr;
    const FrameBuffer* frame = nullptr;  // its depth tells whether the drop is hidden
};

// The ponds of a linked surface and the ripples of their water. The surface
// is passed to every call that reads it and must be the one the ponds were
// found on.
class PondSystem {
public:
    // Finds the low points and makes a pond at each.
    void Build(const SurfaceView& surface);

    int Count() const;  // ponds holding water
    bool IsLowPoint(int point) const;
    std::span<const Pond> Ponds() const { return ponds_; }
    std::span<Pond> Ponds() { return ponds_; }
    // One mark per point, set at the low points of the ponds holding water.
    std::span<const std::uint8_t> LowPointMarks() const { return lowPointMarks_; }

    // Raises pond p by one step (its size sets the step) and floods what the
    // water reaches. `siteSize` scales the step.
    void Rise(const SurfaceView& surface, int p, double siteSize);
    // Raises pond p straight to just above the next shore edge and floods it:
    // the filling without rain.
    void RiseToNextEdge(const SurfaceView& surface, int p);

    // The pond holding triangle t whose level is at or above z, or -1.
    int PondUnder(int triangle, double z) const;

    // True when the drop fell into a pond that is still filling: the pond
    // rises and the drop is gone. A drop reaching a full pond is not taken
    // but set down just past the spill point, to run on from there.
    bool ContainsDrop(const SurfaceView& surface, double siteSize, RainDrop& drop, const DropSight& sight);

    // Full ponds spilling at one point join; a pond that flooded another's
    // triangles takes its place. Looks only at the ponds that flooded or
    // filled since the last pass.
    void MergePass();
    // The ponds that took another in the last merge pass and rise again.
    std::vector<int> TakeReopened();

    WaveGrids& Waves() { return waves_; }
    const WaveGrids& Waves() const { return waves_; }

private:
    void Flood(const SurfaceView& surface, int p, int triangle);
    void PushShore(const SurfaceView& surface, int p, int triangle);
    void CrossShore(const SurfaceView& surface, int p);
    void SetSpill(Pond& pond, int point, int triangle, const ShoreEdge& edge);
    void Absorb(int into, int from);
    void Empty(int p);
    bool Holds(int triangle, int p) const;
    void AddHolder(int triangle, int p);
    void RemoveHolder(int triangle, int p);
    template <class Visit>
    void ForEachHolder(int triangle, Visit visit) const;

    std::vector<Pond> ponds_;
    // Which ponds hold each triangle: the first in holder_, any others (only
    // while ponds overlap, until the next merge pass) in extraHolders_.
    std::vector<std::int32_t> holder_;
    std::unordered_multimap<std::int32_t, std::int32_t> extraHolders_;
    std::vector<std::uint8_t> lowPointMarks_;
    std::vector<int> changed_;   // flooded or filled since the last merge pass
    std::vector<int> reopened_;  // joined another and rise again
    std::unordered_map<std::int32_t, int> fullAtSpill_;  // a full pond waiting at each spill point
    WaveGrids waves_;
};

// True when point i is a low point: every triangle round it has no outer
// edge at i and no corner lower than i. `around` lists the triangles of each
// point (see trianglesAroundPoints).
bool isLowPoint(const SurfaceView& surface, int i, std::span<const std::int32_t> trianglesOfPoint);

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

}  // namespace vellacor
