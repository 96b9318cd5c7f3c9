#pragma once
#include <cstdio>
#include <string>

namespace vellacor {

struct SiteModel;
class Ui;

enum class PointLayout { PNEZD, PENZD };

// Reads a PNEZD or PENZD survey file into the model's point array (with three
// spare records). Reading stops at the first line that does not parse; the
// points before it are kept. Returns false when no point was read.
bool readPointFile(SiteModel& model, Ui& ui, const std::string& path, PointLayout layout);

// Reads an XYZ file: numbers in threes, points numbered from 0 in file order.
bool readXyzFile(SiteModel& model, Ui& ui, const std::string& path);

// Writes every point as "number,northing,easting,elevation,description" CR LF
// (easting first when the open document is PENZD). Returns false on a write error.
bool writePointFile(std::FILE* file, const SiteModel& model);

}  // namespace vellacor
