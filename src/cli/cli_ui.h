#pragma once
#include <cstdio>
#include <optional>
#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

#include "platform/silent_ui.h"

namespace vellacor {

// The seam for the command line: messages go to stderr, the format dialog is
// answered by --format, a point cloud's classes by --classes (the dialog's
// own choice without it), and nothing else is asked.
class CliUi : public SilentUi {
public:
    explicit CliUi(std::string formatAnswer = "PNEZD", std::optional<std::vector<int>> classesAnswer = {})
        : format(std::move(formatAnswer)), classes(std::move(classesAnswer)) {}

    std::string format;
    std::optional<std::vector<int>> classes;
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
        if (!classes) return false;
        dialog.chosen = *classes;
        return true;
    }
    using SilentUi::run;
};

}  // namespace vellacor
