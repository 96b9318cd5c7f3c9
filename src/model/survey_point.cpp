#include "model/survey_point.h"

#include <algorithm>

#include "model/utf8_text.h"

namespace vellacor {

void setDescription(SurveyPoint& p, std::string_view text) {
    text = text.substr(0, utf8CutLength(text, kDescriptionLength));
    p.descriptionId = internDescription(text.substr(0, text.find('\0')));  // a zero byte ends the text
}

int nextPointNumberAfter(const SurveyPoint* points, int count) {
    std::int64_t largest = count > 0 ? points[0].number : 0;
    for (int i = 1; i < count; ++i) largest = std::max<std::int64_t>(largest, points[i].number);
    // Integer division truncates toward zero: -50 gives 100, -150 gives 0.
    // Above the last hundred that fits 32 bits the number stays at the largest
    // one there is rather than wrapping to a negative number.
    const std::int64_t next = (largest / 100 + 1) * 100;
    return static_cast<int>(std::min<std::int64_t>(next, INT32_MAX));
}

}  // namespace vellacor
