// Feeds arbitrary bytes to the LAS point cloud reader, as they are and behind
// the "LASF" signature, and checks what it accepts: the chosen classes'
// points alone (withheld ones only when kept), each within reach of the
// survey grid, numbered in file order.
#include <algorithm>
#include <cstdint>
#include <cstring>
#include <string>
#include <string_view>

#include "fuzz_check.h"
#include "import/las_file.h"

namespace {

using namespace vellacor;

using fuzzing::check;

void checkRead(std::string_view bytes, std::uint8_t pick) {
    LasClassAnswer answer;
    LasClassTally seen;
    bool asked = false;
    const LasReadResult r = readLasBytes(bytes, [&](const LasClassTally& tally) {
        asked = true;
        seen = tally;
        // A byte of the input picks the answer: the default, every class, or one class, withheld points or not.
        answer = pick % 3 == 0 ? defaultLasAnswer(tally) : LasClassAnswer{};
        if (pick % 3 == 1) answer.classes.fill(true);
        if (pick % 3 == 2) answer.classes[pick] = true;
        answer.keepWithheld = pick % 2 == 1;
        return answer;
    });
    const LasLayoutRead header = readLasLayout(bytes);
    check(header.layout.has_value() == header.refusal.empty());
    check(r.read.pointCount >= 0);
    check(r.read.points.size() == (r.read.pointCount > 0 ? static_cast<std::size_t>(r.read.pointCount) + 3 : 0));
    check(r.read.pointCount > 0 || !r.diagnostics.messages.empty());
    if (!header.layout) {
        check(!asked && r.read.pointCount == 0);
        return;
    }
    const LasLayout& layout = *header.layout;
    if (layout.compressed) {
        // The records are decoded, not read where they lie: only whole chunks'
        // points come back, numbered within the header's count.
        int previous = 0;
        for (int i = 0; i < r.read.pointCount; ++i) {
            const SurveyPoint& p = r.read.points[static_cast<std::size_t>(i)];
            check(p.number > previous && static_cast<std::size_t>(p.number) <= layout.records);
            previous = p.number;
        }
        return;
    }
    check(layout.firstRecord + layout.records * layout.recordLength <= bytes.size());
    std::uint64_t total = 0, chosen = 0;
    for (std::size_t code = 0; code < seen.counts.size(); ++code) {
        total += seen.counts[code] + seen.withheld[code];
        if (answer.classes[code]) chosen += seen.counts[code] + (answer.keepWithheld ? seen.withheld[code] : 0);
    }
    check(!asked || total == layout.records);
    check(static_cast<std::uint64_t>(r.read.pointCount) <= chosen);
    int previous = 0;
    for (int i = 0; i < r.read.pointCount; ++i) {
        const SurveyPoint& p = r.read.points[static_cast<std::size_t>(i)];
        check(isUsableCoordinate(p.northing) && isUsableCoordinate(p.easting) && isUsableCoordinate(p.elevation));
        check(p.number > previous && static_cast<std::size_t>(p.number) <= layout.records);
        previous = p.number;
        const char* record = bytes.data() + layout.firstRecord + static_cast<std::size_t>(p.number - 1) * layout.recordLength;
        const std::uint8_t code = static_cast<std::uint8_t>(static_cast<std::uint8_t>(record[layout.classOffset]) & layout.classMask);
        const bool withheld = (static_cast<std::uint8_t>(record[layout.withheldOffset]) & layout.withheldMask) != 0;
        check(answer.classes[code] && (answer.keepWithheld || !withheld));
        check(descriptionOf(p) == lasClassName(code, layout.versionMinor));
    }
}

}  // namespace

// A compressed file may code a great many points in few bytes, as its format
// allows; its counts are kept to a few hundred thousand so that each input
// stays quick. The decoder's own target covers the rest.
std::string withCompressedCountsBounded(std::string bytes) {
    constexpr std::uint32_t kMostCounted = 1u << 18;
    if (bytes.size() < 255 || (static_cast<std::uint8_t>(bytes[104]) & 0xC0) == 0) return bytes;
    std::uint32_t legacy;
    std::memcpy(&legacy, bytes.data() + 107, 4);
    legacy = std::min(legacy, kMostCounted);
    std::memcpy(bytes.data() + 107, &legacy, 4);
    std::uint64_t wide;
    std::memcpy(&wide, bytes.data() + 247, 8);
    wide = std::min<std::uint64_t>(wide, kMostCounted);
    std::memcpy(bytes.data() + 247, &wide, 8);
    return bytes;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string bytes = withCompressedCountsBounded(std::string(reinterpret_cast<const char*>(data), size));
    const std::uint8_t pick = size > 0 ? data[size - 1] : 0;
    checkRead(bytes, pick);
    if (!bytes.starts_with("LASF")) checkRead(withCompressedCountsBounded("LASF" + bytes), pick);
    return 0;
}
