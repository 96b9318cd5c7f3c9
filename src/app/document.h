#pragma once
#include <optional>
#include <string>

#include "app/site_edits.h"
#include "export/writers.h"
#include "model/point_file_format.h"
#include "platform/ui.h"
#include "section/section_line.h"

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
// centre as it opens (see projectSiteFromDegrees).
OpenResult openDocument(SiteModel& model, Ui& ui, const std::string& path,
                        const std::optional<std::string>& format = std::nullopt,
                        const std::string& coordinateSystem = {});

// The two halves of openDocument around the read, for an open whose read
// runs elsewhere. beginOpening settles the format (asking when it must) and
// empties the site for the file: the format, or nothing when the file is
// refused (the site then stays as it was). finishOpening takes the site as the
// read left it: the coordinate system, the extents and the camera when points
// were loaded, else the message and an empty site.
std::optional<PointFileFormat> beginOpening(SiteModel& model, Ui& ui, const std::string& path,
                                            const std::optional<std::string>& format);
OpenResult finishOpening(SiteModel& model, Ui& ui, const std::string& path, bool loaded,
                         const std::string& coordinateSystem);

// Keeps one point (the lowest) per cell x cell square of an opened point
// file or cloud, before its surface is built, and places the site and the
// camera anew; a site that came with a surface, faces or breaklines keeps
// every point (they name points by their place in the file).
void thinSitePoints(SiteModel& model, double cell);

// Runs the reader for a format; true when points were loaded.
bool loadByFormat(SiteModel& model, Ui& ui, const std::string& path, PointFileFormat format);

// File > Save Points...: asks for a file and writes the points.
void savePointsCommand(SiteModel& model, Ui& ui);
// Writes the points to a chosen path (the part of Save Points after the
// chooser); the site's point edits are then saved.
bool savePointsTo(SiteModel& model, Ui& ui, const std::string& path);

// File > Save As...: the Saving dialog, the chooser and the chosen writer.
// Contours and triangles wait for the surface to be finished. True when the
// file was written; the site is then marked saved in what the file holds.
bool saveAsCommand(SiteModel& model, Ui& ui);

// The kinds of change a Save As file of this format and these parts holds:
// points with the points (LandXML always), breaklines with the breaklines
// (a GeoJSON file or shapefile only in its one layer), boundaries in LandXML
// with the surface; a GeoTIFF holds none of them.
SiteChange changesHeldBy(ExportFormat format, const ExportParts& parts);

// Writes the chosen parts to a path with the writer of `format` (the part of
// Save As after the chooser): says "Saved File:" with the full path once the
// file is completely written, or why it is not.
bool saveAsTo(const SiteModel& model, Ui& ui, const std::string& path, ExportFormat format, const ExportParts& parts);

// Writes the cross section A -> B as a DXF drawing to a path (after the
// chooser) and says "Saved File:" with the full path, or why it is not saved.
bool saveSectionTo(const SiteModel& model, Ui& ui, const SectionLine& section, const std::string& path);

// The path made absolute, as "Saved File:" shows it.
std::string fullPath(const std::string& path);

// Tells the user a save is done ("Saved File:" and the full path) or that
// the file could not be written; returns `saved`.
bool reportSaved(Ui& ui, bool saved, const std::string& path);

// The file name shown in messages and the window title.
std::string displayName(const std::string& path);

}  // namespace vellacor
