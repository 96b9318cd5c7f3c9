#pragma once
#include <cstddef>
#include <string_view>

namespace vellacor {

// How many LF bytes `text` holds: what std::count gives, eight bytes at a
// time (readers size their arrays by it before a pass over a long file).
std::size_t countLineFeeds(std::string_view text);

}  // namespace vellacor
