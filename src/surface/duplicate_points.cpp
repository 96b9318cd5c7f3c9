#include "surface/duplicate_points.h"

#include <algorithm>
#include <array>
#include <bit>
#include <cmath>

#include "system/prefetch.h"


namespace vellacor {

namespace {

// Cells ten times the tolerance: a point's duplicates lie in its own cell or
// the eight around it, and most cells hold one point or none.
constexpr double kCell = 0.05;

// The points filed by cell, each entry a cell number (row-major) and the
// point's position. Where both fit in 64 bits they share one word, the cell
// above: half the memory to sort and read as two words would take.
struct WideEntries {
    struct Entry {
        std::uint64_t cell;
        std::int32_t position;
    };
    Entry make(std::uint64_t cell, int position) const { return {cell, position}; }
    std::uint64_t cell(const Entry& e) const { return e.cell; }
    std::int32_t position(const Entry& e) const { return e.position; }
    std::uint64_t key(const Entry& e) const { return e.cell; }
    int firstKeyBit() const { return 0; }
};

struct PackedEntries {
    using Entry = std::uint64_t;
    int positionBits;
    Entry make(std::uint64_t cell, int position) const {
        return cell << positionBits | static_cast<std::uint64_t>(position);
    }
    std::uint64_t cell(Entry e) const { return e >> positionBits; }
    std::int32_t position(Entry e) const {
        return static_cast<std::int32_t>(e & ((std::uint64_t{1} << positionBits) - 1));
    }
    std::uint64_t key(Entry e) const { return e; }
    int firstKeyBit() const { return positionBits; }
};

// Least-significant-digit radix sort on the cell number, skipping digits
// that are the same for every entry. Stable: within a cell, entries keep
// the order they were filed in.
template <class Entries>
void sortByCell(std::vector<typename Entries::Entry>& entries, const Entries& as) {
    using Entry = typename Entries::Entry;
    constexpr int kDigitBits = 11;
    constexpr std::size_t kDigits = std::size_t{1} << kDigitBits;
    std::uint64_t all = 0, any = ~std::uint64_t{0};
    for (const Entry& e : entries) {
        all |= as.key(e);
        any &= as.key(e);
    }
    std::vector<Entry> sorted;
    sorted.reserve(entries.size());
    sorted.resize(entries.size());
    for (int shift = as.firstKeyBit(); shift < 64; shift += kDigitBits) {
        if ((((all ^ any) >> shift) & (kDigits - 1)) == 0) continue;  // this digit never varies
        std::vector<std::size_t> start(kDigits + 1, 0);
        for (const Entry& e : entries) ++start[((as.key(e) >> shift) & (kDigits - 1)) + 1];
        for (std::size_t d = 1; d <= kDigits; ++d) start[d] += start[d - 1];
        for (const Entry& e : entries) sorted[start[(as.key(e) >> shift) & (kDigits - 1)]++] = e;
        entries.swap(sorted);
    }
}

constexpr std::int32_t kNotDropped = -1;

// For each point that coincides with a later one, that later point;
// kNotDropped for the rest. The points are filed in cells as `as` keeps them.
template <class Entries, class CellOf>
std::vector<std::int32_t> laterCoincident(std::span<const SurfacePoint> points, const Entries& as, CellOf&& cellOf,
                                          std::uint64_t rows) {
    using Entry = typename Entries::Entry;
    const int count = static_cast<int>(points.size());
    auto point = [&](int i) -> const SurfacePoint& { return points[static_cast<std::size_t>(i)]; };

    std::vector<Entry> entries;
    entries.reserve(static_cast<std::size_t>(count));
    entries.resize(static_cast<std::size_t>(count));
    for (int i = 0; i < count; ++i) entries[static_cast<std::size_t>(i)] = as.make(cellOf(point(i)), i);
    sortByCell(entries, as);
    auto cellAt = [&](std::size_t k) { return as.cell(entries[k]); };
    auto positionAt = [&](std::size_t k) { return as.position(entries[k]); };
    // The sweep compares each point with its neighbours many times: their
    // plan positions are copied next to the entries once, in cell order, so
    // it reads memory in order instead of jumping about a file's worth of
    // points (on 100 million points, most of its time went to those reads).
    struct Place {
        double easting, northing;
    };
    std::vector<Place> places;
    places.reserve(entries.size());
    constexpr std::size_t kAhead = 16;
    for (std::size_t k = 0; k < entries.size(); ++k) {
        if (k + kAhead < entries.size()) prefetchLine(&point(positionAt(k + kAhead)));
        const SurfacePoint& p = point(positionAt(k));
        places.push_back({p.easting, p.northing});
    }
    auto laterAt = [&](std::size_t a, std::size_t b) {  // the entries at a and b, as `later`
        const Place &p = places[a], &q = places[b];
        if (p.easting != q.easting) return p.easting > q.easting;
        if (p.northing != q.northing) return p.northing > q.northing;
        return point(positionAt(a)).pointIndex > point(positionAt(b)).pointIndex;
    };
    auto sameCell = [&](std::size_t a, std::size_t b) { return cellAt(a) == cellAt(b); };

    // Within a cell, latest first: a search through a cell stops at the
    // first point that is not later than the one it looks for. Most cells
    // hold a point or two, sorted where they lie; a crowded cell is sorted
    // through a list of its entries, both lists then put in that order.
    std::vector<std::size_t> crowd;
    std::vector<Entry> entryCopy;
    std::vector<Place> placeCopy;
    for (std::size_t r = 0; r < entries.size();) {
        std::size_t end = r + 1;
        while (end < entries.size() && sameCell(end, r)) ++end;
        if (end - r <= 8) {
            for (std::size_t j = r + 1; j < end; ++j)
                for (std::size_t k = j; k > r && laterAt(k, k - 1); --k) {
                    std::swap(entries[k - 1], entries[k]);
                    std::swap(places[k - 1], places[k]);
                }
        } else {
            crowd.resize(end - r);
            for (std::size_t k = r; k < end; ++k) crowd[k - r] = k;
            std::sort(crowd.begin(), crowd.end(), laterAt);
            entryCopy.assign(entries.begin() + static_cast<std::ptrdiff_t>(r), entries.begin() + static_cast<std::ptrdiff_t>(end));
            placeCopy.assign(places.begin() + static_cast<std::ptrdiff_t>(r), places.begin() + static_cast<std::ptrdiff_t>(end));
            for (std::size_t k = r; k < end; ++k) {
                entries[k] = entryCopy[crowd[k - r] - r];
                places[k] = placeCopy[crowd[k - r] - r];
            }
        }
        r = end;
    }
    // The three rows of neighbouring cells are three ranges of cell numbers
    // whose starts only grow as the sweep goes on.
    std::array<std::size_t, 3> from{0, 0, 0};
    auto firstOfRange = [&](std::uint64_t c, std::size_t range) {  // the column before, this one, the next
        return range == 0 ? c - rows - 1 : range == 1 ? c - 1 : c + rows - 1;
    };
    std::vector<std::int32_t> laterOf(static_cast<std::size_t>(count), kNotDropped);  // the later point it coincides with
    for (std::size_t k = 0; k < entries.size(); ++k) {
        const int i = positionAt(k);
        const Place& at = places[k];
        bool duplicate = false;
        for (std::size_t range = 0; range < 3 && !duplicate; ++range) {
            const std::uint64_t first = firstOfRange(cellAt(k), range);
            const std::uint64_t last = first + 2;
            std::size_t& q = from[range];
            while (q < entries.size() && cellAt(q) < first) ++q;
            for (std::size_t m = q; m < entries.size() && cellAt(m) <= last && !duplicate;) {
                if (m == k || !laterAt(m, k)) {
                    const std::size_t inCell = m;
                    while (m < entries.size() && sameCell(m, inCell)) ++m;  // the rest of this cell is not later
                    continue;
                }
                const Place& other = places[m];
                duplicate = std::fabs(at.easting - other.easting) < kSamePosition &&
                            std::fabs(at.northing - other.northing) < kSamePosition;
                if (duplicate) laterOf[static_cast<std::size_t>(i)] = positionAt(m);
                ++m;
            }
        }
    }
    return laterOf;
}

}  // namespace

std::vector<DuplicatePosition> findDuplicatePositions(std::span<const SurfacePoint> points) {
    std::vector<DuplicatePosition> dropped;
    const int count = static_cast<int>(points.size());
    if (count < 2) return dropped;

    double minE = points[0].easting, maxE = minE, minN = points[0].northing, maxN = minN;
    for (const SurfacePoint& p : points) {
        minE = std::min(minE, p.easting);
        maxE = std::max(maxE, p.easting);
        minN = std::min(minN, p.northing);
        maxN = std::max(maxN, p.northing);
    }
    // Larger cells on a vast site keep cell numbers within 62 bits.
    const double cell = std::max(kCell, std::max(maxE - minE, maxN - minN) / 0x1p30);
    const auto rows = static_cast<std::uint64_t>((maxN - minN) / cell) + 3;  // a margin row on each side
    auto cellOf = [&](const SurfacePoint& p) {
        const auto column = static_cast<std::uint64_t>((p.easting - minE) / cell) + 1;
        const auto row = static_cast<std::uint64_t>((p.northing - minN) / cell) + 1;
        return column * rows + row;
    };

    // Cell numbers and positions share a word where together they fit in one.
    const auto columns = static_cast<std::uint64_t>((maxE - minE) / cell) + 3;
    const int positionBits = std::max(1, static_cast<int>(std::bit_width(static_cast<std::uint32_t>(count - 1))));
    std::vector<std::int32_t> laterOf =
        static_cast<int>(std::bit_width(columns * rows)) + positionBits <= 64
            ? laterCoincident(points, PackedEntries{positionBits}, cellOf, rows)
            : laterCoincident(points, WideEntries{}, cellOf, rows);
    // Follow each dropped point to the one kept for it; "later" only grows
    // along the way, so it ends. Each path is shortened to its end once
    // walked, which keeps a large group of coincident points linear.
    auto at = [&](std::int32_t i) -> std::int32_t& { return laterOf[static_cast<std::size_t>(i)]; };
    for (int i = 0; i < count; ++i) {
        if (at(i) == kNotDropped) continue;
        std::int32_t kept = at(i);
        while (at(kept) != kNotDropped) kept = at(kept);
        for (std::int32_t p = i; at(p) != kNotDropped;) {
            const std::int32_t next = at(p);
            if (next != kept) at(p) = kept;
            p = next;
        }
        dropped.push_back({i, kept});
    }
    return dropped;
}

}  // namespace vellacor
