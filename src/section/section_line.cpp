#include "section/section_line.h"

#include <cmath>

#include "export/dxf_entities.h"
#include "export/number_format.h"
#include "surface/drape.h"

namespace vellacor {

namespace {

bool isSet(double coordinate) { return std::fabs(coordinate - kUnsetSectionEnd) >= 0.001; }

}  // namespace

bool SectionLine::hasStart() const { return isSet(startX) && isSet(startY); }
bool SectionLine::hasEnd() const { return isSet(endX) && isSet(endY); }

bool pickSectionPoint(SectionLine& section, const std::optional<Vec3>& ground) {
    if (!ground) return false;
    if (!section.hasStart()) {
        section.startX = ground->x;
        section.startY = ground->y;
        return false;
    }
    section.endX = ground->x;
    section.endY = ground->y;
    section.complete = true;
    return true;
}

double sectionGridInterval(double siteSize) { return gridSpacing(siteSize); }

double sectionTextHeight(double siteSize) { return 0.1 * sectionGridInterval(siteSize); }

std::string stationText(double distance) {
    std::string text;
    appendWholeNumber(text, static_cast<long long>(std::trunc(distance * 0.01)));
    text += '+';
    // Two digits after the plus, as every station is read: 10+05 is 1005, not 1050.
    const long long rest = static_cast<long long>(std::trunc(distance)) % 100;
    if (rest < 10) text += '0';
    appendWholeNumber(text, rest);
    return text;
}

std::vector<Vec3> drapeSection(const SurfaceView& surface, double ax, double ay, double bx, double by) {
    std::vector<Vec3> draped;
    draped.reserve(10000);
    drapeSegment(surface, ax, ay, bx, by, draped);
    return draped;
}

std::vector<std::vector<Vec3>> onSurfaceRuns(const std::vector<Vec3>& draped) {
    std::vector<std::vector<Vec3>> runs;
    std::vector<Vec3> run;
    auto close = [&] {
        if (run.size() >= 2) runs.push_back(run);
        run.clear();
    };
    for (const Vec3& p : draped) {
        if (p.z == kOutsideSurface)
            close();
        else
            run.push_back(p);
    }
    close();
    return runs;
}

}  // namespace vellacor
