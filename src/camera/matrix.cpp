#include "camera/matrix.h"

#include <cstddef>

namespace vellacor {

Matrix Matrix::identity() { return diagonal(1, 1, 1, 1); }

Matrix Matrix::diagonal(double a, double b, double c, double d) {
    Matrix r;
    r.m[0][0] = a;
    r.m[1][1] = b;
    r.m[2][2] = c;
    r.m[3][3] = d;
    return r;
}

Matrix Matrix::translation(const Vec3& t) {
    Matrix r = identity();
    r.m[3] = {t.x, t.y, t.z, 1.0};
    return r;
}

Matrix Matrix::fromColumns(const Vec3& x, const Vec3& y, const Vec3& z) {
    Matrix r;
    r.m[0] = {x.x, y.x, z.x, 0.0};
    r.m[1] = {x.y, y.y, z.y, 0.0};
    r.m[2] = {x.z, y.z, z.z, 0.0};
    r.m[3] = {0.0, 0.0, 0.0, 1.0};
    return r;
}

Matrix operator*(const Matrix& a, const Matrix& b) {
    Matrix r;
    for (std::size_t i = 0; i < 4; ++i)
        for (std::size_t j = 0; j < 4; ++j) {
            double s = 0.0;
            for (std::size_t k = 0; k < 4; ++k) s += a.m[i][k] * b.m[k][j];
            r.m[i][j] = s;
        }
    return r;
}

namespace {

// Determinant of the 3 x 3 minor left after removing row `row` and column `col`.
double minor3(const Matrix& a, std::size_t row, std::size_t col) {
    std::size_t r[3], c[3];
    for (std::size_t i = 0, n = 0; i < 4; ++i)
        if (i != row) r[n++] = i;
    for (std::size_t j = 0, n = 0; j < 4; ++j)
        if (j != col) c[n++] = j;
    auto e = [&](std::size_t i, std::size_t j) { return a.m[r[i]][c[j]]; };
    return e(0, 0) * (e(1, 1) * e(2, 2) - e(1, 2) * e(2, 1)) - e(0, 1) * (e(1, 0) * e(2, 2) - e(1, 2) * e(2, 0)) +
           e(0, 2) * (e(1, 0) * e(2, 1) - e(1, 1) * e(2, 0));
}

double cofactor(const Matrix& a, std::size_t row, std::size_t col) {
    const double sign = ((row + col) % 2 == 0) ? 1.0 : -1.0;
    return sign * minor3(a, row, col);
}

}  // namespace

double determinant(const Matrix& a) {
    double d = 0.0;
    for (std::size_t j = 0; j < 4; ++j) d += a.m[0][j] * cofactor(a, 0, j);
    return d;
}

Matrix inverse(const Matrix& a) {
    Matrix adj;
    for (std::size_t i = 0; i < 4; ++i)
        for (std::size_t j = 0; j < 4; ++j) adj.m[j][i] = cofactor(a, i, j);  // transposed cofactors
    const double det = determinant(a);
    if (det == 0.0) return adj;
    for (auto& row : adj.m)
        for (double& v : row) v /= det;
    return adj;
}

}  // namespace vellacor
