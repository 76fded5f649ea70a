// Picking and window selection with the box rejection, against the plain
// exact tests on every entity.

#include <gtest/gtest.h>

#include <cmath>
#include <numbers>
#include <optional>
#include <random>
#include <string>
#include <vector>

#include "cad/core/host_core.h"
#include "cad/db/pick.h"
#include "cad/db/shapes.h"

namespace zavin::cad {
namespace {

// The selections as they are defined: the exact outline of every entity.
// The outlines are built once for a drawing that does not change meanwhile.
class PlainSelection {
 public:
  explicit PlainSelection(const Database& db) : aperture_(db.PickAperture()) {
    for (const auto& [id, e] : db.model_space()) shapes_.push_back({id, ShapesOf(db, e)});
  }

  std::optional<std::int64_t> Pick(P2 p) const {
    const Rect box = Rect::Around(p, aperture_);
    std::optional<std::int64_t> best;
    double best_d = 0;
    for (const auto& [id, s] : shapes_) {
      if (!Crosses(s, box)) continue;
      const double d = DistanceTo(s, p);
      if (!best || d <= best_d) {
        best = id;
        best_d = d;
      }
    }
    return best;
  }

  std::vector<std::int64_t> Select(const Rect& r, bool window) const {
    std::vector<std::int64_t> out;
    for (const auto& [id, s] : shapes_)
      if (window ? Inside(s, r) : Crosses(s, r)) out.push_back(id);
    return out;
  }

 private:
  double aperture_;
  std::vector<std::pair<std::int64_t, Shapes>> shapes_;
};

std::optional<std::int64_t> PlainPick(const Database& db, P2 p) {
  return PlainSelection(db).Pick(p);
}

// Random entities of every kind over a 2000 x 2000 field, dense enough that
// most pick boxes (37.5 units half side) hold a few outlines.
class Generator {
 public:
  explicit Generator(unsigned seed) : rng_(seed) {}

  double U(double lo, double hi) { return std::uniform_real_distribution<double>(lo, hi)(rng_); }
  int I(int lo, int hi) { return std::uniform_int_distribution<int>(lo, hi)(rng_); }
  Point3 Pt() { return {U(0, 2000), U(0, 2000), 0}; }
  Point3 Near(const Point3& p, double d) { return {p.x + U(-d, d), p.y + U(-d, d), 0}; }

  double Bulge() {
    switch (I(0, 4)) {
      case 0: return 0;
      case 1: return U(-1, 1);
      case 2: return U(-4, 4);  // more than a half turn
      case 3: return (I(0, 1) ? 1 : -1) * 1e-7;  // nearly straight, far centre
      default: return I(0, 1) ? 1 : -1;  // a half turn
    }
  }

  EntityData Plain() {
    const Point3 a = Pt();
    switch (I(0, 5)) {
      case 0: return LineData{a, Near(a, 300)};
      case 1: {
        PolylineData pl;
        for (int i = 0, n = I(1, 5); i < n; ++i) {
          const Point3 q = Near(a, 200);
          pl.vertices.push_back({q.x, q.y});
          pl.bulges.push_back(Bulge());
        }
        pl.closed = I(0, 1) == 1;
        return pl;
      }
      case 2: return ArcData{a, U(1, 300), U(-7, 7), U(-7, 7)};
      case 3: return CircleData{a, U(1, 200)};
      case 4: {
        TextData t;
        t.text = I(0, 1) ? "No.12" : "面積";
        t.height = U(5, 60);
        t.rotation = U(-4, 4);
        t.alignment = I(0, 14);
        t.insertion = a;
        t.alignment_point = Near(a, 150);
        NormalizeText(t);
        return t;
      }
      default: {
        LeaderData l;
        for (int i = 0, n = I(1, 4); i < n; ++i) l.vertices.push_back(Near(a, 150));
        return l;
      }
    }
  }

  // Blocks B0..B3: plain contents, nested references to each other (with a
  // cycle B2 -> B3 -> B2) and an empty B4, then a drawing of `count`
  // entities, references among them.
  void Fill(Database& db, int count) {
    for (int b = 0; b < 5; ++b) {
      const Point3 origin{U(-50, 50), U(-50, 50), 0};
      const std::int64_t id = db.AddBlock("B" + std::to_string(b), origin).id;
      if (b == 4) continue;
      for (int i = 0; i < 3; ++i) {
        Entity e;
        e.data = Plain();
        Translate(e, -1000, -1000, 0);
        db.Add(std::move(e.data), "0", id);
      }
    }
    auto ref = [&](int from, int to) {
      db.Add(BlockRefData{"B" + std::to_string(to), {U(-100, 100), U(-100, 100), 0}, U(0.2, 2),
                          U(-4, 4)},
             "0", db.FindBlock("B" + std::to_string(from))->id);
    };
    ref(0, 1);
    ref(1, 2);
    ref(2, 3);
    ref(3, 2);
    ref(0, 4);
    EntityData last = Plain();
    for (int i = 0; i < count; ++i) {
      // Some copies of the entity before, for ties.
      if (I(0, 9) != 0)
        last = I(0, 7) == 0 ? EntityData{BlockRefData{"B" + std::to_string(I(0, 4)), Pt(),
                                                      I(0, 3) ? U(0.1, 3) : -1, U(-7, 7)}}
                            : Plain();
      db.Add(last);
    }
  }

 private:
  std::mt19937 rng_;
};

TEST(PickTest, MatchesThePlainSelectionsOnRandomDrawings) {
  for (unsigned seed = 1; seed <= 3; ++seed) {
    SCOPED_TRACE("seed " + std::to_string(seed));
    Generator g(seed);
    HostCore core;
    g.Fill(core.db, 400);
    const PlainSelection plain(core.db);
    std::vector<P2> ends;
    for (const auto& [id, e] : core.db.model_space())
      if (auto* l = e.as<LineData>()) ends.push_back({l->end.x, l->end.y});
    int hits = 0;
    for (int i = 0; i < 200; ++i) {
      P2 p{g.U(-100, 2100), g.U(-100, 2100)};
      if (i % 4 == 0) p = ends[g.I(0, static_cast<int>(ends.size()) - 1)];
      const auto fast = core.PickAt(p, {});
      ASSERT_EQ(fast, plain.Pick(p)) << p.x << "," << p.y;
      hits += fast.has_value();
    }
    EXPECT_GT(hits, 50);
    for (int i = 0; i < 20; ++i) {
      const Rect r = Rect::FromCorners({g.U(-200, 2200), g.U(-200, 2200)},
                                       {g.U(-200, 2200), g.U(-200, 2200)});
      EXPECT_EQ(core.SelectCrossing(r, {}), plain.Select(r, false));
      EXPECT_EQ(core.SelectWindow(r, {}), plain.Select(r, true));
    }
  }
}

// The invariant the rejection rests on, point by point: every point of an
// outline lies in its entity's box, and only empty outlines have none.
TEST(PickTest, BoxesHoldEveryOutlinePoint) {
  for (unsigned seed = 11; seed <= 13; ++seed) {
    SCOPED_TRACE("seed " + std::to_string(seed));
    Generator g(seed);
    Database db;
    g.Fill(db, 600);
    OutlineBoxes boxes(db);
    for (const auto& [id, e] : db.model_space()) {
      const Shapes s = ShapesOf(db, e);
      const auto box = boxes.Of(e);
      ASSERT_EQ(box.has_value(), !s.empty()) << DxfName(e);
      auto holds = [&](P2 q) {
        EXPECT_FALSE(CertainlyMisses(*box, Rect::Around(q, 0)))
            << DxfName(e) << " " << q.x << "," << q.y;
      };
      for (const auto& seg : s.segments) {
        holds(seg.a);
        holds(seg.b);
      }
      for (const auto& c : s.circles)
        for (P2 q : {P2{c.c.x - c.r, c.c.y}, P2{c.c.x + c.r, c.c.y}, P2{c.c.x, c.c.y - c.r},
                     P2{c.c.x, c.c.y + c.r}})
          holds(q);
      for (const auto& quad : s.boxes)
        for (P2 q : quad) holds(q);
    }
  }
}

struct PickCase {
  const char* name;
  std::vector<EntityData> entities;
  P2 at;
  std::optional<int> expected;  // index into entities
};

TEST(PickTest, Cases) {
  // The pick box is 37.5 units either side of the point (PICKBOX 3,
  // VIEWSIZE 10000, 800 pixels).
  const std::vector<PickCase> cases = {
      {"nearest wins",
       {LineData{{0, 10, 0}, {100, 10, 0}}, LineData{{0, 2, 0}, {100, 2, 0}},
        LineData{{0, 20, 0}, {100, 20, 0}}},
       {50, 0},
       1},
      {"newest on ties",
       {LineData{{0, 5, 0}, {100, 5, 0}}, LineData{{0, -5, 0}, {100, -5, 0}},
        CircleData{{500, 500, 0}, 10}},
       {50, 0},
       1},
      {"outline on the aperture edge", {LineData{{0, 37.5, 0}, {100, 37.5, 0}}}, {50, 0}, 0},
      {"just beyond the aperture", {LineData{{0, 37.6, 0}, {100, 37.6, 0}}}, {50, 0}, std::nullopt},
      {"inside a circle, far from its curve", {CircleData{{0, 0, 0}, 100}}, {0, 0}, std::nullopt},
      {"arc side of a bulged polyline",
       {PolylineData{{{0, 0}, {200, 0}}, false, 0, {1}, false}},
       {100, -100},  // the lowest point of the half turn
       0},
      {"nothing under the box", {LineData{{0, 0, 0}, {10, 0, 0}}}, {500, 500}, std::nullopt},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    HostCore core;
    std::vector<std::int64_t> ids;
    for (const auto& d : c.entities) ids.push_back(core.db.Add(d).id);
    const auto hit = core.PickAt(c.at, {});
    EXPECT_EQ(hit, c.expected ? std::optional(ids[*c.expected]) : std::nullopt);
    EXPECT_EQ(hit, PlainPick(core.db, c.at));
  }
}

TEST(PickTest, BlockReferencesAreBoxedThroughTheirPlacedBlock) {
  HostCore core;
  const std::int64_t block = core.db.AddBlock("TICK", {10, 0, 0}).id;
  core.db.Add(LineData{{10, 0, 0}, {20, 0, 0}}, "0", block);
  // Placed at (1000,1000), doubled and turned a quarter: the line runs up
  // from (1000,1000) to (1000,1020).
  const std::int64_t ref =
      core.db.Add(BlockRefData{"TICK", {1000, 1000, 0}, 2, std::numbers::pi / 2}).id;
  EXPECT_EQ(core.PickAt({1000, 1019}, {}), ref);
  EXPECT_EQ(core.PickAt({1060, 1010}, {}), std::nullopt);
  // The reference reads the block as it is now, not as it was at the last pick.
  core.db.BlockById(block)->entities.begin()->second.as<LineData>()->end = {500, 0, 0};
  EXPECT_EQ(core.PickAt({1000, 1900}, {}), ref);
  EXPECT_EQ(core.SelectCrossing(Rect::FromCorners({990, 1800}, {1010, 1810}), {}),
            std::vector<std::int64_t>{ref});
}

// An empty text of no height has a box of one point, which the exact test
// alone counts as touching every rectangle.
TEST(PickTest, AnEmptyTextIsNotFoundFarFromIt) {
  HostCore core;
  TextData t;
  t.text = "";
  t.height = 0;
  const std::int64_t text = core.db.Add(t).id;
  EXPECT_EQ(core.PickAt({500, 500}, {}), std::nullopt);
  EXPECT_TRUE(core.SelectCrossing(Rect::FromCorners({400, 400}, {600, 600}), {}).empty());
  EXPECT_EQ(core.PickAt({10, 10}, {}), text);
}

TEST(PickTest, UnknownBoxesAreNeverRejected) {
  const double nan = std::nan("");
  EXPECT_FALSE(CertainlyMisses({nan, nan, nan, nan}, {0, 0, 1, 1}));
  EXPECT_FALSE(CertainlyMisses({5, nan, 6, 6}, {0, 0, 1, 1}));
  EXPECT_TRUE(CertainlyMisses({5, 5, 6, 6}, {0, 0, 1, 1}));
  // Touching rectangles, and a gap within rounding of the coordinates.
  EXPECT_FALSE(CertainlyMisses({1, 0, 2, 1}, {0, 0, 1, 1}));
  EXPECT_FALSE(CertainlyMisses({1e6 + 1e-7, 0, 1e6 + 1, 1}, {0, 0, 1e6, 1}));
}

}  // namespace
}  // namespace zavin::cad
