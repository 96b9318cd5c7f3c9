#pragma once

namespace vellacor {

struct SiteModel;

// Once a surface of a million triangles or more is linked (its breaklines in,
// its boundaries applied), its coarser versions are made on a worker for the
// frames drawn while the view moves; a changed surface has them made again.
void startDetailLevels(SiteModel& model);
// Takes the finished versions when they are still for the surface shown.
void adoptDetailLevels(SiteModel& model);
// Makes them now, for a picture drawn while the view moves.
void finishDetailLevels(SiteModel& model);

}  // namespace vellacor
