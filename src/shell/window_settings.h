#pragma once
#include <QSettings>
#include <QString>

class QWidget;

namespace vellacor {

// The program's own settings: the window's size and place, the last folder and
// the recent-file list.
QSettings programSettings();

// The size and place the window had when it was last closed; nothing before
// the first close, or when the saved place no longer fits any screen.
void restoreWindowPlace(QWidget& window);
void saveWindowPlace(const QWidget& window);

// The folder of the last file opened or saved; empty before the first.
QString lastFolder();
void rememberFolderOf(const QString& filePath);

// At start: the hidden files a killed save left in the folders the window
// opens from and saves into (the last folder, the recent files' folders) are
// removed (see removeStaleSaveTemporaries). Returns how many.
int removeStaleSaveTemporariesOfSettings();

}  // namespace vellacor
