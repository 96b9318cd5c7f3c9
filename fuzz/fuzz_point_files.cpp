// Feeds arbitrary bytes to the survey point readers (PNEZD, PENZD, XYZ).
#include <cstdint>
#include <cstdio>
#include <string>
#include <unistd.h>

#include "import/point_file.h"
#include "app/site_model.h"
#include "platform/silent_ui.h"

namespace {

// Nothing may end the process here: a fatal error is a finding.
class QuietUi : public vellacor::SilentUi {
public:
    [[noreturn]] void terminate(int) override { __builtin_trap(); }
};

std::string scratchFile() {
    return "/tmp/vellacor-fuzz-" + std::to_string(::getpid()) + ".txt";
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static const std::string path = scratchFile();
    std::FILE* f = std::fopen(path.c_str(), "wb");
    if (!f) return 0;
    std::fwrite(data, 1, size, f);
    std::fclose(f);

    QuietUi ui;
    for (int layout = 0; layout < 3; ++layout) {
        vellacor::SiteModel model;
        bool ok = layout == 2 ? vellacor::readXyzFile(model, ui, path)
                              : vellacor::readPointFile(model, ui, path,
                                                        layout == 0 ? vellacor::PointLayout::PNEZD
                                                                    : vellacor::PointLayout::PENZD);
        if (ok) {
            vellacor::computeExtents(model.document);
            vellacor::computeNextPointNumber(model.document);
            if (model.document.pointCount <= 0 || static_cast<std::size_t>(model.document.pointCount) > model.document.points.size()) __builtin_trap();
        }
    }
    return 0;
}
