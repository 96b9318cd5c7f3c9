#include "export/number_format.h"

#include <cmath>

#include "model/number_text.h"

namespace vellacor {

void appendFormattedNumber(std::string& out, double x) {
    if (std::fabs(std::fmod(x, 1.0)) < 0.001) {
        double whole = std::trunc(x);
        if (whole == 0) whole = 0;  // -0.0004 is written "0", not "-0"
        // Whole numbers beyond the 64-bit range are written digit for digit too.
        if (std::fabs(whole) < 1e18)
            appendWholeNumber(out, static_cast<long long>(whole));
        else
            appendFixed(out, whole, 0);
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
