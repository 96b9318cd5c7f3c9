#include "app/key_stroke.h"

#include "platform/virtual_keys.h"

namespace vellacor {

namespace {

// The keys that are not a letter, a digit or a function key, named in the
// bracketed form the resources' menus use for Home, Page Up and Page Down.
std::string baseName(int key) {
    if ((key >= '0' && key <= '9') || (key >= 'A' && key <= 'Z')) return std::string(1, static_cast<char>(key));
    // Appended rather than added to a literal: g++ 12 at -O3 warns of an
    // overlapping copy in the library's literal + string.
    std::string name;
    if (key >= vk::F1 && key <= vk::F1 + 11) return name.append("F").append(std::to_string(key - vk::F1 + 1));
    if (key >= vk::Numpad0 && key <= vk::Numpad9) return name.append("keypad ").append(std::to_string(key - vk::Numpad0));
    switch (key) {
        case vk::Backspace: return "[BKSP]";
        case vk::Escape: return "[ESC]";
        case vk::Space: return "[SPACE]";
        case vk::PageUp: return "[PGUP]";
        case vk::PageDown: return "[PGDN]";
        case vk::Home: return "[HOME]";
        case vk::Left: return "[LEFT]";
        case vk::Up: return "[UP]";
        case vk::Right: return "[RIGHT]";
        case vk::Down: return "[DOWN]";
        case vk::Insert: return "[INS]";
        case vk::Delete: return "[DEL]";
        case vk::Multiply: return "*";
        case vk::Add: return "+";
        case vk::Subtract: return "-";
        case vk::Decimal: return "keypad .";
        default: return "key " + std::to_string(key);
    }
}

}  // namespace

std::string keyName(KeyStroke key) {
    std::string name;
    if (key.control) name += "Ctrl+";
    if (key.alt) name += "Alt+";
    if (key.shift) name += "Shift+";
    return name.append(baseName(key.virtualKey));
}

int sameKeyAs(int virtualKey) {
    if (virtualKey >= vk::Numpad0 && virtualKey <= vk::Numpad9) return '0' + (virtualKey - vk::Numpad0);
    if (virtualKey == vk::OemPlus) return vk::Add;
    if (virtualKey == vk::OemMinus) return vk::Subtract;
    return virtualKey;
}

}  // namespace vellacor
