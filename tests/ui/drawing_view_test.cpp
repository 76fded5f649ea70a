#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <QRect>

#include <gtest/gtest.h>

#include <cmath>
#include <numbers>

#include "cad/db/database.h"
#include "ui/drawing_view.h"

namespace zavin::ui {
namespace {

// One application for the whole test executable; never destroyed: tearing it
// down among the other statics at exit crashes.
void App() {
  static int argc = 1;
  static char name[] = "ui_drawing_test";
  static char* argv[] = {name, nullptr};
  if (!QGuiApplication::instance()) new QGuiApplication(argc, argv);
}

constexpr QSize kSize{400, 300};

// One drawing unit a pixel, world (0,0) at the middle of the picture.
ViewTransform UnitView() {
  ViewTransform v;
  v.size = kSize;
  return v;
}

QImage Paint(const cad::Database& db, const ViewTransform& view = UnitView()) {
  App();
  QImage image(view.size, QImage::Format_ARGB32_Premultiplied);
  image.fill(Qt::red);  // the background must be painted over
  QPainter p(&image);
  PaintDrawing(p, db, view);
  p.end();
  return image;
}

bool Dark(const QImage& im, int x, int y) {
  return im.rect().contains(x, y) && qGray(im.pixel(x, y)) < 160;
}

// Ink within `r` pixels of the screen position of world point (x, y).
bool InkNear(const QImage& im, const ViewTransform& v, double x, double y, int r = 1) {
  const QPointF s = v.ToScreen(x, y);
  for (int dy = -r; dy <= r; ++dy)
    for (int dx = -r; dx <= r; ++dx)
      if (Dark(im, static_cast<int>(std::lround(s.x())) + dx, static_cast<int>(std::lround(s.y())) + dy))
        return true;
  return false;
}

// Smallest rectangle holding every dark pixel; null when there are none.
QRect InkBox(const QImage& im) {
  QRect box;
  for (int y = 0; y < im.height(); ++y)
    for (int x = 0; x < im.width(); ++x)
      if (Dark(im, x, y)) box |= QRect(x, y, 1, 1);
  return box;
}

TEST(ViewTransformTest, ScreenAndWorldRoundTripWithYUp) {
  ViewTransform v;
  v.center_x = 1000;
  v.center_y = -250;
  v.scale = 2.5;
  v.size = {640, 480};
  EXPECT_EQ(v.ToScreen(1000, -250), QPointF(320, 240));
  // y grows upwards in the world and downwards on screen.
  EXPECT_LT(v.ToScreen(1000, -200).y(), 240);
  for (auto [x, y] : {std::pair{0.0, 0.0}, {1234.5, -987.25}, {-1e6, 3e5}}) {
    auto [wx, wy] = v.ToWorld(v.ToScreen(x, y));
    EXPECT_NEAR(wx, x, 1e-9 * std::max(1.0, std::fabs(x)));
    EXPECT_NEAR(wy, y, 1e-9 * std::max(1.0, std::fabs(y)));
  }
}

TEST(ViewTransformTest, FitKeepsTheBoxInsideTheMarginsCentred) {
  struct Case {
    cad::Point3 lo, hi;
  } cases[] = {
      {{0, 0, 0}, {100, 10, 0}},       // wide: width decides
      {{-5, -500, 0}, {5, 500, 0}},    // tall: height decides
      {{20000, 15000, 0}, {26000, 19000, 0}},
  };
  const QSize size{800, 600};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.hi.x);
    const ViewTransform v = ViewTransform::Fit(c.lo, c.hi, size, 20);
    const QPointF a = v.ToScreen(c.lo.x, c.lo.y), b = v.ToScreen(c.hi.x, c.hi.y);
    EXPECT_GE(std::min(a.x(), b.x()), 20 - 1e-9);
    EXPECT_LE(std::max(a.x(), b.x()), 780 + 1e-9);
    EXPECT_GE(std::min(a.y(), b.y()), 20 - 1e-9);
    EXPECT_LE(std::max(a.y(), b.y()), 580 + 1e-9);
    // One side touches its margins.
    const bool fills_w = std::fabs(std::fabs(b.x() - a.x()) - 760) < 1e-6;
    const bool fills_h = std::fabs(std::fabs(b.y() - a.y()) - 560) < 1e-6;
    EXPECT_TRUE(fills_w || fills_h);
    EXPECT_NEAR((a.x() + b.x()) / 2, 400, 1e-9);
    EXPECT_NEAR((a.y() + b.y()) / 2, 300, 1e-9);
  }
}

TEST(ViewTransformTest, DegenerateBoxesKeepAUsableScale) {
  const QSize size{800, 600};
  const double nan = std::nan("");
  for (auto [lo, hi] : {std::pair{cad::Point3{5, 5, 0}, cad::Point3{5, 5, 0}},
                        {cad::Point3{0, 3, 0}, cad::Point3{50, 3, 0}},
                        {cad::Point3{nan, 0, 0}, cad::Point3{1, 1, 0}}}) {
    const ViewTransform v = ViewTransform::Fit(lo, hi, size, 20);
    EXPECT_TRUE(std::isfinite(v.scale) && v.scale > 0);
    EXPECT_TRUE(std::isfinite(v.center_x) && std::isfinite(v.center_y));
  }
  // A horizontal line is fitted by its length.
  EXPECT_DOUBLE_EQ(ViewTransform::Fit({0, 3, 0}, {50, 3, 0}, size, 20).scale, 760.0 / 50);
  // The margin may exceed the picture.
  EXPECT_GT(ViewTransform::Fit({0, 0, 0}, {10, 10, 0}, {10, 10}, 20).scale, 0);
}

TEST(ViewTransformTest, ExtentsOfAnEmptyDrawingIsTheHostView) {
  cad::Database db;
  db.SetPointVar("VIEWCTR", {100, 200, 0});
  db.SetVar("VIEWSIZE", platform::Variant(60.0));
  const ViewTransform v = ViewTransform::Extents(db, {800, 600});
  EXPECT_EQ(v.ToScreen(100, 200), QPointF(400, 300));
  EXPECT_DOUBLE_EQ(v.scale, 10);
}

TEST(DrawingViewTest, EmptyDrawingIsAllBackground) {
  const cad::Database db;
  const QImage im = Paint(db);
  for (int y = 0; y < im.height(); ++y)
    for (int x = 0; x < im.width(); ++x) ASSERT_EQ(im.pixel(x, y), qRgb(255, 255, 255)) << x << "," << y;
  App();
  const QImage rendered = RenderDrawing(db, {64, 48});
  EXPECT_EQ(rendered.size(), QSize(64, 48));
  EXPECT_TRUE(InkBox(rendered).isNull());
}

TEST(DrawingViewTest, LineInkOnlyAlongTheLine) {
  cad::Database db;
  db.AddLine({-100, -50, 0}, {100, 50, 0});
  const ViewTransform v = UnitView();
  const QImage im = Paint(db, v);
  for (double t : {0.0, 0.1, 0.5, 0.9, 1.0}) EXPECT_TRUE(InkNear(im, v, -100 + 200 * t, -50 + 100 * t)) << t;
  // Off the line, and its mirror image (a y-down mistake would draw there).
  for (auto [x, y] : {std::pair{-100.0, 50.0}, {100.0, -50.0}, {0.0, 40.0}, {150.0, 75.0}, {-50.0, 25.0}})
    EXPECT_FALSE(InkNear(im, v, x, y, 2)) << x << "," << y;
}

TEST(DrawingViewTest, LineFarBeyondTheViewIsClippedNotLost) {
  // Zoomed so far in that the ends lie ~1e9 pixels away.
  cad::Database db;
  db.AddLine({-1e6, 0, 0}, {1e6, 0, 0});
  db.AddLine({-1e6, -1e6, 0}, {-1e6 + 1, -1e6, 0});  // wholly outside
  ViewTransform v = UnitView();
  v.scale = 1000;
  const QImage im = Paint(db, v);
  const QRect ink = InkBox(im);
  ASSERT_FALSE(ink.isNull());
  EXPECT_EQ(ink.left(), 0);
  EXPECT_EQ(ink.right(), kSize.width() - 1);
  EXPECT_LE(ink.height(), 3);
  EXPECT_NEAR(ink.center().y(), kSize.height() / 2, 2);
}

TEST(DrawingViewTest, CurvesFollowTheirArc) {
  // A quarter arc from +x to +y, a circle, and a polyline whose bulge of 1
  // makes a half circle below the chord from (-100,-100) to (0,-100)
  // (counter-clockwise from the start: bulge positive turns left of travel,
  // i.e. the arc dips below).
  cad::Database db;
  cad::ArcData arc;
  arc.center = {-100, 50, 0};
  arc.radius = 60;
  arc.start_angle = 0;
  arc.end_angle = std::numbers::pi / 2;
  db.Add(arc);
  db.AddCircle({120, 60, 0}, 30);
  cad::PolylineData pl;
  pl.vertices = {{-100, -100}, {0, -100}};
  pl.bulges = {1};
  db.Add(pl);
  const ViewTransform v = UnitView();
  const QImage im = Paint(db, v);
  for (double a : {0.1, 0.4, 0.8, 1.2, 1.5})
    EXPECT_TRUE(InkNear(im, v, -100 + 60 * std::cos(a), 50 + 60 * std::sin(a))) << a;
  for (double a : {2.5, 3.5, 4.7}) EXPECT_FALSE(InkNear(im, v, -100 + 60 * std::cos(a), 50 + 60 * std::sin(a), 2)) << a;
  for (double a = 0; a < 6.28; a += 0.7) EXPECT_TRUE(InkNear(im, v, 120 + 30 * std::cos(a), 60 + 30 * std::sin(a))) << a;
  EXPECT_FALSE(InkNear(im, v, 120, 60, 3));
  // The bulged segment: on the half circle, not on its chord.
  EXPECT_TRUE(InkNear(im, v, -50, -150));
  EXPECT_FALSE(InkNear(im, v, -50, -100, 2));
  EXPECT_FALSE(InkNear(im, v, -50, -50, 2));
}

struct TextCase {
  const char* name;
  double rotation;
  int alignment;
};

TEST(DrawingViewTest, TextsInTheirHeightRotationAndAlignment) {
  const TextCase cases[] = {
      {"left", 0, cad::kAlignLeft},
      {"turned 90", std::numbers::pi / 2, cad::kAlignLeft},
      {"turned 30", std::numbers::pi / 6, cad::kAlignLeft},
      {"middle centre", 0, cad::kAlignMiddleCenter},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    cad::Database db;
    cad::TextData t;
    t.text = "EEEEEEE";
    t.height = 20;
    t.rotation = c.rotation;
    t.alignment = c.alignment;
    t.insertion = t.alignment_point = {0, 0, 0};
    db.Add(t);
    const cad::TextData& stored = *db.LastEntity()->as<cad::TextData>();
    const ViewTransform v = UnitView();
    const QImage im = Paint(db, v);
    const QRect ink = InkBox(im);
    ASSERT_FALSE(ink.isNull());
    // Ink along the baseline direction, none behind the start or below it.
    const double cs = std::cos(c.rotation), sn = std::sin(c.rotation);
    const auto& o = stored.insertion;
    auto at = [&](double along, double up) { return std::pair{o.x + cs * along - sn * up, o.y + sn * along + cs * up}; };
    int inside = 0;
    for (double along = 2; along < 60; along += 2) {
      auto [x, y] = at(along, 10);
      inside += InkNear(im, v, x, y, 2);
    }
    EXPECT_GT(inside, 15);
    for (auto [along, up] : {std::pair{-15.0, 10.0}, {30.0, -15.0}, {30.0, 35.0}}) {
      auto [x, y] = at(along, up);
      EXPECT_FALSE(InkNear(im, v, x, y, 2)) << along << "," << up;
    }
    if (c.rotation == 0) {
      // Capitals stand the text's height above the baseline.
      const QPointF base = v.ToScreen(o.x, o.y);
      EXPECT_NEAR(base.y() - ink.top(), 20, 2.5);
    }
    if (c.rotation == std::numbers::pi / 2) {
      EXPECT_GT(ink.height(), 3 * ink.width());  // runs up the picture
      EXPECT_LT(ink.bottom(), v.ToScreen(0, 0).y() + 2);
    }
    if (c.alignment == cad::kAlignMiddleCenter) {
      EXPECT_NEAR(ink.center().x(), kSize.width() / 2, 4);
      EXPECT_NEAR(ink.center().y(), kSize.height() / 2, 4);
    }
  }
}

TEST(DrawingViewTest, FitTextSpansItsTwoPoints) {
  cad::Database db;
  cad::TextData t;
  t.text = "12";
  t.height = 10;
  t.alignment = cad::kAlignFit;
  t.insertion = {-150, 0, 0};
  t.alignment_point = {150, 0, 0};
  db.Add(t);
  const QImage im = Paint(db);
  const QRect ink = InkBox(im);
  ASSERT_FALSE(ink.isNull());
  EXPECT_GT(ink.width(), 250);  // less the glyphs' side bearings
  EXPECT_LT(ink.width(), 305);
}

TEST(DrawingViewTest, BlockReferencesArePlacedAndSelfReferenceEnds) {
  cad::Database db;
  cad::Block& b = db.AddBlock("MARK", {10, 10, 0});
  cad::Entity line;
  line.data = cad::LineData{{10, 10, 0}, {30, 10, 0}};  // 20 units along +x from the origin
  b.entities.emplace(db.NextId(), line);
  cad::Entity self;
  self.data = cad::BlockRefData{"MARK", {0, 0, 0}, 1, 0};
  b.entities.emplace(db.NextId(), self);
  db.InsertBlock("MARK", {-50, -20, 0}, 2, std::numbers::pi / 2);  // runs 40 units up
  db.Add(cad::BlockRefData{"MISSING", {0, 0, 0}, 1, 0});
  const ViewTransform v = UnitView();
  const QImage im = Paint(db, v);
  for (double up : {0.0, 20.0, 40.0}) EXPECT_TRUE(InkNear(im, v, -50, -20 + up)) << up;
  EXPECT_FALSE(InkNear(im, v, -10, -20, 2));  // the unplaced direction
  EXPECT_FALSE(InkNear(im, v, -50, 30, 2));
}

TEST(DrawingViewTest, LeaderHasAFilledArrowAtItsTip) {
  cad::Database db;
  cad::LeaderData ld;
  ld.vertices = {{0, 0, 0}, {100, 0, 0}, {100, 50, 0}};
  ld.arrow_size = 30;
  db.Add(ld);
  cad::LeaderData plain = ld;
  plain.arrow_block = "_NONE";
  for (auto& p : plain.vertices) p.y -= 100;
  db.Add(plain);
  const ViewTransform v = UnitView();
  const QImage im = Paint(db, v);
  EXPECT_TRUE(InkNear(im, v, 100, 25));
  // Inside the head, off the shaft: filled. The plain leader has none.
  EXPECT_TRUE(InkNear(im, v, 20, 3, 0));
  EXPECT_TRUE(InkNear(im, v, 20, -3, 0));
  EXPECT_FALSE(InkNear(im, v, 20, -97, 0));
  EXPECT_FALSE(InkNear(im, v, 40, 8, 1));  // beyond the head's length
}

TEST(DrawingViewTest, RenderDrawingShowsTheWholeDrawing) {
  cad::Database db;
  db.AddPolyline({{20000, 15000}, {26000, 15000}, {26000, 19000}, {20000, 19000}}, true);
  App();
  const QImage im = RenderDrawing(db, {800, 600});
  const QRect ink = InkBox(im);
  ASSERT_FALSE(ink.isNull());
  EXPECT_NEAR(ink.left(), 20, 2);
  EXPECT_NEAR(ink.right(), 780, 2);
  EXPECT_NEAR(ink.center().y(), 300, 2);
}

}  // namespace
}  // namespace zavin::ui
