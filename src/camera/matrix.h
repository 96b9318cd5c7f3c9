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
    double out[4];
    for (std::size_t j = 0; j < 4; ++j) out[j] = p.x * a.m[0][j] + p.y * a.m[1][j] + p.z * a.m[2][j] + a.m[3][j];
    if (out[3] == 0.0 || out[3] == 1.0) return {out[0], out[1], out[2]};
    return {out[0] / out[3], out[1] / out[3], out[2] / out[3]};
}

// Where a survey point lies in camera space under `view`. Points do not keep
// this: the renderer keeps the view of its last rebuild, and whatever needs a
// drawn point's place again (picking, marks, clipped lines) works it out,
// with the same bits the rebuild had.
inline Vec3 cameraSpaceOf(const SurveyPoint& p, const Matrix& view) {
    return transformPoint(positionOf(p), view);
}

}  // namespace vellacor
