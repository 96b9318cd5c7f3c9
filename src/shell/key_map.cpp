#include "shell/key_map.h"

#include <QKeyEvent>

namespace vellacor {

int virtualKeyFor(const QKeyEvent& event) {
    const int key = event.key();
    const bool keypad = event.modifiers() & Qt::KeypadModifier;
    if (keypad && key >= Qt::Key_0 && key <= Qt::Key_9) return 0x60 + (key - Qt::Key_0);  // VK_NUMPAD0..9
    if (key >= Qt::Key_0 && key <= Qt::Key_9) return '0' + (key - Qt::Key_0);
    if (key >= Qt::Key_A && key <= Qt::Key_Z) return 'A' + (key - Qt::Key_A);
    if (key >= Qt::Key_F1 && key <= Qt::Key_F12) return 0x70 + (key - Qt::Key_F1);
    switch (key) {
        case Qt::Key_Escape: return 0x1B;
        case Qt::Key_Space: return 0x20;
        case Qt::Key_PageUp: return 0x21;
        case Qt::Key_PageDown: return 0x22;
        case Qt::Key_End: return 0x23;
        case Qt::Key_Home: return 0x24;
        case Qt::Key_Left: return 0x25;
        case Qt::Key_Up: return 0x26;
        case Qt::Key_Right: return 0x27;
        case Qt::Key_Down: return 0x28;
        case Qt::Key_Insert: return 0x2D;
        case Qt::Key_Delete: return 0x2E;
        case Qt::Key_Shift: return 0x10;
        case Qt::Key_Control: return 0x11;
        case Qt::Key_Alt: return 0x12;
        case Qt::Key_Backspace: return 0x08;
        case Qt::Key_Tab: return 0x09;
        case Qt::Key_Return:
        case Qt::Key_Enter: return 0x0D;
        case Qt::Key_Asterisk: return 0x6A;  // VK_MULTIPLY
        case Qt::Key_Plus: return keypad ? 0x6B : 0xBB;   // VK_ADD / VK_OEM_PLUS
        case Qt::Key_Minus: return keypad ? 0x6D : 0xBD;  // VK_SUBTRACT / VK_OEM_MINUS
        case Qt::Key_Equal: return 0xBB;
        // The keypad's decimal key, whichever mark the layout prints on it; the
        // main keyboard's full stop and comma are not used.
        case Qt::Key_Period:
        case Qt::Key_Comma: return keypad ? 0x6E : 0;  // VK_DECIMAL
        default: return 0;
    }
}

}  // namespace vellacor
