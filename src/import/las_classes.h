#pragma once
#include <array>
#include <cstdint>
#include <string>

namespace vellacor {

inline constexpr int kLasClassCount = 256;  // a point's class is one byte
inline constexpr int kLasGroundClass = 2;

// How many points of a LAS file are of each class.
using LasClassCounts = std::array<std::uint64_t, kLasClassCount>;
// Which classes become the site.
using LasClassChoice = std::array<bool, kLasClassCount>;

// The ASPRS name of a point class ("Ground", "Building", "Water", ...) for the
// classes 0 to 22 as the file's LAS version names them: before 1.4, class 8
// is "Model Key-point" and class 12 "Overlap Points"; from 1.4 on both are
// "Reserved" (they became flags). "Class N" for the reserved and
// user-defined classes beyond 22.
std::string lasClassName(int code, int versionMinor = 4);

}  // namespace vellacor
