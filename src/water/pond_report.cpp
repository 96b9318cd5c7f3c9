#include "water/pond_report.h"

#include <algorithm>
#include <cmath>
#include <cstdint>

#include "model/number_text.h"
#include "water/depression_tree.h"
#include "water/pond_system.h"
#include "water/wet_area.h"

namespace vellacor {

std::vector<StandingPond> fillPondsToSpill(const SurfaceView& surface) {
    const DepressionTree tree = findDepressions(surface);
    const PointTriangles around = trianglesAroundPoints(surface);
    // A triangle with a point under water belongs to that one pond.
    std::vector<std::uint8_t> counted(static_cast<std::size_t>(std::max(surface.triangleCount, 0)), 0);
    std::vector<StandingPond> result;
    std::vector<int> subtree;
    for (int d = 0; d < static_cast<int>(tree.depressions.size()); ++d) {
        const Depression& lake = tree.depressions[static_cast<std::size_t>(d)];
        if (lake.parent >= 0 || !std::isfinite(lake.spillLevel)) continue;
        StandingPond s;
        s.lowPoint = lake.bottom;
        s.lowElevation = surface.point(lake.bottom).elevation;
        s.spillElevation = lake.spillLevel;
        subtree.assign(1, d);
        while (!subtree.empty()) {
            const int node = subtree.back();
            subtree.pop_back();
            for (const std::int32_t child : tree.childrenOf(node)) subtree.push_back(child);
            for (const std::int32_t p : tree.pointsOf(node))
                for (const std::int32_t t : around.of(p)) {
                    if (counted[static_cast<std::size_t>(t)]) continue;
                    counted[static_cast<std::size_t>(t)] = 1;
                    const WetPart part = wetPartOf(surface, t, s.spillElevation);
                    s.area += part.area;
                    s.volume += part.volume;
                }
        }
        // Ground that spills as soon as it is wet holds no water.
        if (s.volume > 0.0) result.push_back(s);
    }
    std::sort(result.begin(), result.end(), [](const StandingPond& a, const StandingPond& b) {
        const double da = a.spillElevation - a.lowElevation, db = b.spillElevation - b.lowElevation;
        return da > db || (da == db && a.lowPoint < b.lowPoint);
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
