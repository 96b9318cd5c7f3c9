#pragma once

namespace vellacor {

// Windows virtual-key codes: the shell translates its toolkit's keys into
// these, so the key tables of the program read straight into code.
namespace vk {
inline constexpr int Backspace = 0x08;
inline constexpr int Shift = 0x10;
inline constexpr int Control = 0x11;
inline constexpr int Escape = 0x1B;
inline constexpr int Space = 0x20;
inline constexpr int PageUp = 0x21;
inline constexpr int PageDown = 0x22;
inline constexpr int Home = 0x24;
inline constexpr int Left = 0x25;
inline constexpr int Up = 0x26;
inline constexpr int Right = 0x27;
inline constexpr int Down = 0x28;
inline constexpr int Insert = 0x2D;
inline constexpr int Delete = 0x2E;
inline constexpr int Numpad0 = 0x60;
inline constexpr int Numpad9 = 0x69;
inline constexpr int Multiply = 0x6A;  // keypad *
inline constexpr int Add = 0x6B;       // keypad +
inline constexpr int Subtract = 0x6D;  // keypad -
inline constexpr int Decimal = 0x6E;   // keypad .
inline constexpr int F1 = 0x70;
inline constexpr int F2 = 0x71;
inline constexpr int F3 = 0x72;
inline constexpr int F4 = 0x73;
inline constexpr int F6 = 0x75;
inline constexpr int LeftShift = 0xA0;
inline constexpr int RightShift = 0xA1;
inline constexpr int OemPlus = 0xBB;   // main keyboard + (and =)
inline constexpr int OemMinus = 0xBD;  // main keyboard -
}  // namespace vk

}  // namespace vellacor
