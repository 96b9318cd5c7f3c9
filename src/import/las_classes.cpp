#include "import/las_classes.h"

#include <string_view>

namespace vellacor {

std::string lasClassName(int code, int versionMinor) {
    // Key points and overlap were classes until 1.4 made them flags.
    if (versionMinor < 4 && code == 8) return "Model Key-point";
    if (versionMinor < 4 && code == 12) return "Overlap Points";
    // The standard classes of the current LAS edition.
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
