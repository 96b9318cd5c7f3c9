#pragma once
#include <string>

namespace vellacor::testing {

// An 11 x 11 grid of PNEZD points `spacing` apart from (6000 + east, 5000),
// numbered from 1 row by row, with many equal heights (100 + (x y mod 7) +
// raise), CR LF line ends.
inline std::string gridSiteText(const std::string& description, int spacing = 100, int east = 0, int raise = 0) {
    std::string text;
    int number = 1;
    for (int y = 0; y <= 10; ++y)
        for (int x = 0; x <= 10; ++x)
            text += std::to_string(number++) + "," + std::to_string(5000 + y * spacing) + "," +
                    std::to_string(6000 + east + x * spacing) + "," + std::to_string(100 + raise + (x * y) % 7) + "," +
                    description + "\r\n";
    return text;
}

// A 4 x 3 grid of PNEZD points 10 apart from (6000, 5000), coded TOPO, with
// heights 100 + (i mod 5), CR LF line ends.
inline std::string smallSiteText() {
    std::string text;
    for (int i = 0; i < 12; ++i)
        text += std::to_string(i + 1) + "," + std::to_string(5000 + (i % 4) * 10) + "," +
                std::to_string(6000 + (i / 4) * 10) + "," + std::to_string(100 + i % 5) + ",TOPO\r\n";
    return text;
}

}  // namespace vellacor::testing
