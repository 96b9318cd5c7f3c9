// The one place the program uses the geospatial raster library.
#include "import/elevation_raster.h"

#include <cpl_error.h>
#include <gdal.h>

#include <cmath>
#include <cstring>
#include <memory>
#include <mutex>
#include <new>

#include "import/grid_triangles.h"
#include "import/mapped_file.h"
#include "model/huge_pages.h"

namespace vellacor {

namespace {

void registerDrivers() {
    static std::once_flag once;
    std::call_once(once, [] { GDALAllRegister(); });
}

// The library's complaints go to the caller as results, not to the terminal.
struct QuietErrors {
    QuietErrors() { CPLPushErrorHandler(CPLQuietErrorHandler); }
    ~QuietErrors() { CPLPopErrorHandler(); }
    QuietErrors(const QuietErrors&) = delete;
    QuietErrors& operator=(const QuietErrors&) = delete;
};

struct DatasetCloser {
    void operator()(void* dataset) const { GDALClose(dataset); }
};
using Dataset = std::unique_ptr<void, DatasetCloser>;

// Gridded XYZ text is read by the library as a raster, but such a file is as
// likely a point list and goes to the format question.
bool isTextPointGrid(GDALDriverH driver) { return std::strcmp(GDALGetDriverShortName(driver), "XYZ") == 0; }

}  // namespace

bool isElevationRaster(const std::string& path) {
    registerDrivers();
    const QuietErrors quiet;
    GDALDriverH driver = GDALIdentifyDriverEx(path.c_str(), GDAL_OF_RASTER, nullptr, nullptr);
    if (!driver || isTextPointGrid(driver)) return false;
    // A picture's first band holds colours (palette indices, red), not heights.
    const Dataset dataset(GDALOpenEx(path.c_str(), GDAL_OF_RASTER | GDAL_OF_READONLY, nullptr, nullptr, nullptr));
    if (!dataset || GDALGetRasterCount(dataset.get()) < 1) return false;
    const GDALColorInterp meaning = GDALGetRasterColorInterpretation(GDALGetRasterBand(dataset.get(), 1));
    return meaning == GCI_Undefined || meaning == GCI_GrayIndex;
}

SurfaceReadResult readElevationRaster(const std::string& path) {
    registerDrivers();
    const QuietErrors quiet;
    SurfaceReadResult result;
    const Dataset dataset(GDALOpenEx(path.c_str(), GDAL_OF_RASTER | GDAL_OF_READONLY, nullptr, nullptr, nullptr));
    if (!dataset || GDALGetRasterCount(dataset.get()) < 1) {
        result.message = "Unable to Open File!";
        return result;
    }
    GDALRasterBandH band = GDALGetRasterBand(dataset.get(), 1);
    const int width = GDALGetRasterXSize(dataset.get()), height = GDALGetRasterYSize(dataset.get());
    if (width < 1 || height < 1) return result;
    // A larger raster is read at a coarser spacing; the library picks the samples.
    int columns = width, rows = height;
    while (static_cast<long long>(columns) * rows > kMostRasterSamples) {
        columns = std::max(1, columns / 2);
        rows = std::max(1, rows / 2);
    }
    std::vector<double> samples;
    try {
        samples.resize(static_cast<std::size_t>(columns) * static_cast<std::size_t>(rows));
        result.points.reserve(samples.size());
        adviseHugePages(result.points.data(), samples.size() * sizeof(SurveyPoint));
        result.points.resize(samples.size());
    } catch (const std::bad_alloc&) {
        result.points.clear();
        result.message = kPointsNotAllocated;
        return result;
    }
    if (GDALRasterIO(band, GF_Read, 0, 0, width, height, samples.data(), columns, rows, GDT_Float64, 0, 0) != CE_None) {
        result.points.clear();
        result.message = "Unable to Open File!";
        return result;
    }
    int hasNoData = 0;
    const double noData = GDALGetRasterNoDataValue(band, &hasNoData);
    double transform[6] = {0, 1, 0, 0, 0, 1};
    const bool georeferenced = GDALGetGeoTransform(dataset.get(), transform) == CE_None;
    if (!georeferenced) {
        // Grid positions, the first row the northernmost, as an SRTM tile.
        transform[0] = 0, transform[1] = 1, transform[2] = 0;
        transform[3] = height, transform[4] = 0, transform[5] = -1;
    }
    const double sx = static_cast<double>(width) / columns, sy = static_cast<double>(height) / rows;
    for (int r = 0; r < rows; ++r)
        for (int c = 0; c < columns; ++c) {
            const std::size_t index =
                static_cast<std::size_t>(r) * static_cast<std::size_t>(columns) + static_cast<std::size_t>(c);
            const double px = (c + 0.5) * sx, py = (r + 0.5) * sy;
            const double easting = transform[0] + px * transform[1] + py * transform[2];
            const double northing = transform[3] + px * transform[4] + py * transform[5];
            double z = samples[index];
            if ((hasNoData && z == noData) || !isUsableCoordinate(z)) z = kVoidElevation;
            if (!isUsableCoordinate(easting) || !isUsableCoordinate(northing)) z = kVoidElevation;
            result.points[index] = gridPoint(static_cast<int>(index), isUsableCoordinate(easting) ? easting : 0.0,
                                             isUsableCoordinate(northing) ? northing : 0.0, z);
        }
    try {
        addThinnedGridTriangles(result.points, rows, columns, thinningStep(rows, columns, kMostGridTriangles),
                                kMostGridTriangles, result.triangles);
    } catch (const std::bad_alloc&) {
        result.triangles.clear();
        result.message = kTrianglesNotAllocated;
        return result;
    }
    // Rows that run south (a south-up raster) or a mirrored one would make
    // clockwise triangles: turn them.
    if (transform[1] * transform[5] - transform[2] * transform[4] > 0)
        for (TinTriangle& t : result.triangles) std::swap(t.vertex[1], t.vertex[2]);
    result.trianglesMade = true;
    return result;
}

}  // namespace vellacor
