#include "surface/predicates.h"

// The error-free transformations below rely on every product and sum being
// rounded on its own; a fused multiply-add would silently break them.
#if defined(__clang__)
#pragma STDC FP_CONTRACT OFF
#elif defined(__GNUC__)
#pragma GCC optimize("fp-contract=off")
#endif

#include <algorithm>
#include <cmath>
#include <utility>

namespace vellacor {

namespace {

// Floating-point expansions: a value held exactly as a sum of doubles of
// increasing magnitude that do not overlap. Zero components are dropped, and
// the last component carries the sign of the whole value.

constexpr double kSplitter = 134217729.0;  // 2^27 + 1

inline void twoSum(double a, double b, double& x, double& y) {
    x = a + b;
    const double bVirtual = x - a;
    const double aVirtual = x - bVirtual;
    y = (a - aVirtual) + (b - bVirtual);
}

// Valid when |a| >= |b|.
inline void fastTwoSum(double a, double b, double& x, double& y) {
    x = a + b;
    y = b - (x - a);
}

inline void twoDiff(double a, double b, double& x, double& y) {
    x = a - b;
    const double bVirtual = a - x;
    const double aVirtual = x + bVirtual;
    y = (a - aVirtual) + (bVirtual - b);
}

inline void split(double a, double& high, double& low) {
    const double c = kSplitter * a;
    const double big = c - a;
    high = c - big;
    low = a - high;
}

inline void twoProductPresplit(double a, double b, double bHigh, double bLow, double& x, double& y) {
    x = a * b;
    double aHigh, aLow;
    split(a, aHigh, aLow);
    const double err1 = x - aHigh * bHigh;
    const double err2 = err1 - aLow * bHigh;
    const double err3 = err2 - aHigh * bLow;
    y = aLow * bLow - err3;
}

inline void twoProduct(double a, double b, double& x, double& y) {
    double bHigh, bLow;
    split(b, bHigh, bLow);
    twoProductPresplit(a, b, bHigh, bLow, x, y);
}

// (a1 + a0) - (b1 + b0) as four components, smallest first.
inline void twoTwoDiff(double a1, double a0, double b1, double b0, double* x) {
    double i, j, zero;
    twoDiff(a0, b0, i, x[0]);
    twoSum(a1, i, j, zero);
    twoDiff(zero, b1, i, x[1]);
    twoSum(j, i, x[3], x[2]);
}

// h = e + f. h must hold elen + flen components.
int sumExpansions(const double* e, int elen, const double* f, int flen, double* h) {
    int ei = 0, fi = 0, hi = 0;
    double q, qNew, hh;
    if ((f[0] > e[0]) == (f[0] > -e[0]))
        q = e[ei++];
    else
        q = f[fi++];
    if (ei < elen && fi < flen) {
        if ((f[fi] > e[ei]) == (f[fi] > -e[ei]))
            fastTwoSum(e[ei++], q, qNew, hh);
        else
            fastTwoSum(f[fi++], q, qNew, hh);
        q = qNew;
        if (hh != 0.0) h[hi++] = hh;
        while (ei < elen && fi < flen) {
            if ((f[fi] > e[ei]) == (f[fi] > -e[ei]))
                twoSum(q, e[ei++], qNew, hh);
            else
                twoSum(q, f[fi++], qNew, hh);
            q = qNew;
            if (hh != 0.0) h[hi++] = hh;
        }
    }
    while (ei < elen) {
        twoSum(q, e[ei++], qNew, hh);
        q = qNew;
        if (hh != 0.0) h[hi++] = hh;
    }
    while (fi < flen) {
        twoSum(q, f[fi++], qNew, hh);
        q = qNew;
        if (hh != 0.0) h[hi++] = hh;
    }
    if (q != 0.0 || hi == 0) h[hi++] = q;
    return hi;
}

// h = e * b. h must hold 2 * elen components.
int scaleExpansion(const double* e, int elen, double b, double* h) {
    double bHigh, bLow;
    split(b, bHigh, bLow);
    double q, hh;
    twoProductPresplit(e[0], b, bHigh, bLow, q, hh);
    int hi = 0;
    if (hh != 0.0) h[hi++] = hh;
    for (int i = 1; i < elen; ++i) {
        double product1, product0, sum;
        twoProductPresplit(e[i], b, bHigh, bLow, product1, product0);
        twoSum(q, product0, sum, hh);
        if (hh != 0.0) h[hi++] = hh;
        fastTwoSum(product1, sum, q, hh);
        if (hh != 0.0) h[hi++] = hh;
    }
    if (q != 0.0 || hi == 0) h[hi++] = q;
    return hi;
}

// An expansion with room for `N` components.
template <int N>
struct Expansion {
    double c[N];
    int n = 0;
};

// The largest products met below: 16 x 16 components.
constexpr int kWide = 2 * 16 * 16;

// h = e * f, each having at most 16 components; h must hold 2 * elen * flen.
template <int N>
void multiply(const double* e, int elen, const double* f, int flen, Expansion<N>& h) {
    double bufferA[kWide], bufferB[kWide];
    double term[2 * 16];
    double* acc = bufferA;
    double* next = bufferB;
    int n = scaleExpansion(e, elen, f[0], acc);
    for (int j = 1; j < flen; ++j) {
        const int termLength = scaleExpansion(e, elen, f[j], term);
        n = sumExpansions(acc, n, term, termLength, next);
        std::swap(acc, next);
    }
    for (int i = 0; i < n; ++i) h.c[i] = acc[i];
    h.n = n;
}

template <int N>
void negate(Expansion<N>& e) {
    for (int i = 0; i < e.n; ++i) e.c[i] = -e.c[i];
}

// The exact difference a - b: one or two components.
Expansion<2> difference(double a, double b) {
    Expansion<2> d;
    double x, y;
    twoDiff(a, b, x, y);
    if (y != 0.0) {
        d.c[0] = y;
        d.c[1] = x;
        d.n = 2;
    } else {
        d.c[0] = x;
        d.n = 1;
    }
    return d;
}

// p * q - r * s, exactly, for differences of at most two components.
Expansion<16> crossTerm(const Expansion<2>& p, const Expansion<2>& q, const Expansion<2>& r, const Expansion<2>& s) {
    Expansion<8> left, right;
    multiply(p.c, p.n, q.c, q.n, left);
    multiply(r.c, r.n, s.c, s.n, right);
    negate(right);
    Expansion<16> out;
    out.n = sumExpansions(left.c, left.n, right.c, right.n, out.c);
    return out;
}

Expansion<16> squaredLength(const Expansion<2>& x, const Expansion<2>& y) {
    Expansion<8> xx, yy;
    multiply(x.c, x.n, x.c, x.n, xx);
    multiply(y.c, y.n, y.c, y.n, yy);
    Expansion<16> out;
    out.n = sumExpansions(xx.c, xx.n, yy.c, yy.n, out.c);
    return out;
}

// p * q - r * s exactly, for single doubles: at most four components.
inline int crossProducts(double p, double q, double r, double s, double* out) {
    double left1, left0, right1, right0, parts[4];
    twoProduct(p, q, left1, left0);
    twoProduct(r, s, right1, right0);
    twoTwoDiff(left1, left0, right1, right0, parts);
    int n = 0;
    for (double part : parts)
        if (part != 0.0) out[n++] = part;
    if (n == 0) out[n++] = 0.0;
    return n;
}

// The determinants for differences that were computed without rounding, which
// is the usual case (nearby points of similar magnitude, grid coordinates).
double orientOfExactDifferences(double acx, double bcy, double acy, double bcx) {
    double det[4];
    const int n = crossProducts(acx, bcy, acy, bcx, det);
    return det[n - 1];
}

// lift * minor, lift = dx^2 + dy^2, exactly; `out` holds up to 32 components.
int liftedTerm(const double* minor, int minorLength, double dx, double dy, double* out) {
    double x[8], xx[16], y[8], yy[16];
    const int xLength = scaleExpansion(minor, minorLength, dx, x);
    const int xxLength = scaleExpansion(x, xLength, dx, xx);
    const int yLength = scaleExpansion(minor, minorLength, dy, y);
    const int yyLength = scaleExpansion(y, yLength, dy, yy);
    return sumExpansions(xx, xxLength, yy, yyLength, out);
}

double inCircleOfExactDifferences(double adx, double ady, double bdx, double bdy, double cdx, double cdy) {
    double bc[4], ca[4], ab[4];
    const int bcLength = crossProducts(bdx, cdy, cdx, bdy, bc);
    const int caLength = crossProducts(cdx, ady, adx, cdy, ca);
    const int abLength0 = crossProducts(adx, bdy, bdx, ady, ab);
    double aTerm[32], bTerm[32], cTerm[32], abTerm[64], det[96];
    const int aLength = liftedTerm(bc, bcLength, adx, ady, aTerm);
    const int bLength = liftedTerm(ca, caLength, bdx, bdy, bTerm);
    const int cLength = liftedTerm(ab, abLength0, cdx, cdy, cTerm);
    const int abLength = sumExpansions(aTerm, aLength, bTerm, bLength, abTerm);
    const int length = sumExpansions(abTerm, abLength, cTerm, cLength, det);
    return det[length - 1];
}

// Scales the values by one power of two so that the largest lies below 2^12;
// true when every one of them then is a whole number. Sums and products of
// four such numbers stay below 2^53 and so are exact in plain arithmetic, and
// the scaling keeps every sign: the usual case of survey grids, whose
// differences are small multiples of the spacing.
bool scaledToSmallWholeNumbers(double* values, int count) {
    double largest = 0.0;
    for (int i = 0; i < count; ++i) largest = std::max(largest, std::fabs(values[i]));
    if (largest == 0.0) return true;
    int exponent = 0;
    std::frexp(largest, &exponent);  // largest < 2^exponent
    if (exponent < -1000) return false;  // the scale itself would overflow
    const double scale = std::ldexp(1.0, 12 - exponent);
    for (int i = 0; i < count; ++i) {
        const double scaled = values[i] * scale;
        if (scaled != std::nearbyint(scaled)) return false;
        values[i] = scaled;
    }
    return true;
}

inline bool exactDifference(double a, double b, double difference) {
    double x, tail;
    twoDiff(a, b, x, tail);
    return tail == 0.0 && x == difference;
}

double exactOrient(double ax, double ay, double bx, double by, double cx, double cy) {
    const Expansion<16> det = crossTerm(difference(ax, cx), difference(by, cy), difference(ay, cy), difference(bx, cx));
    return det.c[det.n - 1];
}

double exactInCircle(double ax, double ay, double bx, double by, double cx, double cy, double dx, double dy) {
    const Expansion<2> adx = difference(ax, dx), ady = difference(ay, dy);
    const Expansion<2> bdx = difference(bx, dx), bdy = difference(by, dy);
    const Expansion<2> cdx = difference(cx, dx), cdy = difference(cy, dy);

    const Expansion<16> bc = crossTerm(bdx, cdy, cdx, bdy);
    const Expansion<16> ca = crossTerm(cdx, ady, adx, cdy);
    const Expansion<16> ab = crossTerm(adx, bdy, bdx, ady);
    const Expansion<16> aLift = squaredLength(adx, ady);
    const Expansion<16> bLift = squaredLength(bdx, bdy);
    const Expansion<16> cLift = squaredLength(cdx, cdy);

    Expansion<kWide> aTerm, bTerm, cTerm;
    multiply(bc.c, bc.n, aLift.c, aLift.n, aTerm);
    multiply(ca.c, ca.n, bLift.c, bLift.n, bTerm);
    multiply(ab.c, ab.n, cLift.c, cLift.n, cTerm);
    Expansion<2 * kWide> abTerm;
    abTerm.n = sumExpansions(aTerm.c, aTerm.n, bTerm.c, bTerm.n, abTerm.c);
    Expansion<3 * kWide> det;
    det.n = sumExpansions(abTerm.c, abTerm.n, cTerm.c, cTerm.n, det.c);
    return det.c[det.n - 1];
}

}  // namespace

double orient2dAdapt(double ax, double ay, double bx, double by, double cx, double cy) {
    const double acx = ax - cx, bcx = bx - cx, acy = ay - cy, bcy = by - cy;
    if (exactDifference(ax, cx, acx) && exactDifference(bx, cx, bcx) && exactDifference(ay, cy, acy) &&
        exactDifference(by, cy, bcy))
        return orientOfExactDifferences(acx, bcy, acy, bcx);
    return exactOrient(ax, ay, bx, by, cx, cy);
}

double incircleAdapt(double ax, double ay, double bx, double by, double cx, double cy, double dx, double dy) {
    const double adx = ax - dx, bdx = bx - dx, cdx = cx - dx;
    const double ady = ay - dy, bdy = by - dy, cdy = cy - dy;
    if (exactDifference(ax, dx, adx) && exactDifference(bx, dx, bdx) && exactDifference(cx, dx, cdx) &&
        exactDifference(ay, dy, ady) && exactDifference(by, dy, bdy) && exactDifference(cy, dy, cdy)) {
        double d[6] = {adx, ady, bdx, bdy, cdx, cdy};
        if (scaledToSmallWholeNumbers(d, 6)) {
            const double aLift = d[0] * d[0] + d[1] * d[1], bLift = d[2] * d[2] + d[3] * d[3];
            const double cLift = d[4] * d[4] + d[5] * d[5];
            return aLift * (d[2] * d[5] - d[4] * d[3]) + bLift * (d[4] * d[1] - d[0] * d[5]) +
                   cLift * (d[0] * d[3] - d[2] * d[1]);
        }
        return inCircleOfExactDifferences(adx, ady, bdx, bdy, cdx, cdy);
    }
    return exactInCircle(ax, ay, bx, by, cx, cy, dx, dy);
}

}  // namespace vellacor
