#pragma once
#include "model/read_diagnostics.h"

namespace vellacor {

class Ui;

// Shows what a reader had to say about a file, one message box each, in the
// order the reader met them.
void showReadDiagnostics(Ui& ui, const ReadDiagnostics& diagnostics);

}  // namespace vellacor
