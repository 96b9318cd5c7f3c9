#pragma once
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <optional>
#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

#include "app/las_open.h"
#include "cli/cli_args.h"
#include "cli/cli_progress.h"
#include "platform/silent_ui.h"

namespace vellacor {

// The seam for the command line: messages go to stderr, the format dialog is
// answered by --format, a point cloud's classes by --classes (the dialog's
// own choice without it) and whether its withheld points are kept by
// --withheld, and nothing else is asked. A long run's progress goes to
// stderr when that is a terminal, unless --quiet.
class CliUi : public SilentUi {
public:
    explicit CliUi(std::string formatAnswer = "PNEZD", std::optional<std::vector<int>> classesAnswer = {},
                   bool keepWithheld = false, bool showProgressOnTerminal = false)
        : format(std::move(formatAnswer)), classes(std::move(classesAnswer)), withheld(keepWithheld),
          ticks_(showProgressOnTerminal && isatty(fileno(stderr)) == 1) {}
    // The answers and the progress the command line's options ask for.
    explicit CliUi(const CliArgs& o) : CliUi(o.format, o.classes, o.has(CliSwitch::Withheld), !o.has(CliSwitch::Quiet)) {}

    std::string format;
    std::optional<std::vector<int>> classes;
    bool withheld = false;
    std::string lastMessage;

    Answer message(const std::string& text, MessageKind kind) override {
        if (kind == MessageKind::Question) return Answer::Yes;  // CAD lines become breaklines
        lastMessage = text;
        if (kind != MessageKind::Information) std::fprintf(stderr, "%s\n", text.c_str());
        return Answer::Ok;
    }
    bool run(SelectFormatDialog& dialog) override {
        dialog.format = format;
        return true;
    }
    bool run(PointClassesDialog& dialog) override {
        dialog.keepWithheld = withheld;
        // The default choice counts the withheld points once they are kept.
        dialog.chosen = classes ? *classes : defaultClassesOf(dialog);
        return true;
    }
    using SilentUi::run;

    bool showProgress(const std::string&, double fraction) override {
        const auto now = std::chrono::steady_clock::now();
        if (!began_) began_ = now;
        print(ticks_.advance(fraction, std::chrono::duration<double>(now - *began_).count()));
        return true;
    }
    void endProgress() override {
        print(ticks_.finish());
        began_.reset();
    }

private:
    static void print(const std::string& text) {
        if (text.empty()) return;
        std::fputs(text.c_str(), stderr);
        std::fflush(stderr);
    }

    ProgressTicks ticks_;
    std::optional<std::chrono::steady_clock::time_point> began_;
};

}  // namespace vellacor
