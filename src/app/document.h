#pragma once
#include <optional>
#include <string>

#include "app/site_edits.h"
#include "export/writers.h"
#include "model/point_file_format.h"
#include "platform/ui.h"

namespace vellacor {

struct SiteModel;
class Ui;

// The format a path's extension names (compared without regard to case):
// ".dca" PENZD, ".raw", ".xyz", ".usgs_xyz", ".exe" (the demonstration), ".dxf",
// ".xml", ".hgt", ".dwg" (refused), ".las" and ".laz" (the LAS
// reader, which knows a compressed file by its header); nothing when the user must be asked.
std::optional<PointFileFormat> formatForPath(const std::string& path);

// Reading: the file is being read on a worker (openDocumentInWindow).
enum class OpenResult { Loaded, Failed, Refused, Reading };

// Opens a file as the document: command line, File > Open, the recent list,
// a dropped file. Refused leaves the loaded site as it was (a DWG file).
// `format`, when given, answers the format question for a file whose
// extension is not in the table (the bundled sample, the command-line tools).
// A file outside the table that holds a LAS point cloud or an elevation raster
// (by its content) is opened as "LAS" or "RASTER" without asking.
// `coordinateSystem`, when given, is the site's in place of the one the file
// names (one the library does not know fails the open, with a message). A
// site whose system is geographic is projected to the WGS 84 UTM zone of its
// centre as it opens (see projectSiteFromDegrees). `thinCell`, when given,
// keeps one point (the lowest) per square of that side of a point file or
// cloud as it finishes opening, in place of what the point classes question
// answered.
OpenResult openDocument(SiteModel& model, Ui& ui, const std::string& path,
                        const std::optional<std::string>& format = std::nullopt,
                        const std::string& coordinateSystem = {},
                        std::optional<double> thinCell = std::nullopt);

// The two halves of openDocument around the read, for an open whose read
// runs elsewhere. beginOpening settles the format (asking when it must) and
// empties the site for the file: the format, or nothing when the file is
// refused (the site then stays as it was). finishOpening takes the site as the
// read left it: the coordinate system, the thinning the open was asked for
// (thinCellAsked; a site that came with a surface, faces or breaklines keeps
// every point, as they name points by their place in the file), the extents
// and the camera when points were loaded, else the message and an empty site.
std::optional<PointFileFormat> beginOpening(SiteModel& model, Ui& ui, const std::string& path,
                                            const std::optional<std::string>& format);
OpenResult finishOpening(SiteModel& model, Ui& ui, const std::string& path, bool loaded,
                         const std::string& coordinateSystem);

// Runs the reader for a format; true when points were loaded.
bool loadByFormat(SiteModel& model, Ui& ui, const std::string& path, PointFileFormat format);

// File > Save Points...: asks for a file and writes the points (saveSite).
void savePointsCommand(SiteModel& model, Ui& ui);
// Writes the points to a path in the order they were read; says why when
// they are not written.
bool savePointsTo(const SiteModel& model, Ui& ui, const std::string& path);

// File > Save As...: the Saving dialog (its first ticks defaultSaveParts),
// the DEM's cell, the chooser, then saveSite, whose report it shows. True
// when the file was written.
bool saveAsCommand(SiteModel& model, Ui& ui);

// Writes the chosen parts to a path with the writer of `format`, as they are
// now (saveSite waits for the surface first); says why when the file is not
// completely written.
bool saveAsTo(const SiteModel& model, Ui& ui, const std::string& path, ExportFormat format, const ExportParts& parts);

// The path made absolute, as "Saved File:" shows it.
std::string fullPath(const std::string& path);

// Tells the user the file could not be written when it was not; returns `written`.
bool reportIfUnwritten(Ui& ui, bool written, const std::string& path);

// The file name shown in messages and the window title.
std::string displayName(const std::string& path);

}  // namespace vellacor
