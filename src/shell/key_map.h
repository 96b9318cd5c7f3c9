#pragma once
#include <QKeySequence>

#include "app/key_stroke.h"

class QKeyEvent;

namespace vellacor {

// The Windows virtual-key code the core's key tables use for a Qt key, or 0.
int virtualKeyFor(const QKeyEvent& event);

// The Qt key of a key of the core's tables, with its modifiers: the window's
// accelerators are made with it. The inverse of virtualKeyFor.
QKeySequence qtShortcutFor(KeyStroke key);

}  // namespace vellacor
