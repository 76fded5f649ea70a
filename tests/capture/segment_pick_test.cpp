// Segment picking against the embedded host: nearest polyline segment, the
// closing side's orientation, ties, the extents limit and the entity kinds.

#include "capture/segment_pick.h"

#include <gtest/gtest.h>

#include <optional>
#include <utility>
#include <vector>

#include "tests/geometry/point_printer.h"
#include "tests/host/test_host.h"

namespace zavin::capture {
namespace {

using geometry::TAcadPoint;

class SegmentPickTest : public host::testing::HostTest {
 protected:
  struct Result {
    bool found;
    TAcadPoint start, end, foot;
  };

  Result PickPolyline(std::int64_t id, double x, double y) {
    const TAcadPoint unset{-1, -1, -1};
    Result r{false, unset, unset, unset};
    r.found = PickPolylineSegment(document(), host::Polyline(document().ObjectIdToObject(id)),
                                  {x, y, 0}, r.start, r.end, r.foot);
    return r;
  }

  std::optional<geometry::TAcadLine> Pick(std::int64_t id, double x, double y) {
    return SegmentPick(document(), {document().ObjectIdToObject(id), {x, y, 0}});
  }
};

TEST_F(SegmentPickTest, ChoosesNearestSegmentWhoseFootLiesOnIt) {
  // An L: (0,0)-(100,0)-(100,100), open. The extents' diagonal is about 141.
  const std::int64_t id = db().AddPolyline({{0, 0}, {100, 0}, {100, 100}}, false);
  struct Case {
    const char* name;
    double x, y;
    bool found;
    TAcadPoint start, end, foot;
  };
  const Case cases[] = {
      {"near the first segment", 50, 3, true, {0, 0, 0}, {100, 0, 0}, {50, 0, 0}},
      {"near the second segment", 97, 40, true, {100, 0, 0}, {100, 100, 0}, {100, 40, 0}},
      {"exactly at a segment's middle", 50, 0, true, {0, 0, 0}, {100, 0, 0}, {50, 0, 0}},
      {"equally near both: lower index wins", 90, 10, true, {0, 0, 0}, {100, 0, 0}, {90, 0, 0}},
      {"beyond the outer corner: feet off both", 110, -10, false, {}, {}, {}},
      {"farther than the extents' diagonal", 50, -200, false, {}, {}, {}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const Result r = PickPolyline(id, c.x, c.y);
    ASSERT_EQ(r.found, c.found);
    if (!c.found) {
      const TAcadPoint unset{-1, -1, -1};
      EXPECT_EQ(r.start, unset);
      EXPECT_EQ(r.end, unset);
      EXPECT_EQ(r.foot, unset);
      continue;
    }
    EXPECT_EQ(r.start, c.start);
    EXPECT_EQ(r.end, c.end);
    EXPECT_DOUBLE_EQ(double(r.foot.x), double(c.foot.x));
    EXPECT_DOUBLE_EQ(double(r.foot.y), double(c.foot.y));
  }
}

TEST_F(SegmentPickTest, ClosingSideRunsFromFirstVertexToLast) {
  const std::int64_t id = db().AddPolyline({{0, 0}, {100, 0}, {100, 100}, {0, 100}}, true);
  const Result closing = PickPolyline(id, 2, 50);
  ASSERT_TRUE(closing.found);
  EXPECT_EQ(closing.start, (TAcadPoint{0, 0, 0}));
  EXPECT_EQ(closing.end, (TAcadPoint{0, 100, 0}));

  // At the first vertex's bisector the first segment ties with the closing
  // side and keeps the pick.
  const Result tie = PickPolyline(id, 10, 10);
  ASSERT_TRUE(tie.found);
  EXPECT_EQ(tie.end, (TAcadPoint{100, 0, 0}));

  // The same outline left open has no closing side to offer: the top side,
  // nearer than the bottom one, takes the pick.
  const std::int64_t open = db().AddPolyline({{0, 0}, {100, 0}, {100, 100}, {0, 100}}, false);
  const Result top = PickPolyline(open, 2, 60);
  ASSERT_TRUE(top.found);
  EXPECT_EQ(top.start, (TAcadPoint{100, 100, 0}));
  EXPECT_EQ(top.end, (TAcadPoint{0, 100, 0}));
}

TEST_F(SegmentPickTest, TwoVertexPolylineIsNeverFound) {
  const std::int64_t id = db().AddPolyline({{0, 0}, {100, 0}}, false);
  EXPECT_FALSE(PickPolyline(id, 50, 0).found);
  EXPECT_FALSE(Pick(id, 50, 0));
}

TEST_F(SegmentPickTest, ElevatedPolylineGivesFlatPoints) {
  const std::int64_t id = db().AddPolyline({{0, 0}, {100, 0}, {100, 100}}, false);
  std::get<cad::PolylineData>(db().Find(id)->data).elevation = 25;
  const Result r = PickPolyline(id, 50, 3);
  ASSERT_TRUE(r.found);
  EXPECT_EQ(r.start.z, 0);
  EXPECT_EQ(r.end.z, 0);
}

TEST_F(SegmentPickTest, SegmentPickByEntityKind) {
  const std::int64_t line = db().AddLine({10, 20, 5}, {30, 40, 7});
  const std::int64_t polyline = db().AddPolyline({{0, 0}, {100, 0}, {100, 100}}, false);
  const std::int64_t circle = db().AddCircle({50, 50, 0}, 10);

  const auto l = Pick(line, 20, 30);
  ASSERT_TRUE(l);
  EXPECT_EQ(l->st, (TAcadPoint{10, 20, 5}));
  EXPECT_EQ(l->ed, (TAcadPoint{30, 40, 7}));

  const auto p = Pick(polyline, 98, 60);
  ASSERT_TRUE(p);
  EXPECT_EQ(p->st, (TAcadPoint{100, 0, 0}));
  EXPECT_EQ(p->ed, (TAcadPoint{100, 100, 0}));

  EXPECT_FALSE(Pick(circle, 60, 50));
}

}  // namespace
}  // namespace zavin::capture
