// FindSegmentTriangles against the literal triple loop; the merging of
// overlapping sides and of repeated triangles around it.

#include "capture/segment_triangles.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <limits>
#include <string>
#include <vector>

#include "segment_triangles_reference.h"

namespace zavin::capture {
namespace {

using geometry::TAcadLine;
using geometry::TAcadPoint;
using geometry::TAcadTriangle;

std::string Str(const TAcadPoint& p) {
  char buf[64];
  std::snprintf(buf, sizeof buf, "(%g,%g)", static_cast<double>(p.x), static_cast<double>(p.y));
  return buf;
}
std::vector<std::string> Str(const std::vector<TAcadTriangle>& ts) {
  std::vector<std::string> out;
  for (const TAcadTriangle& t : ts) out.push_back(Str(t.p1) + Str(t.p2) + Str(t.p3));
  return out;
}
// Bit for bit: the found corners are copies of segment ends.
bool Identical(const std::vector<TAcadTriangle>& a, const std::vector<TAcadTriangle>& b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i)
    if (!(a[i].p1 == b[i].p1 && a[i].p2 == b[i].p2 && a[i].p3 == b[i].p3)) return false;
  return true;
}

TAcadLine L(double x1, double y1, double x2, double y2) { return {{x1, y1, 0}, {x2, y2, 0}}; }

TEST(FindSegmentTriangles, SmallFiguresGiveTheTrianglesOfTheLoopInItsOrder) {
  struct Case {
    const char* name;
    std::vector<TAcadLine> segments;
    std::vector<std::string> expected;
  };
  const Case cases[] = {
      {"square as four lines, then the diagonal",
       {L(0, 0, 10, 0), L(10, 0, 10, 10), L(10, 10, 0, 10), L(0, 10, 0, 0), L(0, 0, 10, 10)},
       {"(10,0)(0,0)(10,10)", "(0,10)(10,10)(0,0)"}},
      {"diagonal line before the polyline's sides",
       {L(0, 0, 10, 10), L(0, 0, 10, 0), L(10, 0, 10, 10), L(10, 10, 0, 10), L(0, 10, 0, 0)},
       {"(0,0)(10,10)(10,0)", "(10,10)(0,0)(0,10)"}},
      {"both diagonals uncut: each corner with its two sides",
       {L(0, 0, 10, 0), L(10, 0, 10, 10), L(10, 10, 0, 10), L(0, 10, 0, 0), L(0, 0, 10, 10),
        L(10, 0, 0, 10)},
       {"(10,0)(0,0)(10,10)", "(0,0)(10,0)(0,10)", "(10,10)(10,0)(0,10)", "(0,10)(10,10)(0,0)"}},
      {"inner point joined to the corners",
       {L(0, 0, 12, 0), L(12, 0, 6, 9), L(6, 9, 0, 0), L(0, 0, 6, 3), L(12, 0, 6, 3), L(6, 9, 6, 3)},
       {"(12,0)(0,0)(6,9)", "(0,0)(12,0)(6,3)", "(12,0)(6,9)(6,3)", "(0,0)(6,9)(6,3)"}},
      {"ends 0.0005 apart meet", {L(0, 0, 10, 0), L(10.0005, 0, 0, 10), L(0, 10, 0, 0)},
       {"(10,0)(0,0)(0,10)"}},
      {"ends 0.002 apart do not", {L(0, 0, 10, 0), L(10.002, 0, 0, 10), L(0, 10, 0, 0)}, {}},
      {"a side twice: its triangles twice",
       {L(0, 0, 10, 0), L(10, 0, 0, 10), L(10, 0, 0, 10), L(0, 10, 0, 0)},
       {"(10,0)(0,0)(0,10)", "(10,0)(0,0)(0,10)"}},
      {"two segments", {L(0, 0, 10, 0), L(10, 0, 0, 10)}, {}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const std::vector<TAcadTriangle> found = FindSegmentTriangles(c.segments);
    EXPECT_EQ(Str(found), c.expected);
    EXPECT_TRUE(Identical(found, reference::ReferenceFindSegmentTriangles(c.segments)));
  }
}

TEST(FindSegmentTriangles, GeneratedSetsMatchTheLoop) {
  int with_triangles = 0;
  for (std::uint32_t seed = 1; seed <= 60; ++seed) {
    for (int count : {3, 12, 40, 120}) {
      SCOPED_TRACE("seed " + std::to_string(seed) + ", " + std::to_string(count) + " segments");
      const std::vector<TAcadLine> s = reference::MessySegments(seed, count);
      const std::vector<TAcadTriangle> expected = reference::ReferenceFindSegmentTriangles(s);
      const std::vector<TAcadTriangle> found = FindSegmentTriangles(s);
      ASSERT_TRUE(Identical(found, expected)) << found.size() << " found, " << expected.size() << " expected";
      with_triangles += !expected.empty();
    }
  }
  EXPECT_GT(with_triangles, 100);  // the generator does make triangles
}

TEST(FindSegmentTriangles, SplitGridMatchesTheLoop) {
  const std::vector<TAcadLine> s = reference::SplitSquareGrid(20, 20);
  const std::vector<TAcadTriangle> found = FindSegmentTriangles(s);
  EXPECT_EQ(found.size(), 800u);
  EXPECT_TRUE(Identical(found, reference::ReferenceFindSegmentTriangles(s)));
}

TEST(FindSegmentTriangles, FarAndNonFiniteEndsMatchTheLoop) {
  const double inf = std::numeric_limits<double>::infinity();
  const double nan = std::numeric_limits<double>::quiet_NaN();
  const double far = 1e300;
  const std::vector<TAcadLine> s = {
      L(far, far, far + 1e290, far), L(far + 1e290, far, far, far + 1e290), L(far, far + 1e290, far, far),
      L(inf, 0, 0, 0), L(0, 0, 10, 0), L(10, 0, inf, 0), L(10, 0, 0, 10), L(0, 10, 0, 0),
      L(nan, nan, 0, 10), L(0, 10, 10, 0), L(-far, 0, 0, 0), L(-far, 0, 0, 0),
      L(5e15, 5e15, 5e15 + 10, 5e15), L(5e15 + 10, 5e15, 5e15, 5e15 + 10), L(5e15, 5e15 + 10, 5e15, 5e15),
  };
  const std::vector<TAcadTriangle> expected = reference::ReferenceFindSegmentTriangles(s);
  EXPECT_FALSE(expected.empty());
  EXPECT_TRUE(Identical(FindSegmentTriangles(s), expected));
}

std::vector<std::string> Str(const std::vector<TAcadLine>& ls) {
  std::vector<std::string> out;
  for (const TAcadLine& l : ls) out.push_back(Str(l.st) + Str(l.ed));
  return out;
}

TEST(MergeOverlappingSegments, OverlappingCollinearPiecesBecomeOneSide) {
  constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();
  struct Case {
    const char* name;
    std::vector<TAcadLine> segments;
    std::vector<std::string> expected;
  };
  const Case cases[] = {
      {"a line twice, once reversed", {L(0, 0, 10, 0), L(5, 5, 6, 6), L(10, 0, 0, 0)},
       {"(0,0)(10,0)", "(5,5)(6,6)"}},
      {"overlapping pieces", {L(0, 0, 6, 0), L(4, 0, 10, 0)}, {"(0,0)(10,0)"}},
      {"a chain of overlaps, slanted", {L(0, 0, 4, 4), L(3, 3, 7, 7), L(8, 8, 6, 6)}, {"(0,0)(8,8)"}},
      {"a piece inside another", {L(2, 0, 3, 0), L(0, 0, 10, 0)}, {"(0,0)(10,0)"}},
      {"end to end stay apart", {L(0, 0, 5, 0), L(5, 0, 10, 0)}, {"(0,0)(5,0)", "(5,0)(10,0)"}},
      {"overlap within the tolerance stays apart", {L(0, 0, 5.0005, 0), L(5, 0, 10, 0)},
       {"(0,0)(5.0005,0)", "(5,0)(10,0)"}},
      {"parallel, 0.002 apart", {L(0, 0, 10, 0), L(0, 0.002, 10, 0.002)}, {"(0,0)(10,0)", "(0,0.002)(10,0.002)"}},
      {"crossing", {L(0, 0, 10, 0), L(5, -5, 5, 5)}, {"(0,0)(10,0)", "(5,-5)(5,5)"}},
      {"non-finite and zero-length kept", {L(0, 0, 10, 0), L(kNaN, 0, 10, 0), L(3, 0, 3, 0)},
       {"(0,0)(10,0)", "(nan,0)(10,0)", "(3,0)(3,0)"}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(Str(MergeOverlappingSegments(c.segments)), c.expected);
  }
}

TEST(DistinctTriangles, ATriangleFoundTwiceIsOne) {
  const std::vector<TAcadTriangle> found = {
      {{0, 0, 0}, {10, 0, 0}, {0, 10, 0}},
      {{10, 0, 0}, {0, 10, 0}, {0.0005, 0, 0}},  // the same corners, turned and 0.0005 off
      {{10, 0, 0}, {10, 10, 0}, {0, 10, 0}},
      {{0, 0, 0}, {10, 0, 0}, {0, 10.002, 0}},  // a corner 0.002 off: another triangle
  };
  EXPECT_EQ(Str(DistinctTriangles(found)),
            (std::vector<std::string>{"(0,0)(10,0)(0,10)", "(10,0)(10,10)(0,10)", "(0,0)(10,0)(0,10.002)"}));
}

}  // namespace
}  // namespace zavin::capture
