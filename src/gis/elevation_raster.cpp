// The one place the program uses the geospatial raster library.
#include "import/elevation_raster.h"

#include <cpl_conv.h>
#include <cpl_error.h>
#include <cpl_vsi.h>
#include <gdal.h>
#include <ogr_srs_api.h>

#include <algorithm>
#include <atomic>
#include <cmath>
#include <cstring>
#include <memory>
#include <new>
#include <string_view>

#include "gis/gis_library.h"
#include "gis/library_functions.h"
#include "import/grid_triangles.h"
#include "import/mapped_file.h"

namespace vellacor {

namespace {

// Surveys arrive from people the user does not know, so opening one must
// read that file and nothing else. The library can follow what a file says
// to other files and to servers (a VRT names any path or URL), and looks
// beside a file for companions of its own; so it is given only drivers that
// read the one file they are handed, and only the file's bytes, in a memory
// folder of their own: it never sees the file's folder, let alone writes there.
constexpr const char* kSingleFileDrivers[] = {"GTiff", "AAIGrid", "GRASSASCIIGrid", "USGSDEM", "DTED", "GSAG",
                                              "GSBG",  "GS7BG",   "BT",             "XYZ",     nullptr};
// Known by content without asking: the same but gridded XYZ text, which is as
// likely a point list and goes to the format question.
constexpr const char* kKnownByContent[] = {"GTiff", "AAIGrid", "GRASSASCIIGrid", "USGSDEM", "DTED",
                                           "GSAG",  "GSBG",    "GS7BG",          "BT",      nullptr};

// The most memory one block of a raster may take (the library reads a block at once).
constexpr long long kLargestRasterBlockBytes = 256LL << 20;

// The library's own file systems (/vsicurl/, /vsizip/ and the like) are
// reached by path: a path naming one is no local file.
bool isLocalPath(const std::string& path) { return path.rfind("/vsi", 0) != 0; }

// The bytes of one file under a name of the library's memory file system,
// alone in a folder of its own. Drivers look beside a file for companions (an
// ASCII grid's .prj, .aux.xml, world files, overviews, masks) by name, with
// no regard for the sibling list; here there is nothing beside it to find.
// The bytes are not copied: the memory file reads them where they lie.
class LoneMemoryFile {
public:
    LoneMemoryFile(std::string_view bytes, const std::string& name) {
        static std::atomic<unsigned> serial{0};
        folder_ = "/vsimem/vellacor-raster-" + std::to_string(serial++);
        VSIMkdir(folder_.c_str(), 0700);
        path_ = folder_ + "/" + name;
        VSILFILE* memory = VSIFileFromMemBuffer(path_.c_str(), reinterpret_cast<GByte*>(const_cast<char*>(bytes.data())),
                                                static_cast<vsi_l_offset>(bytes.size()), FALSE);
        if (memory) VSIFCloseL(memory);
        else path_.clear();
    }
    ~LoneMemoryFile() {
        if (!path_.empty()) VSIUnlink(path_.c_str());
        VSIRmdir(folder_.c_str());
    }
    LoneMemoryFile(const LoneMemoryFile&) = delete;
    LoneMemoryFile& operator=(const LoneMemoryFile&) = delete;

    // Empty when the memory file could not be made.
    const std::string& path() const { return path_; }

private:
    std::string folder_;
    std::string path_;
};

GDALDatasetH openLone(const LoneMemoryFile& file, const char* const* drivers = kSingleFileDrivers) {
    if (file.path().empty()) return nullptr;
    static const char* const kNoSiblings[] = {nullptr};
    return GDALOpenEx(file.path().c_str(), GDAL_OF_RASTER | GDAL_OF_READONLY, drivers, nullptr, kNoSiblings);
}

// The name a file is given in memory: its own, for the drivers that go by the
// extension.
std::string memoryNameOf(const std::string& path) {
    const std::size_t slash = path.rfind('/');
    const std::string name = slash == std::string::npos ? path : path.substr(slash + 1);
    return name.empty() ? std::string("raster") : name;
}

struct DatasetCloser {
    void operator()(void* dataset) const { GDALClose(dataset); }
};
using Dataset = std::unique_ptr<void, DatasetCloser>;

}  // namespace

bool rasterKnownByContent(const std::string& path) {
    startGisLibrary();
    const QuietLibrary quiet;
    if (!isLocalPath(path)) return false;
    GDALDriverH driver = GDALIdentifyDriverEx(path.c_str(), GDAL_OF_RASTER, kKnownByContent, nullptr);
    if (!driver) return false;
    // A picture's first band holds colours (palette indices, red), not heights.
    MappedFile mapped;
    if (!mapped.open(path)) return false;
    const LoneMemoryFile file(mapped.bytes(), memoryNameOf(path));
    const Dataset dataset(openLone(file, kKnownByContent));
    if (!dataset || GDALGetRasterCount(dataset.get()) < 1) return false;
    const GDALColorInterp meaning = GDALGetRasterColorInterpretation(GDALGetRasterBand(dataset.get(), 1));
    return meaning == GCI_Undefined || meaning == GCI_GrayIndex;
}

namespace {

// "EPSG:n" when the raster's system carries its EPSG code, else its WKT; empty when it has none.
std::string coordinateSystemOf(const Dataset& dataset) {
    OGRSpatialReferenceH reference = GDALGetSpatialRef(dataset.get());
    if (!reference) return {};
    const char* authority = OSRGetAuthorityName(reference, nullptr);
    const char* code = OSRGetAuthorityCode(reference, nullptr);
    if (authority && code && std::strcmp(authority, "EPSG") == 0) return std::string("EPSG:") + code;
    const char* wkt = GDALGetProjectionRef(dataset.get());
    return wkt ? wkt : "";
}

// The most bytes of cells a compressed GeoTIFF can make of one byte of the
// file: deflate makes at most 1032, LZW about 1400. Other schemes do better
// only on a raster of one value, which no survey is.
constexpr double kMostBytesFromOneCompressed = 2048;

// The most cells a file of `fileBytes` bytes can hold in its format. A text
// grid writes every cell as a character at least; a binary one as its sample
// type; a compressed GeoTIFF in no less than kMostBytesFromOneCompressed
// allows. A header is free to claim any size, and reading what it claims
// costs time in proportion to the claim, not to the file.
double mostCellsHeld(const Dataset& dataset, GDALRasterBandH band, double fileBytes) {
    const std::string_view driver = GDALGetDriverShortName(GDALGetDatasetDriver(dataset.get()));
    const double cellBytes = std::max(GDALGetDataTypeSizeBytes(GDALGetRasterDataType(band)), 1);
    if (driver == "GTiff") {
        const bool compressed = GDALGetMetadataItem(dataset.get(), "COMPRESSION", "IMAGE_STRUCTURE") != nullptr;
        return fileBytes * (compressed ? kMostBytesFromOneCompressed : 1.0) / cellBytes;
    }
    if (driver == "DTED" || driver == "GSBG" || driver == "GS7BG" || driver == "BT") return fileBytes / cellBytes;
    return fileBytes;  // the text grids
}

// The share of a read's progress the library's reading of the cells takes;
// laying them out as points and triangles takes the rest.
constexpr double kCellReadShare = 0.9;

// The library's progress hook, called after each block or row it reads: the
// worker's progress, and FALSE to stop once the job is cancelled.
int CPL_STDCALL reportCellsRead(double fraction, const char*, void* control) {
    return static_cast<const JobControl*>(control)->carryOn(fraction * kCellReadShare) ? TRUE : FALSE;
}

SurfaceReadResult readOpenedRaster(const Dataset& dataset, std::size_t fileBytes, const JobControl* control) {
    SurfaceReadResult result;
    if (!dataset || GDALGetRasterCount(dataset.get()) < 1) {
        result.message = "Unable to Open File!";
        return result;
    }
    GDALRasterBandH band = GDALGetRasterBand(dataset.get(), 1);
    const int width = GDALGetRasterXSize(dataset.get()), height = GDALGetRasterYSize(dataset.get());
    if (width < 1 || height < 1) return result;
    if (static_cast<double>(width) * height > mostCellsHeld(dataset, band, static_cast<double>(fileBytes))) {
        result.message = "Unable to Open File!\n\nThe file claims " + std::to_string(width) + " x " +
                         std::to_string(height) + " cells, more than its " + std::to_string(fileBytes) +
                         " bytes can hold.";
        return result;
    }
    // The library reads whole blocks, however few samples are asked for: a
    // text grid's block is a row, so a few bytes claiming 400 million columns
    // would have it allocate gigabytes. Such a raster is refused before it can.
    int blockColumns = 0, blockRows = 0;
    GDALGetBlockSize(band, &blockColumns, &blockRows);
    const long long blockBytes = static_cast<long long>(std::max(blockColumns, 1)) * std::max(blockRows, 1) *
                                 std::max(GDALGetDataTypeSizeBytes(GDALGetRasterDataType(band)), 1);
    if (blockBytes > kLargestRasterBlockBytes) {
        result.message = kPointsNotAllocated;
        return result;
    }
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
        result.points.resize(samples.size());
    } catch (const std::bad_alloc&) {
        result.points.clear();
        result.message = kPointsNotAllocated;
        return result;
    }
    GDALRasterIOExtraArg reading;
    INIT_RASTERIO_EXTRA_ARG(reading);
    if (control) {
        reading.pfnProgress = reportCellsRead;
        reading.pProgressData = const_cast<JobControl*>(control);
    }
    if (GDALRasterIOEx(band, GF_Read, 0, 0, width, height, samples.data(), columns, rows, GDT_Float64, 0, 0,
                       &reading) != CE_None ||
        (control && control->cancelled())) {
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
    if (control && !control->carryOn(kCellReadShare)) {
        result.points.clear();
        return result;
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
    result.coordinateSystem = coordinateSystemOf(dataset);
    if (control) control->carryOn(1.0);
    return result;
}

}  // namespace

SurfaceReadResult readRasterFile(const std::string& path, const JobControl* control) {
    startGisLibrary();
    const QuietLibrary quiet;
    MappedFile mapped;
    if (!isLocalPath(path) || !mapped.open(path)) {
        SurfaceReadResult result;
        result.message = "Unable to Open File!";
        return result;
    }
    const LoneMemoryFile file(mapped.bytes(), memoryNameOf(path));
    return readOpenedRaster(Dataset(openLone(file)), mapped.bytes().size(), control);
}

SurfaceReadResult readRasterBytes(std::string_view bytes) {
    startGisLibrary();
    const QuietLibrary quiet;
    const LoneMemoryFile file(bytes, "raster");
    return readOpenedRaster(Dataset(openLone(file)), bytes.size(), nullptr);
}

}  // namespace vellacor
