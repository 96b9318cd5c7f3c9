#pragma once
#include <string>

namespace vellacor {

// A key as the program's tables name it, whatever the window system: a
// Windows virtual-key code (platform/virtual_keys.h) and the modifiers held
// with it. The shell translates its toolkit's keys to and from these.
struct KeyStroke {
    int virtualKey = 0;  // 0: no key
    bool control = false;
    bool shift = false;
    bool alt = false;

    bool operator==(const KeyStroke&) const = default;
    explicit operator bool() const { return virtualKey != 0; }
    // A key with a modifier is the window's accelerator, taken before the view
    // sees it; a plain key goes to the view's key handler.
    bool accelerator() const { return control || shift || alt; }
};

constexpr KeyStroke plainKey(int virtualKey) { return {virtualKey, false, false, false}; }
constexpr KeyStroke ctrlKey(int virtualKey) { return {virtualKey, true, false, false}; }
constexpr KeyStroke ctrlShiftKey(int virtualKey) { return {virtualKey, true, true, false}; }
constexpr KeyStroke shiftKey(int virtualKey) { return {virtualKey, false, true, false}; }
constexpr KeyStroke altKey(int virtualKey) { return {virtualKey, false, false, true}; }

// The key as menus and help write it: "1", "F3", "*", "[HOME]", "keypad 0",
// "Ctrl+Shift+Z". Letters and digits as themselves, other keys by name.
std::string keyName(KeyStroke key);

// The keys that act as others before the view's keys are looked up: the
// keypad's digits are the digits, the main keyboard's + and - the keypad's.
int sameKeyAs(int virtualKey);

}  // namespace vellacor
