#include "export/xml_text.h"

#include "model/utf8_text.h"

namespace vellacor {

namespace {

// XML 1.0 allows no U+FFFE or U+FFFF (surrogates are not well-formed UTF-8).
bool isXmlNonCharacter(std::string_view sequence) {
    return sequence.size() == 3 && sequence[0] == '\xEF' && sequence[1] == '\xBF' &&
           (sequence[2] == '\xBE' || sequence[2] == '\xBF');
}

}  // namespace

void appendXmlDescription(std::string& out, std::string_view text) {
    for (std::size_t i = 0; i < text.size();) {
        const auto c = static_cast<unsigned char>(text[i]);
        if (c < 0x80) {
            switch (c) {
                case '"': break;
                case '&': out += "&amp;"; break;
                case '<': out += "&lt;"; break;
                case '>': out += "&gt;"; break;
                default:
                    if (c >= 0x20 || c == '\t' || c == '\n' || c == '\r') out += static_cast<char>(c);
            }
            ++i;
        } else if (const std::size_t length = utf8SequenceLength(text, i)) {
            const std::string_view sequence = text.substr(i, length);
            if (!isXmlNonCharacter(sequence)) out.append(sequence);
            i += length;
        } else {
            appendUtf8(out, windows1252Character(c));
            ++i;
        }
    }
}

}  // namespace vellacor
