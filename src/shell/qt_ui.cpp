#include "shell/qt_ui.h"

#include <QApplication>
#include <QCursor>
#include <QFileDialog>
#include <QMessageBox>
#include <QProgressDialog>
#include <QWidget>
#include <QWindow>
#include <algorithm>
#include <cstdlib>

#include "shell/dialogs.h"
#include "shell/window_settings.h"

namespace vellacor {

struct QtUi::ModalScope {
    explicit ModalScope(QtUi& ui) : ui_(ui) { ++ui_.modalDepth_; }
    ~ModalScope() {
        --ui_.modalDepth_;
        ui_.releaseAllKeys();  // key releases went to the dialog
        if (ui_.afterModal_) ui_.afterModal_();
    }
    QtUi& ui_;
};

bool QtUi::showProgress(const std::string& text, double fraction) {
    constexpr int kSteps = 1000;
    if (!progress_) {
        ++modalDepth_;  // the caller runs the work: no frame of the window's own meanwhile
        progress_ = new QProgressDialog(QString(), QStringLiteral("Cancel"), 0, kSteps, window_);
        progress_->setWindowTitle(QStringLiteral("Vellacor"));
        progress_->setWindowModality(Qt::WindowModal);
        progress_->setAutoClose(false);
        progress_->setAutoReset(false);
        progress_->setMinimumDuration(300);
    }
    progress_->setLabelText(QString::fromStdString(text));
    progress_->setValue(static_cast<int>(std::clamp(fraction, 0.0, 1.0) * kSteps));
    QApplication::processEvents();
    return !progress_->wasCanceled();
}

void QtUi::endProgress() {
    if (!progress_) return;
    delete progress_;
    progress_ = nullptr;
    --modalDepth_;
    releaseAllKeys();
    if (afterModal_) afterModal_();
}

Answer QtUi::message(const std::string& text, MessageKind kind) {
    ModalScope scope(*this);
    const QString title = QStringLiteral("Vellacor");
    const QString body = QString::fromStdString(text);
    switch (kind) {
        case MessageKind::Question:
            return QMessageBox::question(window_, title, body, QMessageBox::Yes | QMessageBox::No) == QMessageBox::Yes
                       ? Answer::Yes
                       : Answer::No;
        case MessageKind::Information:
            QMessageBox::information(window_, title, body);
            return Answer::Ok;
        case MessageKind::Help:
            showHelpWindow(window_, title, body);
            return Answer::Ok;
        case MessageKind::Error:
            QMessageBox::critical(window_, title, body);
            return Answer::Ok;
        case MessageKind::Warning:
            break;
    }
    QMessageBox::warning(window_, title, body);
    return Answer::Ok;
}

UnsavedChoice QtUi::askSaveChanges(const std::string& name, const std::string& unsaved) {
    ModalScope scope(*this);
    QString text = QStringLiteral("Save changes to %1 before closing?").arg(QString::fromStdString(name));
    if (!unsaved.empty()) text += QStringLiteral("\n\n") + QString::fromStdString(unsaved);
    QMessageBox box(QMessageBox::Warning, QStringLiteral("Vellacor"), text,
                    QMessageBox::Save | QMessageBox::Discard | QMessageBox::Cancel, window_);
    box.setDefaultButton(QMessageBox::Save);
    switch (box.exec()) {
        case QMessageBox::Save: return UnsavedChoice::Save;
        case QMessageBox::Discard: return UnsavedChoice::Discard;
        default: return UnsavedChoice::Cancel;
    }
}

bool QtUi::run(SelectFormatDialog& dialog) {
    ModalScope scope(*this);
    return runSelectFormatDialog(window_, dialog);
}

bool QtUi::run(PointClassesDialog& dialog) {
    ModalScope scope(*this);
    return runPointClassesDialog(window_, dialog);
}

bool QtUi::run(SavingDialog& dialog) {
    ModalScope scope(*this);
    return runSavingDialog(window_, dialog);
}

bool QtUi::run(SmoothShadingDialog& dialog) {
    ModalScope scope(*this);
    return runSmoothShadingDialog(window_, dialog);
}

bool QtUi::run(AligningDialog& dialog) {
    ModalScope scope(*this);
    return runAligningDialog(window_, dialog);
}

bool QtUi::run(CoordinateSystemDialog& dialog) {
    ModalScope scope(*this);
    return runCoordinateSystemDialog(window_, dialog);
}

bool QtUi::run(DemCellDialog& dialog) {
    ModalScope scope(*this);
    return runDemCellDialog(window_, dialog);
}

bool QtUi::run(ContourOptionsDialog& dialog) {
    ModalScope scope(*this);
    return runContourOptionsDialog(window_, dialog);
}

bool QtUi::run(EditPointDialog& dialog) {
    ModalScope scope(*this);
    return runEditPointDialog(window_, dialog);
}

bool QtUi::run(AddWallPointDialog& dialog) {
    ModalScope scope(*this);
    return runAddWallPointDialog(window_, dialog);
}

void QtUi::runModal(const std::function<void()>& show) {
    ModalScope scope(*this);
    show();
}

std::string qtFilterFrom(const std::string& windowsFilter) {
    // Pairs of "description|pattern"; the list ends with "||".
    QStringList parts = QString::fromStdString(windowsFilter).split('|');
    QStringList filters;
    for (int i = 0; i + 1 < parts.size(); i += 2) {
        if (parts[i].isEmpty()) break;
        filters << parts[i];
    }
    return filters.join(QStringLiteral(";;")).toStdString();
}

std::optional<std::string> QtUi::chooseOpenFile(const std::string& filter) {
    ModalScope scope(*this);
    const QString path = QFileDialog::getOpenFileName(window_, QString(), lastFolder(),
                                                      QString::fromStdString(qtFilterFrom(filter)));
    if (path.isEmpty()) return std::nullopt;
    rememberFolderOf(path);
    return path.toStdString();
}

std::optional<std::string> QtUi::chooseSaveFile(const std::string& defaultExt, const std::string& filter,
                                                const std::string& defaultName) {
    ModalScope scope(*this);
    QFileDialog chooser(window_);
    chooser.setAcceptMode(QFileDialog::AcceptSave);
    chooser.setFileMode(QFileDialog::AnyFile);
    chooser.setNameFilters(QString::fromStdString(qtFilterFrom(filter)).split(QStringLiteral(";;")));
    if (!defaultExt.empty()) chooser.setDefaultSuffix(QString::fromStdString(defaultExt));
    if (!lastFolder().isEmpty()) chooser.setDirectory(lastFolder());
    if (!defaultName.empty()) chooser.selectFile(QString::fromStdString(defaultName));
    if (chooser.exec() != QDialog::Accepted || chooser.selectedFiles().isEmpty()) return std::nullopt;
    rememberFolderOf(chooser.selectedFiles().first());
    return chooser.selectedFiles().first().toStdString();
}

bool QtUi::isForeground() const { return window_ && window_->isActiveWindow(); }

bool QtUi::isMinimised() const { return window_ && window_->isMinimized(); }

void QtUi::setWaitCursor(bool on) {
    if (on)
        QApplication::setOverrideCursor(Qt::WaitCursor);
    else
        QApplication::restoreOverrideCursor();
}

void QtUi::moveCursorToPixel(int x, int y) {
    if (view_) QCursor::setPos(view_->mapToGlobal(QPoint(x, y)));
}

void QtUi::terminate(int exitCode) { std::exit(exitCode); }

void QtUi::setKey(int virtualKey, bool down) {
    if (down)
        keysDown_.insert(virtualKey);
    else
        keysDown_.erase(virtualKey);
}

}  // namespace vellacor
