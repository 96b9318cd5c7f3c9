// The coordinate systems through the geospatial library's spatial references.
#include "export/gis_crs.h"

#include <cpl_conv.h>
#include <cpl_error.h>
#include <cpl_vsi.h>
#include <gdal.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <limits>

#include "gis/gis_library.h"
#include "gis/library_functions.h"

namespace vellacor {

namespace {

// The code of an "EPSG:n" definition, or 0 (also for a code too large for any system).
int epsgCodeOf(std::string_view definition) {
    if (!isEpsgDefinition(definition)) return 0;
    long long code = 0;
    for (const char digit : definition.substr(5)) code = code * 10 + (digit - '0');
    return code <= std::numeric_limits<int>::max() ? static_cast<int>(code) : 0;
}

// A TIFF file of one pixel that holds the GeoTIFF keys, for the library's
// GeoTIFF reader to make a system of: the keys of a file that describes its
// system rather than naming it by code need all of that reader's knowledge.
class GeoKeyTiff {
public:
    GeoKeyTiff(const std::vector<std::uint16_t>& directory, const std::vector<double>& doubles, std::string ascii) {
        if (!ascii.empty() && ascii.back() != '\0') ascii.push_back('\0');
        struct Entry {
            std::uint16_t tag, type;
            std::uint32_t count, value;
        };
        constexpr std::uint16_t kShort = 3, kLong = 4, kAscii = 2, kDouble = 12;
        std::vector<Entry> entries = {{256, kShort, 1, 1}, {257, kShort, 1, 1}, {258, kShort, 1, 8}, {259, kShort, 1, 1},
                                      {262, kShort, 1, 1}, {273, kLong, 1, 0},  {277, kShort, 1, 1}, {278, kShort, 1, 1},
                                      {279, kLong, 1, 1},  {34735, kShort, static_cast<std::uint32_t>(directory.size()), 0}};
        if (!doubles.empty()) entries.push_back({34736, kDouble, static_cast<std::uint32_t>(doubles.size()), 0});
        if (!ascii.empty()) entries.push_back({34737, kAscii, static_cast<std::uint32_t>(ascii.size()), 0});
        const std::size_t ifd = 8, ifdLength = 2 + 12 * entries.size() + 4;
        // After the directory: the pixel, then the keys, the doubles (on a
        // multiple of 8) and the text.
        std::size_t at = ifd + ifdLength;
        const std::size_t pixel = at++;
        const std::size_t keys = at;
        at += 2 * directory.size();
        at = (at + 7) / 8 * 8;
        const std::size_t numbers = at;
        at += 8 * doubles.size();
        const std::size_t text = at;
        at += ascii.size();
        bytes_.assign(at, 0);
        put(0, std::uint32_t{0x002A4949});  // "II*\0": little-endian TIFF
        put(4, static_cast<std::uint32_t>(ifd));
        put(ifd, static_cast<std::uint16_t>(entries.size()));
        for (std::size_t i = 0; i < entries.size(); ++i) {
            Entry e = entries[i];
            if (e.tag == 273) e.value = static_cast<std::uint32_t>(pixel);
            if (e.tag == 34735) e.value = static_cast<std::uint32_t>(keys);
            if (e.tag == 34736) e.value = static_cast<std::uint32_t>(numbers);
            if (e.tag == 34737) e.value = static_cast<std::uint32_t>(text);
            const std::size_t entry = ifd + 2 + 12 * i;
            put(entry, e.tag);
            put(entry + 2, e.type);
            put(entry + 4, e.count);
            // Values that fit the entry's four bytes are kept in it, from its start.
            if (e.type == kShort && e.count == 1)
                put(entry + 8, static_cast<std::uint16_t>(e.value));
            else if (e.type == kAscii && ascii.size() <= 4)
                std::memcpy(bytes_.data() + entry + 8, ascii.data(), ascii.size());
            else
                put(entry + 8, e.value);
        }
        if (!directory.empty()) std::memcpy(bytes_.data() + keys, directory.data(), 2 * directory.size());
        if (!doubles.empty()) std::memcpy(bytes_.data() + numbers, doubles.data(), 8 * doubles.size());
        std::memcpy(bytes_.data() + text, ascii.data(), ascii.size());
    }

    // The system the library's GeoTIFF reader makes of it, "EPSG:n" or WKT; empty when none.
    std::string coordinateSystem() {
        // A name of this object's own, so that readers on other threads never meet it.
        char name[64];
        std::snprintf(name, sizeof name, "/vsimem/vellacor-geokeys-%p.tif", static_cast<void*>(this));
        VSILFILE* file = VSIFileFromMemBuffer(name, bytes_.data(), bytes_.size(), FALSE);
        if (!file) return {};
        VSIFCloseL(file);
        std::string system;
        {
            const char* const drivers[] = {"GTiff", nullptr};
            GisDataset dataset(GDALDataset::FromHandle(
                GDALOpenEx(name, GDAL_OF_RASTER | GDAL_OF_READONLY, drivers, nullptr, nullptr)));
            const OGRSpatialReference* found = dataset ? dataset->GetSpatialRef() : nullptr;
            // Keys too few for a system come back as a local one of no name: no system either.
            if (found && !found->IsEmpty() && !found->IsLocal()) {
                std::unique_ptr<OGRSpatialReference> reference(found->Clone());
                // A described system that is an EPSG one (a UTM zone on its datum, say) is named by its code.
                const char* authority = nullptr;
                if (reference->AutoIdentifyEPSG() == OGRERR_NONE && (authority = reference->GetAuthorityName(nullptr)) &&
                    std::string(authority) == "EPSG" && reference->GetAuthorityCode(nullptr))
                    system = std::string("EPSG:") + reference->GetAuthorityCode(nullptr);
                char* text = nullptr;
                if (system.empty() && reference->exportToWkt(&text) == OGRERR_NONE && text) system = text;
                CPLFree(text);
            }
        }
        VSIUnlink(name);
        return system;
    }

private:
    template <typename T>
    void put(std::size_t at, T value) {
        std::memcpy(bytes_.data() + at, &value, sizeof value);
    }
    std::vector<GByte> bytes_;
};

// An EPSG system, axes in easting, northing (longitude, latitude) order.
std::unique_ptr<OGRSpatialReference> epsgReference(int code) {
    auto reference = std::make_unique<OGRSpatialReference>();
    if (reference->importFromEPSG(code) != OGRERR_NONE) return nullptr;
    reference->SetAxisMappingStrategy(OAMS_TRADITIONAL_GIS_ORDER);
    return reference;
}

using Transformation = std::unique_ptr<OGRCoordinateTransformation, void (*)(OGRCoordinateTransformation*)>;

Transformation transformationOf(const OGRSpatialReference& from, const OGRSpatialReference& to) {
    return Transformation(OGRCreateCoordinateTransformation(&from, &to),
                          [](OGRCoordinateTransformation* t) { OGRCoordinateTransformation::DestroyCT(t); });
}

// Projects every pair or none: false when any cannot be.
bool transformAll(OGRCoordinateTransformation& transformation, std::vector<double>& x, std::vector<double>& y) {
    constexpr std::size_t kBatch = std::size_t{1} << 20;  // the library counts in ints
    std::vector<int> done;
    for (std::size_t from = 0; from < x.size(); from += kBatch) {
        const int count = static_cast<int>(std::min(kBatch, x.size() - from));
        done.assign(static_cast<std::size_t>(count), 0);
        if (!transformation.Transform(count, x.data() + from, y.data() + from, nullptr, done.data())) return false;
        for (std::size_t i = 0; i < static_cast<std::size_t>(count); ++i)
            if (!done[i] || !std::isfinite(x[from + i]) || !std::isfinite(y[from + i])) return false;
    }
    return true;
}

}  // namespace

std::unique_ptr<OGRSpatialReference> spatialReferenceOf(const std::string& definition) {
    if (definition.empty()) return nullptr;
    const QuietLibrary quiet;
    auto reference = std::make_unique<OGRSpatialReference>();
    OGRErr error = OGRERR_FAILURE;
    if (const int code = epsgCodeOf(definition); code > 0)
        error = reference->importFromEPSG(code);
    else if (definition.find('[') != std::string::npos)
        error = reference->importFromWkt(definition.c_str());
    if (error != OGRERR_NONE || reference->IsEmpty()) return nullptr;
    reference->SetAxisMappingStrategy(OAMS_TRADITIONAL_GIS_ORDER);
    return reference;
}

bool libraryKnowsCoordinateSystem(const std::string& definition) { return spatialReferenceOf(definition) != nullptr; }

std::string libraryCoordinateSystemLabel(const std::string& definition) {
    const std::unique_ptr<OGRSpatialReference> reference = spatialReferenceOf(definition);
    if (!reference) return definition;
    const char* authority = reference->GetAuthorityName(nullptr);
    const char* code = reference->GetAuthorityCode(nullptr);
    if (authority && code && std::string(authority) == "EPSG") return std::string("EPSG:") + code;
    const char* name = reference->GetName();
    return name && *name ? std::string(name) : definition;
}

std::string libraryCoordinateSystemOfGeoKeys(const std::vector<std::uint16_t>& directory, const std::vector<double>& doubles,
                                             const std::string& ascii) {
    if (directory.size() < 4) return {};
    // The keys the directory holds, whatever its header counts.
    std::vector<std::uint16_t> keys = directory;
    keys[3] = static_cast<std::uint16_t>(std::min<std::size_t>(keys[3], (keys.size() - 4) / 4));
    keys.resize(4 + 4 * std::size_t{keys[3]});
    startGisLibrary();
    const QuietLibrary quiet;
    return GeoKeyTiff(keys, doubles, ascii).coordinateSystem();
}

bool libraryIsGeographic(const std::string& definition) {
    const std::unique_ptr<OGRSpatialReference> reference = spatialReferenceOf(definition);
    return reference && reference->IsGeographic();
}

DegreeProjection libraryProjectFromDegrees(const std::string& definition, std::vector<double>& x, std::vector<double>& y) {
    DegreeProjection result;
    const std::unique_ptr<OGRSpatialReference> source = spatialReferenceOf(definition);
    if (!source || !source->IsGeographic() || x.empty() || x.size() != y.size()) return result;
    const QuietLibrary quiet;
    const std::string from = libraryCoordinateSystemLabel(definition);
    const std::string notDegrees = "The site's coordinate system, " + from +
                                   ", is one of longitudes and latitudes, but its points are not all in range: "
                                   "they are left as they are.";
    // Longitudes within a turn either way, latitudes within a quarter, in the system's own angular unit.
    constexpr double kQuarterTurn = 1.5707963267948966;  // in radians
    const double quarter = kQuarterTurn / source->GetAngularUnits(nullptr);
    double lowX = x[0], highX = x[0], lowY = y[0], highY = y[0];
    for (std::size_t i = 0; i < x.size(); ++i) {
        if (!(std::abs(x[i]) <= 4 * quarter && std::abs(y[i]) <= quarter)) {
            result.problem = notDegrees;
            return result;
        }
        lowX = std::min(lowX, x[i]), highX = std::max(highX, x[i]);
        lowY = std::min(lowY, y[i]), highY = std::max(highY, y[i]);
    }
    // The zone of the centre, its longitude and latitude in WGS 84.
    double centreX = 0.5 * (lowX + highX), centreY = 0.5 * (lowY + highY);
    const std::unique_ptr<OGRSpatialReference> wgs84 = epsgReference(4326);
    const Transformation toWgs84 = wgs84 ? transformationOf(*source, *wgs84) : Transformation(nullptr, nullptr);
    if (!toWgs84 || !toWgs84->Transform(1, &centreX, &centreY) || !std::isfinite(centreX) || !std::isfinite(centreY)) {
        result.problem = notDegrees;
        return result;
    }
    const double longitude = std::remainder(centreX, 360.0);  // -180 to 180
    const int zone = std::clamp(static_cast<int>(std::floor((longitude + 180.0) / 6.0)) + 1, 1, 60);
    const int code = (centreY >= 0 ? 32600 : 32700) + zone;
    const std::unique_ptr<OGRSpatialReference> utm = epsgReference(code);
    const Transformation toUtm = utm ? transformationOf(*source, *utm) : Transformation(nullptr, nullptr);
    // On failure the caller keeps its own coordinates: these are its copies.
    if (!toUtm || !transformAll(*toUtm, x, y)) {
        result.problem = "The site's coordinate system, " + from + ", is one of longitudes and latitudes, but its "
                         "points could not be projected to EPSG:" + std::to_string(code) + ": they are left as they are.";
        return result;
    }
    result.definition = "EPSG:" + std::to_string(code);
    const char* name = utm->GetName();
    result.name = name && *name ? name : result.definition;
    return result;
}

}  // namespace vellacor
