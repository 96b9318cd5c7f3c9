#pragma once
#include <cstdio>
#include <optional>
#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

#include "app/las_open.h"
#include "platform/silent_ui.h"

namespace vellacor {

// The seam for the command line: messages go to stderr, the format dialog is
// answered by --format, a point cloud's classes by --classes (the dialog's
// own choice without it) and whether its withheld points are kept by
// --withheld, and nothing else is asked.
class CliUi : public SilentUi {
public:
    explicit CliUi(std::string formatAnswer = "PNEZD", std::optional<std::vector<int>> classesAnswer = {},
                   bool keepWithheld = false)
        : format(std::move(formatAnswer)), classes(std::move(classesAnswer)), withheld(keepWithheld) {}

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
};

}  // namespace vellacor
