#include "import/grid_triangles.h"

#include "import/surface_read.h"

namespace vellacor {

void addThinnedGridTriangles(std::span<const SurveyPoint> points, int rows, int columns, int step, std::size_t most,
                             std::vector<TinTriangle>& triangles) {
    const auto isVoid = [&](int index) { return isVoidSample(points[static_cast<std::size_t>(index)].elevation); };
    const int up = step * columns;  // `step` rows back
    for (int r = step; r < rows; r += step) {
        for (int c = 0; c + step < columns; c += step) {
            const int p = r * columns + c;
            if (!isVoid(p - up) && !isVoid(p) && !isVoid(p - up + step)) {
                if (triangles.size() >= most) return;
                triangles.push_back(triangleOf(p - up, p, p - up + step));
            }
            if (!isVoid(p) && !isVoid(p + step) && !isVoid(p - up + step)) {
                if (triangles.size() >= most) return;
                triangles.push_back(triangleOf(p, p + step, p - up + step));
            }
        }
    }
}

int thinningStep(int rows, int columns, std::size_t most) {
    for (int step = 1;; ++step) {
        const std::size_t cells =
            static_cast<std::size_t>((rows - 1) / step) * static_cast<std::size_t>((columns - 1) / step);
        if (rows < 2 || columns < 2 || 2 * cells <= most) return step;
    }
}

}  // namespace vellacor
