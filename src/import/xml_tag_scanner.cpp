#include "import/xml_tag_scanner.h"

#include <charconv>
#include <cstring>
#include <optional>

#include "model/utf8_text.h"

namespace vellacor {

namespace {

constexpr std::size_t kLongestReference = 12;  // "&" to ";", as "&#x0010FFFF;"

bool isXmlSpace(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; }

std::size_t skipXmlSpace(std::string_view s, std::size_t i) {
    while (i < s.size() && isXmlSpace(s[i])) ++i;
    return i;
}

// name="value" or name='value' pairs; stops at the first thing that is not one.
void splitAttributes(std::string_view rest, XmlTag& tag) {
    std::size_t i = skipXmlSpace(rest, 0);
    while (i < rest.size()) {
        const std::size_t nameStart = i;
        while (i < rest.size() && rest[i] != '=' && !isXmlSpace(rest[i])) ++i;
        const std::string_view name = rest.substr(nameStart, i - nameStart);
        i = skipXmlSpace(rest, i);
        if (i >= rest.size() || rest[i] != '=' || name.empty()) return;
        i = skipXmlSpace(rest, i + 1);
        if (i >= rest.size() || (rest[i] != '"' && rest[i] != '\'')) return;
        const char quote = rest[i++];
        const std::size_t close = rest.find(quote, i);
        if (close == std::string_view::npos) return;
        if (tag.attributeCount < XmlTag::kMostAttributes)
            tag.attributes[tag.attributeCount++] = {name, rest.substr(i, close - i)};
        i = skipXmlSpace(rest, close + 1);
    }
}

void appendUtf8(std::string& out, std::uint32_t c) {
    if (c < 0x80) {
        out += static_cast<char>(c);
    } else if (c < 0x800) {
        out += static_cast<char>(0xC0 | (c >> 6));
        out += static_cast<char>(0x80 | (c & 0x3F));
    } else if (c < 0x10000) {
        out += static_cast<char>(0xE0 | (c >> 12));
        out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (c >> 18));
        out += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
    }
}

// The character a reference "&...;" stands for (body without & and ;); 0 when none.
std::uint32_t referencedCharacter(std::string_view body) {
    static constexpr std::pair<std::string_view, char> kNamed[] = {
        {"amp", '&'}, {"lt", '<'}, {"gt", '>'}, {"quot", '"'}, {"apos", '\''}};
    for (const auto& [name, c] : kNamed)
        if (body == name) return static_cast<std::uint32_t>(c);
    if (body.size() < 2 || body[0] != '#') return 0;
    const bool hex = body[1] == 'x' || body[1] == 'X';
    const std::string_view digits = body.substr(hex ? 2 : 1);
    std::uint32_t c = 0;
    const auto [end, ec] = std::from_chars(digits.data(), digits.data() + digits.size(), c, hex ? 16 : 10);
    if (ec != std::errc() || end != digits.data() + digits.size() || digits.empty()) return 0;
    if (c > 0x10FFFF || (c >= 0xD800 && c <= 0xDFFF)) return 0;
    return c;
}

struct TagEnd {
    std::size_t close;   // where the tag's text stops
    std::size_t resume;  // where scanning goes on
};

// Whether the "<" at `at` starts a tag: a name, a closing tag, a comment or
// declaration. "<5 m" or "< 2" in a hand-written value does not.
bool startsTag(std::string_view text, std::size_t at) {
    if (at + 1 >= text.size()) return false;
    const char c = text[at + 1];
    return c == '/' || c == '!' || c == '?' || c == '_' || c == ':' || (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z');
}

// The end of the tag opened at `open`: the ">" outside quoted values. A value
// cannot hold a tag, so a tag's "<" (or the end of the text) met inside
// quotes means a quote was left open: the tag then ends at its first ">"
// before that point, or just before the "<" when it has none, instead of
// swallowing the elements after it. Nothing for a tag the text ends in.
std::optional<TagEnd> tagEnd(std::string_view text, std::size_t open) {
    char quote = 0;
    std::size_t i = open + 1;
    for (; i < text.size(); ++i) {
        const char c = text[i];
        if (quote) {
            if (c == quote) quote = 0;
            if (c == '<' && startsTag(text, i)) break;
        } else if (c == '"' || c == '\'') {
            quote = c;
        } else if (c == '>') {
            return TagEnd{i, i + 1};
        }
    }
    if (!quote) return std::nullopt;
    const std::size_t stray = i;  // the "<" or the end of the text
    const std::size_t close = text.substr(0, stray).find('>', open + 1);
    if (close != std::string_view::npos) return TagEnd{close, close + 1};
    if (stray >= text.size()) return std::nullopt;
    return TagEnd{stray, stray};
}

}  // namespace

bool XmlTag::is(std::string_view tagText) const {
    return tagText.size() == name.size() + 2 && tagText.front() == '<' && tagText.back() == '>' &&
           equalsIgnoringCase(name, tagText.substr(1, name.size()));
}

const std::string_view* XmlTag::attribute(std::string_view attributeName) const {
    for (std::size_t k = 0; k < attributeCount; ++k)
        if (equalsIgnoringCase(attributes[k].name, attributeName)) return &attributes[k].value;
    return nullptr;
}

bool XmlTagScanner::nextTag(XmlTag& tag) {
    std::size_t pos = numbers_.offset();
    for (;;) {
        const std::size_t open = text_.find('<', pos);
        if (open == std::string_view::npos) {
            numbers_.seek(text_.size());
            return false;
        }
        if (text_.substr(open, 4) == "<!--") {
            const std::size_t close = text_.find("-->", open + 4);
            if (close == std::string_view::npos) {
                numbers_.seek(text_.size());
                return false;
            }
            pos = close + 3;
            continue;
        }
        const std::optional<TagEnd> end = tagEnd(text_, open);
        if (!end) {
            numbers_.seek(text_.size());
            return false;
        }
        numbers_.seek(end->resume);
        std::string_view inside = text_.substr(open + 1, end->close - open - 1);
        tag.empty = !inside.empty() && inside.back() == '/';
        if (tag.empty) inside.remove_suffix(1);
        std::size_t nameEnd = 0;
        while (nameEnd < inside.size() && !isXmlSpace(inside[nameEnd])) ++nameEnd;
        tag.name = inside.substr(0, nameEnd);
        tag.attributeCount = 0;
        splitAttributes(inside.substr(nameEnd), tag);
        return true;
    }
}

void XmlTagScanner::skipSeparator() {
    const std::size_t at = numbers_.offset();
    if (at < text_.size() && text_[at] != '<') numbers_.skipChar();
}

std::string decodeXmlText(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '&') {
            // References are short: the ";" is looked for only within reach,
            // so a value of many stray "&" is read in one pass.
            const std::size_t reach = text.substr(i + 1, kLongestReference).find(';');
            const std::size_t semicolon = reach == std::string_view::npos ? reach : i + 1 + reach;
            if (semicolon != std::string_view::npos) {
                const std::uint32_t c = referencedCharacter(text.substr(i + 1, semicolon - i - 1));
                if (c != 0) {
                    appendUtf8(out, c);
                    i = semicolon;
                    continue;
                }
            }
        }
        out += text[i];
    }
    return out;
}

std::int32_t leadingInteger(std::string_view text) {
    std::size_t i = skipXmlSpace(text, 0);
    if (i < text.size() && text[i] == '+') ++i;
    std::int64_t value = 0;
    const auto [end, ec] = std::from_chars(text.data() + i, text.data() + text.size(), value);
    if (ec != std::errc() || value < INT32_MIN || value > INT32_MAX) return 0;
    return static_cast<std::int32_t>(value);
}

}  // namespace vellacor
