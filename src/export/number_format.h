#pragma once
#include <string>

namespace vellacor {

// The number style of the DXF and LandXML files: a value within 0.001 of a
// whole number is written as that number truncated toward zero, without a
// decimal point; anything else with 15 significant digits ("%.15g").
// Independent of the process locale.
std::string formatNumber(double x);
void appendFormattedNumber(std::string& out, double x);

// Six decimals, as "%f" writes them in the "C" locale.
void appendSixDecimals(std::string& out, double x);

void appendWholeNumber(std::string& out, long long value);

}  // namespace vellacor
