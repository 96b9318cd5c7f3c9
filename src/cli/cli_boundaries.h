#pragma once

#include "cli/cli_args.h"
#include "model/site_document.h"

namespace vellacor {

// Adds the command line's --boundary and --hide polygons to those the file
// brought and sets --max-edge; called after the open, before the surface is built.
void applyCliBoundaries(SiteDocument& document, const CliArgs& args);

}  // namespace vellacor
