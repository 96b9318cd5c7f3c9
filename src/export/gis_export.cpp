// The GIS formats, written through the geospatial library into its memory
// file system; the caller puts the bytes on the disk through a safe replacement.
#include "export/gis_export.h"

#include <cpl_conv.h>
#include <cpl_error.h>
#include <cpl_string.h>
#include <cpl_vsi.h>
#include <gdal_priv.h>
#include <ogrsf_frmts.h>

#include <algorithm>
#include <atomic>
#include <cmath>
#include <filesystem>
#include <memory>

#include "export/dem_grid.h"
#include "export/gis_spatial_reference.h"
#include "surface/contour_export.h"

namespace vellacor {

namespace {

constexpr double kDemNoData = -9999.0;
constexpr long long kDemBlockRows = 256;

struct DatasetCloser {
    void operator()(GDALDataset* dataset) const { GDALClose(dataset); }
};
using Dataset = std::unique_ptr<GDALDataset, DatasetCloser>;

// The library's complaints become results, not lines on the terminal.
struct QuietLibrary {
    QuietLibrary() {
        CPLPushErrorHandler(CPLQuietErrorHandler);
        CPLErrorReset();
    }
    ~QuietLibrary() { CPLPopErrorHandler(); }
    QuietLibrary(const QuietLibrary&) = delete;
    QuietLibrary& operator=(const QuietLibrary&) = delete;
};

// A folder of the memory file system of its own, emptied when it goes.
class MemoryFolder {
public:
    MemoryFolder() {
        static std::atomic<unsigned> serial{0};
        path_ = "/vsimem/vellacor-gis-" + std::to_string(serial++);
        VSIMkdir(path_.c_str(), 0755);
    }
    ~MemoryFolder() { VSIRmdirRecursive(path_.c_str()); }
    MemoryFolder(const MemoryFolder&) = delete;
    MemoryFolder& operator=(const MemoryFolder&) = delete;
    const std::string& path() const { return path_; }

private:
    std::string path_;
};

struct CreationOptions {
    char** list = nullptr;
    ~CreationOptions() { CSLDestroy(list); }
    void set(const char* name, const char* value) { list = CSLSetNameValue(list, name, value); }
};

bool isValidTriangle(const SiteDocument& d, const TinTriangle& t) {
    return isPointIndex(d, t.vertex[0]) && isPointIndex(d, t.vertex[1]) && isPointIndex(d, t.vertex[2]);
}

OGRLineString lineOf(const std::vector<Vec3>& points) {
    OGRLineString line;
    for (const Vec3& p : points) line.addPoint(p.x, p.y, p.z);
    return line;
}

class VectorWriter {
public:
    VectorWriter(GDALDataset& dataset, const OGRSpatialReference* reference, bool shapefile, const char* layerName)
        : dataset_(dataset), reference_(reference), shapefile_(shapefile), layerName_(layerName) {}

    bool points(const SiteDocument& d) {
        OGRLayer* layer = create(wkbPoint25D);
        // A shapefile's fields have at most ten letters.
        const char* description = shapefile_ ? "desc" : "description";
        if (!layer || !field(layer, "number", OFTInteger) || !field(layer, "elevation", OFTReal) ||
            !field(layer, description, OFTString, kDescriptionLength))
            return false;
        return inTransaction([&] {
            for (int i = 0; i < d.pointCount; ++i) {
                const SurveyPoint& p = pointAt(d, i);
                OGRFeature feature(layer->GetLayerDefn());
                feature.SetField(0, p.number);
                feature.SetField(1, p.elevation);
                feature.SetField(2, std::string(descriptionOf(p)).c_str());
                OGRPoint point(p.easting, p.northing, p.elevation);
                feature.SetGeometry(&point);
                if (layer->CreateFeature(&feature) != OGRERR_NONE) return false;
            }
            return true;
        });
    }

    bool contours(const std::vector<ExportPolyline>& contours) {
        OGRLayer* layer = create(wkbLineString25D);
        if (!layer || !field(layer, "elevation", OFTReal) || !field(layer, "kind", OFTString, 5)) return false;
        return inTransaction([&] {
            for (const ExportPolyline& contour : contours) {
                if (contour.points.size() < 2) continue;
                OGRFeature feature(layer->GetLayerDefn());
                feature.SetField(0, contour.level);
                feature.SetField(1, contour.major ? "major" : "minor");
                OGRLineString line = lineOf(contour.points);
                feature.SetGeometry(&line);
                if (layer->CreateFeature(&feature) != OGRERR_NONE) return false;
            }
            return true;
        });
    }

    bool breaklines(const SiteDocument& d) {
        OGRLayer* layer = create(wkbLineString25D);
        if (!layer || !field(layer, "start_pt", OFTInteger) || !field(layer, "end_pt", OFTInteger)) return false;
        return inTransaction([&] {
            for (const Breakline& b : d.breaklines.pairs) {
                if (!isPointIndex(d, b.a) || !isPointIndex(d, b.b)) continue;
                const SurveyPoint& a = pointAt(d, b.a);
                const SurveyPoint& e = pointAt(d, b.b);
                OGRFeature feature(layer->GetLayerDefn());
                feature.SetField(0, a.number);
                feature.SetField(1, e.number);
                OGRLineString line = lineOf({positionOf(a), positionOf(e)});
                feature.SetGeometry(&line);
                if (layer->CreateFeature(&feature) != OGRERR_NONE) return false;
            }
            return true;
        });
    }

    bool tin(const SiteDocument& d) {
        OGRLayer* layer = create(wkbPolygon25D);
        if (!layer || !field(layer, "elev_a", OFTReal) || !field(layer, "elev_b", OFTReal) ||
            !field(layer, "elev_c", OFTReal))
            return false;
        return inTransaction([&] {
            for (int t = 0; t < d.triangleCount; ++t) {
                const TinTriangle& tri = d.triangles[static_cast<std::size_t>(t)];
                if (!isValidTriangle(d, tri)) continue;
                OGRFeature feature(layer->GetLayerDefn());
                OGRLinearRing ring;
                for (int k = 0; k < 3; ++k) {
                    const SurveyPoint& p = pointAt(d, tri.vertex[k]);
                    feature.SetField(k, p.elevation);
                    ring.addPoint(p.easting, p.northing, p.elevation);
                }
                ring.closeRings();
                OGRPolygon polygon;
                polygon.addRing(&ring);
                feature.SetGeometry(&polygon);
                if (layer->CreateFeature(&feature) != OGRERR_NONE) return false;
            }
            return true;
        });
    }

    void setLayerName(const char* name) { layerName_ = name; }

private:
    OGRLayer* create(OGRwkbGeometryType type) {
        CreationOptions options;
        if (shapefile_) options.set("ENCODING", "UTF-8");
        else if (std::string(dataset_.GetDriverName()) == "GeoJSON") options.set("WRITE_BBOX", "YES");
        return dataset_.CreateLayer(layerName_, const_cast<OGRSpatialReference*>(reference_), type, options.list);
    }

    static bool field(OGRLayer* layer, const char* name, OGRFieldType type, int width = 0) {
        OGRFieldDefn definition(name, type);
        if (width > 0) definition.SetWidth(width);
        return layer->CreateField(&definition) == OGRERR_NONE;
    }

    // One transaction a layer: a GeoPackage otherwise commits every feature.
    template <typename Write>
    bool inTransaction(Write&& write) {
        const bool transaction = dataset_.StartTransaction() == OGRERR_NONE;
        const bool ok = write();
        if (transaction) return dataset_.CommitTransaction() == OGRERR_NONE && ok;
        return ok;
    }

    GDALDataset& dataset_;
    const OGRSpatialReference* reference_;
    bool shapefile_;
    const char* layerName_;
};

bool writeLayer(VectorWriter& writer, GisLayer layer, const SiteDocument& d, const std::vector<ExportPolyline>& contours) {
    writer.setLayerName(gisLayerName(layer));
    switch (layer) {
        case GisLayer::Points: return writer.points(d);
        case GisLayer::Contours: return writer.contours(contours);
        case GisLayer::Breaklines: return writer.breaklines(d);
        case GisLayer::Tin: return writer.tin(d);
    }
    return false;
}

bool writeVectors(const std::string& memoryPath, const SiteDocument& d, const GisOptions& options,
                  const OGRSpatialReference* reference) {
    const char* driverName = options.format == GisFormat::GeoPackage ? "GPKG"
                             : options.format == GisFormat::GeoJson  ? "GeoJSON"
                                                                     : "ESRI Shapefile";
    GDALDriver* driver = GetGDALDriverManager()->GetDriverByName(driverName);
    if (!driver) return false;
    Dataset dataset(driver->Create(memoryPath.c_str(), 0, 0, 0, GDT_Unknown, nullptr));
    if (!dataset) return false;
    const bool wantContours = options.format == GisFormat::GeoPackage ? options.parts.contours
                                                                      : options.layer == GisLayer::Contours;
    const std::vector<ExportPolyline> contours =
        wantContours ? traceContoursForExport(d) : std::vector<ExportPolyline>{};
    // A GeoPackage layer without a system would claim the undefined
    // geographic one: plane coordinates get the undefined Cartesian one.
    OGRSpatialReference undefinedPlane;
    if (!reference && options.format == GisFormat::GeoPackage) {
        undefinedPlane.SetLocalCS("Undefined cartesian SRS");
        reference = &undefinedPlane;
    }
    VectorWriter writer(*dataset, reference, options.format == GisFormat::Shapefile, "");
    if (options.format != GisFormat::GeoPackage) return writeLayer(writer, options.layer, d, contours);
    const ExportParts& parts = options.parts;
    return (!parts.points || writeLayer(writer, GisLayer::Points, d, contours)) &&
           (!parts.contours || writeLayer(writer, GisLayer::Contours, d, contours)) &&
           (!parts.breaklines || writeLayer(writer, GisLayer::Breaklines, d, contours)) &&
           (!parts.surface || writeLayer(writer, GisLayer::Tin, d, contours));
}

double demCellSize(const SurfaceView& surface, double asked) {
    if (asked > 0.0) return asked;
    const DemGrid unit = demGridOver(surface, 1.0);
    const double longer = static_cast<double>(std::max(unit.columns, unit.rows));
    return longer > 0 ? longer / kDefaultDemCellsAcross : 1.0;
}

bool writeDem(const std::string& memoryPath, const SurfaceView& surface, const DemGrid& grid,
              const OGRSpatialReference* reference) {
    GDALDriver* driver = GetGDALDriverManager()->GetDriverByName("GTiff");
    if (!driver) return false;
    CreationOptions options;
    options.set("TILED", "YES");
    options.set("COMPRESS", "DEFLATE");
    options.set("BIGTIFF", "IF_SAFER");
    Dataset dataset(driver->Create(memoryPath.c_str(), static_cast<int>(grid.columns), static_cast<int>(grid.rows), 1,
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

// Every file the library left in the folder, named as it will be beside the target.
bool collectFiles(const MemoryFolder& folder, const std::string& target, std::vector<GisFile>& files) {
    const std::filesystem::path beside = std::filesystem::path(target).parent_path();
    char** names = VSIReadDir(folder.path().c_str());
    bool ok = names != nullptr;
    for (char** name = names; name && *name; ++name) {
        const std::string memoryName = folder.path() + "/" + *name;
        vsi_l_offset length = 0;
        // The file's buffer is taken over: a large DEM is never held twice.
        GByte* bytes = VSIGetMemFileBuffer(memoryName.c_str(), &length, TRUE);
        VSIUnlink(memoryName.c_str());
        GisFile file{(beside / *name).string(), std::unique_ptr<unsigned char, GisFile::Release>(bytes),
                     static_cast<std::size_t>(length)};
        if (!bytes) ok = false;
        else files.push_back(std::move(file));
    }
    CSLDestroy(names);
    // The target itself comes first: it is the one the user named.
    std::stable_partition(files.begin(), files.end(), [&](const GisFile& f) {
        return std::filesystem::path(f.path).filename() == std::filesystem::path(target).filename();
    });
    return ok && !files.empty();
}

}  // namespace

void GisFile::Release::operator()(unsigned char* bytes) const { CPLFree(bytes); }

const char* gisLayerName(GisLayer layer) {
    switch (layer) {
        case GisLayer::Points: return "points";
        case GisLayer::Contours: return "contours";
        case GisLayer::Breaklines: return "breaklines";
        case GisLayer::Tin: return "tin";
    }
    return "points";
}

GisWriteResult makeGisFiles(const std::string& target, const SiteDocument& document, const GisOptions& options) {
    registerGisDrivers();
    GisWriteResult result;
    const std::unique_ptr<OGRSpatialReference> reference = spatialReferenceOf(document.coordinateSystem);
    const QuietLibrary quiet;
    const MemoryFolder folder;
    const std::string memoryPath = folder.path() + "/" + std::filesystem::path(target).filename().string();
    bool ok = false;
    if (options.format == GisFormat::GeoTiff) {
        const SurfaceView surface = surfaceOf(document);
        const DemGrid grid = demGridOver(surface, demCellSize(surface, options.cellSize));
        if (grid.columns == 0) {
            result.refusal = "There is no surface to sample.";
            return result;
        }
        if (grid.columns > kMostDemCells || grid.rows > kMostDemCells || grid.columns * grid.rows > kMostDemCells) {
            result.refusal = "The cell size is too small for this site: the grid would have more than " +
                             std::to_string(kMostDemCells) + " cells.";
            return result;
        }
        ok = writeDem(memoryPath, surface, grid, reference.get());
    } else {
        ok = writeVectors(memoryPath, document, options, reference.get());
    }
    if (!ok || !collectFiles(folder, target, result.files)) result.files.clear();
    return result;
}

}  // namespace vellacor
