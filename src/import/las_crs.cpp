#include "import/las_crs.h"

#include <cstring>
#include <optional>

#include "import/las_vlrs.h"
#include "model/trimmed_text.h"

namespace vellacor {

namespace {

constexpr std::string_view kProjectionUser = "LASF_Projection";
constexpr std::uint16_t kGeoKeyDirectoryRecord = 34735;
constexpr std::uint16_t kGeoDoublesRecord = 34736;
constexpr std::uint16_t kGeoAsciiRecord = 34737;
constexpr std::uint16_t kWktRecord = 2112;

constexpr std::size_t kGlobalEncodingField = 6;
constexpr std::uint16_t kWktBit = 0x10;  // 1.4: the system is given as WKT
constexpr std::size_t kSmallestHeader = 227;

// GeoTIFF keys this reader looks at, and what their values mean.
constexpr std::uint16_t kModelTypeKey = 1024;
constexpr std::uint16_t kGeographicTypeKey = 2048;
constexpr std::uint16_t kProjectedTypeKey = 3072;
constexpr std::uint16_t kModelProjected = 1;
constexpr std::uint16_t kModelGeographic = 2;
constexpr std::uint16_t kUserDefined = 32767;

std::string_view dataOf(std::string_view bytes, const LasVlr& vlr) {
    // readLasVlrs keeps only records that lie whole in the bytes.
    return bytes.substr(static_cast<std::size_t>(vlr.dataOffset), static_cast<std::size_t>(vlr.dataLength));
}

// The text of a record, up to its first NUL, without the spaces and line ends round it.
std::string textOf(std::string_view data) {
    data = data.substr(0, data.find('\0'));
    return std::string(trimmed(data, " \t\r\n", " \t\r\n"));
}

template <typename T>
std::vector<T> valuesOf(std::string_view data) {
    std::vector<T> values(data.size() / sizeof(T));
    if (!values.empty()) std::memcpy(values.data(), data.data(), values.size() * sizeof(T));
    return values;
}

// A key's value when the directory holds it in place (not in the doubles or
// the text); nothing when the key is absent.
std::optional<std::uint16_t> shortKey(const std::vector<std::uint16_t>& directory, std::uint16_t key) {
    const std::size_t keys = directory[3];
    for (std::size_t k = 0; k < keys && 4 + 4 * k + 3 < directory.size(); ++k) {
        const std::uint16_t* entry = directory.data() + 4 + 4 * k;
        if (entry[0] == key) return entry[1] == 0 ? std::optional<std::uint16_t>(entry[3]) : std::nullopt;
    }
    return std::nullopt;
}

bool isCode(std::optional<std::uint16_t> value) { return value && *value > 0 && *value < kUserDefined; }

// The system the keys name by code; otherwise the keys, for the library.
LasCoordinateSystem systemOfGeoKeys(std::string_view bytes, const std::vector<LasVlr>& vlrs, const LasVlr& directoryRecord) {
    LasCoordinateSystem system;
    const std::vector<std::uint16_t> directory = valuesOf<std::uint16_t>(dataOf(bytes, directoryRecord));
    if (directory.size() < 4 || directory[3] == 0) return system;
    const std::optional<std::uint16_t> model = shortKey(directory, kModelTypeKey);
    const std::optional<std::uint16_t> projected = shortKey(directory, kProjectedTypeKey);
    const std::optional<std::uint16_t> geographic = shortKey(directory, kGeographicTypeKey);
    if (isCode(projected)) {
        system.definition = "EPSG:" + std::to_string(*projected);
        return system;
    }
    // A projected model whose projection is its own has a geographic code for
    // its datum alone: taking that code would read metres as degrees.
    const bool projectedModel = model == kModelProjected || projected.has_value();
    if (!projectedModel && isCode(geographic) && (!model || *model == kModelGeographic)) {
        system.definition = "EPSG:" + std::to_string(*geographic);
        return system;
    }
    system.userDefinedKeys.directory = directory;
    if (const LasVlr* doubles = findLasVlr(vlrs, kProjectionUser, kGeoDoublesRecord))
        system.userDefinedKeys.doubles = valuesOf<double>(dataOf(bytes, *doubles));
    if (const LasVlr* ascii = findLasVlr(vlrs, kProjectionUser, kGeoAsciiRecord))
        system.userDefinedKeys.ascii = std::string(dataOf(bytes, *ascii));
    return system;
}

}  // namespace

LasCoordinateSystem readLasCoordinateSystem(std::string_view bytes) {
    if (bytes.size() < kSmallestHeader) return {};
    const std::vector<LasVlr> vlrs = readLasVlrs(bytes);
    std::uint16_t encoding = 0;
    std::memcpy(&encoding, bytes.data() + kGlobalEncodingField, sizeof encoding);
    const bool wktFirst = static_cast<std::uint8_t>(bytes[25]) >= 4 && (encoding & kWktBit) != 0;

    LasCoordinateSystem fromWkt;
    if (const LasVlr* wkt = findLasVlr(vlrs, kProjectionUser, kWktRecord)) fromWkt.definition = textOf(dataOf(bytes, *wkt));
    LasCoordinateSystem fromKeys;
    if (const LasVlr* keys = findLasVlr(vlrs, kProjectionUser, kGeoKeyDirectoryRecord))
        fromKeys = systemOfGeoKeys(bytes, vlrs, *keys);
    const bool haveKeys = !fromKeys.definition.empty() || !fromKeys.userDefinedKeys.directory.empty();
    if (wktFirst) return fromWkt.definition.empty() ? fromKeys : fromWkt;
    return haveKeys ? fromKeys : fromWkt;
}

}  // namespace vellacor
