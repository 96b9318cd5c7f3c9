#pragma once
#include <string>

namespace vellacor::testing {

// An 11 x 11 grid of PNEZD points 100 apart from (6000, 5000), numbered from 1
// row by row, with many equal heights (100 + (x y mod 7)), CR LF line ends.
inline std::string gridSiteText(const std::string& description) {
    std::string text;
    int number = 1;
    for (int y = 0; y <= 10; ++y)
        for (int x = 0; x <= 10; ++x)
            text += std::to_string(number++) + "," + std::to_string(5000 + y * 100) + "," + std::to_string(6000 + x * 100) +
                    "," + std::to_string(100 + (x * y) % 7) + "," + description + "\r\n";
    return text;
}

}  // namespace vellacor::testing
