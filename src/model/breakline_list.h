#pragma once
#include <cstdint>
#include <vector>

namespace vellacor {

struct Breakline {
    std::int32_t a = 0;
    std::int32_t b = 0;
};

// The breaklines in the order they were added, by point index.
struct BreaklineList {
    std::vector<Breakline> pairs;
    bool allInserted = true;  // every breakline is enforced in the current surface

    int count() const { return static_cast<int>(pairs.size()); }
    bool empty() const { return pairs.empty(); }
    bool ready() const { return allInserted; }
};

}  // namespace vellacor
