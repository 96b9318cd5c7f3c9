// The DEM through the geospatial library.
#include "gis/gis_dem.h"

#include <algorithm>
#include <vector>

#include "export/gis_export.h"
#include "gis/gis_library.h"

namespace vellacor {

namespace {
constexpr double kDemNoData = -9999.0;
constexpr long long kDemBlockRows = 256;
}  // namespace

bool writeGisDem(const std::string& memoryPath, const SurfaceView& surface, const DemGrid& grid,
                 const OGRSpatialReference* reference) {
    GDALDriver* driver = GetGDALDriverManager()->GetDriverByName("GTiff");
    if (!driver) return false;
    CreationOptions options;
    options.set("TILED", "YES");
    options.set("COMPRESS", "DEFLATE");
    options.set("PREDICTOR", "3");  // neighbouring heights differ little: floating-point differencing
    options.set("BIGTIFF", "IF_SAFER");
    GisDataset dataset(driver->Create(memoryPath.c_str(), static_cast<int>(grid.columns), static_cast<int>(grid.rows), 1,
                                   GDT_Float64, options.list));
    if (!dataset) return false;
    double transform[6] = {grid.west, grid.cellSize, 0, grid.north, 0, -grid.cellSize};
    if (dataset->SetGeoTransform(transform) != CE_None) return false;
    if (reference && dataset->SetSpatialRef(reference) != CE_None) return false;
    GDALRasterBand* band = dataset->GetRasterBand(1);
    if (band->SetNoDataValue(kDemNoData) != CE_None) return false;
    const DemSampler sampler(surface, grid);
    std::vector<double> heights;
    for (long long row = 0; row < grid.rows; row += kDemBlockRows) {
        const long long count = std::min(kDemBlockRows, grid.rows - row);
        sampler.sampleRows(row, count, kDemNoData, heights);
        if (band->RasterIO(GF_Write, 0, static_cast<int>(row), static_cast<int>(grid.columns), static_cast<int>(count),
                           heights.data(), static_cast<int>(grid.columns), static_cast<int>(count), GDT_Float64, 0, 0,
                           nullptr) != CE_None)
            return false;
    }
    dataset->FlushCache();
    return CPLGetLastErrorType() != CE_Failure;
}

}  // namespace vellacor
