// The most each reader holds at once, on the densest inputs of about a
// megabyte that its format allows, counted through the sanitizers' allocator:
// a bounded multiple of the input, so no file can ask for more memory than
// its own size times a constant.
#include <gtest/gtest.h>

#include <atomic>
#include <cstdint>
#include <functional>
#include <string>

#include "import/dwf_reader.h"
#include "import/dxf_reader.h"
#include "import/elevation_raster.h"
#include "import/hgt_file.h"
#include "import/landxml_reader.h"
#include "import/las_file.h"
#include "import/point_file.h"
#include "import/raw_triangles.h"
#include "import/usgs_profiles.h"
#include "render/texture.h"
#include "support/las_bytes.h"

namespace {

// Bytes held, from the hooks of the sanitizers' allocator; signed, as what
// was allocated before the hooks went in is released too.
std::atomic<long long> liveBytes{0}, peakBytes{0};

#if defined(__SANITIZE_ADDRESS__) || defined(__SANITIZE_THREAD__)
constexpr bool kCounted = true;
}  // namespace

// The sanitizers' allocator interface (its header is not installed with every compiler).
extern "C" {
int __sanitizer_install_malloc_and_free_hooks(void (*)(const volatile void*, std::size_t),
                                              void (*)(const volatile void*));
std::size_t __sanitizer_get_allocated_size(const volatile void*);
}

namespace {

void onAllocate(const volatile void*, std::size_t size) {
    const long long live = liveBytes += static_cast<long long>(size);
    for (long long peak = peakBytes; live > peak && !peakBytes.compare_exchange_weak(peak, live);) {
    }
}

void onRelease(const volatile void* p) {
    if (p) liveBytes -= static_cast<long long>(__sanitizer_get_allocated_size(p));
}

bool installHooks() { return __sanitizer_install_malloc_and_free_hooks(onAllocate, onRelease) != 0; }
#else
constexpr bool kCounted = false;
bool installHooks() { return false; }
#endif

}  // namespace

namespace vellacor {
namespace {

constexpr std::size_t kMegabyte = 1 << 20;

std::string repeated(const std::string& head, const std::string& unit, const std::string& tail = "") {
    std::string text = head;
    while (text.size() + unit.size() + tail.size() <= kMegabyte) text += unit;
    return text + tail;
}

// Peak bytes held during read(), beyond what was held before it.
std::size_t peakOf(const std::function<void()>& read) {
    const long long before = liveBytes;
    peakBytes = before;
    read();
    return static_cast<std::size_t>(peakBytes - before);
}

struct Case {
    const char* reader;
    std::string input;
    std::function<void(const std::string&)> read;
    std::size_t bytesPerInputByte;  // the bound, besides a fixed 4 MB
};

TEST(ReaderMemory, EveryReaderHoldsABoundedMultipleOfItsInput) {
    if (!kCounted) GTEST_SKIP() << "counts allocations through the sanitizers' allocator";
    static const bool hooked = installHooks();
    ASSERT_TRUE(hooked);
    std::string landXml = "<LandXML><CgPoints>";
    for (int i = 1; landXml.size() < kMegabyte / 4; ++i) landXml += "<CgPoint name=\"" + std::to_string(i) + "\">1 1 1</CgPoint>";
    landXml += "</CgPoints><Surfaces><Surface><Definition><Pnts>";
    for (int i = 1; landXml.size() < kMegabyte / 2; ++i) landXml += "<P id=\"" + std::to_string(i) + "\">" + std::to_string(i) + " 1 1</P>";
    landXml = repeated(landXml + "</Pnts><Faces>", "<F>1 2 3</F>", "</Faces></Definition></Surface></Surfaces></LandXML>");
    const std::string dxfHead = "0\nSECTION\n2\nENTITIES\n", dxfTail = "0\nENDSEC\n0\nEOF\n";
    std::string bmp(54 + 1024, '\0');  // an 8-bit picture that claims 30000 x 30000 pixels
    bmp[0] = 'B', bmp[1] = 'M', bmp[10] = static_cast<char>(0x36), bmp[11] = 4, bmp[14] = 40;
    bmp[18] = bmp[22] = 0x30, bmp[19] = bmp[23] = 0x75, bmp[26] = 1, bmp[28] = 8;
    // RLE8 of one-pixel runs that claims 255 pixels a byte, the most it may.
    std::string rle = bmp;
    rle[30] = 1;
    for (int run = 0; run < 1 << 13; ++run) rle += std::string("\1\7", 2);
    rle += std::string("\0\1", 2);
    const std::uint32_t side = 2040;  // 2040 x 2040 <= 255 x 17512 bytes
    for (std::size_t k = 0; k < 4; ++k) rle[18 + k] = rle[22 + k] = static_cast<char>(side >> (8 * k));
    // The shortest LAS records, every one ground, under a header that counts far more than the file holds.
    testing::LasTestFile cloud;
    cloud.pointFormat = 0;
    cloud.points.assign((kMegabyte - 227) / 20, {1, 1, 1, 2});
    std::string las = testing::lasBytes(cloud);
    testing::putLittle<std::uint32_t>(las, 107, 0xFFFFFFFFu);

    const Case cases[] = {
        {"PNEZD", repeated("", "1,1,1,1\n"), [](const std::string& t) { readPointText(t, PointLayout::PNEZD); }, 20},
        {"XYZ", repeated("", "1 1 1\n"), [](const std::string& t) { readXyzText(t); }, 24},
        {"LandXML", landXml, [](const std::string& t) { readLandXmlText(t); }, 16},
        {"DXF points", repeated(dxfHead, "0\nPOINT\n10\n1\n20\n1\n30\n1\n", dxfTail),
         [](const std::string& t) { readDxfText(t, true); }, 20},
        {"DXF lines", repeated(dxfHead, "0\nLINE\n10\n1\n20\n1\n11\n2\n21\n2\n", dxfTail),
         [](const std::string& t) { readDxfText(t, false); }, 8},
        {"DXF faces", repeated(dxfHead, "0\n3DFACE\n10\n0\n20\n0\n11\n1\n21\n0\n12\n0\n22\n1\n13\n0\n23\n1\n", dxfTail),
         [](const std::string& t) { readDxfText(t, true); }, 8},
        {"DWF", repeated("(DWF V06.00)\n", "T 3 0,0 1,0 0,1\n"), [](const std::string& t) { readDwfText(t); }, 12},
        {"USGS", repeated("", "0 0 1\n"), [](const std::string& t) { readUsgsXyzText(t); }, 64},
        {"RAW", repeated("", "0 0 1\n"), [](const std::string& t) { readRawTriangleText(t); }, 56},
        {"HGT tile", std::string(2 * 724 * 724, '\1'), [](const std::string& t) { decodeHgtTile(t, 724); }, 80},
        {"Esri grid", repeated("ncols 1024\nnrows 512\nxllcorner 0\nyllcorner 0\ncellsize 1\n", "1 "),
         [](const std::string& t) { readElevationRasterBytes(t); }, 96},
        {"LAS", las, [](const std::string& t) { readLasBytes(t, {}); }, 6},
        {"BMP", bmp, [](const std::string& t) { decodeBmp8(std::vector<std::uint8_t>(t.begin(), t.end())); }, 2},
        {"BMP RLE8", rle, [](const std::string& t) { decodeBmp8(std::vector<std::uint8_t>(t.begin(), t.end())); }, 512},
    };
    for (const Case& c : cases) {
        const std::size_t peak = peakOf([&] { c.read(c.input); });
        const double ratio = static_cast<double>(peak) / static_cast<double>(c.input.size());
        std::printf("%-10s %8zu bytes in, peak %10zu (%.1f x)\n", c.reader, c.input.size(), peak, ratio);
        EXPECT_LE(peak, c.bytesPerInputByte * c.input.size() + 4 * kMegabyte) << c.reader;
    }
}

}  // namespace
}  // namespace vellacor
