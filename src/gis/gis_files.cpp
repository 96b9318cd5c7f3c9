// The GIS formats, written through the geospatial library into its memory
// file system; the caller puts the bytes on the disk through a safe replacement.
#include "export/gis_export.h"

#include <cpl_conv.h>
#include <cpl_error.h>
#include <cpl_vsi.h>

#include <algorithm>
#include <atomic>
#include <filesystem>

#include "export/dem_grid.h"
#include "gis/gis_dem.h"
#include "gis/gis_library.h"
#include "gis/gis_vectors.h"
#include "gis/library_functions.h"

namespace vellacor {

namespace {

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

void releaseLibraryBuffer(unsigned char* bytes) { CPLFree(bytes); }

GisWriteResult makeGisFilesWithLibrary(const std::string& target, const SiteDocument& document, const GisOptions& options) {
    startGisLibrary();
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
        ok = writeGisDem(memoryPath, surface, grid, reference.get());
    } else {
        ok = writeGisVectors(memoryPath, document, options, reference.get());
    }
    if (!ok || !collectFiles(folder, target, result.files)) result.files.clear();
    return result;
}

}  // namespace vellacor