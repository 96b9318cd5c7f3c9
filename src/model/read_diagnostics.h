#pragma once
#include <string>
#include <vector>

namespace vellacor {

// What a reader has to tell the user about a file besides what it read, in
// the order it met it. Readers only collect these; the program shows each
// message in its own message box.
struct ReadDiagnostics {
    std::vector<std::string> messages;
};

}  // namespace vellacor
