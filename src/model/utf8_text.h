#pragma once
#include <cstddef>
#include <string>
#include <string_view>

namespace vellacor {

// Length of the well-formed UTF-8 sequence starting at text[i] (no overlong
// forms, no surrogates, nothing beyond U+10FFFF), or 0 when the bytes there
// are not one.
std::size_t utf8SequenceLength(std::string_view text, std::size_t i);

// How many bytes of `text` to keep so that at most `limit` are kept and a
// well-formed multi-byte character is never split by the cut. Bytes that are
// not UTF-8 (Latin-1 text, stray continuation bytes) are cut like any other.
std::size_t utf8CutLength(std::string_view text, std::size_t limit);

// The character a byte outside well-formed UTF-8 stands for: the byte read
// as Windows-1252, the code page of text typed on Windows (0x80 the euro
// sign, 0x93 a left double quote, 0xB0 the degree sign). Its five unassigned
// bytes, and ASCII, stand for the code point of their own value.
char32_t windows1252Character(unsigned char byte);

// Appends the UTF-8 form of a code point (below U+110000).
void appendUtf8(std::string& out, char32_t code);

// The text as well-formed UTF-8: ASCII and UTF-8 sequences stay as they are,
// every other byte becomes its Windows-1252 character. Descriptions hold the
// bytes a file gave; files that declare UTF-8 get them through here.
std::string utf8FromWindows1252(std::string_view text);

// True when the two texts differ at most in the case of ASCII letters; other
// bytes compare as they are, whatever the process locale.
bool equalsIgnoringCase(std::string_view a, std::string_view b);

}  // namespace vellacor
