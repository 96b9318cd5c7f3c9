#pragma once
#include <string>
#include <vector>

namespace vellacor {

// vellacor-cli convert FILE --to OUT ...: opens FILE as the window would and
// saves OUT as the window's Save As (or Save Points) saves it, holding the
// parts the options choose or, without them, what Save As first ticks.
int convertCommand(const std::vector<std::string>& args);

}  // namespace vellacor
