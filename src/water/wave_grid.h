#pragma once
#include <cstdint>
#include <vector>

namespace vellacor {

// The heights of the waves on the water: two 512 x 512 grids (the last state
// and the current one) of 4 cells per scene unit, repeating every 511 cells.
// The water drawing reads the current one.
class WaveGrids {
public:
    static constexpr int kSide = 512;
    static constexpr std::int32_t kLargestStart = 500;

    WaveGrids();

    // A wave at scene point (x, y): its cell rises by 200, to at most 500.
    void start(double x, double y);
    // One frame of wave motion. With the rain off a source wanders round the
    // grid so the water still moves.
    void step(bool rainOn);

    const std::int32_t* current() const { return current_.data(); }
    std::int32_t at(int row, int column) const { return current_[static_cast<std::size_t>(row * kSide + column)]; }

private:
    std::vector<std::int32_t> previous_;
    std::vector<std::int32_t> current_;
    double phase_ = 0.0;
};

// The grid cell of a scene coordinate: 4 cells a unit, every 511 repeating.
int waveCell(double coordinate);

}  // namespace vellacor
