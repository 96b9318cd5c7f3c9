#include <string>

#include "export/writers.h"
#include "model/number_text.h"
#include "model/site_document.h"

namespace vellacor {

bool writePointFile(std::FILE* file, const SiteDocument& document) {
    const bool penzd = document.pointFileFormat == PointFileFormat::PENZD;
    std::string chunk;
    chunk.reserve(1 << 20);
    bool ok = true;
    for (int i = 0; i < document.pointCount && ok; ++i) {
        const SurveyPoint& p = document.points[static_cast<std::size_t>(i)];
        appendInteger(chunk, p.number);
        chunk += ',';
        appendFixed(chunk, penzd ? p.easting : p.northing, 6);
        chunk += ',';
        appendFixed(chunk, penzd ? p.northing : p.easting, 6);
        chunk += ',';
        appendFixed(chunk, p.elevation, 3);
        chunk += ',';
        chunk += descriptionOf(p);
        chunk += "\r\n";
        if (chunk.size() > (1 << 20) - 512) {
            ok = std::fwrite(chunk.data(), 1, chunk.size(), file) == chunk.size();
            chunk.clear();
        }
    }
    if (ok && !chunk.empty()) ok = std::fwrite(chunk.data(), 1, chunk.size(), file) == chunk.size();
    return ok && std::fflush(file) == 0 && !std::ferror(file);
}

}  // namespace vellacor
