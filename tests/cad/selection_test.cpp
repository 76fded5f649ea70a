// Selection sets: crossing windows, the pick box, last/all modes and filters.

#include <gtest/gtest.h>

#include <numbers>

#include "cad/db/shapes.h"
#include "cad_fixture.h"

namespace zavin::cad::testing {
namespace {

using SelectionTest = CadTest;
constexpr double kPi = std::numbers::pi;

// A bottom-centre label as the side-length writer places it.
std::int64_t AddLabel(Database& db, const std::string& text, Point3 at, double h, double rot) {
  TextData t;
  t.text = text;
  t.alignment = kAlignBottomCenter;
  t.alignment_point = at;
  t.height = h;
  t.rotation = rot;
  return db.Add(t).id;
}

std::vector<std::int64_t> Crossing(CadTest& t, const ObjectRef& set, P2 a, P2 b,
                                   const Filter& f = {}) {
  Call(set, "Clear");
  Call(set, "Select", {Variant(std::int32_t{1}), Pt(a.x, a.y), Pt(b.x, b.y), f.types, f.data});
  return t.Members(set);
}

TEST_F(SelectionTest, CrossingFindsTextsByTheirBoxFromHeightAlignmentAndRotation) {
  // "10.00" at 300 high: 1200 wide, centred on (5000, 0), standing on the line.
  const auto flat = AddLabel(db(), "10.00", {5000, 0, 0}, 300, 0);
  // The same label on a vertical side reads upwards and lies left of it.
  const auto upright = AddLabel(db(), "10.00", {0, 5000, 0}, 300, kPi / 2);
  auto set = NewSet();
  const auto text = TypeFilter(0, "TEXT");
  struct Case {
    const char* what;
    P2 a, b;
    std::vector<std::int64_t> expect;
  } cases[] = {
      // The neighbour zones of the labelled side: degenerate rectangles.
      {"zone above a horizontal side", {5300, 150}, {4700, 150}, {flat}},
      {"zone below a horizontal side", {5300, -150}, {4700, -150}, {}},
      {"beyond the text's right end", {5700, 0}, {6000, 300}, {}},
      {"touching its right end", {5600, 100}, {6000, 200}, {flat}},
      {"left of a vertical side", {-150, 4700}, {-150, 5300}, {upright}},
      {"right of a vertical side", {150, 4700}, {150, 5300}, {}},
      {"window around both", {-1000, -1000}, {10000, 10000}, {flat, upright}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    EXPECT_EQ(Crossing(*this, set, c.a, c.b, text), c.expect);
  }
}

TEST_F(SelectionTest, CrossingFindsCurvesThatTouchTheRectangle) {
  const auto line = db().AddLine({0, 0, 0}, {100, 100, 0});
  const auto circle = db().AddCircle({500, 0, 0}, 50);
  const auto open = db().AddPolyline({{1000, 0}, {1100, 0}, {1100, 100}}, false);
  const auto closed = db().AddPolyline({{2000, 0}, {2100, 0}, {2100, 100}}, true);
  auto set = NewSet();
  struct Case {
    const char* what;
    P2 a, b;
    std::vector<std::int64_t> expect;
  } cases[] = {
      {"line passes through, no end inside", {40, 60}, {60, 40}, {line}},
      {"beside the line", {60, 0}, {100, 30}, {}},
      {"rectangle wholly inside the circle", {490, -10}, {510, 10}, {}},
      {"rectangle across the circle's curve", {540, -5}, {560, 5}, {circle}},
      {"rectangle around the circle", {400, -100}, {600, 100}, {circle}},
      {"near the open polyline's missing closure", {1040, 40}, {1060, 60}, {}},
      {"on the closed polyline's closing side", {2040, 40}, {2060, 60}, {closed}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    EXPECT_EQ(Crossing(*this, set, c.a, c.b), c.expect);
  }
  (void)open;
}

TEST_F(SelectionTest, BlocksThatContainThemselvesAreSelectedByTheirContentsOnce) {
  auto blocks = Get(Doc(), "Blocks").object();
  auto a = Call(blocks, "Add", {Pt(0, 0), Variant("A")}).object();
  auto b = Call(blocks, "Add", {Pt(0, 0), Variant("B")}).object();
  Call(a, "AddLine", {Pt(0, 0), Pt(10, 0)});
  for (int i = 0; i < 4; ++i) {
    Call(a, "InsertBlock", {Pt(0, 0), Variant("B")});
    Call(b, "InsertBlock", {Pt(0, 0), Variant("A")});
  }
  EXPECT_THROW(Call(a, "InsertBlock", {Pt(0, 0), Variant("A")}), platform::HostError);
  const auto ref = db().InsertBlock("A", {100, 0, 0});
  auto set = NewSet();
  EXPECT_EQ(Crossing(*this, set, {105, -1}, {106, 1}), std::vector<std::int64_t>{ref});
  EXPECT_EQ(Crossing(*this, set, {115, -1}, {116, 1}), std::vector<std::int64_t>{});
}

TEST_F(SelectionTest, SelectAtPointUsesThePickBoxOfPickboxPixelsAtTheViewScale) {
  // The line runs 30 units above the pick point.
  db().AddLine({-1000, 30, 0}, {1000, 30, 0});
  struct Case {
    double viewsize, view_px;
    std::int16_t pickbox;
    bool hit;
  } cases[] = {
      {10000, 800, 3, true},   // half side 37.5
      {1000, 800, 3, false},   // 3.75
      {10000, 800, 2, false},  // 25
      {8000, 400, 2, true},    // 40
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.viewsize);
    db().SetVar("VIEWSIZE", Variant(c.viewsize));
    db().SetVar("PICKBOX", Variant(c.pickbox));
    db().set_view_height_px(c.view_px);
    auto set = NewSet("AT" + std::to_string(static_cast<int>(c.viewsize)) + "_" +
                      std::to_string(c.pickbox));
    const auto f = TypeFilter(0, "*LINE");
    Call(set, "SelectAtPoint", {Pt(0, 0), f.types, f.data});
    EXPECT_EQ(Get(set, "Count").ToInt32(), c.hit ? 1 : 0);
  }
}

TEST_F(SelectionTest, SelectAtPointFiltersBeforeChoosingTheNearest) {
  const auto line = db().AddLine({-100, 20, 0}, {100, 20, 0});
  db().AddText("X", {0, 0, 0}, 10);  // nearer to the pick, but not a line
  auto set = NewSet();
  const auto f = TypeFilter(0, "*LINE");
  Call(set, "SelectAtPoint", {Pt(1, 1), f.types, f.data});
  EXPECT_EQ(Members(set), std::vector<std::int64_t>{line});
}

TEST_F(SelectionTest, LastAndAllModesHonourTypeAndLayerFilters) {
  db().AddLayer("H_TEXT");
  const auto t1 = db().AddText("1", {0, 0, 0}, 10, "H_TEXT");
  db().AddText("2", {0, 0, 0}, 10);
  const auto c = db().AddCircle({0, 0, 0}, 5, "H_TEXT");
  auto set = NewSet();
  auto select = [&](std::int32_t mode, const Filter& f) {
    Call(set, "Clear");
    Call(set, "Select", {Variant(mode), Pt(0, 0), Pt(0, 0), f.types, f.data});
    return Members(set);
  };
  EXPECT_EQ(select(4, {}), std::vector<std::int64_t>{c});
  EXPECT_EQ(select(4, TypeFilter(0, "TEXT")), std::vector<std::int64_t>{});
  EXPECT_EQ(select(5, TypeFilter(8, "h_text")), (std::vector<std::int64_t>{t1, c}));
  EXPECT_EQ(select(5, TypeFilter(0, "TEXT,CIRCLE")).size(), 3u);
  db().Erase(c);
  EXPECT_EQ(Members(set).size(), 2u) << "erased members leave the set";
}

TEST_F(SelectionTest, MalformedFiltersAndModesAreErrors) {
  auto set = NewSet();
  const Filter mismatched{Variant(platform::MakeArray(VarKind::Int16, {Variant(std::int16_t{0}),
                                                                       Variant(std::int16_t{8})})),
                          Variant(platform::MakeArray(VarKind::Variant, {Variant("TEXT")}))};
  const Filter unsupported = TypeFilter(62, "1");
  const Filter number{TypeFilter(0, "").types,
                      Variant(platform::MakeArray(VarKind::Variant, {Variant(1.5)}))};
  for (const Filter* f : {&mismatched, &unsupported, &number}) {
    EXPECT_THROW(Call(set, "Select", {Variant(std::int32_t{5}), Variant(), Variant(), f->types, f->data}),
                 platform::HostError);
  }
  EXPECT_THROW(Call(set, "Select", {Variant(std::int32_t{9}), Variant(), Variant()}), platform::HostError);
  EXPECT_THROW(Call(set, "Select", {Variant(std::int32_t{1}), Variant("x"), Pt(0, 0)}),
               platform::HostError);
}

TEST_F(SelectionTest, SelectionSetNamesAreUniqueAndDeletedSetsAreGone) {
  auto sets = Get(Doc(), "SelectionSets").object();
  auto s1 = Call(sets, "Add", {Variant("SSTEMP_1")}).object();
  EXPECT_THROW(Call(sets, "Add", {Variant("ssTemp_1")}), platform::HostError);
  Call(s1, "Delete");
  EXPECT_EQ(Get(sets, "Count").ToInt32(), 0);
  EXPECT_THROW(Get(s1, "Count"), platform::HostError);
  EXPECT_NO_THROW(Call(sets, "Add", {Variant("SSTEMP_1")}));
}

TEST_F(SelectionTest, SelectOnScreenTakesPicksAndWindowsUntilEnter) {
  const auto a = db().AddLine({0, 0, 0}, {10, 0, 0});
  const auto t = db().AddText("T", {100, 100, 0}, 5);
  const auto c = db().AddCircle({500, 500, 0}, 10);
  db().AddCircle({900, 900, 0}, 10);
  input_->PushEntity(t);
  input_->PushPick(5, 1);             // the line under the pick box
  input_->PushPoint(480, 480);        // empty space: a window from here ...
  input_->PushPoint(520, 520);        // ... to here, left to right
  input_->PushEnter();
  auto set = NewSet();
  const auto f = TypeFilter(0, "TEXT,CIRCLE");
  Call(set, "SelectOnScreen", {f.types, f.data});
  EXPECT_EQ(Members(set), (std::vector<std::int64_t>{t, c})) << "the line fails the filter";
  (void)a;

  input_->PushCancel();
  EXPECT_THROW(Call(set, "SelectOnScreen"), platform::HostError);
}

}  // namespace
}  // namespace zavin::cad::testing
