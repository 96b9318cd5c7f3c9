#include "model/survey_point.h"

#include <cstring>

namespace vellacor {

void setDescription(SurveyPoint& p, std::string_view text) {
    std::size_t n = text.size();
    if (n > kDescriptionLength) {
        n = kDescriptionLength;
        // Step back over UTF-8 continuation bytes so a multi-byte character is
        // either kept whole or dropped whole.
        while (n > 0 && (static_cast<unsigned char>(text[n]) & 0xC0) == 0x80) --n;
    }
    std::memcpy(p.description, text.data(), n);
    p.description[n] = '\0';
}

}  // namespace vellacor
