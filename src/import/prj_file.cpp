#include "import/prj_file.h"

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <system_error>

#include "model/trimmed_text.h"

namespace vellacor {

namespace {
constexpr std::uintmax_t kLargestPrjBytes = 64 * 1024;  // a WKT definition is a few kilobytes
}

std::string readCompanionCoordinateSystem(const std::string& pointFilePath) {
    std::filesystem::path prj(pointFilePath);
    prj.replace_extension(".prj");
    if (prj == std::filesystem::path(pointFilePath)) return {};
    std::error_code error;
    if (!std::filesystem::is_regular_file(prj, error) || std::filesystem::file_size(prj, error) > kLargestPrjBytes ||
        error)
        return {};
    std::ifstream in(prj, std::ios::binary);
    const std::string read((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    const std::string text(trimmed(read, " \t\r\n", " \t\r\n"));
    // Text only: a binary file beside the points is no coordinate system.
    for (const char c : text)
        if (static_cast<unsigned char>(c) < 0x20 && c != '\t' && c != '\r' && c != '\n') return {};
    return text;
}

}  // namespace vellacor
