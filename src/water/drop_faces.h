#pragma once
#include <cmath>
#include <cstdint>
#include <span>
#include <vector>

#include "model/surface_view.h"
#include "surface/tin_geometry.h"

namespace vellacor {

// What a raindrop reads of a triangle: its corners in plan, its links, its
// normal and plane constant, and which way and how steeply a drop slides on
// it. The rain gathers one for every triangle into a table, so a drop reads
// one record of two cache lines rather than the triangle and three scattered
// points, and sliding takes no square root or division per drop.
struct alignas(64) DropFace {
    std::int32_t triangle = kNoTriangle;
    std::int32_t neighbour[3] = {kNoTriangle, kNoTriangle, kNoTriangle};
    double cornerX[3] = {0, 0, 0};
    double cornerY[3] = {0, 0, 0};
    Vec3 normal;
    double planeD = 0.0;
    Vec3 downhill;          // unit vector down the slope; straight down on level ground
    double sinSlope = 0.0;  // sine of the face's angle to level
};

// The table for every triangle of `surface`.
void buildDropFaces(const SurfaceView& surface, std::vector<DropFace>& faces);

// True when (x, y) lies inside the face or on its boundary; `outside` is the
// first edge it lies beyond. The same test as triangleContains.
inline bool faceContains(const DropFace& f, double x, double y, int* outside = nullptr) {
    // All three edges at once: which of them a moving drop has crossed is
    // anyone's guess, and a guessed branch per edge costs more than the sums.
    const bool beyond0 = (f.cornerX[0] - x) * (f.cornerY[1] - y) - (f.cornerX[1] - x) * (f.cornerY[0] - y) < 0.0;
    const bool beyond1 = (f.cornerX[1] - x) * (f.cornerY[2] - y) - (f.cornerX[2] - x) * (f.cornerY[1] - y) < 0.0;
    const bool beyond2 = (f.cornerX[2] - x) * (f.cornerY[0] - y) - (f.cornerX[0] - x) * (f.cornerY[2] - y) < 0.0;
    if (!(beyond0 | beyond1 | beyond2)) return true;
    if (outside) *outside = beyond0 ? 0 : beyond1 ? 1 : 2;
    return false;
}

// The elevation of the face's plane at (x, y); kVerticalPlane for a (nearly) vertical face.
inline double faceElevation(const DropFace& f, double x, double y) {
    return planeElevation(f.normal, f.planeD, x, y);
}

// The walk of locateTriangleWalk (walkFromCentroids) over the table: the same answer.
int walkDropFaces(std::span<const DropFace> faces, int maxSteps, int start, double x, double y);

}  // namespace vellacor
