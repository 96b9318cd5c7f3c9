#include "app/read_diagnostics_shown.h"

#include "platform/ui.h"

namespace vellacor {

void showReadDiagnostics(Ui& ui, const ReadDiagnostics& diagnostics) {
    for (const std::string& message : diagnostics.messages) ui.message(message);
}

}  // namespace vellacor
