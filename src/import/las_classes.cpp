#include "import/las_classes.h"

#include <string_view>

namespace vellacor {

std::string lasClassName(int code) {
    // The standard classes of the current LAS edition; 8 and 12 are reserved
    // there (key points and overlap are flags now).
    static constexpr std::string_view kNames[] = {
        "Created, Never Classified",
        "Unclassified",
        "Ground",
        "Low Vegetation",
        "Medium Vegetation",
        "High Vegetation",
        "Building",
        "Low Point (Noise)",
        "Reserved",
        "Water",
        "Rail",
        "Road Surface",
        "Reserved",
        "Wire - Guard (Shield)",
        "Wire - Conductor (Phase)",
        "Transmission Tower",
        "Wire-Structure Connector (e.g. Insulator)",
        "Bridge Deck",
        "High Noise",
        "Overhead Structure",
        "Ignored Ground",
        "Snow",
        "Temporal Exclusion",
    };
    if (code >= 0 && code < static_cast<int>(std::size(kNames))) return std::string(kNames[code]);
    return "Class " + std::to_string(code);
}

}  // namespace vellacor
