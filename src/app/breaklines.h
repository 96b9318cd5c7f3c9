#pragma once
#include <chrono>
#include <span>
#include <vector>

#include "model/survey_point.h"

namespace vellacor {

struct SiteModel;
class Ui;

// Adds the breakline a-b to the list (and shows the list). Refused (false):
// the same point twice, a point that does not exist, a pair already listed
// either way round, or a segment crossing a listed breakline, however near an
// end (breaklinesCross). A point not used in the surface is ignored: true,
// nothing added.
bool addBreakline(SiteModel& model, int a, int b);

// Drops every breakline ending at point p (the point left the surface).
void removeBreaklinesOfPoint(SiteModel& model, int p);

// Drops the last breakline; the surface is built again and the rest are
// enforced again by the staged insertion. False when there is none.
bool undoBreakline(SiteModel& model);
// Drops breakline i as undoBreakline drops the last. False when there is none.
bool removeBreakline(SiteModel& model, int i);

// Makes breakline i an edge of the current surface; the neighbour links and
// shading are then made again. An end the surface left out as a duplicate
// stands for the point it kept at that place. True when the triangles changed.
bool enforceBreakline(SiteModel& model, int i);

// Breaklines along a CAD polyline: each vertex is matched to the first point
// within 0.005 in easting and northing (its z becomes that point's elevation,
// or -666 without a match), and each pair of matched, different, usable
// neighbouring vertices is added. The crossing tests of a run go through a
// spatial index, with the answers of testing against every listed breakline.
void addBreaklinesFromPolyline(SiteModel& model, std::span<Vec3> vertices);
void addBreaklinesFromPolylines(SiteModel& model, std::span<std::vector<Vec3>> polylines);

// Adds first-second as the pick of a second point does and forces it into
// the surface at once; false when the list refuses it.
bool addAndEnforceBreakline(SiteModel& model, int first, int second);

// The interactive pick of a second point: adds first-second and enforces it,
// or says "Breakline crosses another breakline!".
void breaklineBetween(SiteModel& model, Ui& ui, int first, int second);

// A frame's share of the staged insertion: at least this many breaklines,
// then more while the frame's step has run less than this long.
inline constexpr int kLeastBreaklinesPerFrame = 5;
inline constexpr std::chrono::milliseconds kBreaklineFrameBudget{10};

// One frame's step of the staged insertion after a new surface: enforces the
// waiting breaklines that fit in the frame's budget, timed by the frame clock
// (model.cycle.now). Runs while the triangulation is done and the list is not.
void insertBreaklinesStep(SiteModel& model);

// Enforces every waiting breakline at once: the command line's way, where no
// frame waits to be drawn.
void insertAllBreaklines(SiteModel& model);

}  // namespace vellacor
