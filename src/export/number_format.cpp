#include "export/number_format.h"

#include <cmath>

#include "model/number_text.h"

namespace vellacor {

void appendFormattedNumber(std::string& out, double x) {
    // Only a whole value is written whole: a millimetre above one is a
    // surveyed millimetre, kept like any other.
    if (std::isfinite(x) && x == std::trunc(x)) {
        if (x == 0) x = 0;  // -0.0 is written "0", not "-0"
        // Whole numbers beyond the 64-bit range are written digit for digit too.
        if (std::fabs(x) < 1e18)
            appendWholeNumber(out, static_cast<long long>(x));
        else
            appendFixed(out, x, 0);
        return;
    }
    appendGeneral(out, x, 15);
}

std::string formatNumber(double x) {
    std::string out;
    appendFormattedNumber(out, x);
    return out;
}

void appendSixDecimals(std::string& out, double x) { appendFixed(out, x, 6); }

void appendWholeNumber(std::string& out, long long value) { appendInteger(out, value); }

}  // namespace vellacor
