#pragma once
// A small strict JSON reader for tests that check files against expectations
// another tool wrote: objects, arrays, numbers, strings, true, false, null.
#include <cctype>
#include <charconv>
#include <map>
#include <memory>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

namespace vellacor::testing {

struct JsonValue {
    enum class Kind { Null, Boolean, Number, String, Array, Object } kind = Kind::Null;
    bool boolean = false;
    double number = 0;
    std::string text;
    std::vector<JsonValue> items;
    std::map<std::string, JsonValue> members;

    const JsonValue& operator[](const std::string& key) const {
        const auto found = members.find(key);
        if (found == members.end()) throw std::runtime_error("no member " + key);
        return found->second;
    }
    const JsonValue& operator[](std::size_t i) const { return items.at(i); }
};

class JsonParser {
public:
    explicit JsonParser(std::string_view text) : text_(text) {}

    // The whole text as one value; throws std::runtime_error where it is not JSON.
    JsonValue parseDocument() {
        JsonValue v = parseValue();
        skipSpace();
        if (at_ != text_.size()) fail("text after the value");
        return v;
    }

private:
    [[noreturn]] void fail(const std::string& what) const {
        throw std::runtime_error("JSON: " + what + " at byte " + std::to_string(at_));
    }
    void skipSpace() {
        while (at_ < text_.size() && (text_[at_] == ' ' || text_[at_] == '\n' || text_[at_] == '\r' || text_[at_] == '\t'))
            ++at_;
    }
    bool take(char c) {
        skipSpace();
        if (at_ < text_.size() && text_[at_] == c) {
            ++at_;
            return true;
        }
        return false;
    }
    void expect(char c) {
        if (!take(c)) fail(std::string("expected '") + c + "'");
    }
    std::string parseString() {
        expect('"');
        std::string out;
        while (at_ < text_.size() && text_[at_] != '"') {
            const char c = text_[at_++];
            if (static_cast<unsigned char>(c) < 0x20) fail("control character in a string");
            if (c != '\\') {
                out += c;
                continue;
            }
            if (at_ >= text_.size()) fail("cut escape");
            const char e = text_[at_++];
            switch (e) {
                case '"': out += '"'; break;
                case '\\': out += '\\'; break;
                case '/': out += '/'; break;
                case 'b': out += '\b'; break;
                case 'f': out += '\f'; break;
                case 'n': out += '\n'; break;
                case 'r': out += '\r'; break;
                case 't': out += '\t'; break;
                case 'u':
                    if (at_ + 4 > text_.size()) fail("cut \\u escape");
                    for (int i = 0; i < 4; ++i)
                        if (!std::isxdigit(static_cast<unsigned char>(text_[at_ + static_cast<std::size_t>(i)])))
                            fail("bad \\u escape");
                    out += '?';  // the tests compare numbers and ASCII names
                    at_ += 4;
                    break;
                default: fail("unknown escape");
            }
        }
        if (at_ >= text_.size()) fail("unterminated string");
        ++at_;
        return out;
    }
    JsonValue parseValue() {
        skipSpace();
        if (at_ >= text_.size()) fail("no value");
        JsonValue v;
        const char c = text_[at_];
        if (c == '{') {
            ++at_;
            v.kind = JsonValue::Kind::Object;
            if (take('}')) return v;
            do {
                skipSpace();
                std::string key = parseString();
                expect(':');
                v.members[key] = parseValue();
            } while (take(','));
            expect('}');
        } else if (c == '[') {
            ++at_;
            v.kind = JsonValue::Kind::Array;
            if (take(']')) return v;
            do v.items.push_back(parseValue());
            while (take(','));
            expect(']');
        } else if (c == '"') {
            v.kind = JsonValue::Kind::String;
            v.text = parseString();
        } else if (text_.substr(at_, 4) == "true" || text_.substr(at_, 5) == "false") {
            v.kind = JsonValue::Kind::Boolean;
            v.boolean = c == 't';
            at_ += v.boolean ? 4 : 5;
        } else if (text_.substr(at_, 4) == "null") {
            at_ += 4;
        } else {
            v.kind = JsonValue::Kind::Number;
            const char* first = text_.data() + at_;
            const auto [end, error] = std::from_chars(first, text_.data() + text_.size(), v.number);
            if (error != std::errc() || (*first == '-' ? first[1] : *first) == '.') fail("bad number");
            at_ += static_cast<std::size_t>(end - first);
        }
        return v;
    }

    std::string_view text_;
    std::size_t at_ = 0;
};

inline JsonValue parseJson(std::string_view text) { return JsonParser(text).parseDocument(); }

}  // namespace vellacor::testing
