#pragma once
#include <QMainWindow>
#include <QStringList>
#include <functional>
#include <map>
#include <memory>
#include <optional>

#include "app/command_table.h"
#include "app/document.h"

#include "render/rgb_image.h"

class QAction;
class QLabel;
class QMenu;
class QTimer;

namespace vellacor {

struct FinishedVolumes;
struct SiteModel;
class QtUi;
class ViewWidget;

class MainWindow : public QMainWindow {
    Q_OBJECT
public:
    explicit MainWindow(SiteModel& model, QWidget* parent = nullptr);
    ~MainWindow() override;

    // Opens a file as the document (command line, dropped file, recent list).
    // `format` answers the format question for files of no known extension.
    // An elevation raster is read in the background: true then means it is
    // being read, and the frames finish its open.
    bool openPath(const QString& path, const QString& format = QString());
    ViewWidget* view() const { return view_; }
    QtUi& ui() { return *ui_; }
    // Runs one frame now; the timer runs them while the window is up.
    void runFrame();
    // Enables and checks the menu items and toolbar buttons from the site's state.
    void updateCommandStates();
    // The action of a menu item or toolbar button, for tests.
    QAction* commandAction(CommandId id) const;
    QString elevationText() const;

    // Opens a file as the comparison surface (File > Open Comparison Surface... after its chooser).
    bool openComparisonPath(const QString& path, const QString& format = QString());
    // The text the volumes dialog showed last, for tests.
    QString volumeReportText() const { return volumeReportText_; }

    QAction* savePointsAction() const { return commandAction(CommandId::SavePoints); }
    QAction* saveAsAction() const { return commandAction(CommandId::SaveAs); }

protected:
    void closeEvent(QCloseEvent* event) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dropEvent(QDropEvent* event) override;

private:
    void createActions();
    void createMenus();
    void addMenuEntries(QMenu* menu, const std::vector<MenuEntry>& entries);
    void createToolBar();
    void createAccelerators();
    void bindToCommand(QAction* act, CommandId id);
    void runMenuCommand(CommandId id);
    void refreshRecentMenu();
    void updateTitle();
    void scheduleFrame(int delayMs);
    void open();
    void openAfterAsking(const QString& path);
    // What follows an open that loaded or failed: the title, the recent files.
    void finishOpen(const QString& path, OpenResult result);
    // Asks about unsaved changes before the site goes; false when it must stay.
    bool maySetSiteAside();
    QString documentName() const;
    void openComparison();
    void askVolumeToElevation();
    // The volumes worked out in the background: their dialog, or the isopach saved.
    void useFinishedVolumes(FinishedVolumes& finished);
    void about();

    SiteModel& model_;
    std::unique_ptr<QtUi> ui_;
    ViewWidget* view_ = nullptr;
    QTimer* frameTimer_ = nullptr;
    bool inFrame_ = false;
    RgbImage picture_;
    QString documentPath_;
    QString volumeReportText_;

    std::map<CommandId, std::function<void()>> windowCommands_;  // the rows with no handler of their own
    QMenu* fileMenu_ = nullptr;
    QMenu* recentMenu_ = nullptr;
    QAction* recentPlaceholder_ = nullptr;
    QList<QAction*> recentActs_;
    std::map<CommandId, QAction*> commandActs_;  // every menu item and button the core decides on
    QLabel* elevationPane_ = nullptr;
};

}  // namespace vellacor
