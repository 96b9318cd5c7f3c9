#include "cli/cli_commands.h"

#include <cstdio>
#include <optional>

#include "app/cad_overlays.h"
#include "app/document.h"
#include "app/gis_save.h"
#include "export/gis_crs.h"
#include "app/pipeline.h"
#include "cli/cli_boundaries.h"
#include "app/site_open.h"
#include "cli/cli_convert.h"
#include "cli/cli_ponds.h"
#include "cli/cli_render.h"
#include "cli/cli_section.h"
#include "cli/cli_volume.h"
#include "cli/cli_args.h"
#include "cli/cli_breaklines.h"
#include "cli/cli_ui.h"
#include "app/site_model.h"
#include "surface/contour_export.h"
#include "model/save_temporaries.h"

namespace vellacor {

namespace {

int info(const std::vector<std::string>& args) {
    const std::optional<CliArgs> o = parseCliArgs(args);
    if (!o) return usageError();
    const bool surface = o->has(CliSwitch::Surface) || !o->breaklinePairs.empty();
    SiteModel model;
    CliUi ui(*o);
    if (openSite(model, ui, siteRequestOf(*o, o->file)) != OpenResult::Loaded) return 1;
    const std::size_t overlayEntries = o->overlay.empty() ? 0 : importCadOverlay(model, ui, o->overlay);
    if (surface) runPipelineToCompletion(model, ui);
    std::optional<BreaklinePairsResult> pairs;
    if (!o->breaklinePairs.empty() && !(pairs = addBreaklinePairsFile(model, ui, o->breaklinePairs))) return 1;
    double minE = model.document.points[0].easting, maxE = minE, minN = model.document.points[0].northing, maxN = minN;
    for (int i = 0; i < model.document.pointCount; ++i) {
        const SurveyPoint& p = model.document.points[static_cast<std::size_t>(i)];
        minE = std::min(minE, p.easting), maxE = std::max(maxE, p.easting);
        minN = std::min(minN, p.northing), maxN = std::max(maxN, p.northing);
    }
    std::printf("format: %s\n", std::string(formatTag(model.document.pointFileFormat)).c_str());
    std::printf("points: %d\n", model.document.pointCount);
    if (model.document.pointsBeforeThinning > 0) std::printf("thinned: %d %d\n", model.document.pointCount, model.document.pointsBeforeThinning);
    std::printf("skipped: %d\n", model.document.skippedLines.count);
    std::printf("easting: %.6f %.6f\n", minE, maxE);
    std::printf("northing: %.6f %.6f\n", minN, maxN);
    std::printf("elevation: %.6f %.6f\n", model.document.minElevation, model.document.maxElevation);
    std::printf("siteCentre: %.6f %.6f %.6f\n", model.document.siteCentre.x, model.document.siteCentre.y, model.document.siteCentre.z);
    std::printf("siteSize: %.6f\n", model.document.siteSize);
    std::printf("nextPointNumber: %d\n", model.document.nextPointNumber);
    // Only when there are any, so that what info printed before stays as it was.
    if (model.document.boundaries.polygonCount() > 0)
        std::printf("boundaries: %d\n", model.document.boundaries.polygonCount());
    // After the triangles when they are printed, where they would be otherwise;
    // only when the file repeated faces (or gave some without area).
    const auto printDuplicateFaces = [&] {
        if (model.document.duplicateFaces > 0) std::printf("duplicate faces: %d\n", model.document.duplicateFaces);
    };
    const bool drawnSurface = model.document.pointFileFormat == PointFileFormat::Dxf && model.document.triangleCount > 0;
    if (!surface && !drawnSurface) printDuplicateFaces();
    if (surface) {
        // The contours as a save would write them: levels that have a contour,
        // polylines, and their vertices.
        model.document.contours.contourInterval = o->interval.value_or(1.0);
        model.document.contours.contourSmoothing = o->smoothing.value_or(1.0);
        const std::vector<ExportPolyline> contours = traceContoursForExport(model.document);
        std::size_t levels = 0, vertices = 0;
        for (std::size_t i = 0; i < contours.size(); ++i) {
            if (i == 0 || contours[i].level != contours[i - 1].level) ++levels;
            vertices += contours[i].points.size();
        }
        std::printf("triangles: %d\n", model.document.triangleCount);
        printDuplicateFaces();
        if (pairs) std::printf("breaklines: %d %d\n", pairs->accepted, pairs->refused);
        std::printf("contours: %zu %zu %zu\n", levels, contours.size(), vertices);
    } else if (drawnSurface) {
        std::printf("triangles: %d\n", model.document.triangleCount);  // the surface the drawing brought
        printDuplicateFaces();
    }
    // The breaklines the file brought (--add-breaklines says what it did instead).
    if (!pairs && !model.document.breaklines.empty())
        std::printf("breaklines: %d\n", model.document.breaklines.count());
    if (!o->overlay.empty()) std::printf("overlay: %zu\n", overlayEntries);
    if (!model.document.coordinateSystem.empty())
        std::printf("crs: %s\n", coordinateSystemLabel(model.document.coordinateSystem).c_str());
    return 0;
}

}  // namespace

const char* cliUsage() {
    return "usage: vellacor-cli info FILE [--format F] [--surface [--interval X] [--smoothing S]]\n"
           "                    [--add-breaklines PAIRS] [--overlay DRAWING.dxf|.dwf] [--crs EPSG:N]\n"
           "       vellacor-cli convert FILE --to OUT [--format F] [--as dxf|landxml|points|gpkg|geojson|shp|tif]\n"
           "                    [--add-breaklines PAIRS]\n"
           "                    [--points] [--contours] [--breaklines] [--surface] [--interval X] [--smoothing S]\n"
           "                    [--limit-polygon E,N;E,N;E,N...] [--layer points|contours|breaklines|tin]\n"
           "                    [--cell SIZE] [--crs EPSG:N]\n"
           "       vellacor-cli render FILE --out IMAGE.png [--format F] [--size WxH] [--palette 0..4]\n"
           "                    [--surface-mode 0..7] [--contours] [--triangles] [--points] [--labels] [--interval X]\n"
           "                    [--view load|plan] [--orbit H,P] [--zoom F] [--light 0|1|2]\n"
           "                    [--texture IMAGE.bmp] [--add-breaklines PAIRS] [--limit-polygon E,N;...]\n"
           "                    [--rain SECONDS [--seed N]] [--frames N]\n"
           "                    [--overlay DRAWING.dxf|.dwf]\n"
           "       vellacor-cli section FILE --from E,N --to E,N [--out OUT.dxf] [--csv OUT.csv] [--format F]\n"
           "       vellacor-cli ponds FILE [--format F]\n"
           "       vellacor-cli volume FIRST [SECOND | --datum Z] [--polygon E,N;E,N;...] [--isopach OUT.dxf]\n"
           "                    [--format F]\n"
           "  info, convert, render, section, ponds and volume also take [--boundary E,N;E,N;E,N...]\n"
           "                    [--hide E,N;E,N;E,N...] [--max-edge L] [--thin CELL] [--quiet]\n"
           "  a run of more than about a second shows its progress on stderr when that is a terminal,\n"
           "  as 0...10...20...30...40...50...60...70...80...90...100 - done.; --quiet shows none\n"
           "  --format F answers the format question for a file whose extension does not name it:\n"
           "  PNEZD, PENZD, XYZ, RAW, USGS_DEM, HGT, EXE, XML or RASTER; info adds 'breaklines: N' when the\n"
           "  file brought breaklines (and no --add-breaklines)\n"
           "  --classes C,C,... (each 0..255, any command) chooses the point classes of a LAS point cloud that\n"
           "  become the site: the ground class 2 when the file has any, otherwise every point, without it;\n"
           "  compressed files (LAZ, COPC) are decoded on both cores; --withheld (any command) keeps the points\n"
           "  the file marks as withheld, which are otherwise left out\n"
           "  info --surface adds 'triangles: N' and 'contours: LEVELS POLYLINES VERTICES' (levels that have a\n"
           "  contour, joined polylines, their vertices) for the contour interval X (1.0) and smoothing S (1.0)\n"
           "  a face a file lists twice, or one with two equal corners or no plan area, is left out as the file is\n"
           "  read; info then adds 'duplicate faces: N' after 'triangles: N' (or where that would stand)\n"
           "  --add-breaklines PAIRS forces breaklines between the point numbers \"a,b\" of each line of PAIRS into\n"
           "  the surface, as picks in the view would; info then adds 'breaklines: ACCEPTED REFUSED'\n"
           "  render --rain shows the site after SECONDS (0..600) of rain at 30 frames a second, ponds filling;\n"
           "  the same --seed (1) gives the same picture\n"
           "  convert writes GeoPackage (.gpkg), GeoJSON (.geojson, one --layer), shapefiles (.shp, one --layer)\n"
           "  and GeoTIFF DEMs (.tif, cells of --cell SIZE) besides DXF, LandXML and point text; --crs EPSG:N\n"
           "  names the coordinate system the site is in, and info adds 'crs: ...' when it is known; a site in\n"
           "  longitudes and latitudes (by its file or --crs) is projected to the WGS 84 UTM zone of its centre\n"
           "  ponds lists each depression filled to its spill point, deepest first:\n"
           "  'pond LOWPOINT LOWELEV SPILLELEV AREA VOLUME', then 'ponds: N'\n"
           "  a DXF FILE is read as the window reads it, its CAD lines used as breaklines (the question answered Yes);\n"
           "  one that holds 3DFACEs opens as that surface, its lines inserted into it, and info adds 'triangles: N'\n"
           "  info prints 'overlay: ENTITIES' for --overlay\n"
           "  --interval X is 0.01..999999999 and --smoothing S 0..1 in every command; --size 16..8192 each way\n"
           "  --limit-polygon keeps contours inside the polygon of three or more corners (easting,northing)\n"
           "  render --frames N (1..100000) draws N more frames, the camera turning 1 degree about the target\n"
           "  each as a left drag draws them, a whole rebuild every frame, and writes the frame after the drag\n"
           "  volume prints 'cut: V', 'fill: V', 'net: V' (fill minus cut), 'cut-area: A', 'fill-area: A' and\n"
           "  'area: A' (the plan area where both surfaces are, within the polygon): cut where SECOND (or the\n"
           "  level Z) lies below FIRST, fill where above; --format answers for both files; --isopach writes\n"
           "  the contours of FIRST minus SECOND at the contour interval (1.0) as a DXF drawing\n"
           "  --boundary keeps the surface's triangles whose centroid is inside the polygon, --hide takes those\n"
           "  inside it away (each may be given again), --max-edge L peels triangles with an edge longer than L\n"
           "  off the surface's edge; a LandXML file's own boundaries apply too, and info then adds\n"
           "  'boundaries: N' (the polygons)\n"
           "  --thin CELL keeps one point of a point file or LAS cloud in each CELL x CELL square of the plan,\n"
           "  the lowest, before the surface is built; info then adds 'thinned: KEPT BEFORE' after 'points: N'\n";
}

int usageError() {
    std::fputs(cliUsage(), stderr);
    return 2;
}

int runCli(const std::vector<std::string>& args) {
    // Hidden files of a save killed in an earlier run go from the folders this one reads and writes.
    if (const std::optional<CliArgs> o = parseCliArgs(args))
        removeStaleSaveTemporariesBeside({o->file, o->secondFile, o->out, o->isopach, o->csv});
    if (args[0] == "info") return info(args);
    if (args[0] == "convert") return convertCommand(args);
    if (args[0] == "render") return renderCommand(args);
    if (args[0] == "section") return sectionCommand(args);
    if (args[0] == "ponds") return pondsCommand(args);
    if (args[0] == "volume") return volumeCommand(args);
    return usageError();
}

}  // namespace vellacor
