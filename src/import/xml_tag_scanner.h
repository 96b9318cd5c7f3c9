#pragma once
#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "import/text_scanner.h"

namespace vellacor {

struct XmlAttribute {
    std::string_view name;
    std::string_view value;  // as written, entities not decoded
};

// One tag as the scanner saw it: its name ("/Name" for a closing tag) and at
// most kMostAttributes attributes, views into the scanned text.
struct XmlTag {
    static constexpr std::size_t kMostAttributes = 10;

    std::string_view name;
    std::array<XmlAttribute, kMostAttributes> attributes{};
    std::size_t attributeCount = 0;
    bool empty = false;  // written "<Name ... />": no content and no closing tag

    // The normalised text, "<Name>" or "</Name>".
    std::string text() const { return std::string("<").append(name).append(">"); }
    // Whether this is the tag `tagText` ("<CgPoint>", "</CgPoint>"), whatever the letter case.
    bool is(std::string_view tagText) const;
    // The value of an attribute named without regard to case; nothing when it is absent.
    const std::string_view* attribute(std::string_view attributeName) const;
};

// A streaming scanner over XML bytes that finds tags by their literal text:
// no tree, no namespaces, no entities in names. Comments are skipped; the
// text between tags is read with the number conventions of the point files.
class XmlTagScanner {
public:
    explicit XmlTagScanner(std::string_view text) : text_(text), numbers_(text) {}

    // The next tag after the current position; false at the end of the text
    // (also inside an unclosed tag or comment). A ">" inside a quoted
    // attribute value does not end the tag.
    bool nextTag(XmlTag& tag);

    // Element content: numbers and integers as "%lf" and "%ld" read them
    // (white space before each allowed).
    bool readNumber(double& value) { return numbers_.readNumber(value); }
    bool readInteger(std::int32_t& value) { return numbers_.readInteger(value); }
    // The one character after a number, unless it is the "<" of the next tag,
    // which stays for nextTag.
    void skipSeparator();

    std::size_t offset() const { return numbers_.offset(); }
    void seek(std::size_t offset) { numbers_.seek(offset); }

private:
    std::string_view text_;
    TextScanner numbers_;  // holds the position for both
};

// Attribute text with the five XML entities and numeric character references
// (&#38; &#x26;) decoded to UTF-8; anything else, a reference to no
// character included, is kept as written.
std::string decodeXmlText(std::string_view text);

// A decimal integer at the start of the text as "%d" would read it ("12a" is
// 12); 0 when there is none or it does not fit 32 bits.
std::int32_t leadingInteger(std::string_view text);

}  // namespace vellacor
