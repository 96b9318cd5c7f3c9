#include "shell/window_settings.h"

#include <QFileInfo>
#include <QWidget>
#include <string>
#include <vector>

#include "model/save_temporaries.h"
#include "shell/recent_files.h"

namespace vellacor {

namespace {
const QString kGeometryKey = QStringLiteral("Window/Geometry");
const QString kLastFolderKey = QStringLiteral("Settings/Last Folder");
}  // namespace

QSettings programSettings() { return QSettings(QStringLiteral("Vellacor"), QStringLiteral("Vellacor")); }

void restoreWindowPlace(QWidget& window) {
    const QByteArray geometry = programSettings().value(kGeometryKey).toByteArray();
    if (!geometry.isEmpty()) window.restoreGeometry(geometry);
}

void saveWindowPlace(const QWidget& window) { programSettings().setValue(kGeometryKey, window.saveGeometry()); }

QString lastFolder() { return programSettings().value(kLastFolderKey).toString(); }

void rememberFolderOf(const QString& filePath) {
    programSettings().setValue(kLastFolderKey, QFileInfo(filePath).absolutePath());
}

int removeStaleSaveTemporariesOfSettings() {
    QSettings settings = programSettings();
    std::vector<std::string> paths;
    // A folder with no setting would be the working folder: only folders named are looked in.
    if (const QString folder = lastFolder(); !folder.isEmpty()) paths.push_back(folder.toStdString() + "/");
    for (const QString& file : readRecentFiles(settings))
        if (QFileInfo(file).isAbsolute()) paths.push_back(file.toStdString());
    return removeStaleSaveTemporariesBeside(paths);
}

}  // namespace vellacor
