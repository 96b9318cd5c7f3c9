#pragma once
#include <cstdint>
#include <vector>

#include "surface/plan_tin.h"

namespace vellacor {

// Where the site lies above or below the comparison, site triangle by site
// triangle, found from the corners of the overlay alone: the site's points
// located in the comparison, the comparison's points in the site, and the
// crossings of every site edge with the comparison's edges, each found once by
// walking the edge through the comparison. The difference d = site -
// comparison is linear on every piece of the overlay, so a triangle whose
// overlay corners all have d > 0 lies above the comparison all over (and
// wholly on it): its cut is its own integral less the comparison's under it,
// and the comparison's integral is the closed form of each comparison triangle
// under site triangles of one kind only. Only the triangles along the zero
// line, the surfaces' edges and anything degenerate need the overlay's pieces.
// Where the comparison covers a convex region, a coarse grid of its heights
// classes most site triangles far above or below it without any walk; only
// those near the zero line, those whose bound could hold the deepest cut or
// highest fill, and those along an edge between classes are walked.
struct OverlayClasses {
    // A site triangle has one of these; a comparison triangle gathers those
    // of every site triangle over it.
    static constexpr std::uint8_t kCut = 1;        // d > 0 all over it, and it lies wholly on the other surface
    static constexpr std::uint8_t kFill = 2;       // d < 0 all over it, likewise
    static constexpr std::uint8_t kPieces = 4;     // anything else: clipped piece by piece
    static constexpr std::uint8_t kElsewhere = 8;  // not counted (outside the limit, off the site)
    // On a comparison triangle: a corner was not found in the site (a walk
    // may fail inside a surface that is not convex), so the other bits may
    // not tell every site triangle over it.
    static constexpr std::uint8_t kNotFound = 16;

    std::vector<std::uint8_t> site;        // per site triangle; 0: no plan area
    std::vector<std::uint8_t> comparison;  // per comparison triangle (without the kPieces triangles' marks)
    // The triangle of the other surface holding each point strictly inside
    // (-1: none, or on an edge or corner), a start for walks near it.
    std::vector<std::int32_t> sitePointIn, comparisonPointIn;
    // The largest d and -d at the overlay's corners on counted site
    // triangles (those of kPieces triangles included where they were found).
    double deepestCut = 0, highestFill = 0;
    // False when a walk ran far past what a valid triangulation allows (one
    // that overlaps itself): then every triangle is taken piece by piece.
    bool usable = false;
};

// How each site triangle is counted, from the limit polygon.
enum class SiteCounted : std::uint8_t { NoArea, Whole, InPart, NotCounted };

// O(site + comparison + the crossings of the walked edges), on two threads.
// `onSitePoint` (when given): the comparison points known to lie on a site
// point, which lie strictly inside no site triangle and are not looked for.
OverlayClasses classifyOverlay(const PlanTin& site, const PlanTin& comparison, const std::vector<SiteCounted>& counted,
                               const std::vector<std::uint8_t>* onSitePoint = nullptr);

}  // namespace vellacor
