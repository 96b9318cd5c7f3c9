// The first version of the point-wise LAZ items, decoded from files another
// encoder wrote and compared byte for byte with the records it was given.
#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include "import/las_vlrs.h"
#include "import/laz_items.h"
#include "support/las_bytes.h"
#include "support/temp_files.h"

namespace vellacor::testing {
namespace {

using laz::Item;
using laz::ItemType;

std::string fixture(const std::string& name) { return (kLazFixtures / name).string(); }

struct Records {
    std::size_t length = 0;
    std::vector<std::string> list;
};

// The first `count` records of an uncompressed LAS file.
Records lasRecords(const std::string& bytes, std::size_t count) {
    Records r;
    r.length = getLittle<std::uint16_t>(bytes, 105);
    const auto at = getLittle<std::uint32_t>(bytes, 96);
    for (std::size_t i = 0; i < count && at + (i + 1) * r.length <= bytes.size(); ++i)
        r.list.push_back(bytes.substr(at + i * r.length, r.length));
    return r;
}

// Every record of a LAZ file written without chunks (one arithmetic stream
// after the first, raw, record), as the file's items decode them.
Records lazRecords(const std::string& bytes) {
    Records r;
    const std::vector<LasVlr> vlrs = readLasVlrs(bytes);
    const LasVlr* vlr = findLasVlr(vlrs, "laszip encoded", 22204);
    if (!vlr) {
        ADD_FAILURE() << "no compression record";
        return r;
    }
    const std::size_t at = vlr->dataOffset;
    EXPECT_EQ(getLittle<std::uint16_t>(bytes, at), 1) << "expected a file without chunks";
    const auto itemCount = getLittle<std::uint16_t>(bytes, at + 32);
    std::vector<Item> items;
    std::vector<std::unique_ptr<laz::PointwiseItemDecoder>> decoders;
    for (std::size_t i = 0; i < itemCount; ++i) {
        const std::size_t itemAt = at + 34 + 6 * i;
        items.push_back({static_cast<ItemType>(getLittle<std::uint16_t>(bytes, itemAt)),
                         getLittle<std::uint16_t>(bytes, itemAt + 2), getLittle<std::uint16_t>(bytes, itemAt + 4)});
        EXPECT_EQ(items.back().version, 1);
        decoders.push_back(laz::makePointwiseItemDecoder(items.back()));
        if (!decoders.back()) {
            ADD_FAILURE() << "no decoder for item type " << static_cast<int>(items.back().type);
            return r;
        }
        r.length += items.back().size;
    }
    const auto count = getLittle<std::uint32_t>(bytes, 107);
    const auto* data = reinterpret_cast<const std::uint8_t*>(bytes.data());
    const std::size_t start = getLittle<std::uint32_t>(bytes, 96);
    std::string record(r.length, '\0');
    auto* out = reinterpret_cast<std::uint8_t*>(record.data());

    std::memcpy(out, data + start, r.length);
    for (std::size_t i = 0, offset = 0; i < items.size(); offset += items[i].size, ++i)
        decoders[i]->first(out + offset);
    r.list.push_back(record);
    laz::ArithmeticDecoder decoder(data + start + r.length, data + bytes.size());
    for (std::uint32_t p = 1; p < count; ++p) {
        for (std::size_t i = 0, offset = 0; i < items.size(); offset += items[i].size, ++i)
            decoders[i]->next(decoder, out + offset);
        r.list.push_back(record);
    }
    EXPECT_FALSE(decoder.overran());
    return r;
}

// The records equal, with the first difference named by record and byte.
void expectSameRecords(const Records& decoded, const Records& expected) {
    ASSERT_EQ(decoded.length, expected.length);
    ASSERT_EQ(decoded.list.size(), expected.list.size());
    for (std::size_t i = 0; i < expected.list.size(); ++i) {
        if (decoded.list[i] == expected.list[i]) continue;
        std::size_t byte = 0;
        while (decoded.list[i][byte] == expected.list[i][byte]) ++byte;
        FAIL() << "record " << i << " differs first at byte " << byte;
    }
}

// Made to pass every way the coding predicts: coordinates whose steps wrap
// in 32 bits, negative scan angles crossing zero, a point source passing
// 65535, times that repeat, jump by more than 32 bits can step, run at
// multiples of the step up to past the largest and far below it, colours
// whose high bytes change alone, and extra bytes wrapping.
TEST(LazVersion1Items, DecodeEveryFieldChangeOfMadeRecords) {
    const std::string laz = readFile(fixture("laz-v1-made.laz"));
    const std::string las = readFile(fixture("laz-v1-made.las"));
    ASSERT_FALSE(laz.empty());
    ASSERT_FALSE(las.empty());
    const Records decoded = lazRecords(laz);
    EXPECT_EQ(decoded.length, 37u);  // point, time, colour and three extra bytes
    expectSameRecords(decoded, lasRecords(las, decoded.list.size()));
    EXPECT_EQ(decoded.list.size(), 300u);
}

// Only the sizes and types the first version has are decoded by it.
TEST(LazVersion1Items, RefuseItemsOfOtherSizesTypesOrVersions) {
    EXPECT_NE(laz::makePointwiseVersion1ItemDecoder({ItemType::Point10, 20, 1}), nullptr);
    EXPECT_NE(laz::makePointwiseVersion1ItemDecoder({ItemType::Byte, 1, 1}), nullptr);
    for (const Item item : {Item{ItemType::Point10, 19, 1}, Item{ItemType::GpsTime11, 4, 1},
                            Item{ItemType::Rgb12, 8, 1}, Item{ItemType::Byte, 0, 1}, Item{ItemType::Point10, 20, 2},
                            Item{ItemType::Point14, 30, 1}, Item{ItemType::Short, 2, 1}}) {
        SCOPED_TRACE(::testing::Message()
                     << "type " << static_cast<int>(item.type) << " size " << item.size << " version " << item.version);
        EXPECT_EQ(laz::makePointwiseVersion1ItemDecoder(item), nullptr);
    }
}

}  // namespace
}  // namespace vellacor::testing
