#include "app/breakline_pairs.h"

#include <charconv>
#include <unordered_map>

#include "app/breaklines.h"
#include "app/site_model.h"
#include "model/number_text.h"
#include "model/trimmed_text.h"

namespace vellacor {

namespace {

bool parseNumber(std::string_view s, long long& value) {
    s = trimmedLine(s);
    const auto [end, error] = std::from_chars(s.data(), s.data() + s.size(), value);
    return error == std::errc() && end == s.data() + s.size() && !s.empty();
}

std::string lineMessage(int line, std::string_view what) {
    std::string text = "line ";
    appendInteger(text, line);
    text += ": ";
    text += what;
    return text;
}

}  // namespace

BreaklinePairsResult addBreaklinePairs(SiteModel& model, std::string_view text) {
    BreaklinePairsResult result;
    const SiteDocument& d = model.document;
    // The first point with each number, as a pick would find it in index order.
    std::unordered_map<long long, int> indexOf;
    for (int i = d.pointCount - 1; i >= 0; --i) indexOf[d.points[static_cast<std::size_t>(i)].number] = i;

    int line = 0;
    while (!text.empty()) {
        const std::size_t end = text.find('\n');
        const std::string_view row = trimmedLine(text.substr(0, end));
        text.remove_prefix(end == std::string_view::npos ? text.size() : end + 1);
        ++line;
        if (row.empty() || row.front() == '#') continue;
        const std::size_t comma = row.find(',');
        long long first = 0, second = 0;
        if (comma == std::string_view::npos || !parseNumber(row.substr(0, comma), first) ||
            !parseNumber(row.substr(comma + 1), second)) {
            result.problems.push_back(lineMessage(line, "not a pair of point numbers \"a,b\""));
            continue;
        }
        const auto a = indexOf.find(first), b = indexOf.find(second);
        if (a == indexOf.end() || b == indexOf.end()) {
            std::string what = "no point numbered ";
            appendInteger(what, a == indexOf.end() ? first : second);
            result.problems.push_back(lineMessage(line, what));
            continue;
        }
        const int before = d.breaklines.count();
        if (!addAndEnforceBreakline(model, a->second, b->second)) {
            ++result.refused;
        } else if (d.breaklines.count() > before) {
            ++result.accepted;
        } else {
            result.problems.push_back(lineMessage(line, "a point of the pair is not used in the surface"));
        }
    }
    return result;
}

}  // namespace vellacor
