#pragma once

#include <cstddef>
#include <cstdint>
#include <random>
#include <vector>

#include "geometry/point.h"

// Outlines for the triangulation tests and benchmarks. All are deterministic
// for a given generator state; coordinates are in drawing units (mm-like).
namespace zavin::capture::testing {

using geometry::TAcadPoint;
using Outline = std::vector<TAcadPoint>;
using Rng = std::mt19937_64;

double Uniform(Rng& rng, double lo, double hi);

// Counter-clockwise, star-shaped around the origin: n sorted random angles with
// random radii in [rmin, rmax].
Outline RandomStar(std::size_t n, Rng& rng, double rmin = 100, double rmax = 1000);

// Random points on a small integer grid joined into a simple outline by
// undoing crossings (2-opt); collinear triples are frequent. n >= 3.
Outline RandomSimpleOnGrid(std::size_t n, Rng& rng, int gridSize);

// Random points in random order: usually crossing itself.
Outline RandomTangle(std::size_t n, Rng& rng, int gridSize);

// A spine with `teeth` rectangular teeth on top: 4 x teeth vertices.
Outline Comb(std::size_t teeth, double pitch = 20, double width = 10, double length = 200,
             double spine = 50);

// A parcel of a few long sides digitised into about n vertices with up to
// `noise` of random offset across each side.
Outline DigitisedParcel(std::size_t n, Rng& rng, double noise = 20);

// Rectangle width x height whose top side has `edgeVertices` vertices with up to
// `noise` of vertical digitising noise.
Outline NoisyEdgeRectangle(std::size_t edgeVertices, Rng& rng, double noise = 20,
                           double width = 50000, double height = 30000);

// (0,0), (50000,0) and 11 samples of y = 30000 + 2000 sin(pi t) at x = 50000 t
// for t = 1, 0.9, ..., 0.
Outline ArcParcel();

Outline Reversed(const Outline& o);
Outline RotatedStart(const Outline& o, std::size_t start);
// Inserts the exact midpoint of `count` random edges (collinear vertices).
Outline WithCollinearVertices(const Outline& o, std::size_t count, Rng& rng);
// Follows one random vertex with a copy offset by (dx, dy).
Outline WithNearDuplicate(const Outline& o, Rng& rng, double dx = 0.0004, double dy = -0.0003);
// Two star outlines that meet in one shared vertex (a figure of eight).
Outline TouchingPair(std::size_t nEach, Rng& rng);
// Moves one vertex onto the middle of a non-neighbouring edge.
Outline WithVertexOnEdge(const Outline& o, Rng& rng);

// Shoelace area, signed (positive counter-clockwise).
long double SignedArea(const Outline& o);

}  // namespace zavin::capture::testing
