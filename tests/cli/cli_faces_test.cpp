// The window and vellacor-cli run the same jobs (volumes, sections, ponds,
// pictures) on the same files: each case runs the window's side through the
// app as the window calls it and the command line as a user runs it, and
// compares what either shows, its exit code and the bytes of what it writes.
#include <gtest/gtest.h>

#include <chrono>
#include <functional>
#include <optional>
#include <ostream>
#include <string>
#include <thread>

#include "app/comparison_surface.h"
#include "app/document.h"
#include "app/pipeline.h"
#include "app/pond_listing.h"
#include "app/section_save.h"
#include "app/site_model.h"
#include "app/site_picture.h"
#include "app/volume_commands.h"
#include "app/volume_report.h"
#include "export/run_tool.h"
#include "support/fake_ui.h"
#include "support/grid_site_text.h"
#include "support/temp_files.h"

namespace vellacor::testing {
namespace {

// The sites both faces open: a grid, the same grid moved east and raised, a
// hollow that holds a pond, a site far from the others and one of three
// points in a line.
struct Sites {
    TempDir dir;
    std::string grid = dir.write("grid.txt", gridSiteText("G"));
    std::string shifted = dir.write("design.txt", gridSiteText("D", 100, 250, 1));
    std::string hollow = dir.write("hollow.txt",
                                   "1,0,0,104.5,G\n2,10,0,103,G\n3,20,0,104.5,G\n4,0,10,103,G\n5,10,10,100,G\n"
                                   "6,20,10,102,G\n7,0,20,104,G\n8,10,20,103.5,G\n9,20,20,105,G\n");
    std::string far = dir.write("far.txt", "1,0.5,0.5,10,A\n2,0.5,9.5,10,A\n3,9.5,0.5,10,A\n");
    std::string line = dir.write("line.txt", "1,5000,6000,10,A\n2,5010,6000,11,A\n3,5020,6000,12,A\n");
};

// What a face shows its user (the command line's output, the window's
// messages and report) and whether the job was done (the exit code).
struct Shown {
    int exitCode = 0;
    std::string text;
};

Shown refused(const FakeUi& ui) {
    Shown shown{1, {}};
    for (const std::string& message : ui.messages) shown.text += message + "\n";
    return shown;
}

// The window's site as it stands once its frames have built the surface.
void openInWindow(SiteModel& model, FakeUi& ui, const std::string& path) {
    ASSERT_EQ(openDocument(model, ui, path, std::string("PNEZD")), OpenResult::Loaded);
    buildSurfaceToCompletion(model, ui);
}

template <typename Done>
void waitFor(Done done) {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(60);
    while (!done() && std::chrono::steady_clock::now() < deadline) std::this_thread::sleep_for(std::chrono::milliseconds(2));
}

// Cut and Fill (or Save Isopach) in the window: the comparison surface opened
// and built in the background, the job run, its figures as the report's first
// lines; an isopach is then saved to `out`.
Shown windowVolumes(const std::string& site, const std::string& comparison, std::optional<double> datum,
                    const std::string& out) {
    SiteModel model;
    FakeUi ui;
    openInWindow(model, ui, site);
    if (!comparison.empty()) {
        EXPECT_TRUE(openComparisonSurface(model, ui, comparison, std::string("PNEZD")));
        waitFor([&] {
            stepComparisonSurface(model, ui);
            return comparisonSurfaceReady(model) || !comparisonSurfaceBuilding(model);
        });
    }
    const VolumeUse use = out.empty() ? VolumeUse::Report : VolumeUse::SaveIsopach;
    const VolumeQuestion question = out.empty() ? VolumeQuestion{datum, 0.0} : isopachQuestionOf(model, datum);
    if (!startVolumes(model, ui, question, use)) return refused(ui);
    std::optional<FinishedVolumes> finished;
    waitFor([&] { return (finished = adoptFinishedVolumes(model, ui)) || !model.work.volumes.job.active(); });
    if (!finished) return refused(ui);
    Shown shown{0, volumeFigures(finished->totals)};
    if (use == VolumeUse::SaveIsopach) shown.text += saveIsopach(model, ui, finished->totals.isopach, out).value() + "\n";
    return shown;
}

// A job the window runs on its built site, and what it shows.
Shown inWindow(const std::string& site, const std::function<std::string(SiteModel&, FakeUi&)>& job) {
    SiteModel model;
    FakeUi ui;
    openInWindow(model, ui, site);
    const std::string text = job(model, ui);
    return ui.messages.empty() ? Shown{0, text} : refused(ui);
}

struct FacesCase {
    const char* name;
    // The command line, given the sites and the file it writes.
    std::function<std::string(const Sites&, const std::string& out)> command;
    std::function<Shown(const Sites&, const std::string& out)> window;
    const char* written = "";  // the extension of the file both write, if any
};

void PrintTo(const FacesCase& c, std::ostream* os) { *os << c.name; }

const FacesCase kCases[] = {
    {"VolumeAgainstASurface", [](const Sites& s, const std::string&) { return "volume " + s.grid + " " + s.shifted; },
     [](const Sites& s, const std::string&) { return windowVolumes(s.grid, s.shifted, std::nullopt, ""); }},
    {"IsopachAgainstALevel",
     [](const Sites& s, const std::string& out) { return "volume " + s.grid + " --datum 103 --isopach " + out; },
     [](const Sites& s, const std::string& out) { return windowVolumes(s.grid, "", 103.0, out); },
     ".dxf"},
    {"SurfacesThatDoNotOverlap", [](const Sites& s, const std::string&) { return "volume " + s.grid + " " + s.far; },
     [](const Sites& s, const std::string&) { return windowVolumes(s.grid, s.far, std::nullopt, ""); }},
    {"NoSurfaceToCompare", [](const Sites& s, const std::string&) { return "volume " + s.line + " --datum 10"; },
     [](const Sites& s, const std::string&) { return windowVolumes(s.line, "", 10.0, ""); }},
    {"SectionDrawing",
     [](const Sites& s, const std::string& out) { return "section " + s.grid + " --from 6050,5050 --to 6950,5650 --out " + out; },
     [](const Sites& s, const std::string& out) {
         return inWindow(s.grid, [&](SiteModel& m, FakeUi& ui) {
             return saveSectionDrawing(m, ui, sectionLineBetween(6050, 5050, 6950, 5650), out).value_or("") + "\n";
         });
     },
     ".dxf"},
    {"SectionTable",
     [](const Sites& s, const std::string& out) { return "section " + s.grid + " --from 5900,5500 --to 7100,5500 --csv " + out; },
     [](const Sites& s, const std::string& out) {
         return inWindow(s.grid, [&](SiteModel& m, FakeUi& ui) {
             return saveSectionTable(m, ui, sectionLineBetween(5900, 5500, 7100, 5500), out).value_or("") + "\n";
         });
     },
     ".csv"},
    {"Ponds", [](const Sites& s, const std::string&) { return "ponds " + s.hollow; },
     [](const Sites& s, const std::string&) {
         return inWindow(s.hollow, [](SiteModel& m, FakeUi&) { return pondListingOf(m); });
     }},
    {"Picture",
     [](const Sites& s, const std::string& out) {
         return "render " + s.grid + " --size 160x120 --palette 2 --contours --points --orbit 30,10 --light 2 --out " + out;
     },
     [](const Sites& s, const std::string& out) {
         SiteModel model;
         FakeUi ui;
         EXPECT_EQ(openDocument(model, ui, s.grid, std::string("PNEZD")), OpenResult::Loaded);
         PictureRequest r;
         r.width = 160, r.height = 120, r.palette = PaletteChoice::Earth, r.contours = r.points = true;
         r.orbitHeading = 30.0, r.orbitPitch = 10.0, r.light = LightMode::Stationary;
         EXPECT_TRUE(setPictureSwitches(model, ui, r));
         runPipelineToCompletion(model, ui);
         RgbImage picture;
         paintRequestedPicture(model, ui, r, picture);
         return Shown{0, savePicture(model, ui, picture, out).value_or("") + "\n"};
     },
     ".png"},
};

struct BothFaces : ::testing::TestWithParam<FacesCase> {};

TEST_P(BothFaces, ShowTheSameAndWriteTheSameBytes) {
    const FacesCase& c = GetParam();
    const Sites sites;
    const std::string extension = c.written;
    const std::string windowOut = extension.empty() ? "" : sites.dir.path(std::string("window") + extension);
    const std::string cliOut = extension.empty() ? "" : sites.dir.path(std::string("cli") + extension);
    Shown window = c.window(sites, windowOut);
    if (!extension.empty()) {  // the saved-file report names each face's own file
        const std::size_t at = window.text.find(windowOut);
        ASSERT_NE(at, std::string::npos) << window.text;
        window.text.replace(at, windowOut.size(), cliOut);
    }
    const ToolRun cli = runTool(std::string(VELLACOR_CLI) + " " + c.command(sites, cliOut) + " --format PNEZD");
    EXPECT_EQ(cli.exitCode, window.exitCode);
    EXPECT_EQ(cli.output, window.text);
    if (!extension.empty()) {
        const std::string written = readFile(cliOut);
        EXPECT_FALSE(written.empty());
        EXPECT_TRUE(written == readFile(windowOut)) << "the two " << extension << " files differ";
    }
}

INSTANTIATE_TEST_SUITE_P(Jobs, BothFaces, ::testing::ValuesIn(kCases),
                         [](const ::testing::TestParamInfo<FacesCase>& run) { return std::string(run.param.name); });

}  // namespace
}  // namespace vellacor::testing
