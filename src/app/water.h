#pragma once
#include <cstdint>
#include <span>

#include "water/rain_system.h"

namespace vellacor {

struct SiteModel;
class Ui;

// The idle cycle's part: the rain system and the ponds are made once the
// surface and its links are done and they are first shown.
void startWaterSystems(SiteModel& model, Ui& ui);

// Once per frame, after the scene is in the displayed picture: the ponds are
// drawn and rise, the waves move, the rain falls and is drawn.
void stepWater(SiteModel& model);

// The surface the rain falls on and the site round it.
RainGround rainGroundOf(const SiteModel& model);

// The low points of the ponds, one mark per point, for the point labels;
// empty while there are no ponds.
std::span<const std::uint8_t> lowPointMarksOf(const SiteModel& model);

}  // namespace vellacor
