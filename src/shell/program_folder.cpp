#include "shell/program_folder.h"

#include <QDir>
#include <QFileInfo>

namespace vellacor {

QString programDataFolder(const QString& programFolder, const QString& dataFromProgram) {
    const QDir program(programFolder);
    if (QFileInfo::exists(program.filePath(QStringLiteral("logo.bmp")))) return programFolder;
    const QString installed = QDir::cleanPath(program.filePath(dataFromProgram));
    if (QFileInfo::exists(QDir(installed).filePath(QStringLiteral("logo.bmp")))) return installed;
    return programFolder;
}

}  // namespace vellacor
