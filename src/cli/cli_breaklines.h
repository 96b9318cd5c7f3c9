#pragma once
#include <optional>
#include <string>

#include "app/breakline_pairs.h"

namespace vellacor {

struct SiteModel;
class CliUi;

// --add-breaklines: builds the surface, adds the file's pairs as picks in the
// view would, reports the lines it skipped on stderr and builds what follows
// the surface again. Nothing when the file cannot be read (said on stderr).
std::optional<BreaklinePairsResult> addBreaklinePairsFile(SiteModel& model, CliUi& ui, const std::string& path);

}  // namespace vellacor
