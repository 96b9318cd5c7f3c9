#include "water/wave_grid.h"

#include <algorithm>
#include <cmath>

namespace vellacor {

namespace {
constexpr std::size_t kCells = static_cast<std::size_t>(WaveGrids::kSide) * WaveGrids::kSide;
constexpr int kRepeat = WaveGrids::kSide - 1;
}  // namespace

int waveCell(double coordinate) {
    // Far-off coordinates are folded before the cast so it cannot overflow.
    const double cells = std::fmod(std::trunc(4.0 * std::fabs(coordinate) + 0.5), static_cast<double>(kRepeat));
    return std::isfinite(cells) ? static_cast<int>(cells) : 0;
}

WaveGrids::WaveGrids() : previous_(kCells, 0), current_(kCells, 0) {}

void WaveGrids::start(double x, double y) {
    std::int32_t& cell = current_[static_cast<std::size_t>(waveCell(y) * kSide + waveCell(x))];
    cell = std::min(cell + 200, kLargestStart);
}

void WaveGrids::step(bool rainOn) {
    std::int32_t* a = previous_.data();
    const std::int32_t* b = current_.data();
    // Each cell from the four round it in the current state, less its last
    // state, damped by 1/32: the classic two-buffer wave. The first and last
    // rows stay out: they are cleared below, and their outer neighbours would
    // lie outside the grid.
    for (int i = kSide + 1; i <= (kSide - 2) * kSide + kSide - 2; ++i) {
        std::int32_t v = ((b[i - 1] + b[i - kSide] + b[i + 1] + b[i + kSide]) >> 1) - a[i];
        v -= v >> 5;
        a[i] = v;
    }
    if (!rainOn) {
        phase_ += 0.01;
        const double x = std::cos(phase_) * 192.0 + 256.0, y = std::sin(phase_) * 192.0 + 256.0;
        start(x, y);
    }
    for (int row = 0; row < kSide; ++row) {
        a[row * kSide] = 0;
        a[row * kSide + kRepeat] = 0;
    }
    std::fill_n(a, kSide, 0);
    std::fill_n(a + static_cast<std::ptrdiff_t>(kRepeat) * kSide, kSide, 0);
    std::swap(previous_, current_);
}

}  // namespace vellacor
