#include "shell/window_settings.h"

#include <QFileInfo>
#include <QWidget>

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

}  // namespace vellacor
