#pragma once
#include <memory>
#include <optional>
#include <string>

namespace vellacor {

struct SiteModel;
class Ui;

// What the site is compared with: a second surface, opened and built as a
// document of its own beside the site, and the level datum last asked for.
struct ComparisonState {
    ComparisonState();
    ~ComparisonState();
    ComparisonState(const ComparisonState&) = delete;
    ComparisonState& operator=(const ComparisonState&) = delete;

    std::unique_ptr<SiteModel> surface;  // none until one is opened
    std::string name;                    // its file name, as the status text shows it
    bool surfaceWasReady = false;        // its surface was finished at the last step
    // Set by Volume to Elevation: the cut/fill view compares with this level
    // until a comparison surface is opened or Cut and Fill is run.
    std::optional<double> datum;
};

// File > Open Comparison Surface...: the file opened as the site's would be
// (the format asked the same way), its surface then built in the background
// by stepComparisonSurface. A file that cannot be opened leaves the comparison
// there was. True when it was opened.
bool openComparisonSurface(SiteModel& model, Ui& ui, const std::string& path,
                           const std::optional<std::string>& format = std::nullopt);

// Once per frame: one step of the comparison's own pipeline; when its surface
// comes ready the cut/fill view is drawn again against it.
void stepComparisonSurface(SiteModel& model, Ui& ui);

// The comparison surface is finished and has triangles to compare.
bool comparisonSurfaceReady(const SiteModel& model);
// A comparison is open and its surface is still being built.
bool comparisonSurfaceBuilding(const SiteModel& model);

// The progress message of the comparison's build ("Comparison: Building
// Surface", ...) and its fraction, while it is built.
std::optional<std::string> comparisonProgressMessage(const SiteModel& model);
double comparisonProgress(const SiteModel& model);

// Esc: a comparison still being built is stopped and dropped; a finished one stays.
void cancelComparisonBuild(SiteModel& model);

// The comparison's surface (or datum) changed: the cut/fill view's
// difference is worked out again at the next frame.
void forgetCutFillDifference(SiteModel& model);

}  // namespace vellacor
