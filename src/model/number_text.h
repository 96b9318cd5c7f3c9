#pragma once
#include <string>

namespace vellacor {

// Numbers as text, written the same whatever the process locale: a '.' for
// the decimal point and no grouping. Every number the program shows or
// writes goes through here.

// Fixed notation with `decimals` digits after the point, as "%.Nf" in the "C" locale.
void appendFixed(std::string& out, double x, int decimals);
std::string fixedText(double x, int decimals);

// `significant` significant digits, as "%.Ng" in the "C" locale.
void appendGeneral(std::string& out, double x, int significant);
std::string generalText(double x, int significant);

void appendInteger(std::string& out, long long value);

}  // namespace vellacor
