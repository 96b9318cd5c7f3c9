#pragma once
#include <string>
#include <string_view>
#include <vector>

namespace vellacor {

struct SiteModel;

// What a list of point-number pairs did to the breakline list.
struct BreaklinePairsResult {
    int accepted = 0;                   // added and forced into the surface
    int refused = 0;                    // a pair already listed, or crossing a listed breakline
    std::vector<std::string> problems;  // lines that named no pair of known points, one message each
};

// Adds breaklines from text of "a,b" lines (point numbers as in the file, not
// indices), each as a pick of a then b in the view would add it, so the
// surface must be built. Blank lines and lines starting with '#' are passed
// over; a line that is not two numbers, or that names a point the site does
// not have, is reported with its line number and skipped.
BreaklinePairsResult addBreaklinePairs(SiteModel& model, std::string_view text);

}  // namespace vellacor
