#include "shell/recent_files.h"

#include <QSettings>

namespace vellacor {

namespace {
QString entryKey(int i) { return QStringLiteral("Recent File List/File%1").arg(i + 1); }
}  // namespace

QStringList readRecentFiles(QSettings& settings) {
    QStringList files;
    for (int i = 0; i < kRecentFileCount; ++i) {
        const QString f = settings.value(entryKey(i)).toString();
        if (!f.isEmpty()) files << f;
    }
    return files;
}

void writeRecentFiles(QSettings& settings, const QStringList& files) {
    for (int i = 0; i < kRecentFileCount; ++i) {
        if (i < files.size())
            settings.setValue(entryKey(i), files[i]);
        else
            settings.remove(entryKey(i));
    }
}

QStringList withRecentFile(QStringList files, const QString& path) {
    files.removeAll(path);
    files.prepend(path);
    while (files.size() > kRecentFileCount) files.removeLast();
    return files;
}

}  // namespace vellacor
