#pragma once
#include <array>
#include <cstddef>

#include "model/survey_point.h"

namespace vellacor {

// A 4 x 4 matrix of doubles. Points are row vectors multiplied on the left
// (p' = p * M), so a translation lives in the last row.
struct Matrix {
    std::array<std::array<double, 4>, 4> m{};  // m[row][column], all zero

    static Matrix identity();
    static Matrix diagonal(double a, double b, double c, double d);
    static Matrix translation(const Vec3& t);
    // Rotation whose first three columns are the given axes; last row and column (0, 0, 0, 1).
    static Matrix fromColumns(const Vec3& x, const Vec3& y, const Vec3& z);
};

Matrix operator*(const Matrix& a, const Matrix& b);

double determinant(const Matrix& a);

// Inverse by the adjugate. A singular matrix has no inverse: the adjugate is
// returned undivided so callers still get finite numbers.
Matrix inverse(const Matrix& a);

// (p, 1) * M divided by the fourth component (left alone when that is 0).
// Inline: the rain and the overlays transform one point at a time by the thousand.
inline Vec3 transformPoint(const Vec3& p, const Matrix& a) {
    // Two columns at a time, each lane worked out as it would be alone, in
    // the same order: the same bits as column by column, in half the steps.
    using Pair = double __attribute__((vector_size(16)));
    auto pair = [&](std::size_t i, std::size_t j) { return Pair{a.m[i][j], a.m[i][j + 1]}; };
    const Pair x{p.x, p.x}, y{p.y, p.y}, z{p.z, p.z};
    const Pair low = x * pair(0, 0) + y * pair(1, 0) + z * pair(2, 0) + pair(3, 0);
    const Pair high = x * pair(0, 2) + y * pair(1, 2) + z * pair(2, 2) + pair(3, 2);
    const double w = high[1];
    if (w == 0.0 || w == 1.0) return {low[0], low[1], high[0]};
    return {low[0] / w, low[1] / w, high[0] / w};
}

// Where a survey point lies in camera space under `view`. Points do not keep
// this: the renderer keeps the view of its last rebuild, and whatever needs a
// drawn point's place again (picking, marks, clipped lines) works it out,
// with the same bits the rebuild had.
inline Vec3 cameraSpaceOf(const SurveyPoint& p, const Matrix& view) {
    return transformPoint(positionOf(p), view);
}

}  // namespace vellacor
