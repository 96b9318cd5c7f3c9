#pragma once
#include <string>

#include "app/site_open.h"
#include "cli/cli_args.h"

namespace vellacor {

// How a command opens `path`: the command line's --crs and, with
// `withBoundaries`, its --boundary and --hide polygons (added to those the
// file brought) and --max-edge. The format question and a point cloud's
// classes are answered by the command line's Ui.
SiteRequest siteRequestOf(const CliArgs& args, const std::string& path, bool withBoundaries = true);

}  // namespace vellacor
