#include "capture/triangulation.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cmath>
#include <numbers>
#include <ostream>
#include <stdexcept>
#include <utility>
#include <vector>

#include "capture/triangulation_predicates.h"
#include "geometry/plane.h"
#include "tests/capture/polygon_generators.h"
#include "tests/capture/triangulation_reference.h"

namespace zavin::geometry {
void PrintTo(const TAcadPoint& p, std::ostream* os) { *os << "(" << p.x << ", " << p.y << ")"; }
void PrintTo(const TAcadTriangle& t, std::ostream* os) {
  *os << "[";
  PrintTo(t.p1, os);
  PrintTo(t.p2, os);
  PrintTo(t.p3, os);
  *os << "]";
}
}  // namespace zavin::geometry

namespace zavin::capture {
namespace {

using testing::Outline;

struct TRun {
  TTriangulation result;
  std::vector<std::pair<TAcadPoint, TAcadPoint>> diagonals;
};

TRun Triangulate(const Outline& o, double viewHeight = 1000) {
  TRun run;
  run.result = TriangulatePolygon(o, viewHeight, [&](const TAcadPoint& a, const TAcadPoint& b) {
    run.diagonals.emplace_back(a, b);
  });
  return run;
}

TAcadPoint Pt(double x, double y) { return {x, y, 0}; }

MATCHER_P3(IsTriangle, a, b, c, "") { return arg.p1 == a && arg.p2 == b && arg.p3 == c; }

TEST(TriangulatePolygonTest, TriangleIsReturnedInBoundaryOrderWithoutDiagonal) {
  const TRun run = Triangulate({Pt(0, 0), Pt(4, 0), Pt(0, 3)});
  EXPECT_TRUE(run.result.complete());
  EXPECT_TRUE(run.diagonals.empty());
  EXPECT_THAT(run.result.triangles, ::testing::ElementsAre(IsTriangle(Pt(0, 0), Pt(4, 0), Pt(0, 3))));
}

TEST(TriangulatePolygonTest, SquareClipsCornerZeroThenKeepsTheRest) {
  const TRun run = Triangulate({Pt(0, 0), Pt(10, 0), Pt(10, 10), Pt(0, 10)});
  ASSERT_TRUE(run.result.complete());
  ASSERT_EQ(run.diagonals.size(), 1u);
  EXPECT_EQ(run.diagonals[0], std::make_pair(Pt(0, 10), Pt(10, 0)));
  EXPECT_THAT(run.result.triangles,
              ::testing::ElementsAre(IsTriangle(Pt(0, 10), Pt(0, 0), Pt(10, 0)),
                                     IsTriangle(Pt(10, 0), Pt(10, 10), Pt(0, 10))));
}

TEST(TriangulatePolygonTest, RectangleWithSideVertexNeverStartsAtTheStraightCorner) {
  const TRun run = Triangulate({Pt(0, 0), Pt(2, 0), Pt(4, 0), Pt(4, 2), Pt(0, 2)});
  ASSERT_TRUE(run.result.complete());
  EXPECT_THAT(run.diagonals, ::testing::ElementsAre(std::make_pair(Pt(0, 2), Pt(2, 0)),
                                                    std::make_pair(Pt(4, 2), Pt(2, 0))));
  EXPECT_THAT(run.result.triangles,
              ::testing::ElementsAre(IsTriangle(Pt(0, 2), Pt(0, 0), Pt(2, 0)),
                                     IsTriangle(Pt(4, 2), Pt(0, 2), Pt(2, 0)),
                                     IsTriangle(Pt(2, 0), Pt(4, 0), Pt(4, 2))));
}

TEST(TriangulatePolygonTest, RectangleWithSideVertexInReverseOrderStartsAtItsFirstCorner) {
  // All four right corners tie at 30° from 60°, so the first one must win; the
  // corner at (0,2) is the folded one (directions 3π/2 and 0).
  const TRun run = Triangulate({Pt(0, 2), Pt(4, 2), Pt(4, 0), Pt(2, 0), Pt(0, 0)});
  ASSERT_TRUE(run.result.complete());
  // The second clip's diagonal (4,0)→(0,0) would run along the bottom side
  // through (2,0) and leave a triangle of zero area; it touches the outline
  // away from its ends, so it is refused and (4,0) is clipped next instead.
  EXPECT_THAT(run.diagonals, ::testing::ElementsAre(std::make_pair(Pt(0, 0), Pt(4, 2)),
                                                    std::make_pair(Pt(4, 2), Pt(2, 0))));
  EXPECT_THAT(run.result.triangles,
              ::testing::ElementsAre(IsTriangle(Pt(0, 0), Pt(0, 2), Pt(4, 2)),
                                     IsTriangle(Pt(4, 2), Pt(4, 0), Pt(2, 0)),
                                     IsTriangle(Pt(4, 2), Pt(2, 0), Pt(0, 0))));
}

TEST(TriangulatePolygonTest, ReflexCornerNearSixtyDegreesIsSkippedNotClipped) {
  // The notch bottom opens 300°, folded to 60°: the best corner by angle, but
  // its diagonal runs outside along the top.
  const TAcadPoint notch = Pt(5, 10 - 5 / std::tan(std::numbers::pi / 6));
  const Outline o{Pt(0, 0), Pt(10, 0), Pt(10, 10), notch, Pt(0, 10)};
  EXPECT_NEAR(detail::CornerDeviation(o[2], notch, o[4]), 0, 1e-9);
  const TRun run = Triangulate(o);
  ASSERT_TRUE(run.result.complete());
  EXPECT_EQ(run.result.triangles.size(), 3u);
  for (const auto& [a, b] : run.diagonals) {
    SCOPED_TRACE(::testing::Message() << a.x << "," << a.y << " - " << b.x << "," << b.y);
    EXPECT_FALSE((a == o[2] && b == o[4]) || (a == o[4] && b == o[2]));
  }
}

TEST(TriangulatePolygonTest, SelfIntersectingOutlineFailsWithoutDiagonals) {
  const TRun run = Triangulate({Pt(0, 0), Pt(10, 10), Pt(10, 0), Pt(0, 10)});
  EXPECT_FALSE(run.result.complete());
  EXPECT_TRUE(run.diagonals.empty());
}

TEST(TriangulatePolygonTest, FewerThanThreeOrNonFiniteVerticesFailAtOnce) {
  const double nan = std::nan("");
  const std::vector<Outline> cases{
      {},
      {Pt(0, 0), Pt(1, 0)},
      {Pt(0, 0), Pt(10, 0), Pt(10, nan), Pt(0, 10)},
      {Pt(0, 0), Pt(INFINITY, 0), Pt(0, 10)},
  };
  for (const Outline& o : cases) {
    SCOPED_TRACE(o.size());
    const TRun run = Triangulate(o);
    EXPECT_FALSE(run.result.complete());
    EXPECT_TRUE(run.result.triangles.empty());
    EXPECT_TRUE(run.diagonals.empty());
  }
}

TEST(TriangulatePolygonTest, NearCoincidentVerticesAreOnePointForRemoval) {
  // The earlier of two matching vertices is the one removed.
  std::vector<TAcadPoint> w{Pt(0, 0), Pt(5, 5), Pt(5.0004, 4.9997), Pt(9, 9)};
  EXPECT_EQ(RemoveVertex(Pt(5.0004, 4.9997), w), 3u);
  EXPECT_THAT(w, ::testing::ElementsAre(Pt(0, 0), Pt(5.0004, 4.9997), Pt(9, 9)));
  EXPECT_EQ(RemoveVertex(Pt(5.0015, 5), w), 3u);  // 0.0011 apart in x: no match

  const Outline square{Pt(0, 0), Pt(10, 0), Pt(10, 10), Pt(10.0004, 10.0003), Pt(0, 10)};
  const TRun run = Triangulate(square);
  const TTriangulation expected = reference::ReferenceTriangulate(square, nullptr);
  EXPECT_EQ(run.result.complete(), expected.complete());
  EXPECT_EQ(run.result.triangles.size(), expected.triangles.size());
}

TEST(TriangulatePolygonTest, ArcParcelSplitsDespiteRayThroughArcVertices) {
  // Regression: with the ray test of the line intersection (start excluded
  // below 1e-12, end included) rays passing these arc vertices were lost and
  // this convex parcel could not be split.
  const TRun run = Triangulate(testing::ArcParcel());
  EXPECT_TRUE(run.result.complete());
  EXPECT_EQ(run.result.triangles.size(), 11u);
  EXPECT_EQ(run.diagonals.size(), 10u);
}

TEST(TriangulatePolygonTest, NoisyDigitisedEdgeSplitsPastThePassLimit) {
  // 400 vertices 5 cm apart with 2 cm of noise: rejected corners are retried
  // after every clip and 4 x N0 passes run out while progress is possible.
  testing::Rng rng(1);
  const Outline o = testing::NoisyEdgeRectangle(398, rng, 20, 20000, 3000);
  const TTriangulation limited =
      reference::ReferenceTriangulate(o, nullptr, {.unlimitedPassesWhenSimple = false});
  EXPECT_FALSE(limited.complete());
  const TRun run = Triangulate(o);
  EXPECT_TRUE(run.result.complete());
  EXPECT_EQ(run.result.triangles.size(), 398u);
}

TEST(TriangulatePolygonTest, ResultDoesNotDependOnViewHeight) {
  // A tall spike more than ten view heights above the parcel's lower part.
  const Outline o{Pt(0, 0), Pt(100, 0), Pt(100, 10), Pt(55, 10), Pt(50, 100000), Pt(45, 10),
                  Pt(0, 10)};
  const TRun zoomedIn = Triangulate(o, 1);
  const TRun zoomedOut = Triangulate(o, 1e6);
  ASSERT_TRUE(zoomedIn.result.complete());
  EXPECT_EQ(zoomedIn.diagonals, zoomedOut.diagonals);
}

TEST(TriangulatePolygonTest, SinkErrorEndsTheTriangulation) {
  int calls = 0;
  const Outline o{Pt(0, 0), Pt(10, 0), Pt(10, 10), Pt(0, 10), Pt(-5, 5)};
  EXPECT_THROW(TriangulatePolygon(o, 1000,
                                  [&](const TAcadPoint&, const TAcadPoint&) {
                                    ++calls;
                                    throw std::runtime_error("host gone");
                                  }),
               std::runtime_error);
  EXPECT_EQ(calls, 1);
}

TEST(PointInPolygonTest, RayThroughVerticesCountsEachPassOnce) {
  // Clockwise square with a vertex in its top side; (0,0)-(4,4) diamond.
  const Outline square{Pt(0, 0), Pt(0, 10), Pt(5, 10), Pt(10, 10), Pt(10, 0)};
  const Outline diamond{Pt(2, 0), Pt(4, 2), Pt(2, 4), Pt(0, 2)};
  struct Case {
    const Outline* polygon;
    TAcadPoint p;
    bool inside;
  } cases[] = {
      {&square, Pt(5 + 2e-12, 5), true},  // just past the top vertex, start side of an edge
      {&square, Pt(5 - 2e-12, 5), true},
      {&square, Pt(5, 5), true},
      {&square, Pt(5, 11), false},
      {&square, Pt(11, 5), false},
      {&diamond, Pt(2, 1), true},   // ray leaves through the top vertex
      {&diamond, Pt(2, -1), false}, // ray grazes bottom and top vertices
      {&diamond, Pt(0, 1), false},  // ray touches the left vertex where the outline turns back
      {&diamond, Pt(4, 1), false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(::testing::Message() << c.p.x << "," << c.p.y);
    EXPECT_EQ(PointInPolygon(c.p, *c.polygon), c.inside);
  }
}

TEST(DiagonalCrossesEdgeTest, AnyContactAwayFromTheEndsCounts) {
  const TAcadPoint a = Pt(0, 0), c = Pt(10, 0);
  struct Case {
    const char* name;
    Outline polygon;
    bool crosses;
  } cases[] = {
      {"crossing", {Pt(5, -1), Pt(5, 1), Pt(20, 20)}, true},
      {"vertex grazing from one side", {Pt(4, 1), Pt(5, 0), Pt(6, 1)}, true},
      {"collinear overlap", {Pt(3, 0), Pt(6, 0), Pt(5, 5)}, true},
      {"edge through an end", {Pt(0, -1), Pt(0, 1), Pt(-5, 0)}, false},
      {"contact within 0.001 of an end", {Pt(9.9995, -1), Pt(9.9995, 1), Pt(20, 0)}, false},
      {"contact 0.002 from an end", {Pt(9.998, -1), Pt(9.998, 1), Pt(20, 0)}, true},
      {"near miss", {Pt(4, 1e-9), Pt(6, 1e-9), Pt(5, 5)}, false},
  };
  for (const Case& k : cases) {
    SCOPED_TRACE(k.name);
    EXPECT_EQ(DiagonalCrossesEdge(a, c, k.polygon), k.crosses);
    EXPECT_EQ(DiagonalCrossesEdge(c, a, k.polygon), k.crosses);
  }
  // A diagonal shorter than 0.002 has no part far from both ends.
  EXPECT_FALSE(DiagonalCrossesEdge(Pt(0, 0), Pt(0.0019, 0), {{Pt(0.00095, -1), Pt(0.00095, 1), Pt(5, 5)}}));
}

TEST(OrientationTest, ExactForNearlyCollinearPoints) {
  // b and c on one line through the origin, far from it; then c one ulp off.
  const long double big = 0x1p40L + 1;
  const TAcadPoint o = Pt(0, 0);
  const TAcadPoint b{big, big - 2, 0};
  const TAcadPoint c{3 * big, 3 * (big - 2), 0};
  EXPECT_EQ(detail::Orientation(o, b, c), 0);
  const TAcadPoint up{c.x, std::nextafter(c.y, 1e30L), 0};
  const TAcadPoint down{c.x, std::nextafter(c.y, -1e30L), 0};
  EXPECT_EQ(detail::Orientation(o, b, up), 1);
  EXPECT_EQ(detail::Orientation(o, b, down), -1);
  EXPECT_EQ(detail::Orientation(b, o, up), -1);
}

TEST(IsSimpleOutlineTest, TouchingCrossingAndFoldingOutlinesAreNotSimple) {
  struct Case {
    const char* name;
    Outline outline;
    bool simple;
  } cases[] = {
      {"square", {Pt(0, 0), Pt(10, 0), Pt(10, 10), Pt(0, 10)}, true},
      {"collinear vertex", {Pt(0, 0), Pt(5, 0), Pt(10, 0), Pt(10, 10), Pt(0, 10)}, true},
      {"bow tie", {Pt(0, 0), Pt(10, 10), Pt(10, 0), Pt(0, 10)}, false},
      {"vertex on an edge", {Pt(0, 0), Pt(10, 0), Pt(10, 10), Pt(5, 0), Pt(0, 10)}, false},
      {"repeated vertex", {Pt(0, 0), Pt(10, 0), Pt(10, 0), Pt(10, 10), Pt(0, 10)}, false},
      {"fold back", {Pt(0, 0), Pt(10, 0), Pt(5, 0), Pt(0, 10)}, false},
      {"two vertices", {Pt(0, 0), Pt(10, 0)}, false},
  };
  for (const Case& k : cases) {
    SCOPED_TRACE(k.name);
    EXPECT_EQ(IsSimpleOutline(k.outline), k.simple);
    EXPECT_EQ(reference::ReferenceIsSimpleOutline(k.outline), k.simple);
  }
}

}  // namespace
}  // namespace zavin::capture
