// Saving a 100,000-point site as DXF with points, 50 contour levels and the
// surface. The first benchmark hands the writer contours made here, so it
// measures the writer alone; the second traces them from the surface as Save
// As does.
#include <benchmark/benchmark.h>

#include <cmath>
#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "export/writers.h"
#include "app/site_model.h"

namespace {

using namespace vellacor;

constexpr int kColumns = 400, kRows = 250;  // 100,000 points, 198,702 triangles
constexpr double kCell = 10;

// A slope rising 50 units from west to east with a ripple along it: from
// 100.1 to 150.9, so levels 101 to 150 cross it, 50 levels at interval 1.
double groundAt(double e, double n) { return 100.5 + 50 * e / ((kColumns - 1) * kCell) + 0.4 * std::sin(n / 100); }

void buildSite(SiteModel& m) {
    m.document.points.resize(kColumns * kRows);
    for (int row = 0; row < kRows; ++row)
        for (int col = 0; col < kColumns; ++col) {
            SurveyPoint& p = m.document.points[static_cast<std::size_t>(row * kColumns + col)];
            p.number = row * kColumns + col + 1;
            p.easting = 500000 + col * kCell + 0.123;
            p.northing = 4000000 + row * kCell + 0.456;
            p.elevation = groundAt(col * kCell, row * kCell);
            setDescription(p, row % 7 ? "TOPO" : "EDGE OF PAVEMENT");
        }
    m.document.pointCount = kColumns * kRows;
    for (int row = 0; row + 1 < kRows; ++row)
        for (int col = 0; col + 1 < kColumns; ++col) {
            const int a = row * kColumns + col;
            TinTriangle t1, t2;
            t1.vertex[0] = a, t1.vertex[1] = a + 1, t1.vertex[2] = a + kColumns + 1;
            t2.vertex[0] = a, t2.vertex[1] = a + kColumns + 1, t2.vertex[2] = a + kColumns;
            m.document.triangles.push_back(t1);
            m.document.triangles.push_back(t2);
        }
    m.document.triangleCount = static_cast<int>(m.document.triangles.size());
    computeExtents(m.document);
}

// Each level's line runs the length of the site, 2,000 vertices to a level.
std::vector<ExportPolyline> syntheticContours(const SiteModel& m) {
    std::vector<ExportPolyline> contours;
    constexpr int kVertices = 2000;
    const double length = (kRows - 1) * kCell;
    for (int level = 101; level <= 150; ++level) {
        ExportPolyline line{static_cast<double>(level), level % 5 == 0, {}};
        for (int i = 0; i < kVertices; ++i) {
            const double n = length * i / (kVertices - 1);
            const double e = (level - 100.5 - 0.4 * std::sin(n / 100)) / 50 * ((kColumns - 1) * kCell);
            line.points.push_back({m.document.points[0].easting + e, m.document.points[0].northing + n, static_cast<double>(level)});
        }
        contours.push_back(std::move(line));
    }
    return contours;
}

const std::string kOutput = (std::filesystem::temp_directory_path() / "vellacor-bench-site.dxf").string();

void BM_DxfWriter100kPointsContoursSurface(benchmark::State& state) {
    SiteModel m;
    buildSite(m);
    const std::vector<ExportPolyline> contours = syntheticContours(m);
    const ExportParts parts{true, true, false, true};
    for (auto _ : state) {
        std::FILE* f = std::fopen(kOutput.c_str(), "wb");
        benchmark::DoNotOptimize(writeDxf(f, m.document, parts, contours));
        std::fclose(f);
    }
    state.counters["MB"] = static_cast<double>(std::filesystem::file_size(kOutput)) / 1e6;
    std::filesystem::remove(kOutput);
}
BENCHMARK(BM_DxfWriter100kPointsContoursSurface)->Unit(benchmark::kMillisecond);

void BM_DxfSaveAsWithContourTracing(benchmark::State& state) {
    SiteModel m;
    buildSite(m);
    m.document.contours.contourSmoothing = 0;
    m.document.triangulateStage.done = true;
    const ExportParts parts{true, true, false, true};
    for (auto _ : state) {
        std::FILE* f = std::fopen(kOutput.c_str(), "wb");
        benchmark::DoNotOptimize(writeDxf(f, m.document, parts));
        std::fclose(f);
    }
    state.counters["MB"] = static_cast<double>(std::filesystem::file_size(kOutput)) / 1e6;
    std::filesystem::remove(kOutput);
}
BENCHMARK(BM_DxfSaveAsWithContourTracing)->Unit(benchmark::kMillisecond);

}  // namespace
