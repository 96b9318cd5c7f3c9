#include "shell/main_window.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFileInfo>
#include <QLabel>
#include <QMenuBar>
#include <QMessageBox>
#include <QMimeData>
#include <QSettings>
#include <QStatusBar>
#include <QTimer>
#include <QToolBar>
#include <cassert>

#include "app/document.h"
#include "app/frame_cycle.h"
#include "app/idle_pacing.h"
#include "app/output_format.h"
#include "app/pipeline.h"
#include "app/site_edits.h"
#include "app/site_model.h"
#include "app/site_save.h"
#include "app/volume_commands.h"
#include "app/window_open.h"
#include "shell/key_map.h"
#include "shell/qt_ui.h"
#include "shell/recent_files.h"
#include "shell/toolbar_icons.h"
#include "shell/view_widget.h"
#include "shell/volume_dialog.h"
#include "shell/window_settings.h"

namespace vellacor {

MainWindow::MainWindow(SiteModel& model, QWidget* parent)
    : QMainWindow(parent), model_(model), ui_(std::make_unique<QtUi>(this)) {
    model_.renderer.axisMarkerShown = true;
    view_ = new ViewWidget(model_, *ui_, this);
    setCentralWidget(view_);
    createActions();
    createMenus();
    createToolBar();
    createAccelerators();
    statusBar()->showMessage(QStringLiteral("Ready"));
    elevationPane_ = new QLabel(QStringLiteral("Elev: "), this);
    elevationPane_->setMinimumWidth(120);
    statusBar()->addPermanentWidget(elevationPane_);
    setAcceptDrops(true);
    removeStaleSaveTemporariesOfSettings();
    resize(1024, 720);
    restoreWindowPlace(*this);
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

// The commands the window runs itself: they need the window's own dialogs,
// its title or its recent files. Every other command runs its table row.
void MainWindow::createActions() {
    windowCommands_ = {
        {CommandId::Open, [this] { open(); }},
        {CommandId::Exit, [this] { close(); }},
        {CommandId::About, [this] { about(); }},
        {CommandId::OpenComparison, [this] { openComparison(); }},
        {CommandId::VolumeToElevation, [this] { askVolumeToElevation(); }},
    };
    recentPlaceholder_ = new QAction(QStringLiteral("Recent File"), this);
    recentPlaceholder_->setEnabled(false);
    for (int i = 0; i < kRecentFileCount; ++i) {
        auto* act = new QAction(this);
        connect(act, &QAction::triggered, this, [this, act] { openAfterAsking(act->data().toString()); });
        recentActs_ << act;
    }
}

void MainWindow::createMenus() {
    for (const Menu& entry : mainMenu()) {
        QMenu* menu = menuBar()->addMenu(QString::fromStdString(entry.title));
        if (!fileMenu_) fileMenu_ = menu;
        addMenuEntries(menu, entry.items);
        connect(menu, &QMenu::aboutToShow, this, &MainWindow::updateCommandStates);
    }
    connect(fileMenu_, &QMenu::aboutToShow, this, &MainWindow::refreshRecentMenu);
    refreshRecentMenu();
}

void MainWindow::addMenuEntries(QMenu* menu, const std::vector<MenuEntry>& entries) {
    for (const MenuEntry& entry : entries) {
        const QString text = QString::fromStdString(entry.text);
        if (entry.id == CommandId::None && text.isEmpty()) {
            menu->addSeparator();
        } else if (entry.id == CommandId::None) {
            QMenu* sub = menu->addMenu(text);
            addMenuEntries(sub, entry.items);
            connect(sub, &QMenu::aboutToShow, this, &MainWindow::updateCommandStates);
        } else if (entry.id == CommandId::RecentFile) {
            menu->addAction(recentPlaceholder_);
            for (QAction* recent : recentActs_) menu->addAction(recent);
        } else {
            QAction* act = new QAction(text, this);
            act->setCheckable(entry.checkable);
            bindToCommand(act, entry.id);
            menu->addAction(act);
        }
    }
}

void MainWindow::createToolBar() {
    QToolBar* bar = addToolBar(QStringLiteral("Toolbar"));
    bar->setObjectName(QStringLiteral("toolbar"));
    bar->setIconSize(QSize(17, 15));
    bar->setMovable(false);
    for (const ToolButton& button : toolbarButtons()) {
        QAction* act = bar->addAction(toolbarIcon(button.id), QString::fromStdString(button.toolTip));
        act->setToolTip(QString::fromStdString(button.toolTip));
        bindToCommand(act, button.id);
        // Keys belong to the view: a click on a button must not take the focus from it.
        if (QWidget* w = bar->widgetForAction(act)) w->setFocusPolicy(Qt::NoFocus);
    }
}

// The action runs the command's row; the row's accelerators become its
// shortcuts (its plain keys are the view's) and its status tip the action's.
void MainWindow::bindToCommand(QAction* act, CommandId id) {
    const Command* command = findCommand(id);
    assert(command && (command->run || windowCommands_.count(id)));  // every item does something
    QList<QKeySequence> shortcuts;
    for (const KeyStroke key : {command->key, command->otherKey})
        if (key && key.accelerator()) shortcuts << qtShortcutFor(key);
    act->setShortcuts(shortcuts);
    if (const std::string_view tip = command->statusTip; !tip.empty())
        act->setStatusTip(QString::fromUtf8(tip.data(), static_cast<qsizetype>(tip.size())));
    connect(act, &QAction::triggered, this, [this, id] { runMenuCommand(id); });
    commandActs_[id] = act;
}

// Keys the window takes so they never reach the view's key handler.
void MainWindow::createAccelerators() {
    auto* act = new QAction(this);
    QList<QKeySequence> shortcuts;
    for (const KeyStroke key : keysTakenForNothing()) shortcuts << qtShortcutFor(key);
    act->setShortcuts(shortcuts);
    act->setShortcutContext(Qt::WindowShortcut);
    addAction(act);
}

void MainWindow::runMenuCommand(CommandId id) {
    if (const auto own = windowCommands_.find(id); own != windowCommands_.end())
        own->second();
    else
        runCommand(model_, *ui_, id);
    view_->setFocus();
    updateCommandStates();
    updateTitle();
}

QAction* MainWindow::commandAction(CommandId id) const {
    const auto it = commandActs_.find(id);
    return it == commandActs_.end() ? nullptr : it->second;
}

QString MainWindow::elevationText() const { return elevationPane_->text(); }

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
    for (const auto& [id, act] : commandActs_) {
        const CommandState state = commandState(model_, id);
        act->setEnabled(state.enabled);
        if (act->isCheckable()) act->setChecked(state.checked);
    }
}

QString MainWindow::documentName() const {
    return documentPath_.isEmpty() ? QStringLiteral("Untitled") : QFileInfo(documentPath_).fileName();
}

// A star before the name while the site holds changes not saved.
void MainWindow::updateTitle() {
    const QString mark = hasUnsavedChanges(model_) ? QStringLiteral("*") : QString();
    const QString title = mark + documentName() + QStringLiteral(" - Vellacor");
    if (windowTitle() != title) setWindowTitle(title);
}

bool MainWindow::maySetSiteAside() {
    const bool may = mayCloseSite(model_, *ui_, [this] {
        return ui_->askSaveChanges(documentName().toStdString(), unsavedChangesText(unsavedChanges(model_)));
    });
    updateTitle();
    return may;
}

void MainWindow::openAfterAsking(const QString& path) {
    if (maySetSiteAside()) openPath(path);
}

bool MainWindow::openPath(const QString& path, const QString& format) {
    const std::optional<std::string> preset =
        format.isEmpty() ? std::nullopt : std::optional<std::string>(format.toStdString());
    const OpenResult result = openDocumentInWindow(model_, *ui_, path.toStdString(), preset);
    if (result == OpenResult::Refused) {
        ui_->message("Access to " + path.toStdString() + " was denied.", MessageKind::Warning);
        return false;
    }
    finishOpen(path, result);
    return result == OpenResult::Loaded || result == OpenResult::Reading;
}

void MainWindow::finishOpen(const QString& path, OpenResult result) {
    documentPath_ = result == OpenResult::Loaded ? path : QString();
    if (result == OpenResult::Loaded) {
        QSettings settings = programSettings();
        writeRecentFiles(settings, withRecentFile(readRecentFiles(settings), QFileInfo(path).absoluteFilePath()));
        rememberFolderOf(path);  // dropped and recent files too: the next Open starts there
    }
    updateTitle();
    updateCommandStates();
    view_->update();
}

void MainWindow::open() {
    if (!maySetSiteAside()) return;
    if (auto path = ui_->chooseOpenFile("All Files (*.*)|*.*||")) openPath(QString::fromStdString(*path));
}

void MainWindow::openComparison() {
    if (auto path = ui_->chooseOpenFile("All Files (*.*)|*.*||")) openComparisonPath(QString::fromStdString(*path));
}

bool MainWindow::openComparisonPath(const QString& path, const QString& format) {
    const std::optional<std::string> preset =
        format.isEmpty() ? std::nullopt : std::optional<std::string>(format.toStdString());
    const bool opened = openComparisonSurface(model_, *ui_, path.toStdString(), preset);
    if (opened) statusBar()->showMessage(QStringLiteral("Comparison surface: %1").arg(QFileInfo(path).fileName()));
    view_->update();
    return opened;
}

void MainWindow::useFinishedVolumes(FinishedVolumes& finished) {
    if (finished.use == VolumeUse::SaveIsopach) {
        const SaveChooser dxf = saveChooserOf(ExportFormat::Dxf);
        const auto path = ui_->chooseSaveFile(dxf.defaultExtension, dxf.filter, "isopach.dxf");
        if (!path) return;
        if (const std::optional<std::string> saved = saveIsopach(model_, *ui_, finished.totals.isopach, *path))
            ui_->message(*saved, MessageKind::Information);
        return;
    }
    const VolumeQuestion& question = finished.question;
    volumeReportText_ =
        QString::fromStdString(volumeDialogText(model_, documentName().toStdString(), question, finished.totals));
    const QString title = question.datum ? QStringLiteral("Volume to Elevation") : QStringLiteral("Cut and Fill");
    // The view behind the report shows the site without the job's progress.
    paintFrame(model_, *ui_, view_->width(), view_->height(), picture_);
    view_->showPicture(picture_);
    view_->repaint();
    ui_->runModal([&] {
        showVolumeReport(this, title, volumeReportText_, [this](const QString& text) {
            if (auto path = ui_->chooseSaveFile("txt", "Text (*.txt)|*.txt|All Files (*.*)|*.*||", "volumes.txt"))
                saveVolumeReportTo(*ui_, text.toStdString(), *path);
        });
    });
}

void MainWindow::askVolumeToElevation() {
    const SiteDocument& d = model_.document;
    const double initial = model_.comparison.datum.value_or(d.minElevation != kNoElevation ? d.minElevation : 0.0);
    std::optional<double> datum;
    ui_->runModal([&] { datum = askDatumElevation(this, initial); });
    if (datum) startVolumes(model_, *ui_, VolumeQuestion{datum, 0.0}, VolumeUse::Report);
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
    updateCommandStates();  // the toolbar follows the site every frame
    elevationPane_->setText(QString::fromStdString(elevationPaneText(model_)));
    updateTitle();  // edits made with the mouse and keys show in the title
    inFrame_ = false;
    scheduleFrame(idleDelayMs(model_, isActiveWindow()));
    // Outside the frame: the dialog's own event loop holds back the frames until it closes.
    if (const std::optional<std::string> reading = pathBeingOpened(model_))
        if (const std::optional<OpenResult> opened = adoptOpenedDocument(model_, *ui_))
            finishOpen(QString::fromStdString(*reading), *opened);
    if (auto finished = adoptFinishedVolumes(model_, *ui_)) useFinishedVolumes(*finished);
}

void MainWindow::closeEvent(QCloseEvent* event) {
    if (!maySetSiteAside()) {
        event->ignore();
        return;
    }
    saveWindowPlace(*this);
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
        openAfterAsking(urls.first().toLocalFile());
    }
}

}  // namespace vellacor
