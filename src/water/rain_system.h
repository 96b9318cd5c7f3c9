#pragma once
#include <cstdint>
#include <optional>
#include <random>
#include <span>
#include <vector>

#include "camera/camera_inputs.h"
#include "camera/matrix.h"
#include "render/frame_projection.h"
#include "model/surface_view.h"
#include "render/frame_buffer.h"
#include "water/drop_faces.h"
#include "water/pond_system.h"
#include "water/rain_drop.h"

namespace vellacor {

// A prepared start for a drop: high over a random place on the surface.
struct SpawnPoint {
    Vec3 position;
    Vec3 velocity;
    std::int32_t triangle = kNoTriangle;
};

// How new drops start.
enum class SpawnMode : std::uint8_t {
    Off = 0,
    Scatter = 1,  // over the whole site, from the spawn table
    Pour = 2,     // a swirling fountain at the ground under the cursor
};

// Where the water is: the surface and the site it lies in.
struct RainGround {
    SurfaceView surface;  // linked: the drops walk across it
    Vec3 centre;          // the site's centre
    double size = 1.0;    // the site's size
};

// The ponds the drops run into, when they are shown.
struct PondContact {
    PondSystem* ponds = nullptr;  // null: the drops pass over the ponds
    DropSight sight;
};

// The picture the drops are drawn into after they are stepped. Given to Step,
// each drop's place in it is worked out as the drop moves, and a Draw with
// the same view draws from those places.
struct RainSight {
    const Matrix* view = nullptr;
    const FrameBuffer* frame = nullptr;
};

// The rain: a fixed array of drop records, of which the first ActiveCount()
// fall, slide down the surface and start again when they end.
class RainSystem : public RainDropSource {
public:
    static constexpr int kDropSlots = 100001;
    static constexpr int kFewestDrops = 5000;
    static constexpr int kMostDrops = 100000;
    static constexpr int kSpawnTableSize = 15000;

    // Every drop record is allocated here, once.
    explicit RainSystem(std::uint32_t seed);

    // New random numbers for the spawn table and the drops.
    void reseed(std::uint32_t seed);

    // Starts every drop again in mode m with the fewest drops live; builds
    // the spawn table first when needed.
    void SetSpawnMode(SpawnMode m, const RainGround& ground, std::optional<Vec3> cursorGround = std::nullopt);

    // One frame of `frameSeconds`: every live drop moves, slides, runs into a
    // pond or starts again. `cursorGround` is the ground under the cursor for the pour.
    // `sight`, when given, is where Draw will draw them next.
    void Step(const RainGround& ground, double frameSeconds, const PondContact& ponds,
              std::optional<Vec3> cursorGround = std::nullopt, RainSight sight = {});

    // Fewer drops when frames are slow, more when they are quick.
    // The drops that copies take over start again on `ground`.
    void AdaptCount(double frameSeconds, const RainGround& ground);

    // The live drops and their streaks into the displayed picture, behind what the surface hides.
    void Draw(FrameBuffer& frame, const Matrix& view) const;

    // The surface's triangles were re-sloped where they lie (a point's new
    // elevation): the drops read them afresh.
    void surfaceReshaped();

    bool GetDrop(int index, Vec3& position, int& triangle) const override;
    int ActiveCount() const { return activeCount_; }
    SpawnMode spawnMode() const { return spawnMode_; }
    std::span<RainDrop> drops() {
        placesKnown_ = false;  // the caller may move them
        return drops_;
    }
    std::span<const RainDrop> drops() const { return drops_; }

private:
    double random();
    void BuildSpawnTable(const RainGround& ground);
    void readFaces(const SurfaceView& surface);
    // Lays the live drops out in the order of the faces under them, so the
    // frames after it read the face table and the picture mostly in order.
    void gatherByPlace();
    // True when the places kept are of this view and picture.
    bool placedFor(const Matrix& view, const Viewport& viewport) const;
    void spawn(RainDrop& drop, const RainGround& ground, const std::optional<Vec3>& cursorGround);
    void pour(RainDrop& drop, const RainGround& ground, const std::optional<Vec3>& cursorGround);
    void stepDrop(RainDrop& drop, const RainGround& ground, double h, double frameSeconds, double gravity,
                  const PondContact& ponds, const std::optional<Vec3>& cursorGround);

    std::mt19937 random_;
    std::vector<SpawnPoint> spawnTable_;
    std::vector<RainDrop> drops_;
    std::vector<RainDrop> gathered_;           // where GatherByPlace lays the drops out anew
    std::vector<std::int32_t> dropsPerBlock_;  // its count of drops over each block of faces
    int framesSinceGathered_ = 0;
    std::vector<DropFace> faceTable_;  // one per triangle of the surface last stepped on
    // Each drop's place in the picture, from the last Step given a sight, and
    // the view and picture they are places in.
    std::vector<DropOnScreen> places_;
    Matrix placesView_;
    Viewport placesViewport_;
    bool placesKnown_ = false;
    // Which surface the table is of.
    const TinTriangle* faceTableTriangles_ = nullptr;
    const SurveyPoint* faceTablePoints_ = nullptr;
    int activeCount_ = kFewestDrops;
    SpawnMode spawnMode_ = SpawnMode::Off;
    bool spawnTableReady_ = false;
    int spawnCursor_ = 0;
    int cloneCursor_ = 1;
    // The pour: where it is, its triangle, drops poured since it was set, the swirl's phase.
    Vec3 pourPoint_;
    std::int32_t pourTriangle_ = 0;
    int pourCounter_ = 0;
    double pourPhase_ = 0.0;
    bool pourPointSet_ = false;
};

// Where `drop` shows in a picture of `viewport` seen through `view`.
// `previous`, when given, is the on-screen place of its previous position.
DropOnScreen screenPlaceOf(const RainDrop& drop, const Matrix& view, const Viewport& viewport,
                           const DropOnScreen* previous = nullptr);

// Gravity for a site of size S: -32.2 units/s^2, steeper on large sites.
double rainGravity(double siteSize);

}  // namespace vellacor
