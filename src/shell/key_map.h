#pragma once
class QKeyEvent;

namespace vellacor {

// The Windows virtual-key code the core's key tables use for a Qt key, or 0.
int virtualKeyFor(const QKeyEvent& event);

}  // namespace vellacor
