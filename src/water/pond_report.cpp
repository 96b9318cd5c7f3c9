#include "water/pond_report.h"

#include <algorithm>

#include "model/number_text.h"
#include "water/pond_system.h"
#include "water/wet_area.h"

namespace vellacor {

namespace {

bool stillRising(const Pond& pond) { return !pond.full && !pond.floodedTriangles.empty(); }

}  // namespace

std::vector<StandingPond> fillPondsToSpill(const SurfaceView& surface) {
    PondSystem system;
    system.Build(surface);
    // Each pond fills to its spill point and the merge pass follows at once,
    // so ponds overlap only briefly. Every merge takes a pond away, so the
    // work ends.
    std::vector<int> work(system.Ponds().size());
    for (std::size_t i = 0; i < work.size(); ++i) work[i] = static_cast<int>(work.size() - 1 - i);
    while (!work.empty()) {
        const int p = work.back();
        work.pop_back();
        while (stillRising(system.Ponds()[static_cast<std::size_t>(p)])) system.RiseToNextEdge(surface, p);
        system.MergePass();
        for (const int again : system.TakeReopened()) work.push_back(again);
    }
    std::vector<StandingPond> result;
    for (const Pond& pond : system.Ponds()) {
        if (pond.floodedTriangles.empty() || pond.spillPoint < 0) continue;
        StandingPond s;
        s.lowPoint = pond.lowPoint;
        s.lowElevation = surface.point(pond.lowPoint).elevation;
        s.spillElevation = surface.point(pond.spillPoint).elevation;
        for (const std::int32_t t : pond.floodedTriangles) {
            const WetPart part = wetPartOf(surface, t, s.spillElevation);
            s.area += part.area;
            s.volume += part.volume;
        }
        // Ground that spills as soon as it is wet holds no water: no depression.
        if (s.volume > 0.0) result.push_back(s);
    }
    std::stable_sort(result.begin(), result.end(), [](const StandingPond& a, const StandingPond& b) {
        return a.spillElevation - a.lowElevation > b.spillElevation - b.lowElevation;
    });
    return result;
}

std::string pondReport(const SurfaceView& surface, const std::vector<StandingPond>& ponds) {
    std::string text;
    for (const StandingPond& p : ponds) {
        text += "pond ";
        appendInteger(text, surface.point(p.lowPoint).number);
        text += ' ';
        appendFixed(text, p.lowElevation, 3);
        text += ' ';
        appendFixed(text, p.spillElevation, 3);
        text += ' ';
        appendFixed(text, p.area, 1);
        text += ' ';
        appendFixed(text, p.volume, 1);
        text += '\n';
    }
    text += "ponds: ";
    appendInteger(text, static_cast<long long>(ponds.size()));
    text += '\n';
    return text;
}

}  // namespace vellacor
