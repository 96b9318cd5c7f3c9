#pragma once
namespace vellacor::detail {

// Pixel rows and columns are covered when their integer coordinate r lies in
// (start, end] of a crossing. These helpers find that range, clamped to the
// buffer (so no input can write outside it) and safe for huge or NaN values.

// Smallest integer greater than v, within [0, count]. (Conversion truncates,
// which is the floor for the non-negative values that reach it.)
inline int firstAfter(double v, int count) {
    if (!(v >= 0.0)) return 0;
    if (v >= count) return count;
    return static_cast<int>(v) + 1;
}

// Largest integer not above v, within [-1, count - 1].
inline int lastAtOrBefore(double v, int count) {
    if (!(v >= 0.0)) return -1;
    if (v >= count - 1) return count - 1;
    return static_cast<int>(v);
}

}  // namespace vellacor::detail
