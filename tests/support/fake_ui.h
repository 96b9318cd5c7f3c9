#pragma once
#include <deque>
#include <optional>
#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

#include "platform/ui.h"

namespace vellacor::testing {

// Thrown by FakeUi::terminate so a test can assert that the program would end.
struct Terminated : std::runtime_error {
    int exitCode;
    explicit Terminated(int code) : std::runtime_error("terminated"), exitCode(code) {}
};

// A scripted seam: records every message and dialog, answers from queues.
class FakeUi : public Ui {
public:
    std::vector<std::string> messages;
    int formatDialogsShown = 0;
    int savingDialogsShown = 0;
    int shadingDialogsShown = 0;

    std::deque<std::string> formatAnswers;      // empty: the dialog's default is kept
    std::optional<SavingDialog> savingAnswer;   // nothing: the dialog is cancelled
    std::optional<double> shadingAnswer;        // nothing: cancelled
    std::optional<ContourOptionsDialog> contourAnswer;  // nothing: cancelled
    ContourOptionsDialog lastContourDefaults;
    std::optional<EditPointDialog> editPointAnswer;  // nothing: cancelled
    EditPointDialog lastEditPointShown;
    std::optional<double> wallPointAnswer;  // nothing: cancelled
    std::optional<double> lastWallPointDefault;
    std::deque<int> aligningAnswers;            // empty: cancelled
    std::deque<std::vector<int>> classAnswers;  // empty: the dialog's own choice is kept
    std::deque<bool> keepWithheldAnswers;       // empty: the dialog's own box is kept
    std::deque<double> thinAnswers;  // the side of the squares the class question thins to
    std::vector<PointClassesDialog> classDialogsShown;
    std::deque<std::string> coordinateSystemAnswers;  // empty: cancelled
    std::vector<std::string> coordinateSystemsShown;
    std::deque<double> demCellAnswers;  // empty: cancelled
    std::vector<double> demCellsShown;
    std::deque<Answer> questionAnswers;         // Yes/No questions; empty: No
    std::vector<std::string> questions;
    std::deque<std::string> saveFileAnswers;    // empty: cancelled
    std::deque<std::string> openFileAnswers;
    std::vector<std::string> saveFilters;
    std::vector<int> keysDown;
    bool foreground = true;
    bool minimised = false;
    bool waitCursor = false;

    Answer message(const std::string& text, MessageKind kind) override {
        if (kind == MessageKind::Question) {
            questions.push_back(text);
            if (questionAnswers.empty()) return Answer::No;
            const Answer a = questionAnswers.front();
            questionAnswers.pop_front();
            return a;
        }
        messages.push_back(text);
        return Answer::Ok;
    }
    bool run(AligningDialog& dialog) override {
        if (aligningAnswers.empty()) return false;
        dialog.pointNumber = aligningAnswers.front();
        aligningAnswers.pop_front();
        return true;
    }
    bool run(CoordinateSystemDialog& dialog) override {
        coordinateSystemsShown.push_back(dialog.definition);
        if (coordinateSystemAnswers.empty()) return false;
        dialog.definition = coordinateSystemAnswers.front();
        coordinateSystemAnswers.pop_front();
        return true;
    }
    bool run(DemCellDialog& dialog) override {
        demCellsShown.push_back(dialog.cellSize);
        if (demCellAnswers.empty()) return false;
        dialog.cellSize = demCellAnswers.front();
        demCellAnswers.pop_front();
        return true;
    }
    bool run(PointClassesDialog& dialog) override {
        classDialogsShown.push_back(dialog);
        if (!thinAnswers.empty()) {
            dialog.thinCell = thinAnswers.front();
            thinAnswers.pop_front();
        }
        if (classAnswers.empty() && keepWithheldAnswers.empty()) return false;
        if (!classAnswers.empty()) {
            dialog.chosen = classAnswers.front();
            classAnswers.pop_front();
        }
        if (!keepWithheldAnswers.empty()) {
            dialog.keepWithheld = keepWithheldAnswers.front();
            keepWithheldAnswers.pop_front();
        }
        return true;
    }
    bool run(SelectFormatDialog& dialog) override {
        ++formatDialogsShown;
        if (formatAnswers.empty()) return false;
        dialog.format = formatAnswers.front();
        formatAnswers.pop_front();
        return true;
    }
    bool run(SavingDialog& dialog) override {
        ++savingDialogsShown;
        lastSavingDefaults = dialog;
        if (!savingAnswer) return false;
        dialog = *savingAnswer;
        return true;
    }
    bool run(SmoothShadingDialog& dialog) override {
        ++shadingDialogsShown;
        if (!shadingAnswer) return false;
        dialog.angle = *shadingAnswer;
        return true;
    }
    bool run(ContourOptionsDialog& dialog) override {
        lastContourDefaults = dialog;
        if (!contourAnswer) return false;
        dialog = *contourAnswer;
        return true;
    }
    bool run(EditPointDialog& dialog) override {
        lastEditPointShown = dialog;
        if (!editPointAnswer) return false;
        dialog = *editPointAnswer;
        return true;
    }
    bool run(AddWallPointDialog& dialog) override {
        lastWallPointDefault = dialog.change;
        if (!wallPointAnswer) return false;
        dialog.change = *wallPointAnswer;
        return true;
    }
    std::optional<std::string> chooseOpenFile(const std::string&) override { return pop(openFileAnswers); }
    std::optional<std::string> chooseSaveFile(const std::string&, const std::string& filter,
                                              const std::string&) override {
        saveFilters.push_back(filter);
        return pop(saveFileAnswers);
    }
    bool keyDown(int vk) const override {
        for (int k : keysDown)
            if (k == vk) return true;
        return false;
    }
    bool isForeground() const override { return foreground; }
    bool isMinimised() const override { return minimised; }
    void setWaitCursor(bool on) override { waitCursor = on; }
    void moveCursorToPixel(int x, int y) override { cursorMovedTo.push_back({x, y}); }
    std::vector<std::pair<int, int>> cursorMovedTo;
    [[noreturn]] void terminate(int exitCode) override { throw Terminated(exitCode); }

    SavingDialog lastSavingDefaults;

private:
    static std::optional<std::string> pop(std::deque<std::string>& q) {
        if (q.empty()) return std::nullopt;
        std::string s = q.front();
        q.pop_front();
        return s;
    }
};

}  // namespace vellacor::testing
