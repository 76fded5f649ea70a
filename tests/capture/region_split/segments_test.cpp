// The list of labelled segments: matching in either direction within a
// strict tolerance, and only among the first `count` entries.

#include "capture/segments.h"

#include <gtest/gtest.h>

#include <vector>

namespace zavin::capture {
namespace {

using geometry::TAcadLine;
using geometry::TAcadPoint;

TEST(SegmentInList, MatchesEitherDirectionWithinTheTolerance) {
  const std::vector<TAcadLine> list = {{{0, 0, 0}, {10, 0, 0}}, {{10, 0, 0}, {10, 10, 0}}};
  struct Case {
    const char* name;
    TAcadPoint p1, p2;
    int count;
    bool expected;
  };
  const Case cases[] = {
      {"as listed", {10, 0, 0}, {10, 10, 0}, 2, true},
      {"reversed", {10, 10, 0}, {10, 0, 0}, 2, true},
      {"just inside the tolerance", {0.0009, -0.0009, 0}, {10.0009, 0, 0}, 2, true},
      {"at the tolerance (strict)", {0.001, 0, 0}, {10, 0, 0}, 2, false},
      {"z is ignored", {0, 0, 5}, {10, 0, -5}, 2, true},
      {"one end only", {0, 0, 0}, {10, 10, 0}, 2, false},
      {"beyond the count", {10, 0, 0}, {10, 10, 0}, 1, false},
      {"count zero", {0, 0, 0}, {10, 0, 0}, 0, false},
      {"negative count", {0, 0, 0}, {10, 0, 0}, -1, false},
      {"count past the list", {10, 0, 0}, {10, 10, 0}, 5, true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(SegmentInList(c.p1, c.p2, list, c.count, 0.001), c.expected);
  }
}

TEST(LabelledSegments, GrowsPastItsFirstRoomAndFindsEveryEntry) {
  LabelledSegments labelled;
  for (int i = 0; i < 250; ++i) labelled.Add({double(i), 0, 0}, {double(i), 1, 0});
  EXPECT_EQ(labelled.size(), 250u);
  EXPECT_TRUE(labelled.Contains({249, 1, 0}, {249, 0, 0}));
  EXPECT_TRUE(labelled.Contains({0, 0, 0}, {0, 1, 0}));
  EXPECT_FALSE(labelled.Contains({250, 0, 0}, {250, 1, 0}));
}

}  // namespace
}  // namespace zavin::capture
