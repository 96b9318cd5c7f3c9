#pragma once
#include <QString>
#include <functional>
#include <optional>

class QWidget;

namespace vellacor {

// The volumes report: the text (fixed width, selectable), Copy (the whole
// text to the clipboard), Save As... (calls `saveAs` with the text) and Close.
void showVolumeReport(QWidget* parent, const QString& title, const QString& text,
                      const std::function<void(const QString&)>& saveAs);

// "Volume to Elevation": the datum's elevation, starting at `initial`;
// nothing on Cancel.
std::optional<double> askDatumElevation(QWidget* parent, double initial);

}  // namespace vellacor
