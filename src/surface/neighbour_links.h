#pragma once
#include <cstdint>
#include <functional>
#include <vector>

#include "surface/surface_work.h"
#include "model/tin_triangle.h"

namespace vellacor {

// The neighbour of every triangle edge: links[3 * t + k] is the triangle that
// shares the edge (vertex[k], vertex[(k + 1) % 3]) with t, or kNoTriangle.
// Triangles are taken in index order and each edge is paired with the first
// later triangle that has both its ends and is still free on that edge, so an
// edge shared by more than two triangles (broken input) links them in
// consecutive pairs. Also lists the edges left without a neighbour, in
// triangle and edge order.
//
// One pass with a table of the edges still waiting for their twin; for a mesh
// whose triangle order is spatially coherent the table stays small.
// `carryOn(fraction)` is asked now and then; false stops the work (returns false).
bool linkNeighbours(const TinTriangle* triangles, int count, std::vector<std::int32_t>& links,
                    std::vector<HullEdge>& hullEdges, const std::function<bool(double)>& carryOn);

// The edges without a neighbour in `links` (three per triangle), in triangle
// and edge order.
std::vector<HullEdge> hullEdgesOf(const std::vector<std::int32_t>& links);

// A 64-bit digest of the triangles' vertex indices, in order: equal digests
// mean the same triangles (but for a chance of 2^-64). Worked out in blocks
// of kDigestBlock triangles, each digested on its own and the blocks' digests
// then chained, so that parts of the array can be digested apart.
inline constexpr int kDigestBlock = 1 << 16;
std::uint64_t triangleDigest(const TinTriangle* triangles, int count);
// The digest of each block in [firstBlock, lastBlock), into blocks[b].
void digestBlocks(const TinTriangle* triangles, int count, int firstBlock, int lastBlock, std::uint64_t* blocks);
// The digest of `count` triangles from the digests of their blocks.
std::uint64_t chainBlockDigests(const std::vector<std::uint64_t>& blocks, int count);
inline int digestBlockCount(int count) { return (count + kDigestBlock - 1) / kDigestBlock; }

// Both at once, each on half the triangles: the digest, and the edges
// without a neighbour in the triangles' own links, in triangle and edge order.
std::uint64_t digestAndHullEdges(const TinTriangle* triangles, int count, std::vector<HullEdge>& hullEdges);

}  // namespace vellacor
