#include <algorithm>
#include <atomic>

#include "system/left_unwritten.h"
#include "system/page_advice.h"
#include "system/two_cores.h"
#include "surface/duplicate_points.h"
#include "surface/neighbour_links.h"
#include "surface/plan_delaunay.h"
#include "surface/surface_jobs.h"
#include "surface/tin_geometry.h"

namespace vellacor {

namespace {

constexpr int kCheckpointEvery = 1024;
constexpr int kConversionCheckEvery = 0xFFFF;

template <class T>
void release(std::vector<T>& v) {
    std::vector<T>().swap(v);
}

constexpr std::int32_t kKeptItself = -1;

// For each input point that coincides with a later one (see
// findDuplicatePositions), the position of the input point kept for it;
// kKeptItself for the rest.
std::vector<std::int32_t> keptPositions(const std::vector<SurfacePoint>& points) {
    std::vector<std::int32_t> kept(points.size(), kKeptItself);
    for (const DuplicatePosition& d : findDuplicatePositions(points))
        kept[static_cast<std::size_t>(d.dropped)] = d.kept;
    return kept;
}

// The points the mesh is built from: the input along its Hilbert curve,
// duplicates left out, plan coordinates in arrays of their own (the
// triangles name the input's points, which keep the elevations).
struct MeshPoints {
    std::vector<double, LeftUnwritten<double>> x, y;
    std::vector<std::int32_t, LeftUnwritten<std::int32_t>> pointIndex;
};

// The order along the Hilbert curve on this thread while the duplicates are
// found on the other; neither depends on the other's order. Duplicates are
// listed in curve order.
MeshPoints orderedPoints(const std::vector<SurfacePoint>& points, std::vector<DuplicatePoint>& duplicates) {
    const int all = static_cast<int>(points.size());
    std::vector<std::int32_t> keptFor;
    std::vector<std::int32_t> order;
    runOnTwoCores([&] { keptFor = keptPositions(points); },
                  [&] {
                      order = hilbertOrder(all, [&](int i) {
                          const SurfacePoint& p = points[static_cast<std::size_t>(i)];
                          return std::pair<double, double>(p.easting, p.northing);
                      });
                  });
    // Each core copies half the order, reading the input where the curve
    // leads. The second half is written from the middle, as if the first
    // kept all its points, and moved down over the few places its
    // duplicates leave free.
    const std::size_t size = order.size(), middle = size / 2;
    MeshPoints mesh;
    mesh.x.resize(size);
    mesh.y.resize(size);
    mesh.pointIndex.resize(size);
    std::vector<DuplicatePoint> laterDuplicates;
    auto copy = [&](std::size_t from, std::size_t to, std::vector<DuplicatePoint>& left) {
        std::size_t out = from;
        for (std::size_t k = from; k < to; ++k) {
            const SurfacePoint& p = points[static_cast<std::size_t>(order[k])];
            if (const std::int32_t kept = keptFor[static_cast<std::size_t>(order[k])]; kept != kKeptItself) {
                left.push_back({p.pointIndex, points[static_cast<std::size_t>(kept)].pointIndex});
                continue;
            }
            mesh.x[out] = p.easting;
            mesh.y[out] = p.northing;
            mesh.pointIndex[out] = p.pointIndex;
            ++out;
        }
        return out;
    };
    std::size_t firstEnd = 0, secondEnd = 0;
    runOnTwoCores([&] { secondEnd = copy(middle, size, laterDuplicates); },
                  [&] { firstEnd = copy(0, middle, duplicates); });
    auto close = [&](auto& values) {
        std::copy(values.begin() + static_cast<std::ptrdiff_t>(middle),
                  values.begin() + static_cast<std::ptrdiff_t>(secondEnd),
                  values.begin() + static_cast<std::ptrdiff_t>(firstEnd));
        values.resize(firstEnd + (secondEnd - middle));
    };
    close(mesh.x);
    close(mesh.y);
    close(mesh.pointIndex);
    duplicates.insert(duplicates.end(), laterDuplicates.begin(), laterDuplicates.end());
    return mesh;
}

// Triangle records are made twice this many at a time: each batch's slots are
// given back once read, so the slots and the records, which would together
// be a third more than the records, are never all held at once.
constexpr std::size_t kHalfBatch = std::size_t{1} << 19;

// The triangle records of the finished mesh, with their geometry and
// neighbour links, made on both cores in batches of whole numbers: each core
// converts the triangles of half a batch's slots and digests them. False
// when the monitor stopped it.
bool convertMesh(PlanDelaunay& mesh, const MeshPoints& points, int count, TriangulationOutput& output,
                 TriangulationMonitor& monitor) {
    std::vector<TinTriangle>& triangles = output.triangles;
    triangles.reserve(static_cast<std::size_t>(count));

    // Where each half batch starts, asked before any slot is given back.
    std::vector<std::size_t> slotAt;
    for (std::size_t first = 0; first < static_cast<std::size_t>(count); first += kHalfBatch)
        slotAt.push_back(mesh.slotOfNumber(static_cast<int>(first)));
    slotAt.push_back(mesh.slotCount());
    const std::size_t middleSlot = slotAt[slotAt.size() / 2];
    runOnTwoCores([&] { mesh.linkNumbers(middleSlot, mesh.slotCount()); }, [&] { mesh.linkNumbers(0, middleSlot); });

    std::atomic<bool> stop{false};
    TinTriangle* records = triangles.data();
    // Each half batch's records are digested by the core that wrote them,
    // while they are still in its cache: a pass of its own over 200 million
    // records took seconds before the surface could be shown.
    static_assert(kHalfBatch % kDigestBlock == 0);
    constexpr int kBlocksPerHalf = static_cast<int>(kHalfBatch / kDigestBlock);
    std::vector<std::uint64_t> blocks(static_cast<std::size_t>(digestBlockCount(count)));
    const int blockCount = static_cast<int>(blocks.size());
    auto convert = [&](std::size_t half, std::size_t fromSlot, std::size_t toSlot, bool reports) {
        int done = 0;
        auto visit = [&](int number, const std::int32_t* v, const std::int32_t* across) {
            if ((++done & kConversionCheckEvery) == 0) {
                if (reports && !monitor.carryOn(1.0)) stop.store(true, std::memory_order_relaxed);
                if (stop.load(std::memory_order_relaxed)) return;
            }
            TinTriangle& triangle = records[static_cast<std::size_t>(number)];
            for (int k = 0; k < 3; ++k) {
                triangle.vertex[k] = points.pointIndex[static_cast<std::size_t>(v[k])];
                triangle.neighbour[k] = across[k] < 0 ? kNoTriangle : across[k];
            }
        };
        mesh.forEachLinkedTriangle(fromSlot, toSlot, visit);
        if (stop.load(std::memory_order_relaxed)) return;
        const int firstBlock = std::min(blockCount, static_cast<int>(half) * kBlocksPerHalf);
        digestBlocks(records, count, firstBlock, std::min(blockCount, firstBlock + kBlocksPerHalf), blocks.data());
    };
    const std::size_t halves = slotAt.size() - 1;
    for (std::size_t j = 0; j < halves && !stop.load(); j += 2) {
        const std::size_t from = slotAt[j], middle = slotAt[j + 1], to = slotAt[std::min(j + 2, halves)];
        triangles.resize(std::min(static_cast<std::size_t>(count), (j + 2) * kHalfBatch));
        runOnTwoCores([&] { convert(j + 1, middle, to, false); }, [&] { convert(j, from, middle, true); });
        mesh.discardSlots(from, to);
    }
    if (stop.load()) return false;
    output.digest = chainBlockDigests(blocks, count);
    return true;
}

}  // namespace

bool triangulate(TriangulationInput& input, TriangulationOutput& output, TriangulationMonitor& monitor) {
    release(output.triangles);
    output.duplicates.clear();

    // Inserted along a Hilbert curve, each point lies next to the previous
    // one, so every walk of the triangulation to it is a step or two and the
    // triangles come out in a spatially coherent order. Of coincident points
    // the later one in easting order stands for the group.
    const MeshPoints points = orderedPoints(input.points, output.duplicates);
    release(input.points);
    const int count = static_cast<int>(points.pointIndex.size());

    PlanDelaunay mesh(points.x.data(), points.y.data(), count);
    std::vector<MeshTriangle> snapshot;
    bool built = false;
    // While this core inserts the points, the other brings in the memory the
    // insertion will fill, and as much of the triangle records' (at most
    // 2n - 5 for n points) as the slots will have been given back by the
    // time the conversion writes beyond it: more would raise the peak.
    const auto [slotStorage, slotBytes] = mesh.reservedStorage();
    runOnTwoCores(
        [&, slotStorage = slotStorage, slotBytes = slotBytes] {
            prefaultPages(slotStorage, slotBytes);
            output.triangles.reserve(2 * static_cast<std::size_t>(count));
            const std::size_t recordBytes = output.triangles.capacity() * sizeof(TinTriangle);
            if (recordBytes > slotBytes) prefaultPages(output.triangles.data(), recordBytes - slotBytes);
        },
        [&] {
            built = mesh.build(kCheckpointEvery, [&](int handled) {
                if (monitor.meshDue()) {
                    // Every k-th triangle of a mesh larger than the view is
                    // shown: the whole of ten million points' mesh was two
                    // copies of up to 240 MB (the view's and the next) on
                    // top of the build, and seconds to draw. Room for the
                    // copy is made at once: grown a push at a time, it
                    // reallocated its way up and held the insertion up.
                    const std::size_t most = std::max<std::size_t>(monitor.mostShownTriangles(), 1);
                    const std::size_t every = mesh.slotCount() / most + 1;  // the slots outnumber the triangles
                    snapshot.clear();
                    snapshot.reserve(std::min(2 * static_cast<std::size_t>(count), most));
                    std::size_t passOver = 0;
                    mesh.forEachTriangle([&](int a, int b, int c) {
                        if (passOver > 0) {
                            --passOver;
                            return;
                        }
                        passOver = every - 1;
                        snapshot.push_back({points.pointIndex[static_cast<std::size_t>(a)],
                                            points.pointIndex[static_cast<std::size_t>(b)],
                                            points.pointIndex[static_cast<std::size_t>(c)]});
                    });
                    monitor.publishMesh(snapshot);
                }
                return monitor.carryOn(static_cast<double>(handled) / count);
            });
        });
    release(snapshot);
    monitor.meshFinished();
    if (!built) {
        release(output.triangles);
        return false;
    }

    // The triangle records are made once, from the compact mesh, links and all.
    const int triangleCount = mesh.numberTriangles();
    if (!convertMesh(mesh, points, triangleCount, output, monitor)) {
        release(output.triangles);
        return false;
    }
    return true;
}

}  // namespace vellacor
