#pragma once
#include <QString>

namespace vellacor {

// The folder that holds the start picture (logo.bmp) and the sample site: the
// program's own folder in a build, or, once installed, the data folder at
// `dataFromProgram` relative to it (e.g. "../share/vellacor"), so an installed
// tree can be moved as a whole. The program's folder when neither has the picture.
QString programDataFolder(const QString& programFolder, const QString& dataFromProgram);

}  // namespace vellacor
