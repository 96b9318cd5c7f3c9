#pragma once
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "model/cad_lines.h"
#include "model/read_diagnostics.h"

namespace vellacor {

inline constexpr const char* kNotAsciiDwfMessage =
    "Does not seem to be a valid .DWF file, please make sure the file is in ASCII format (readable in a text editor)";

// The drawing colour of a DWF colour index: the program's palette colour for
// the indices it knows, 16 for every other.
std::uint8_t dwfColour(long index);

// Reads an ASCII DWF drawing's opcodes after its header: lines "L", polylines
// "P" and "M", triangles and strips "T" (a triangle a closed entry of four
// vertices, a strip one entry running along every edge of its triangles),
// circles "R" (51 vertices, closed), colours "C"; extended opcodes in
// parentheses are passed over. Coordinates are whole numbers, stored as they
// are with z 0. Nothing when the text does not start with "(". The lines kept
// take at most 16 bytes a byte of text plus 64 MiB; a drawing that would need
// more ends there. O(bytes).
std::optional<std::vector<CadLine>> readDwfText(std::string_view text);

// A DWF file read, with what to tell the user about it.
struct DwfFileRead {
    std::optional<std::vector<CadLine>> lines;
    ReadDiagnostics diagnostics;
};

// The same over a file; a file that cannot be opened or is not one fails with
// kNotAsciiDwfMessage.
DwfFileRead readDwfFile(const std::string& path);

}  // namespace vellacor
