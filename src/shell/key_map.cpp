#include "shell/key_map.h"

#include <QKeyEvent>

#include "platform/virtual_keys.h"

namespace vellacor {

namespace {

// Where on the keyboard a Qt key must be to stand for a code.
enum class Side { Either, Keypad, Main };

struct KeyPair {
    Qt::Key qt;
    Side side;
    int code;
};

// The keys that are neither a letter, a digit nor a function key, read both
// ways: the first row of a code is the key that code is sent as.
constexpr KeyPair kKeys[] = {
    {Qt::Key_Escape, Side::Either, vk::Escape},
    {Qt::Key_Space, Side::Either, vk::Space},
    {Qt::Key_PageUp, Side::Either, vk::PageUp},
    {Qt::Key_PageDown, Side::Either, vk::PageDown},
    {Qt::Key_End, Side::Either, 0x23},
    {Qt::Key_Home, Side::Either, vk::Home},
    {Qt::Key_Left, Side::Either, vk::Left},
    {Qt::Key_Up, Side::Either, vk::Up},
    {Qt::Key_Right, Side::Either, vk::Right},
    {Qt::Key_Down, Side::Either, vk::Down},
    {Qt::Key_Insert, Side::Either, vk::Insert},
    {Qt::Key_Delete, Side::Either, vk::Delete},
    {Qt::Key_Shift, Side::Either, vk::Shift},
    {Qt::Key_Control, Side::Either, vk::Control},
    {Qt::Key_Alt, Side::Either, 0x12},
    {Qt::Key_Backspace, Side::Either, vk::Backspace},
    {Qt::Key_Tab, Side::Either, 0x09},
    {Qt::Key_Return, Side::Either, 0x0D},
    {Qt::Key_Enter, Side::Either, 0x0D},
    {Qt::Key_Asterisk, Side::Either, vk::Multiply},
    {Qt::Key_Plus, Side::Keypad, vk::Add},
    {Qt::Key_Plus, Side::Main, vk::OemPlus},
    {Qt::Key_Equal, Side::Either, vk::OemPlus},
    {Qt::Key_Minus, Side::Keypad, vk::Subtract},
    {Qt::Key_Minus, Side::Main, vk::OemMinus},
    // The keypad's decimal key, whichever mark the layout prints on it; the
    // main keyboard's full stop and comma are not used.
    {Qt::Key_Period, Side::Keypad, vk::Decimal},
    {Qt::Key_Comma, Side::Keypad, vk::Decimal},
};

}  // namespace

int virtualKeyFor(const QKeyEvent& event) {
    const int key = event.key();
    const bool keypad = event.modifiers() & Qt::KeypadModifier;
    if (key >= Qt::Key_0 && key <= Qt::Key_9) return (keypad ? vk::Numpad0 : '0') + (key - Qt::Key_0);
    if (key >= Qt::Key_A && key <= Qt::Key_Z) return 'A' + (key - Qt::Key_A);
    if (key >= Qt::Key_F1 && key <= Qt::Key_F12) return vk::F1 + (key - Qt::Key_F1);
    for (const KeyPair& pair : kKeys)
        if (pair.qt == key && (pair.side == Side::Either || (pair.side == Side::Keypad) == keypad)) return pair.code;
    return 0;
}

QKeySequence qtShortcutFor(KeyStroke stroke) {
    const int code = stroke.virtualKey;
    Qt::KeyboardModifiers modifiers;
    if (stroke.control) modifiers |= Qt::ControlModifier;
    if (stroke.shift) modifiers |= Qt::ShiftModifier;
    if (stroke.alt) modifiers |= Qt::AltModifier;
    const auto sequence = [&modifiers](int key, bool keypad = false) {
        if (keypad) modifiers |= Qt::KeypadModifier;
        return QKeySequence(QKeyCombination(modifiers, static_cast<Qt::Key>(key)));
    };
    if (code >= '0' && code <= '9') return sequence(Qt::Key_0 + (code - '0'));
    if (code >= vk::Numpad0 && code <= vk::Numpad9) return sequence(Qt::Key_0 + (code - vk::Numpad0), true);
    if (code >= 'A' && code <= 'Z') return sequence(Qt::Key_A + (code - 'A'));
    if (code >= vk::F1 && code <= vk::F1 + 11) return sequence(Qt::Key_F1 + (code - vk::F1));
    for (const KeyPair& pair : kKeys)
        if (pair.code == code) return sequence(pair.qt, pair.side == Side::Keypad);
    return {};
}

}  // namespace vellacor
