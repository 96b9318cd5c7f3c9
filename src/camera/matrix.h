#pragma once
#include <array>

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
Vec3 transformPoint(const Vec3& p, const Matrix& a);

}  // namespace vellacor
