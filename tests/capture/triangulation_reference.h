#pragma once

#include <span>

#include "capture/triangulation.h"

// The corner-clipping loop written out literally over the plain polygon tests
// of capture/triangulation.h: vectors that are copied and shifted, every edge
// walked for every test. TriangulatePolygon must produce exactly what this does.
namespace zavin::capture::reference {

struct TReferenceOptions {
  // Off: every outline gets only 4 x N0 passes, simple or not.
  bool unlimitedPassesWhenSimple = true;
};

struct TReferenceCounts {
  long long passes = 0;
  long long diagonalTests = 0;
};

TTriangulation ReferenceTriangulate(std::span<const TAcadPoint> vertices, const DiagonalSink& sink,
                                    TReferenceOptions options = {},
                                    TReferenceCounts* counts = nullptr);

// Every pair of edges tested.
bool ReferenceIsSimpleOutline(std::span<const TAcadPoint> outline);

}  // namespace zavin::capture::reference
