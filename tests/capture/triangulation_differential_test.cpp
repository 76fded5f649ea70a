// TriangulatePolygon against the literal loop on generated outlines: the same
// triangles and diagonals in the same order, and on every simple outline that
// succeeds a proper triangulation.
#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "capture/triangulation.h"
#include "capture/triangulation_predicates.h"
#include "tests/capture/polygon_generators.h"
#include "tests/capture/triangulation_reference.h"

namespace zavin::capture {
namespace {

using namespace testing;

using Diagonals = std::vector<std::pair<TAcadPoint, TAcadPoint>>;

struct TOutcome {
  TTriangulation result;
  Diagonals diagonals;
};

template <class F>
TOutcome Collect(F&& triangulate) {
  TOutcome o;
  const DiagonalSink sink = [&](const TAcadPoint& a, const TAcadPoint& b) {
    o.diagonals.emplace_back(a, b);
  };
  o.result = triangulate(sink);
  return o;
}

bool SameTriangle(const TAcadTriangle& a, const TAcadTriangle& b) {
  return a.p1 == b.p1 && a.p2 == b.p2 && a.p3 == b.p3;
}

// Interiors of two triangles are disjoint when an edge line of one has the
// other wholly on its far (closed) side.
bool InteriorsOverlap(const TAcadTriangle& s, const TAcadTriangle& t) {
  const auto separates = [](const TAcadTriangle& x, const TAcadTriangle& y) {
    const TAcadPoint px[3] = {x.p1, x.p2, x.p3};
    const TAcadPoint py[3] = {y.p1, y.p2, y.p3};
    for (int i = 0; i < 3; ++i) {
      const TAcadPoint& a = px[i];
      const TAcadPoint& b = px[(i + 1) % 3];
      const int side = detail::Orientation(a, b, px[(i + 2) % 3]);
      bool all = true;
      for (const TAcadPoint& q : py) all = all && detail::Orientation(a, b, q) * side <= 0;
      if (all) return true;
    }
    return false;
  };
  return !separates(s, t) && !separates(t, s);
}

long double TriangleArea(const TAcadTriangle& t) {
  return std::fabs(((t.p2.x - t.p1.x) * (t.p3.y - t.p1.y) - (t.p2.y - t.p1.y) * (t.p3.x - t.p1.x)) / 2);
}

bool HasMatchingVertices(const Outline& o) {
  for (std::size_t i = 0; i < o.size(); ++i)
    for (std::size_t j = i + 1; j < o.size(); ++j)
      if (std::fabs(o[i].x - o[j].x) < kVertexMatchTolerance &&
          std::fabs(o[i].y - o[j].y) < kVertexMatchTolerance)
        return true;
  return false;
}

class Differential : public ::testing::Test {
 protected:
  // Compares one outline; returns whether it was simple and triangulated.
  void Compare(const Outline& o, const std::string& label) {
    SCOPED_TRACE(label);
    ++compared_;
    const TOutcome got = Collect([&](const DiagonalSink& s) { return TriangulatePolygon(o, 1000, s); });
    const TOutcome want = Collect([&](const DiagonalSink& s) { return reference::ReferenceTriangulate(o, s); });
    const bool simple = reference::ReferenceIsSimpleOutline(o);
    ASSERT_EQ(IsSimpleOutline(o), simple);
    ASSERT_EQ(got.result.status, want.result.status);
    ASSERT_EQ(got.diagonals, want.diagonals);
    ASSERT_EQ(got.result.triangles.size(), want.result.triangles.size());
    for (std::size_t i = 0; i < got.result.triangles.size(); ++i)
      ASSERT_TRUE(SameTriangle(got.result.triangles[i], want.result.triangles[i])) << "triangle " << i;
    // Matching vertices stand for each other in removal, so the triangles of
    // such an outline are only as exact as the match tolerance.
    if (!simple || !got.result.complete() || HasMatchingVertices(o)) return;
    ++checkedInvariants_;
    const auto& tris = got.result.triangles;
    ASSERT_EQ(tris.size(), o.size() - 2);
    long double sum = 0;
    for (const TAcadTriangle& t : tris) sum += TriangleArea(t);
    const long double area = std::fabs(SignedArea(o));
    ASSERT_NEAR(static_cast<double>(sum), static_cast<double>(area), 1e-9 * static_cast<double>(area));
    for (std::size_t i = 0; i < tris.size(); ++i)
      for (std::size_t j = i + 1; j < tris.size(); ++j)
        ASSERT_FALSE(InteriorsOverlap(tris[i], tris[j])) << "triangles " << i << " and " << j;
  }

  // Both orientations from every starting vertex.
  void CompareAllWays(const Outline& o, const std::string& label) {
    for (const Outline& way : {o, Reversed(o)}) {
      for (std::size_t s = 0; s < way.size(); ++s) {
        Compare(RotatedStart(way, s), label + " start " + std::to_string(s) +
                                          (&way == &o ? "" : " reversed"));
        if (HasFatalFailure()) return;
      }
    }
  }

  static void TearDownTestSuite() {
    std::printf("[ compared ] %d outlines, %d triangulations checked for area and overlap\n",
                compared_, checkedInvariants_);
  }

  static inline int compared_ = 0;
  static inline int checkedInvariants_ = 0;
};

TEST_F(Differential, RandomSimpleOutlinesOnAGridWithCollinearVertices) {
  Rng rng(11);
  for (int k = 0; k < 60; ++k) {
    const std::size_t n = 4 + rng() % 11;
    const Outline o = RandomSimpleOnGrid(n, rng, 6 + static_cast<int>(rng() % 10));
    CompareAllWays(o, "grid " + std::to_string(k));
    if (HasFatalFailure()) return;
  }
}

TEST_F(Differential, RandomStarsWithAddedCollinearVertices) {
  Rng rng(12);
  for (int k = 0; k < 40; ++k) {
    Outline o = RandomStar(5 + rng() % 12, rng, 10 + Uniform(rng, 0, 500), 1000);
    if (k % 2) o = WithCollinearVertices(o, 1 + rng() % 3, rng);
    CompareAllWays(o, "star " + std::to_string(k));
    if (HasFatalFailure()) return;
  }
}

TEST_F(Differential, LargerOutlinesFromSomeStarts) {
  Rng rng(13);
  for (int k = 0; k < 24; ++k) {
    Outline o = k % 3 == 0   ? RandomStar(60 + rng() % 60, rng)
                : k % 3 == 1 ? Comb(5 + rng() % 10, 20, 10 + Uniform(rng, -5, 5), 200)
                             : DigitisedParcel(80 + rng() % 60, rng);
    if (k % 2) o = Reversed(o);
    for (int s = 0; s < 4; ++s) {
      Compare(RotatedStart(o, rng() % o.size()), "large " + std::to_string(k));
      if (HasFatalFailure()) return;
    }
  }
  Rng noisy(1);
  Compare(NoisyEdgeRectangle(98, noisy, 20, 5000, 1000), "noisy edge");
  Compare(ArcParcel(), "arc");
}

TEST_F(Differential, NearCoincidentVertices) {
  Rng rng(14);
  for (int k = 0; k < 60; ++k) {
    Outline o = k % 2 ? RandomStar(5 + rng() % 10, rng) : RandomSimpleOnGrid(5 + rng() % 6, rng, 10);
    o = WithNearDuplicate(o, rng, Uniform(rng, -0.0009, 0.0009), Uniform(rng, -0.0009, 0.0009));
    if (k % 3 == 0) o = WithNearDuplicate(o, rng);
    for (int s = 0; s < 6; ++s) {
      Compare(RotatedStart(k % 4 < 2 ? o : Reversed(o), rng() % o.size()), "twins " + std::to_string(k));
      if (HasFatalFailure()) return;
    }
  }
}

TEST_F(Differential, SelfTouchingAndSelfIntersectingOutlines) {
  Rng rng(15);
  for (int k = 0; k < 40; ++k) {
    const Outline touching = TouchingPair(4 + rng() % 6, rng);
    const Outline onEdge = WithVertexOnEdge(RandomStar(6 + rng() % 10, rng), rng);
    const Outline tangle = RandomTangle(5 + rng() % 8, rng, 12);
    for (int s = 0; s < 4; ++s) {
      Compare(RotatedStart(touching, rng() % touching.size()), "touching " + std::to_string(k));
      Compare(RotatedStart(onEdge, rng() % onEdge.size()), "on edge " + std::to_string(k));
      Compare(RotatedStart(Reversed(tangle), rng() % tangle.size()), "tangle " + std::to_string(k));
      if (HasFatalFailure()) return;
    }
  }
}

}  // namespace
}  // namespace zavin::capture
