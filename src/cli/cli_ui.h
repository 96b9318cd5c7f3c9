#pragma once
#include <cstdio>
#include <stdexcept>
#include <string>

#include "platform/ui.h"

namespace vellacor {

// The seam for the command line: messages go to stderr, the format dialog is
// answered by --format, and nothing else is asked.
class CliUi : public Ui {
public:
    std::string format = "PNEZD";
    std::string lastMessage;

    Answer message(const std::string& text, MessageKind kind) override {
        lastMessage = text;
        if (kind != MessageKind::Information) std::fprintf(stderr, "%s\n", text.c_str());
        return Answer::Ok;
    }
    bool run(SelectFormatDialog& dialog) override {
        dialog.format = format;
        return true;
    }
    bool run(SavingDialog&) override { return false; }
    bool run(SmoothShadingDialog&) override { return false; }
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
