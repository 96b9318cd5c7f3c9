#pragma once
#include <optional>
#include <string>
#include <vector>

namespace vellacor {

struct SiteModel;
class Ui;

// The site is compared with something: the datum last given, or a finished
// comparison surface.
bool hasCutFillReference(const SiteModel& model);

// Volumes > Cut/Fill Colours: the surface coloured by the difference from
// the comparison (or the datum), and back to the mode it had. Without
// either it says how to get one and changes nothing.
void toggleCutFillView(SiteModel& model, Ui& ui);

// Once per frame: in the cut/fill view, the difference at every point is
// worked out in the background (once per surface and comparison: a plan grid
// of the comparison's triangles and one look-up per point) and taken when done.
void stepCutFillDifference(SiteModel& model);

// Esc: the difference being worked out is dropped. True when one was running.
bool cancelCutFillDifference(SiteModel& model);

// "Cut/Fill Colours" while the difference is worked out.
std::optional<std::string> cutFillProgressMessage(const SiteModel& model);

// Before the surface pass of a cut/fill frame: the corner shades from the
// difference. Until it is there every triangle is the neutral grey.
void prepareCutFillShading(SiteModel& model);

// Over the drawn surface: the zero line of the difference, and the edge of a
// comparison surface that leaves part of the site out.
void drawCutFillZeroLine(SiteModel& model);

// The status text's lines about the comparison: its name while one is open,
// and in the cut/fill view the legend (the range of the difference and which
// colour is cut and which fill).
std::vector<std::string> comparisonStatusLines(const SiteModel& model);

}  // namespace vellacor
