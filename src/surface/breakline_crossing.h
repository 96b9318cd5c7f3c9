#pragma once
#include <cstdint>
#include <span>
#include <unordered_map>
#include <unordered_set>
#include <vector>

#include "model/breakline_list.h"
#include "model/surface_view.h"

namespace vellacor {

// True when breaklines a-b and c-d (point indices, plan only) cannot both be
// edges of one surface: they cross well inside both (segmentsCross), or they
// truly cross anywhere else, however near an end. Breaklines that share an
// end point, or whose ends lie at one position (within the duplicate
// distance, so the surface keeps one point for both), meet rather than cross;
// so do breaklines that only touch or overlap along one line.
bool breaklinesCross(const SurfaceView& surface, int a, int b, int c, int d);

// The listed breaklines filed in a grid of plan cells, so a new breakline is
// tested only against those passing through the cells it passes through:
// the same answers as testing it against every listed one, in time that
// grows with the breaklines nearby rather than with the whole list. Made for
// one run of additions; the points must not move meanwhile.
class BreaklineCrossingIndex {
public:
    // `expectedAdditions` sizes the cells for the breaklines still to come.
    BreaklineCrossingIndex(const SurfaceView& surface, std::span<const Breakline> listed,
                           std::size_t expectedAdditions);

    // The pair is listed already, either way round.
    bool listed(int a, int b) const;
    // The segment a-b crosses a listed breakline (breaklinesCross).
    bool crossesListed(int a, int b);
    void add(int a, int b);

private:
    bool inPlan(int p) const;
    template <class Visit>
    void forEachCell(int a, int b, Visit visit) const;
    bool crossesAny(int a, int b, const std::vector<std::int32_t>& candidates);

    SurfaceView surface_;
    double cell_ = 1.0;
    double margin_ = 0.0;
    std::vector<Breakline> segments_;                                   // what the cells refer to
    std::unordered_map<std::uint64_t, std::vector<std::int32_t>> cells_;  // cell -> segments through it
    std::vector<std::int32_t> unfiled_;  // segments with an end too far out to file: tested always
    std::unordered_set<std::uint64_t> pairs_;  // listed pairs, lower point first
    std::vector<std::uint32_t> seen_;          // per segment: the query that last tested it
    std::uint32_t query_ = 0;
};

}  // namespace vellacor
