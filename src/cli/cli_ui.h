#pragma once
#include <cstdio>
#include <stdexcept>
#include <string>
#include <utility>

#include "platform/silent_ui.h"

namespace vellacor {

// The seam for the command line: messages go to stderr, the format dialog is
// answered by --format, and nothing else is asked.
class CliUi : public SilentUi {
public:
    explicit CliUi(std::string formatAnswer = "PNEZD") : format(std::move(formatAnswer)) {}

    std::string format;
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
    using SilentUi::run;
};

}  // namespace vellacor
