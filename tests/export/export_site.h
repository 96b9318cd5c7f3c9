#pragma once
#include <cstdio>
#include <string>
#include <vector>

#include "export/writers.h"
#include "model/site_document.h"

namespace vellacor::testing {

inline void addPoint(SiteDocument& d, int number, double e, double n, double z, const char* desc) {
    SurveyPoint p;
    p.number = number;
    p.easting = e;
    p.northing = n;
    p.elevation = z;
    setDescription(p, desc);
    d.points.push_back(p);
    d.pointCount = static_cast<int>(d.points.size());
}

inline void addTriangle(SiteDocument& d, int a, int b, int c) {
    TinTriangle t;
    t.vertex[0] = a, t.vertex[1] = b, t.vertex[2] = c;
    d.triangles.push_back(t);
    d.triangleCount = static_cast<int>(d.triangles.size());
}

// Runs a writer into a temporary file and returns what it wrote.
template <typename Writer>
std::string written(Writer&& write) {
    std::FILE* f = std::tmpfile();
    const bool ok = write(f);
    std::string text(static_cast<std::size_t>(std::ftell(f)), '\0');
    std::rewind(f);
    const std::size_t got = std::fread(text.data(), 1, text.size(), f);
    std::fclose(f);
    text.resize(got);
    return ok ? text : "(write failed)";
}

}  // namespace vellacor::testing
