#pragma once

#include <cstddef>
#include <functional>
#include <span>
#include <vector>

#include "geometry/point.h"

// Splitting a region outline into triangles by clipping corners, preferring
// the corner closest to 60°. The order of the triangles becomes their
// numbering, so it is part of the contract.
namespace zavin::capture {

using geometry::TAcadPoint;
using geometry::TAcadTriangle;

// Two points match when |dx| and |dy| are both strictly below this.
inline constexpr double kVertexMatchTolerance = 0.001;
// Contact of a diagonal with the outline this close to one of its ends is allowed.
inline constexpr double kDiagonalEndTolerance = 0.001;

enum class TriangulationStatus {
  Complete,  // N0 - 2 triangles
  Failed,    // no further corner could be clipped; the triangles so far are kept
};

struct TTriangulation {
  TriangulationStatus status = TriangulationStatus::Failed;
  std::vector<TAcadTriangle> triangles;  // in the order produced

  bool complete() const { return status == TriangulationStatus::Complete; }
};

// Receives every accepted diagonal, start then end, before the triangle it
// closes is added. Whatever it throws ends the triangulation and propagates.
using DiagonalSink = std::function<void(const TAcadPoint&, const TAcadPoint&)>;

// Clips corners of the outline (either orientation, z ignored) until three
// vertices remain. Each pass takes the corner whose angle is closest to 60°
// (first one on ties) that is not on the skip list, then up to two corners
// next to it. A corner whose diagonal is rejected goes on the skip list, which
// is emptied by the next successful first clip.
//
// An outline that crosses or touches itself gets 4 x N0 passes and fails when
// they run out. On an outline that does neither, passes are not limited: the
// loop only fails once every remaining corner is on the skip list and the
// retried last corner is rejected again, since nothing could change after.
// Fewer than three vertices, or a coordinate that is not finite, fail at
// once without calling the sink.
//
// viewHeight is the host's view height; it does not affect the result, since
// inside tests use an unbounded ray (a finite one made the outcome depend on
// the zoom).
TTriangulation TriangulatePolygon(std::span<const TAcadPoint> vertices, double viewHeight,
                                  const DiagonalSink& sink);

// ----- The plain polygon tests the loop is defined by ------------------------
// Each walks every edge. TriangulatePolygon answers the same questions through
// an edge index and must agree with these exactly.

// The vertex at index i mod n for any integer i (-1 is the last); n > 0.
TAcadPoint CyclicVertex(std::span<const TAcadPoint> w, long long i, std::size_t n);

// Whether p lies inside the closed outline, by the parity of edges crossed by
// the unbounded upward ray (half-open vertex rule). Exact for points off the
// outline; a point on it is decided by the same rule and may go either way.
bool PointInPolygon(const TAcadPoint& p, std::span<const TAcadPoint> polygon);

// Whether the segment p1-p2 touches or crosses an edge of the closed outline
// anywhere farther than kDiagonalEndTolerance from both of its ends; collinear
// overlap and grazing a vertex count.
bool DiagonalCrossesEdge(const TAcadPoint& p1, const TAcadPoint& p2,
                         std::span<const TAcadPoint> polygon);

// Midpoint of a-c inside the working and the boundary outline, and a-c touching
// neither of them away from its ends.
bool IsValidDiagonal(const TAcadPoint& a, const TAcadPoint& c, std::span<const TAcadPoint> working,
                     std::span<const TAcadPoint> boundary);

// Removes the first vertex matching p (kVertexMatchTolerance); returns the new
// count, unchanged when none matches.
std::size_t RemoveVertex(const TAcadPoint& p, std::vector<TAcadPoint>& w);

// True when the closed outline has at least three vertices and neither crosses
// nor touches itself: edges that do not follow each other share no point, and
// neighbouring edges share only their common vertex (so no zero-length edge and
// no fold-back). Exact.
bool IsSimpleOutline(std::span<const TAcadPoint> outline);

}  // namespace zavin::capture
