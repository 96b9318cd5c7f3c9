#pragma once
#include <QStringList>

class QSettings;

namespace vellacor {

inline constexpr int kRecentFileCount = 6;

QStringList readRecentFiles(QSettings& settings);
void writeRecentFiles(QSettings& settings, const QStringList& files);
// Puts `path` first, removing an older entry of it, and keeps six entries.
QStringList withRecentFile(QStringList files, const QString& path);

}  // namespace vellacor
