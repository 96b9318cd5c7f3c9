#pragma once
#include <cstdlib>

#include "platform/ui.h"

namespace vellacor {

// The seam with no window at all: nothing is shown, every dialog and file
// chooser is cancelled, no key is down. The command-line tools, benchmarks
// and fuzzers build on it.
class SilentUi : public Ui {
public:
    Answer message(const std::string&, MessageKind) override { return Answer::Ok; }
    bool run(SelectFormatDialog&) override { return false; }
    bool run(SavingDialog&) override { return false; }
    bool run(SmoothShadingDialog&) override { return false; }
    bool run(ContourOptionsDialog&) override { return false; }
    bool run(EditPointDialog&) override { return false; }
    bool run(AddWallPointDialog&) override { return false; }
    bool run(AligningDialog&) override { return false; }
    std::optional<std::string> chooseOpenFile(const std::string&) override { return std::nullopt; }
    std::optional<std::string> chooseSaveFile(const std::string&, const std::string&, const std::string&) override {
        return std::nullopt;
    }
    bool keyDown(int) const override { return false; }
    bool isForeground() const override { return false; }
    bool isMinimised() const override { return false; }
    void setWaitCursor(bool) override {}
    [[noreturn]] void terminate(int exitCode) override { std::exit(exitCode); }
};

}  // namespace vellacor
