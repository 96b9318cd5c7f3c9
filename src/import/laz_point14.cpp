// The core 30 bytes of point formats 6-10 in the layered coding. A chunk
// codes them in nine layers: the scanner channel, returns and x/y (always
// decoded), then z, class, flags, intensity, scan angle, user data, point
// source and GPS time, each of which is left out when it never changes.
// Every scanner channel keeps its own last point, statistics and models.
#include <array>
#include <optional>

#include "import/laz_layered.h"

namespace vellacor::laz::layered {

namespace {

// Which x/y step statistics a point keeps, by its number of returns n and
// its return number r ([n][r]): single returns, firsts, lasts and the middle
// ones apart.
constexpr std::uint8_t kReturnMap[16][16] = {
    {0, 1, 2, 3, 4, 5, 3, 4, 4, 5, 5, 5, 5, 5, 5, 5}, {1, 0, 1, 3, 3, 3, 3, 3, 3, 3, 3, 3, 3, 3, 3, 3},
    {2, 1, 2, 4, 4, 4, 4, 4, 4, 4, 4, 3, 3, 3, 3, 3}, {3, 3, 4, 5, 4, 4, 4, 4, 4, 4, 4, 4, 4, 4, 4, 4},
    {4, 3, 4, 4, 5, 4, 4, 4, 4, 4, 4, 4, 4, 4, 4, 4}, {5, 3, 4, 4, 4, 5, 4, 4, 4, 4, 4, 4, 4, 4, 4, 4},
    {3, 3, 4, 4, 4, 4, 5, 4, 4, 4, 4, 4, 4, 4, 4, 4}, {4, 3, 4, 4, 4, 4, 4, 5, 4, 4, 4, 4, 4, 4, 4, 4},
    {4, 3, 4, 4, 4, 4, 4, 4, 5, 4, 4, 4, 4, 4, 4, 4}, {5, 3, 4, 4, 4, 4, 4, 4, 4, 5, 4, 4, 4, 4, 4, 4},
    {5, 3, 4, 4, 4, 4, 4, 4, 4, 4, 5, 4, 4, 4, 4, 4}, {5, 3, 3, 4, 4, 4, 4, 4, 4, 4, 4, 5, 5, 4, 4, 4},
    {5, 3, 3, 4, 4, 4, 4, 4, 4, 4, 4, 5, 5, 5, 4, 4}, {5, 3, 3, 4, 4, 4, 4, 4, 4, 4, 4, 4, 5, 5, 5, 4},
    {5, 3, 3, 4, 4, 4, 4, 4, 4, 4, 4, 4, 4, 5, 5, 5}, {5, 3, 3, 4, 4, 4, 4, 4, 4, 4, 4, 4, 4, 4, 5, 5},
};

// How far a return is from the last of its pulse (up to 7): which last
// height the point's height is predicted from.
std::uint32_t returnLevel(std::uint32_t n, std::uint32_t r) {
    const std::uint32_t apart = n > r ? n - r : r - n;
    return apart < 7 ? apart : 7;
}

std::uint32_t evenBelow(std::uint32_t n) { return n & ~1u; }

// The GPS time is coded as a multiple of the last step between times:
// symbols up to kTimeMultiple are that many steps, the next ten are -1 to
// -10 steps, kTimeFull starts a new sequence from a full time, and the last
// three go back to one of the other three sequences kept.
constexpr std::uint32_t kTimeMultiple = 500;
constexpr std::int32_t kTimeMultipleBack = -10;
constexpr std::uint32_t kTimeFull = kTimeMultiple + 10 + 1;
constexpr std::uint32_t kTimeSymbols = kTimeFull + 4;
// A coder goes back to another sequence at most once a point; more is damage.
constexpr int kMaxSequenceHops = 4;

std::int32_t timesSteps(std::int32_t multiple, std::int32_t step) {
    return static_cast<std::int32_t>(static_cast<std::uint32_t>(multiple) * static_cast<std::uint32_t>(step));
}
std::uint64_t widen(std::int32_t n) { return static_cast<std::uint64_t>(static_cast<std::int64_t>(n)); }

struct Point14 {
    std::uint32_t x = 0, y = 0, z = 0;  // unsigned: the steps wrap
    std::uint16_t intensity = 0;
    std::uint8_t returnNumber = 0, returnCount = 0;  // 4 bits each
    std::uint8_t flags = 0;  // as stored: class flags, scanner channel, scan direction, edge of flight line
    std::uint8_t classification = 0, userData = 0;
    std::uint16_t scanAngle = 0;  // signed as stored
    std::uint16_t pointSource = 0;
    std::uint64_t gpsTime = 0;    // the double's bits, which the coder steps as an integer
    bool gpsTimeChanged = false;  // whether this point's time differed from the one before

    static Point14 unpack(const std::uint8_t* b) {
        Point14 p;
        p.x = load<std::uint32_t>(b);
        p.y = load<std::uint32_t>(b + 4);
        p.z = load<std::uint32_t>(b + 8);
        p.intensity = load<std::uint16_t>(b + 12);
        p.returnNumber = static_cast<std::uint8_t>(b[14] & 15u);
        p.returnCount = static_cast<std::uint8_t>(b[14] >> 4);
        p.flags = b[15];
        p.classification = b[16];
        p.userData = b[17];
        p.scanAngle = load<std::uint16_t>(b + 18);
        p.pointSource = load<std::uint16_t>(b + 20);
        p.gpsTime = load<std::uint64_t>(b + 22);
        return p;
    }
    void pack(std::uint8_t* b) const {
        store(b, x);
        store(b + 4, y);
        store(b + 8, z);
        store(b + 12, intensity);
        b[14] = static_cast<std::uint8_t>(returnNumber | (returnCount << 4));
        b[15] = flags;
        b[16] = classification;
        b[17] = userData;
        store(b + 18, scanAngle);
        store(b + 20, pointSource);
        store(b + 22, gpsTime);
    }
    std::uint32_t channel() const { return (flags >> 4) & 3u; }
};

SymbolModel& lazy(std::optional<SymbolModel>& slot, std::uint32_t symbols) {
    if (!slot) slot.emplace(symbols);
    return *slot;
}

// What one scanner channel keeps through a chunk, started from the last
// point before the channel's first.
struct Channel {
    explicit Channel(const Point14& from) : last(from) {
        last.gpsTimeChanged = false;
        for (std::int32_t& height : lastZ) height = static_cast<std::int32_t>(from.z);
        for (std::uint16_t& value : lastIntensity) value = from.intensity;
        times[0] = from.gpsTime;
    }

    Point14 last;

    // The channel, returns and x/y layer.
    SymbolModel changes[8] = {SymbolModel{128}, SymbolModel{128}, SymbolModel{128}, SymbolModel{128},
                              SymbolModel{128}, SymbolModel{128}, SymbolModel{128}, SymbolModel{128}};
    SymbolModel channelStep{3};
    std::optional<SymbolModel> returnCounts[16], returnNumbers[16];
    SymbolModel returnNumberSameTime{13};
    IntegerDecoder dx{32, 2}, dy{32, 22};
    StreamingMedian5 xSteps[12], ySteps[12];

    IntegerDecoder z{32, 20};
    std::int32_t lastZ[8];

    std::optional<SymbolModel> classes[64], flags[64], userData[64];

    IntegerDecoder intensity{16, 4};
    std::uint16_t lastIntensity[8];

    IntegerDecoder scanAngle{16, 2};
    IntegerDecoder pointSource{16};

    // Up to four sequences of times, each with its last time and step.
    SymbolModel timeMultiple{kTimeSymbols}, timeNoStep{5};
    IntegerDecoder time{32, 9};
    std::uint32_t sequence = 0, newestSequence = 0;
    std::uint64_t times[4] = {};
    std::int32_t timeSteps[4] = {};
    std::int32_t extremes[4] = {};  // steps in a row far from the sequence's step
};

enum LayerIndex : std::size_t {
    kXy,
    kZ,
    kClass,
    kFlags,
    kIntensity,
    kScanAngle,
    kUserData,
    kPointSource,
    kTime,
    kLayers
};

class Point14Decoder final : public LayeredItemDecoder {
public:
    explicit Point14Decoder(bool channelEveryPoint) : channelEveryPoint_(channelEveryPoint) {}

    void first(const std::uint8_t* item, std::uint32_t& context) override {
        const Point14 point = Point14::unpack(item);
        for (std::optional<Channel>& channel : channels_) channel.reset();
        current_ = point.channel();
        channels_[current_].emplace(point);
        context = current_;
        cut_ = damaged_ = false;
    }

    void readLayerSizes(ByteCursor& cursor) override {
        for (Layer& layer : layers_) layer.readSize(cursor);
        cut_ = cut_ || cursor.failed;
    }

    void readLayers(ByteCursor& cursor) override {
        layers_[kXy].readAlways(cursor);
        for (std::size_t i = kZ; i < kLayers; ++i) layers_[i].read(cursor);
        cut_ = cut_ || cursor.failed;
    }

    void next(std::uint8_t* item, std::uint32_t& context) override;

    bool overran() const override {
        if (cut_ || damaged_) return true;
        for (const Layer& layer : layers_)
            if (layer.overran()) return true;
        return false;
    }

private:
    void readTime(Channel& channel, ArithmeticDecoder& decoder);
    static void startSequence(Channel& channel, ArithmeticDecoder& decoder);
    static void countExtreme(Channel& channel, std::int32_t step) {
        if (++channel.extremes[channel.sequence] > 3) {
            channel.timeSteps[channel.sequence] = step;
            channel.extremes[channel.sequence] = 0;
        }
    }

    bool channelEveryPoint_;
    Layer layers_[kLayers];
    std::array<std::optional<Channel>, kChannels> channels_;
    std::uint32_t current_ = 0;
    bool cut_ = false;      // the chunk ended inside the layers
    bool damaged_ = false;  // a layer coded what no coder writes
};

void Point14Decoder::next(std::uint8_t* item, std::uint32_t& context) {
    ArithmeticDecoder& xy = layers_[kXy].decoder();
    Channel* channel = &*channels_[current_];

    // What changed, in the context of the last point's return and time.
    const Point14& before = channel->last;
    const std::uint32_t lastReturn = (before.returnNumber == 1 ? 1u : 0u) +
                                     (before.returnNumber >= before.returnCount ? 2u : 0u) +
                                     (before.gpsTimeChanged ? 4u : 0u);
    const std::uint32_t changes = xy.decodeSymbol(channel->changes[lastReturn]);

    const bool channelChanged = changes & 64;
    if (channelChanged) {
        const std::uint32_t to = (current_ + xy.decodeSymbol(channel->channelStep) + 1) % kChannels;
        if (!channels_[to]) channels_[to].emplace(channel->last);
        current_ = to;
        channel = &*channels_[to];
        channel->last.flags = static_cast<std::uint8_t>((channel->last.flags & ~0x30u) | (to << 4));
    }
    // Version 3 coders told the other items the channel only on a point that
    // changes it and channel 0 on every other point, and coded them so.
    context = channelChanged || channelEveryPoint_ ? current_ : 0;
    Channel& ch = *channel;
    Point14& p = ch.last;
    const bool sourceChanged = changes & 32;
    const bool timeChanged = changes & 16;
    const bool angleChanged = changes & 8;

    std::uint32_t n = p.returnCount;
    if (changes & 4) {
        n = xy.decodeSymbol(lazy(ch.returnCounts[n], 16));
        p.returnCount = static_cast<std::uint8_t>(n);
    }
    std::uint32_t r = p.returnNumber;
    switch (changes & 3) {
        case 1: r = (r + 1) % 16; break;
        case 2: r = (r + 15) % 16; break;
        case 3:
            if (timeChanged)
                r = xy.decodeSymbol(lazy(ch.returnNumbers[r], 16));
            else
                r = (r + xy.decodeSymbol(ch.returnNumberSameTime) + 2) % 16;
            break;
        default: break;
    }
    p.returnNumber = static_cast<std::uint8_t>(r);

    const std::uint32_t single = n == 1 ? 1u : 0u;
    const std::uint32_t level = returnLevel(n, r);
    // single (3), first (2), last (1) or a middle return (0)
    const std::uint32_t position = (r == 1 ? 2u : 0u) + (r >= n ? 1u : 0u);
    const std::uint32_t steps = (std::uint32_t{kReturnMap[n][r]} << 1) | (timeChanged ? 1u : 0u);

    const std::int32_t dx = ch.dx.decode(xy, ch.xSteps[steps].get(), single);
    p.x += static_cast<std::uint32_t>(dx);
    ch.xSteps[steps].add(dx);

    std::uint32_t kBits = ch.dx.k();
    const std::int32_t dy = ch.dy.decode(xy, ch.ySteps[steps].get(), single + (kBits < 20 ? evenBelow(kBits) : 20));
    p.y += static_cast<std::uint32_t>(dy);
    ch.ySteps[steps].add(dy);

    if (layers_[kZ].present()) {
        kBits = (ch.dx.k() + ch.dy.k()) / 2;
        const std::int32_t z =
            ch.z.decode(layers_[kZ].decoder(), ch.lastZ[level], single + (kBits < 18 ? evenBelow(kBits) : 18));
        p.z = static_cast<std::uint32_t>(z);
        ch.lastZ[level] = z;
    }

    if (layers_[kClass].present()) {
        const std::uint32_t model = ((p.classification & 0x1Fu) << 1) + (position == 3 ? 1u : 0u);
        p.classification =
            static_cast<std::uint8_t>(layers_[kClass].decoder().decodeSymbol(lazy(ch.classes[model], 256)));
    }

    if (layers_[kFlags].present()) {
        // edge of flight line, scan direction and the class flags, without the channel
        const std::uint32_t last = ((p.flags >> 2) & 0x30u) | (p.flags & 0x0Fu);
        const std::uint32_t flags = layers_[kFlags].decoder().decodeSymbol(lazy(ch.flags[last], 64));
        p.flags = static_cast<std::uint8_t>(((flags & 0x30u) << 2) | (p.flags & 0x30u) | (flags & 0x0Fu));
    }

    if (layers_[kIntensity].present()) {
        const std::uint32_t slot = (position << 1) | (timeChanged ? 1u : 0u);
        p.intensity = static_cast<std::uint16_t>(
            ch.intensity.decode(layers_[kIntensity].decoder(), ch.lastIntensity[slot], position));
        ch.lastIntensity[slot] = p.intensity;
    }

    if (layers_[kScanAngle].present() && angleChanged) {
        p.scanAngle = static_cast<std::uint16_t>(ch.scanAngle.decode(
            layers_[kScanAngle].decoder(), static_cast<std::int16_t>(p.scanAngle), timeChanged ? 1u : 0u));
    }

    if (layers_[kUserData].present()) {
        p.userData = static_cast<std::uint8_t>(
            layers_[kUserData].decoder().decodeSymbol(lazy(ch.userData[p.userData / 4], 256)));
    }

    if (layers_[kPointSource].present() && sourceChanged)
        p.pointSource =
            static_cast<std::uint16_t>(ch.pointSource.decode(layers_[kPointSource].decoder(), p.pointSource));

    if (layers_[kTime].present() && timeChanged) {
        readTime(ch, layers_[kTime].decoder());
        p.gpsTime = ch.times[ch.sequence];
    }

    p.pack(item);
    p.gpsTimeChanged = timeChanged;
}

// Steps the current sequence's time, or starts or changes sequence.
void Point14Decoder::readTime(Channel& ch, ArithmeticDecoder& decoder) {
    for (int hop = 0; hop < kMaxSequenceHops; ++hop) {
        const std::uint32_t s = ch.sequence;
        if (ch.timeSteps[s] == 0) {
            const std::uint32_t code = decoder.decodeSymbol(ch.timeNoStep);
            if (code == 0) {  // a step that fits 32 bits, which becomes the sequence's step
                ch.timeSteps[s] = ch.time.decode(decoder, 0, 0);
                ch.times[s] += widen(ch.timeSteps[s]);
                ch.extremes[s] = 0;
                return;
            }
            if (code == 1) {
                startSequence(ch, decoder);
                return;
            }
            ch.sequence = (s + code - 1) & 3u;
            continue;
        }

        const std::uint32_t code = decoder.decodeSymbol(ch.timeMultiple);
        if (code == 1) {  // one step more or less as before
            ch.times[s] += widen(ch.time.decode(decoder, ch.timeSteps[s], 1));
            ch.extremes[s] = 0;
            return;
        }
        if (code < kTimeFull) {
            std::int32_t step;
            if (code == 0) {
                step = ch.time.decode(decoder, 0, 7);
                countExtreme(ch, step);
            } else if (code < kTimeMultiple) {
                step = ch.time.decode(decoder, timesSteps(static_cast<std::int32_t>(code), ch.timeSteps[s]),
                                      code < 10 ? 2u : 3u);
            } else if (code == kTimeMultiple) {
                step = ch.time.decode(decoder, timesSteps(kTimeMultiple, ch.timeSteps[s]), 4);
                countExtreme(ch, step);
            } else {
                const std::int32_t back = static_cast<std::int32_t>(kTimeMultiple) - static_cast<std::int32_t>(code);
                if (back > kTimeMultipleBack) {
                    step = ch.time.decode(decoder, timesSteps(back, ch.timeSteps[s]), 5);
                } else {
                    step = ch.time.decode(decoder, timesSteps(kTimeMultipleBack, ch.timeSteps[s]), 6);
                    countExtreme(ch, step);
                }
            }
            ch.times[s] += widen(step);
            return;
        }
        if (code == kTimeFull) {
            startSequence(ch, decoder);
            return;
        }
        ch.sequence = (s + code - kTimeFull) & 3u;
    }
    damaged_ = true;
}

// A time too far from the sequence's: its upper half predicted from the
// current time's, its lower half raw, as a new sequence in the next slot.
void Point14Decoder::startSequence(Channel& ch, ArithmeticDecoder& decoder) {
    ch.newestSequence = (ch.newestSequence + 1) & 3u;
    const auto high = static_cast<std::uint32_t>(
        ch.time.decode(decoder, static_cast<std::int32_t>(static_cast<std::uint32_t>(ch.times[ch.sequence] >> 32)), 8));
    ch.times[ch.newestSequence] = (std::uint64_t{high} << 32) | decoder.readInt();
    ch.sequence = ch.newestSequence;
    ch.timeSteps[ch.sequence] = 0;
    ch.extremes[ch.sequence] = 0;
}

}  // namespace

std::unique_ptr<LayeredItemDecoder> makePoint14Decoder(bool channelEveryPoint) {
    return std::make_unique<Point14Decoder>(channelEveryPoint);
}

}  // namespace vellacor::laz::layered
