#include "water/rain_system.h"

#include <algorithm>
#include <bit>
#include <cmath>
#include <cstring>

#include "camera/vector_math.h"
#include "surface/tin_geometry.h"

namespace vellacor {

namespace {

constexpr double kDropLife = 60.0;    // seconds before a drop starts again
constexpr double kLongestStep = 0.1;  // seconds: a long pause moves the drops no further than this
constexpr double kRestSpeed = 0.001;
// The least squared speed whose root reaches kRestSpeed: a drop's squared
// speed below it is a speed below kRestSpeed, to the last bit, with no root
// taken for every drop.
const double kRestSpeedSquared = [] {
    double least = kRestSpeed * kRestSpeed;
    while (std::sqrt(least) >= kRestSpeed) least = std::nextafter(least, 0.0);
    while (std::sqrt(least) < kRestSpeed) least = std::nextafter(least, 1.0);
    return least;
}();
constexpr double kOnGround = 0.05;    // a drop this close to its face is lying on it
// Every so many frames the drops are laid out again in the order of the
// faces under them, in blocks of 1 << kGatherShift faces.
constexpr int kFramesBetweenGathers = 32;
constexpr int kGatherShift = 4;
// A random place misses a surface that covers little of its square; after this
// many misses a triangle's centre is taken instead.
constexpr int kMostSpawnTries = 1000;

}  // namespace

double rainGravity(double siteSize) { return std::min(-32.2, -0.02 * siteSize); }

RainSystem::RainSystem(std::uint32_t seed) : random_(seed) {
    // Every frame reads these whole and the face table here and there: on huge
    // pages the scattered reads do not each cost an address translation.
    drops_.reserve(static_cast<std::size_t>(kDropSlots));
    places_.reserve(static_cast<std::size_t>(kDropSlots));
    gathered_.reserve(static_cast<std::size_t>(kDropSlots));
    drops_.resize(static_cast<std::size_t>(kDropSlots));
    places_.resize(static_cast<std::size_t>(kDropSlots));
    gathered_.resize(static_cast<std::size_t>(kDropSlots));
}

namespace {

// a when `take`, else b, chosen without a branch: for outcomes no branch
// predictor can learn.
double pickWithoutBranch(bool take, double a, double b) {
    const std::uint64_t mask = std::uint64_t{0} - static_cast<std::uint64_t>(take);
    return std::bit_cast<double>((std::bit_cast<std::uint64_t>(a) & mask) | (std::bit_cast<std::uint64_t>(b) & ~mask));
}

Vec3 pickWithoutBranch(bool take, const Vec3& a, const Vec3& b) {
    return {pickWithoutBranch(take, a.x, b.x), pickWithoutBranch(take, a.y, b.y), pickWithoutBranch(take, a.z, b.z)};
}

// The triangle under (x, y) for a drop that was on `face`: that one, or most
// often the neighbour across the edge it crossed, else the walk of at most 5
// steps. `face` becomes the face found.
int locateFromFace(std::span<const DropFace> table, const DropFace*& face, double x, double y) {
    int exit = 0;
    if (faceContains(*face, x, y, &exit)) return face->triangle;
    const std::int32_t across = face->neighbour[exit];
    if (across >= 0 && across < static_cast<int>(table.size())) {
        const DropFace& next = table[static_cast<std::size_t>(across)];
        if (faceContains(next, x, y)) {
            face = &next;
            return across;
        }
    }
    const int t = walkDropFaces(table, 5, face->triangle, x, y);
    if (t != kNoTriangle) face = &table[static_cast<std::size_t>(t)];
    return t;
}

}  // namespace

void RainSystem::reseed(std::uint32_t seed) { random_.seed(seed); }

// 15 random bits scaled to [0, 1].
double RainSystem::random() { return static_cast<double>(random_() >> 17) * 3.051850947599719e-5; }

void RainSystem::BuildSpawnTable(const RainGround& ground) {
    const SurfaceView& s = ground.surface;
    const double size = ground.size;
    spawnTable_.assign(static_cast<std::size_t>(kSpawnTableSize), SpawnPoint{});
    for (SpawnPoint& entry : spawnTable_) {
        double x = 0, y = 0;
        int t = kNoTriangle;
        for (int tries = 0; t == kNoTriangle && tries < kMostSpawnTries; ++tries) {
            x = (0.5 - random()) * size + ground.centre.x;
            y = (0.5 - random()) * size + ground.centre.y;
            const int start = std::min(static_cast<int>(random() * s.triangleCount), s.triangleCount - 1);
            t = locateTriangleWalk(s, s.triangleCount, start, x, y);
        }
        if (t == kNoTriangle) {
            t = std::min(static_cast<int>(random() * s.triangleCount), s.triangleCount - 1);
            const Vec3 centroid = centroidOf(s, t);
            x = centroid.x;
            y = centroid.y;
        }
        double groundZ = planeElevation(s, t, x, y);
        if (groundZ == kVerticalPlane) groundZ = centroidOf(s, t).z;
        entry.position = {x, y, groundZ + (0.5 * random() + 0.4) * size};
        const double vx = 0.5 - random();
        entry.velocity = {vx, 0.5 - random(), 0.0};
        entry.triangle = t;
    }
    spawnTableReady_ = true;
}

void RainSystem::SetSpawnMode(SpawnMode m, const RainGround& ground, std::optional<Vec3> cursorGround) {
    spawnMode_ = m;
    activeCount_ = kFewestDrops;
    if (m == SpawnMode::Off || ground.surface.triangleCount <= 0) return;
    if (!spawnTableReady_) BuildSpawnTable(ground);
    readFaces(ground.surface);
    placesKnown_ = false;
    for (int i = 0; i < kMostDrops; ++i) spawn(drops_[static_cast<std::size_t>(i)], ground, cursorGround);
}

void RainSystem::pour(RainDrop& drop, const RainGround& ground, const std::optional<Vec3>& cursorGround) {
    const SurfaceView& s = ground.surface;
    if (!pourPointSet_) {
        pourTriangle_ = 0;
        pourPoint_ = centroidOf(s, 0);
        pourPointSet_ = true;
    }
    if (pourCounter_ > 10) {
        if (cursorGround) {
            const int t = locateTriangleWalk(s, s.triangleCount, pourTriangle_, cursorGround->x, cursorGround->y);
            if (t != kNoTriangle) {
                pourPoint_ = *cursorGround;
                pourTriangle_ = t;
                pourCounter_ = 0;
            }
        } else if (pourCounter_ % 10000 == 0) {
            pourTriangle_ = std::min(static_cast<int>(random() * s.triangleCount), s.triangleCount - 1);
            pourPoint_ = centroidOf(s, pourTriangle_);
            pourCounter_ = 0;
        }
    }
    drop.position = pourPoint_;
    drop.triangle = pourTriangle_;
    ++pourCounter_;
    pourPhase_ += 0.002;
    const double amplitude = std::min(0.03 * ground.size, 50.0);
    const double rho = (1.0 - std::fabs(std::cos(0.2 * pourPhase_)) * 0.4) * amplitude;
    const double alpha = (std::sin(12.032 * pourPhase_) + pourPhase_) * 15.65847;
    drop.velocity = {std::cos(alpha) * rho, std::sin(alpha) * rho, (1.0 - 0.7 * std::sin(3.3 * pourPhase_)) * rho + 50.0};
}

void RainSystem::spawn(RainDrop& drop, const RainGround& ground, const std::optional<Vec3>& cursorGround) {
    if (spawnMode_ == SpawnMode::Scatter && spawnTableReady_) {
        spawnCursor_ = (spawnCursor_ + 1) % kSpawnTableSize;
        const SpawnPoint& entry = spawnTable_[static_cast<std::size_t>(spawnCursor_)];
        drop.position = entry.position;
        drop.velocity = entry.velocity;
        drop.triangle = entry.triangle;
    } else if (spawnMode_ == SpawnMode::Pour && ground.surface.triangleCount > 0) {
        pour(drop, ground, cursorGround);
    }
    drop.previousPosition = drop.position;
    drop.previousTriangle = drop.triangle;
    drop.life = kDropLife;
}

void RainSystem::stepDrop(RainDrop& drop, const RainGround& ground, double h, double frameSeconds, double gravity,
                          const PondContact& ponds, const std::optional<Vec3>& cursorGround) {
    const SurfaceView& s = ground.surface;
    drop.life -= h;
    if (drop.life <= 0.0) spawn(drop, ground, cursorGround);
    if (drop.position.z < ground.centre.z - ground.size) spawn(drop, ground, cursorGround);
    drop.previousPosition = drop.position;
    drop.position += drop.velocity * h;
    drop.previousTriangle = drop.triangle;
    drop.velocity.z += gravity * h;
    // Most frames a drop is still on its triangle, or on the next one.
    const DropFace* face = nullptr;
    if (drop.triangle < 0 || drop.triangle >= s.triangleCount) {
        drop.triangle = kNoTriangle;
    } else {
        face = &faceTable_[static_cast<std::size_t>(drop.triangle)];
        drop.triangle = locateFromFace(faceTable_, face, drop.position.x, drop.position.y);
    }
    if (drop.triangle == kNoTriangle && drop.previousTriangle != kNoTriangle) {
        // Running off the edge of the surface: a drop lying on the ground nearly stops there.
        const Vec3& was = drop.previousPosition;
        const double groundThen = planeElevation(s, drop.previousTriangle, was.x, was.y);
        if (std::fabs(was.z - groundThen) < kOnGround) {
            drop.velocity = drop.velocity * 0.05;
            drop.position.z = was.z;
        }
    }
    if (drop.triangle != kNoTriangle) {
        const double groundZ = faceElevation(*face, drop.position.x, drop.position.y);
        // A drop sliding down a face lies on its plane to the last bit, so
        // whether it is found below the ground this frame is a coin toss: the
        // slide is worked out either way and kept only when it landed. A face
        // upright in plan has no ground under the drop: it falls on.
        const bool landed = (groundZ > drop.position.z) & (groundZ != kVerticalPlane);
        // Sliding: gravity along the face, less the face's friction.
        const Vec3& n = face->normal;
        const double nz = std::clamp(n.z, -1.0, 1.0);
        const Vec3 moved = Vec3{drop.position.x, drop.position.y, groundZ} - drop.previousPosition;
        Vec3 slid = drop.velocity;
        slid += face->downhill * (-gravity * face->sinSlope * frameSeconds) - moved * nz;
        // The face stops what moves into it: the fall that landed the drop
        // does not carry on into the ground frame after frame.
        const double into = dot(slid, n);
        slid = pickWithoutBranch(into < 0.0, slid + n * -into, slid);
        drop.position.z = pickWithoutBranch(landed, groundZ, drop.position.z);
        drop.velocity = pickWithoutBranch(landed, slid, drop.velocity);
        if (landed & (dot(slid, slid) < kRestSpeedSquared)) {
            spawn(drop, ground, cursorGround);
            return;
        }
    }
    if (ponds.ponds && ponds.ponds->ContainsDrop(s, ground.size, drop, ponds.sight)) spawn(drop, ground, cursorGround);
}

void RainSystem::Step(const RainGround& ground, double frameSeconds, const PondContact& ponds,
                      std::optional<Vec3> cursorGround, RainSight sight) {
    if (ground.surface.triangleCount <= 0) return;
    if (!spawnTableReady_) BuildSpawnTable(ground);
    readFaces(ground.surface);
    const double h = std::min(frameSeconds, kLongestStep);
    const double gravity = rainGravity(ground.size);
    if (++framesSinceGathered_ >= kFramesBetweenGathers) gatherByPlace();
    // While the view stays still, the place a drop was at is where its streak ends.
    bool sameSight = false;
    if (sight.view && sight.frame && sight.frame->hasBuffers()) {
        const Viewport viewport = viewportOf(*sight.frame);
        sameSight = placedFor(*sight.view, viewport);
        placesView_ = *sight.view;
        placesViewport_ = viewport;
        placesKnown_ = true;
    } else {
        placesKnown_ = false;
    }
    // Between gatherings, drops that start again or run across faces read
    // their faces from anywhere in the table: ask for each a few drops early.
    constexpr int kFaceAhead = 8;
    const auto tableSize = static_cast<std::uint32_t>(faceTable_.size());
    for (int i = 0; i < activeCount_; ++i) {
        const auto slot = static_cast<std::size_t>(i);
        if (i + kFaceAhead < activeCount_) {
            const auto t = static_cast<std::uint32_t>(drops_[slot + kFaceAhead].triangle);
            if (t < tableSize) {
                const char* face = reinterpret_cast<const char*>(faceTable_.data() + t);
                __builtin_prefetch(face);
                __builtin_prefetch(face + sizeof(DropFace) - 1);
            }
        }
        RainDrop& drop = drops_[slot];
        const Vec3 was = drop.position;
        stepDrop(drop, ground, h, frameSeconds, gravity, ponds, cursorGround);
        if (!placesKnown_) continue;
        DropOnScreen& place = places_[slot];
        // The streak starts where the drop was unless it started again.
        const bool movedOn = sameSight && place.x >= 0 && drop.previousPosition.x == was.x &&
                             drop.previousPosition.y == was.y && drop.previousPosition.z == was.z;
        place = screenPlaceOf(drop, placesView_, placesViewport_, movedOn ? &place : nullptr);
    }
}

void RainSystem::AdaptCount(double frameSeconds, const RainGround& ground) {
    if (!(frameSeconds > 0.0)) return;
    const double fps = 1.0 / frameSeconds;
    if (fps < 28.0) {
        activeCount_ = std::max(static_cast<int>(activeCount_ * 0.99), kFewestDrops);
    } else if (fps > 32.0) {
        const int grown = std::min(static_cast<int>(activeCount_ * 1.003), kMostDrops);
        // New drops are copies of live ones, which start again themselves:
        // the rain thickens without a gap.
        for (int i = activeCount_; i < grown; ++i) {
            const auto from = static_cast<std::size_t>(cloneCursor_);
            RainDrop& source = drops_[from];
            drops_[static_cast<std::size_t>(i)] = source;
            places_[static_cast<std::size_t>(i)] = places_[from];
            spawn(source, ground, std::nullopt);
            places_[from].x = DropOnScreen::kUnplaced;
            if (++cloneCursor_ >= activeCount_) cloneCursor_ = 1;
        }
        activeCount_ = grown;
    }
}

void RainSystem::readFaces(const SurfaceView& surface) {
    if (faceTableTriangles_ == surface.triangles.data() && faceTablePoints_ == surface.points.data() &&
        faceTable_.size() == static_cast<std::size_t>(surface.triangleCount))
        return;
    buildDropFaces(surface, faceTable_);
    faceTableTriangles_ = surface.triangles.data();
    faceTablePoints_ = surface.points.data();
}

void RainSystem::gatherByPlace() {
    framesSinceGathered_ = 0;
    // A counting sort of drops 1 on by the block of faces under them; the
    // drops off the surface go last. Drop 0 stays: the RainCam rides it.
    const auto tableSize = static_cast<std::uint32_t>(faceTable_.size());
    const std::uint32_t offSurface = (tableSize >> kGatherShift) + 1;
    const auto blockOf = [&](const RainDrop& d) {
        const auto t = static_cast<std::uint32_t>(d.triangle);
        return t < tableSize ? t >> kGatherShift : offSurface;
    };
    dropsPerBlock_.assign(offSurface + 1, 0);
    for (int i = 1; i < activeCount_; ++i) ++dropsPerBlock_[blockOf(drops_[static_cast<std::size_t>(i)])];
    std::int32_t next = 1;  // each block's count becomes the slot of its first drop
    for (std::int32_t& count : dropsPerBlock_) {
        const std::int32_t drops = count;
        count = next;
        next += drops;
    }
    for (int i = 1; i < activeCount_; ++i) {
        const RainDrop& d = drops_[static_cast<std::size_t>(i)];
        gathered_[static_cast<std::size_t>(dropsPerBlock_[blockOf(d)]++)] = d;
    }
    // Copied back rather than swapped: the drop records stay where they are.
    std::copy(gathered_.begin() + 1, gathered_.begin() + activeCount_, drops_.begin() + 1);
    placesKnown_ = false;
}

bool RainSystem::placedFor(const Matrix& view, const Viewport& viewport) const {
    const Viewport& v = placesViewport_;
    return placesKnown_ && std::memcmp(&view, &placesView_, sizeof(Matrix)) == 0 && viewport.width == v.width &&
           viewport.height == v.height && viewport.halfWidth == v.halfWidth && viewport.halfHeight == v.halfHeight;
}

void RainSystem::surfaceReshaped() {
    faceTableTriangles_ = nullptr;
    faceTablePoints_ = nullptr;
}

bool RainSystem::GetDrop(int index, Vec3& position, int& triangle) const {
    if (index < 0 || index >= activeCount_) return false;
    const RainDrop& d = drops_[static_cast<std::size_t>(index)];
    position = d.position;
    triangle = d.triangle;
    return true;
}

}  // namespace vellacor
