#pragma once
#include <string>

namespace vellacor {

// The number style of the DXF and LandXML files: a whole value is written
// without a decimal point; anything else with 15 significant digits
// ("%.15g"), so that 512310.001 stays 512310.001 and -3.0001 stays -3.0001.
// Independent of the process locale.
std::string formatNumber(double x);
void appendFormattedNumber(std::string& out, double x);

// Six decimals, as "%f" writes them in the "C" locale.
void appendSixDecimals(std::string& out, double x);

void appendWholeNumber(std::string& out, long long value);

}  // namespace vellacor
