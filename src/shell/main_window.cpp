#include "shell/main_window.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFileInfo>
#include <QMenuBar>
#include <QMessageBox>
#include <QMimeData>
#include <QSettings>
#include <QStatusBar>
#include <QTimer>

#include "app/document.h"
#include "app/frame_cycle.h"
#include "app/idle_pacing.h"
#include "app/pipeline.h"
#include "app/site_model.h"
#include "shell/qt_ui.h"
#include "shell/recent_files.h"
#include "shell/view_widget.h"

namespace vellacor {

namespace {
QSettings programSettings() { return QSettings(QStringLiteral("Vellacor"), QStringLiteral("Vellacor")); }
}  // namespace

MainWindow::MainWindow(SiteModel& model, QWidget* parent)
    : QMainWindow(parent), model_(model), ui_(std::make_unique<QtUi>(this)) {
    view_ = new ViewWidget(model_, *ui_, this);
    setCentralWidget(view_);
    createActions();
    createMenus();
    statusBar()->showMessage(QStringLiteral("Ready"));
    setAcceptDrops(true);
    resize(1024, 720);
    updateTitle();
    updateCommandStates();

    frameTimer_ = new QTimer(this);
    frameTimer_->setSingleShot(true);
    connect(frameTimer_, &QTimer::timeout, this, &MainWindow::runFrame);
    scheduleFrame(0);
}

MainWindow::~MainWindow() {
    cancelAllWorkers(model_);
    // The view talks to the seam until it goes; the seam is a member, so the
    // view must go first.
    delete view_;
}

void MainWindow::createActions() {
    openAct_ = new QAction(QStringLiteral("&Open..."), this);
    openAct_->setShortcut(QKeySequence::Open);
    openAct_->setStatusTip(QStringLiteral("Open an existing document"));
    connect(openAct_, &QAction::triggered, this, &MainWindow::open);

    savePointsAct_ = new QAction(QStringLiteral("Save Points..."), this);
    savePointsAct_->setShortcut(QKeySequence::Save);
    savePointsAct_->setStatusTip(QStringLiteral("Save the survey points as a text file"));
    connect(savePointsAct_, &QAction::triggered, this, [this] { savePointsCommand(model_, *ui_); });

    saveAsAct_ = new QAction(QStringLiteral("Save &As..."), this);
    saveAsAct_->setStatusTip(QStringLiteral("Save points, contours, breaklines and surface as DXF or LandXML"));
    connect(saveAsAct_, &QAction::triggered, this, [this] { saveAsCommand(model_, *ui_); });

    printAct_ = new QAction(QStringLiteral("&Print..."), this);
    printAct_->setShortcut(QKeySequence::Print);
    // Printing does nothing in this program.

    exitAct_ = new QAction(QStringLiteral("E&xit"), this);
    exitAct_->setStatusTip(QStringLiteral("Quit the application"));
    connect(exitAct_, &QAction::triggered, this, &QWidget::close);

    aboutAct_ = new QAction(QStringLiteral("&About Vellacor..."), this);
    connect(aboutAct_, &QAction::triggered, this, &MainWindow::about);

    recentPlaceholder_ = new QAction(QStringLiteral("Recent File"), this);
    recentPlaceholder_->setEnabled(false);
    for (int i = 0; i < kRecentFileCount; ++i) {
        auto* act = new QAction(this);
        connect(act, &QAction::triggered, this, [this, act] { openPath(act->data().toString()); });
        recentActs_ << act;
    }
}

void MainWindow::createMenus() {
    fileMenu_ = menuBar()->addMenu(QStringLiteral("&File"));
    fileMenu_->addAction(openAct_);
    fileMenu_->addAction(savePointsAct_);
    fileMenu_->addAction(saveAsAct_);
    fileMenu_->addSeparator();
    fileMenu_->addAction(printAct_);
    fileMenu_->addSeparator();
    fileMenu_->addAction(recentPlaceholder_);
    for (QAction* act : recentActs_) fileMenu_->addAction(act);
    fileMenu_->addSeparator();
    fileMenu_->addAction(exitAct_);
    connect(fileMenu_, &QMenu::aboutToShow, this, [this] {
        updateCommandStates();
        refreshRecentMenu();
    });
    refreshRecentMenu();

    QMenu* help = menuBar()->addMenu(QStringLiteral("&Help"));
    help->addAction(aboutAct_);
}

void MainWindow::refreshRecentMenu() {
    QSettings settings = programSettings();
    const QStringList files = readRecentFiles(settings);
    recentPlaceholder_->setVisible(files.isEmpty());
    for (int i = 0; i < recentActs_.size(); ++i) {
        QAction* act = recentActs_[i];
        if (i < files.size()) {
            act->setText(QStringLiteral("&%1 %2").arg(i + 1).arg(QFileInfo(files[i]).fileName()));
            act->setData(files[i]);
            act->setStatusTip(files[i]);
            act->setVisible(true);
        } else {
            act->setVisible(false);
        }
    }
}

void MainWindow::updateCommandStates() {
    savePointsAct_->setEnabled(model_.document.documentLoaded && model_.document.pointCount > 0);
    saveAsAct_->setEnabled(model_.document.triangulateStage.done);
    printAct_->setEnabled(model_.document.documentLoaded);
}

void MainWindow::updateTitle() {
    const QString name = documentPath_.isEmpty() ? QStringLiteral("Untitled") : QFileInfo(documentPath_).fileName();
    setWindowTitle(name + QStringLiteral(" - Vellacor"));
}

bool MainWindow::openPath(const QString& path, const QString& format) {
    const std::optional<std::string> preset =
        format.isEmpty() ? std::nullopt : std::optional<std::string>(format.toStdString());
    const OpenResult result = openDocument(model_, *ui_, path.toStdString(), preset);
    if (result == OpenResult::Refused) {
        ui_->message("Access to " + path.toStdString() + " was denied.", MessageKind::Warning);
        return false;
    }
    documentPath_ = result == OpenResult::Loaded ? path : QString();
    if (result == OpenResult::Loaded) {
        QSettings settings = programSettings();
        writeRecentFiles(settings, withRecentFile(readRecentFiles(settings), QFileInfo(path).absoluteFilePath()));
    }
    updateTitle();
    updateCommandStates();
    view_->update();
    return result == OpenResult::Loaded;
}

void MainWindow::open() {
    if (auto path = ui_->chooseOpenFile("All Files (*.*)|*.*||")) openPath(QString::fromStdString(*path));
}

void MainWindow::about() {
    QMessageBox::about(this, QStringLiteral("About Vellacor"), QStringLiteral("Vellacor Version 2.0"));
}

void MainWindow::scheduleFrame(int delayMs) { frameTimer_->start(delayMs); }

void MainWindow::runFrame() {
    // A dialog's own event loop may fire the timer: never start a frame inside
    // another frame or under a modal dialog.
    if (inFrame_ || ui_->modalOpen()) {
        scheduleFrame(20);
        return;
    }
    if (isMinimized()) {
        scheduleFrame(200);
        return;
    }
    inFrame_ = true;
    paintFrame(model_, *ui_, view_->width(), view_->height(), picture_);
    view_->showPicture(picture_);
    updateCommandStates();
    inFrame_ = false;
    scheduleFrame(idleDelayMs(model_, isActiveWindow()));
}

void MainWindow::closeEvent(QCloseEvent* event) {
    frameTimer_->stop();
    cancelAllWorkers(model_);
    event->accept();
}

void MainWindow::dragEnterEvent(QDragEnterEvent* event) {
    if (event->mimeData()->hasUrls()) event->acceptProposedAction();
}

void MainWindow::dropEvent(QDropEvent* event) {
    const QList<QUrl> urls = event->mimeData()->urls();
    if (!urls.isEmpty() && urls.first().isLocalFile()) {
        event->acceptProposedAction();
        openPath(urls.first().toLocalFile());
    }
}

}  // namespace vellacor
