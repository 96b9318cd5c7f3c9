#include "export/dxf_sections.h"

namespace vellacor {

namespace {

struct LayerEntry {
    std::string_view name;
    std::string_view colour;  // the colour field exactly as written
};

// The two contour layers carry their colour with fewer leading spaces; readers
// take the field as a number either way.
constexpr LayerEntry kLayers[] = {
    {"ELEV", "     1"},     {"PNTS", "     2"},    {"DESC", "     3"},     {"Cont-Mnr", "  252"},
    {"Cont-Mjr", "  7"},    {"SECTION", "     6"}, {"GRID", "     5"},     {"GRIDTEXT", "     7"},
    {"SURFACE", "     7"},  {"BREAKLINE", "     5"},
};

}  // namespace

std::string_view dxfHeaderSection() {
    return "  0\nSECTION\n  2\nHEADER\n  9\n$ACADVER\n  1\nAC1009\n  9\n$INSBASE\n 10\n0.0\n 20\n0.0\n 30\n0.0\n"
           "  9\n$PSLTSCALE\n 70\n     0\n  0\nENDSEC\n";
}

std::string dxfTablesSection() {
    std::string out = "  0\nSECTION\n  2\nTABLES\n  0\n";
    // The count field has always said 7 although ten layers follow; readers
    // count the entries themselves.
    out += "TABLE\n  2\nLAYER\n 70\n     7\n  0\n";
    for (const LayerEntry& layer : kLayers) {
        out += "LAYER\n  2\n";
        out += layer.name;
        out += "\n 70\n     0\n 62\n";
        out += layer.colour;
        out += "\n  6\nCONTINUOUS\n  0\n";
    }
    out += "ENDTAB\n";
    out += "0\nTABLE\n  2\nSTYLE\n 70\n     2\n"
           "0\nSTYLE\n  2\nROMANS\n 70\n     0\n 40\n0.0\n 41\n1.0\n 50\n0.0\n 71\n     0\n 42\n1.00\n"
           "  3\nromans.shx\n  4\n\n";
    out += "0\nENDTAB\n  0\nENDSEC\n";
    return out;
}

std::string_view dxfBlocksSection() {
    return "  0\nSECTION\n  2\nBLOCKS\n"
           "  0\nBLOCK\n  8\n0\n  2\n$MODEL_SPACE\n 70\n     0\n 10\n0.0\n 20\n0.0\n 30\n0.0\n  3\n$MODEL_SPACE\n  1\n\n"
           "  0\nENDBLK\n  8\n0\n"
           "  0\nBLOCK\n  8\n0\n  2\nPOINT\n 70\n     2\n 10\n0.0\n 20\n0.0\n 30\n0.0\n  3\nPOINT\n  1\n\n"
           "  0\nPOINT\n  8\n0\n 10\n0.0\n 20\n0.0\n 30\n0.0\n"
           "  0\nATTDEF\n  8\nELEV\n 10\n0.1190850\n 20\n-0.040309\n 30\n0.0\n 40\n0.083333\n  1\n\n"
           "  7\nROMANS\n  3\n\n  2\nELEV\n 70\n     0\n"
           "  0\nATTDEF\n  8\nPNTS\n 10\n0.1190850\n 20\n0.085496\n 30\n0.0\n 40\n0.083333\n  1\n\n"
           "  7\nROMANS\n  3\n\n  2\nPOINT\n 70\n     0\n"
           "  0\nATTDEF\n  8\nDESC\n 10\n0.1190850\n 20\n-0.169778\n 30\n0.0\n 40\n0.083333\n  1\n\n"
           "  7\nROMANS\n  3\n\n  2\nDESC\n 70\n     0\n"
           "  0\nENDBLK\n  8\n0\n  0\nENDSEC\n";
}

std::string dxfPreamble() {
    std::string out(dxfHeaderSection());
    out += dxfTablesSection();
    out += dxfBlocksSection();
    out += kDxfEntitiesStart;
    return out;
}

}  // namespace vellacor
