#pragma once
#include <string>

namespace vellacor {

// The coordinate system a point file's companion names: the text of the
// ".prj" file beside it (the same name, its extension replaced; the WKT GIS
// programs write there), trimmed. Empty when there is none, it is a link
// or anything but a regular file, it is larger than a coordinate system's text can be, or it
// holds no text.
std::string readCompanionCoordinateSystem(const std::string& pointFilePath);

}  // namespace vellacor
