#pragma once
#include <cstdint>
#include <span>

#include "camera/matrix.h"
#include "model/breakline_list.h"
#include "render/frame_buffer.h"
#include "model/surface_view.h"

namespace vellacor {

inline constexpr std::uint8_t kBreaklineColour = 6;
inline constexpr std::uint8_t kBreaklineInsertColour = 7;  // the one going in now

// Each breakline as a line between its ends seen through `view`, depth
// tested against the scene, in the scene buffer.
void drawBreaklines(FrameBuffer& frame, const Matrix& view, const SurfaceView& surface,
                    std::span<const Breakline> breaklines);

// The breakline being forced into the surface, over the displayed frame
// drawn through `view`.
void drawBreaklineInserting(FrameBuffer& frame, const Matrix& view, const SurfaceView& surface,
                            const Breakline& breakline);

}  // namespace vellacor
