#pragma once
#include <functional>
#include <set>
#include <utility>

#include "app/site_edits.h"
#include "platform/ui.h"

class QProgressDialog;
class QWidget;

namespace vellacor {

// The seam implemented with Qt: message boxes, the program's dialogs, file
// choosers, key state and window state.
class QtUi : public Ui {
public:
    explicit QtUi(QWidget* window) : window_(window) {}

    Answer message(const std::string& text, MessageKind kind) override;
    bool run(SelectFormatDialog& dialog) override;
    bool run(SavingDialog& dialog) override;
    bool run(SmoothShadingDialog& dialog) override;
    bool run(ContourOptionsDialog& dialog) override;
    bool run(EditPointDialog& dialog) override;
    bool run(AddWallPointDialog& dialog) override;
    bool run(AligningDialog& dialog) override;
    bool run(PointClassesDialog& dialog) override;
    bool run(CoordinateSystemDialog& dialog) override;
    bool run(DemCellDialog& dialog) override;
    std::optional<std::string> chooseOpenFile(const std::string& filter) override;
    std::optional<std::string> chooseSaveFile(const std::string& defaultExt, const std::string& filter,
                                              const std::string& defaultName) override;
    // "Save changes to NAME before closing?" and what is not saved, with
    // Save, Discard and Cancel.
    UnsavedChoice askSaveChanges(const std::string& name, const std::string& unsaved);
    bool keyDown(int virtualKey) const override { return keysDown_.count(virtualKey) > 0; }
    bool isForeground() const override;
    bool isMinimised() const override;
    void setWaitCursor(bool on) override;
    void moveCursorToPixel(int x, int y) override;
    // A window-modal progress dialog with Cancel; no frame starts while it is up.
    bool showProgress(const std::string& text, double fraction) override;
    void endProgress() override;
    [[noreturn]] void terminate(int exitCode) override;

    // The widget the frame buffer is shown in, pixel for pixel from its corner.
    void setView(QWidget* view) { view_ = view; }
    void setKey(int virtualKey, bool down);
    void releaseAllKeys() { keysDown_.clear(); }
    // Runs after every dialog and message box: what the dialog's event loop
    // took (key and button releases) never reached the view.
    void setAfterModal(std::function<void()> afterModal) { afterModal_ = std::move(afterModal); }
    // True while a dialog or message box runs its own event loop: no frame may start then.
    bool modalOpen() const { return modalDepth_ > 0; }
    // Runs a dialog of the window's own as the seam runs its dialogs: no frame
    // starts while it is up, and the keys it took are let go after it.
    void runModal(const std::function<void()>& show);

private:
    struct ModalScope;
    QWidget* window_;
    QWidget* view_ = nullptr;
    std::set<int> keysDown_;
    std::function<void()> afterModal_;
    int modalDepth_ = 0;
    QProgressDialog* progress_ = nullptr;
};

// "A (*.a)|*.a|All Files (*.*)|*.*||" as a Qt file-dialog filter.
std::string qtFilterFrom(const std::string& windowsFilter);

}  // namespace vellacor
