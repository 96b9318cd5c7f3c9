#pragma once
#include <cstdint>
#include <string_view>

namespace vellacor {

// The points of a site share a handful of descriptions ("TOPO", "EP", a LiDAR
// class name), so each text is kept once for the whole run and a point holds
// its number here: 4 bytes a point instead of 51, half a gigabyte at ten
// million points. Texts are never taken out, so a number stays good for the
// rest of the run whichever document, undo record or reader result holds it;
// the pool grows only with the number of different texts the run has seen.
using DescriptionId = std::uint32_t;
inline constexpr DescriptionId kNoDescription = 0;  // the empty text
inline constexpr std::size_t kLongestPooledText = 63;

// The number of `text`, cut to kLongestPooledText bytes; the same text always
// gets the same number. Safe from any thread.
DescriptionId internDescription(std::string_view text);

// The text of a number internDescription gave. Safe from any thread.
std::string_view descriptionText(DescriptionId id);

// A module loaded at run time carries its own copy of this code; it reads
// the program's texts once it has adopted the program's pool.
struct DescriptionPool;
DescriptionPool* programDescriptionPool();
void adoptDescriptionPool(DescriptionPool* pool);

}  // namespace vellacor
