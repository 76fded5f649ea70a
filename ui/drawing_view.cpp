#include "ui/drawing_view.h"

#include <QFont>
#include <QFontMetricsF>
#include <QPen>
#include <QPolygonF>
#include <QRectF>
#include <QString>
#include <QTransform>

#include <algorithm>
#include <cmath>
#include <numbers>
#include <stdexcept>
#include <unordered_map>
#include <vector>

#include "cad/db/shapes.h"
#include "ui/fonts.h"

namespace zavin::ui {

namespace {

constexpr std::size_t kMaxNesting = 16;  // as deep as the host's selection follows blocks
// Farthest a screen coordinate may lie before lines are clipped by hand: the
// raster engine's fixed-point coordinates overflow well before 2^23.
constexpr double kSafeCoord = 1e5;
// Texts whose cap height is below this many pixels are drawn as their baseline.
constexpr double kGreekPx = 2.0;
// Largest distance, in pixels, between a flattened curve and the true one.
constexpr double kCurveTolerancePx = 0.25;

bool Finite(double v) { return std::isfinite(v); }

struct Box {
  double x0 = 0, y0 = 0, x1 = 0, y1 = 0;
  bool valid = false;
  void Add(double x, double y) {
    if (!valid) {
      x0 = x1 = x;
      y0 = y1 = y;
      valid = true;
    } else {
      x0 = std::min(x0, x);
      x1 = std::max(x1, x);
      y0 = std::min(y0, y);
      y1 = std::max(y1, y);
    }
  }
  void Add(const Box& b) {
    if (!b.valid) return;
    Add(b.x0, b.y0);
    Add(b.x1, b.y1);
  }
  void Grow(double d) {
    x0 -= d;
    y0 -= d;
    x1 += d;
    y1 += d;
  }
};

// The map from a block's own coordinates to those of the reference's owner:
// p' = to + R(rotation) * scale * (p - from).
QTransform Placement(const cad::Block& b, const cad::BlockRefData& r) {
  const double c = std::cos(r.rotation) * r.scale, s = std::sin(r.rotation) * r.scale;
  const double fx = b.origin.x, fy = b.origin.y;
  return QTransform(c, s, -s, c, r.insertion.x - (c * fx - s * fy), r.insertion.y - (s * fx + c * fy));
}

// How many pixels one drawing unit spans under `m` (uniform scales only).
double PixelScale(const QTransform& m) { return std::sqrt(std::fabs(m.determinant())); }

// Text box width: the two points of aligned and fit texts, else the host's
// character model.
double BoxWidth(const cad::TextData& t) {
  if (t.alignment == cad::kAlignAligned || t.alignment == cad::kAlignFit) {
    const double d = std::hypot(t.alignment_point.x - t.insertion.x, t.alignment_point.y - t.insertion.y);
    if (d > 0) return d;
  }
  return cad::TextWidth(t);
}

// Where in its box a text of natural width sits: 0 left, 0.5 centred, 1 right.
double HorizontalFraction(int alignment) {
  switch (alignment) {
    case cad::kAlignCenter: case cad::kAlignMiddle: case cad::kAlignTopCenter:
    case cad::kAlignMiddleCenter: case cad::kAlignBottomCenter:
      return 0.5;
    case cad::kAlignRight: case cad::kAlignTopRight: case cad::kAlignMiddleRight:
    case cad::kAlignBottomRight:
      return 1;
    default:
      return 0;
  }
}

class Painter {
 public:
  Painter(QPainter& p, const cad::Database& db, const ViewTransform& view)
      : p_(p), db_(db), font_(TextFont()), metrics_(font_) {
    viewport_ = {0, 0, static_cast<double>(view.size.width()), static_cast<double>(view.size.height()), true};
    viewport_.Grow(2);
    cap_ = metrics_.capHeight();
    if (!(cap_ > 0)) cap_ = metrics_.ascent() * 0.7;
    base_ = QTransform(view.scale, 0, 0, -view.scale, view.size.width() / 2.0 - view.center_x * view.scale,
                       view.size.height() / 2.0 + view.center_y * view.scale);
  }

  void Run() {
    p_.save();
    p_.setRenderHint(QPainter::Antialiasing, true);
    p_.setRenderHint(QPainter::TextAntialiasing, true);
    p_.setPen(pen_);
    p_.setBrush(Qt::NoBrush);
    p_.setFont(font_);
    std::vector<const cad::Block*> open;
    for (const auto& [id, e] : db_.model_space()) Entity(e, base_, open);
    p_.restore();
  }

 private:
  static QFont TextFont() {
    QFont f;
    f.setFamilies({QString::fromLatin1(kJapaneseSubstitute)});
    f.setPixelSize(100);
    f.setHintingPreference(QFont::PreferNoHinting);
    return f;
  }

  // Bounding box of an entity in its owner's coordinates; blocks are cached.
  Box Bounds(const cad::Entity& e, std::vector<const cad::Block*>& open) {
    Box b;
    if (auto* l = e.as<cad::LineData>()) {
      b.Add(l->start.x, l->start.y);
      b.Add(l->end.x, l->end.y);
    } else if (auto* pl = e.as<cad::PolylineData>()) {
      for (const auto& [x, y] : pl->vertices) b.Add(x, y);
      if (pl->HasBulges()) {
        const std::size_t n = pl->vertices.size();
        for (std::size_t i = 0; i < n; ++i) {
          if (i + 1 >= n && !pl->closed) break;
          const auto& a = pl->vertices[i];
          const auto& c = pl->vertices[(i + 1) % n];
          if (auto arc = cad::BulgeArc({a.first, a.second}, {c.first, c.second}, pl->Bulge(i))) {
            b.Add(arc->c.x - arc->r, arc->c.y - arc->r);
            b.Add(arc->c.x + arc->r, arc->c.y + arc->r);
          }
        }
      }
    } else if (auto* t = e.as<cad::TextData>()) {
      // The box of the host's character model, widened for fonts that run longer.
      const double w = BoxWidth(*t), h = t->height;
      const double c = std::cos(t->rotation), s = std::sin(t->rotation);
      for (double x : {-0.5 * w, 1.5 * w})
        for (double y : {-0.5 * h, 1.5 * h}) b.Add(t->insertion.x + c * x - s * y, t->insertion.y + s * x + c * y);
    } else if (auto* ci = e.as<cad::CircleData>()) {
      b.Add(ci->center.x - ci->radius, ci->center.y - ci->radius);
      b.Add(ci->center.x + ci->radius, ci->center.y + ci->radius);
    } else if (auto* a = e.as<cad::ArcData>()) {
      b.Add(a->center.x - a->radius, a->center.y - a->radius);
      b.Add(a->center.x + a->radius, a->center.y + a->radius);
    } else if (auto* pt = e.as<cad::PointData>()) {
      b.Add(pt->position.x, pt->position.y);
    } else if (auto* ld = e.as<cad::LeaderData>()) {
      for (const auto& v : ld->vertices) b.Add(v.x, v.y);
      if (b.valid && ld->HasArrow()) b.Grow(std::fabs(ld->arrow_size));
    } else if (auto* br = e.as<cad::BlockRefData>()) {
      const cad::Block* blk = db_.FindBlock(br->name);
      if (!blk || open.size() >= kMaxNesting || std::find(open.begin(), open.end(), blk) != open.end())
        return b;
      const Box inner = BlockBounds(*blk, open);
      if (!inner.valid) return b;
      const QTransform m = Placement(*blk, *br);
      for (double x : {inner.x0, inner.x1})
        for (double y : {inner.y0, inner.y1}) {
          const QPointF q = m.map(QPointF(x, y));
          b.Add(q.x(), q.y());
        }
    }
    return b;
  }

  Box BlockBounds(const cad::Block& blk, std::vector<const cad::Block*>& open) {
    // Only top-level results are cached: a block's box seen from inside a
    // cycle leaves out the part that is not followed again.
    const bool cacheable = open.empty();
    if (cacheable) {
      if (auto it = block_boxes_.find(&blk); it != block_boxes_.end()) return it->second;
    }
    Box b;
    open.push_back(&blk);
    for (const auto& [id, child] : blk.entities) b.Add(Bounds(child, open));
    open.pop_back();
    if (cacheable) block_boxes_[&blk] = b;
    return b;
  }

  bool Visible(const Box& local, const QTransform& m) const {
    if (!local.valid) return false;
    Box s;
    for (double x : {local.x0, local.x1})
      for (double y : {local.y0, local.y1}) {
        const QPointF q = m.map(QPointF(x, y));
        s.Add(q.x(), q.y());
      }
    // Written so that a NaN anywhere reads as not visible.
    return s.x1 >= viewport_.x0 && s.x0 <= viewport_.x1 && s.y1 >= viewport_.y0 && s.y0 <= viewport_.y1;
  }

  void Entity(const cad::Entity& e, const QTransform& m, std::vector<const cad::Block*>& open) {
    if (!Visible(Bounds(e, open), m)) return;
    if (auto* l = e.as<cad::LineData>()) {
      Line(m.map(QPointF(l->start.x, l->start.y)), m.map(QPointF(l->end.x, l->end.y)));
    } else if (auto* pl = e.as<cad::PolylineData>()) {
      Polyline(*pl, m);
    } else if (auto* t = e.as<cad::TextData>()) {
      Text(*t, m);
    } else if (auto* ci = e.as<cad::CircleData>()) {
      Arc({{ci->center.x, ci->center.y}, ci->radius, 0, 2 * std::numbers::pi}, m, true);
    } else if (auto* a = e.as<cad::ArcData>()) {
      Arc(cad::ArcOf(*a), m, false);
    } else if (auto* ld = e.as<cad::LeaderData>()) {
      Leader(*ld, m);
    } else if (auto* pt = e.as<cad::PointData>()) {
      PointMark(m.map(QPointF(pt->position.x, pt->position.y)));
    } else if (auto* br = e.as<cad::BlockRefData>()) {
      const cad::Block* blk = db_.FindBlock(br->name);
      if (!blk) return;
      const QTransform inner = Placement(*blk, *br) * m;
      open.push_back(blk);
      for (const auto& [id, child] : blk->entities) Entity(child, inner, open);
      open.pop_back();
    }
  }

  // Liang-Barsky against the (grown) viewport; false when nothing is left.
  bool Clip(QPointF& a, QPointF& b) const {
    double t0 = 0, t1 = 1;
    const double dx = b.x() - a.x(), dy = b.y() - a.y();
    const double p[4] = {-dx, dx, -dy, dy};
    const double q[4] = {a.x() - viewport_.x0, viewport_.x1 - a.x(), a.y() - viewport_.y0, viewport_.y1 - a.y()};
    for (int i = 0; i < 4; ++i) {
      if (p[i] == 0) {
        if (q[i] < 0) return false;
        continue;
      }
      const double r = q[i] / p[i];
      if (p[i] < 0) t0 = std::max(t0, r);
      else t1 = std::min(t1, r);
      if (t0 > t1) return false;
    }
    const QPointF a0 = a;
    a = a0 + QPointF(dx, dy) * t0;
    b = a0 + QPointF(dx, dy) * t1;
    return true;
  }

  static bool Safe(QPointF q) { return std::fabs(q.x()) < kSafeCoord && std::fabs(q.y()) < kSafeCoord; }

  void Line(QPointF a, QPointF b) {
    if (!Finite(a.x()) || !Finite(a.y()) || !Finite(b.x()) || !Finite(b.y())) return;
    if (!(Safe(a) && Safe(b)) && !Clip(a, b)) return;
    if (a == b) p_.drawPoint(a);
    else p_.drawLine(a, b);
  }

  // A point entity: a small cross of fixed size on the screen.
  void PointMark(QPointF q) {
    if (!Finite(q.x()) || !Finite(q.y()) || !Safe(q)) return;
    constexpr double kArm = 3;
    p_.drawLine(q - QPointF(kArm, kArm), q + QPointF(kArm, kArm));
    p_.drawLine(q - QPointF(kArm, -kArm), q + QPointF(kArm, -kArm));
  }

  // Screen points; clipped segment by segment when any lies far off-screen.
  void Points(const QPolygonF& pts) {
    if (pts.isEmpty()) return;
    if (pts.size() == 1) return Line(pts[0], pts[0]);
    bool safe = true;
    for (const QPointF& q : pts) safe = safe && Safe(q);
    if (safe) {
      p_.drawPolyline(pts);
      return;
    }
    for (qsizetype i = 0; i + 1 < pts.size(); ++i) Line(pts[i], pts[i + 1]);
  }

  // Appends the arc's points (the first one left out when `skip_first`).
  void AppendArc(const cad::ArcGeom& g, const QTransform& m, QPolygonF& out, bool skip_first) const {
    const double r_px = std::fabs(g.r) * PixelScale(m);
    double step = 2 * std::numbers::pi;
    if (r_px > kCurveTolerancePx) step = 2 * std::acos(1 - kCurveTolerancePx / r_px);
    const double turns = std::ceil(std::fabs(g.sweep) / std::max(step, 1e-9));
    const int n = Finite(turns) ? std::clamp(static_cast<int>(turns), 1, 4096) : 1;
    for (int i = skip_first ? 1 : 0; i <= n; ++i) {
      const double t = g.start + g.sweep * i / n;
      out.append(m.map(QPointF(g.c.x + g.r * std::cos(t), g.c.y + g.r * std::sin(t))));
    }
  }

  void Arc(const cad::ArcGeom& g, const QTransform& m, bool full) {
    if (std::fabs(g.r) * PixelScale(m) < 0.5) return Line(m.map(QPointF(g.c.x, g.c.y)), m.map(QPointF(g.c.x, g.c.y)));
    QPolygonF pts;
    AppendArc(g, m, pts, false);
    if (full && !pts.isEmpty()) pts.back() = pts.front();
    Points(pts);
  }

  void Polyline(const cad::PolylineData& pl, const QTransform& m) {
    const auto& v = pl.vertices;
    if (v.empty()) return;
    QPolygonF pts;
    pts.reserve(static_cast<qsizetype>(v.size()) + 1);
    const std::size_t segments = pl.closed && v.size() > 1 ? v.size() : v.size() - 1;
    pts.append(m.map(QPointF(v[0].first, v[0].second)));
    for (std::size_t i = 0; i < segments; ++i) {
      const auto& a = v[i];
      const auto& b = v[(i + 1) % v.size()];
      if (auto arc = cad::BulgeArc({a.first, a.second}, {b.first, b.second}, pl.Bulge(i)))
        AppendArc(*arc, m, pts, true);
      else
        pts.append(m.map(QPointF(b.first, b.second)));
    }
    Points(pts);
  }

  void Leader(const cad::LeaderData& ld, const QTransform& m) {
    const auto& v = ld.vertices;
    if (v.empty()) return;
    QPolygonF pts;
    for (const auto& q : v) pts.append(m.map(QPointF(q.x, q.y)));
    Points(pts);
    if (!ld.HasArrow() || v.size() < 2) return;
    // The closed filled arrow: tip at the first vertex, pointing away from the
    // second, a third as wide as it is long.
    const double dx = v[0].x - v[1].x, dy = v[0].y - v[1].y, len = std::hypot(dx, dy);
    const double size = std::fabs(ld.arrow_size);
    if (!(len > 0) || !(size > 0) || !Finite(size)) return;
    const double ux = dx / len, uy = dy / len, half = size / 6;
    const QPointF tip(v[0].x, v[0].y);
    const QPointF back(v[0].x - ux * size, v[0].y - uy * size);
    QPolygonF head{m.map(tip), m.map(back + QPointF(-uy, ux) * half), m.map(back - QPointF(-uy, ux) * half)};
    for (const QPointF& q : head)
      if (!Safe(q)) return;  // only visible when zoomed so far in that the shaft says enough
    p_.setBrush(Qt::black);
    p_.drawPolygon(head);
    p_.setBrush(Qt::NoBrush);
  }

  void Text(const cad::TextData& t, const QTransform& m) {
    if (t.text.empty() || !(t.height > 0) || !Finite(t.height) || !Finite(t.rotation)) return;
    const double w = BoxWidth(t);
    const double c = std::cos(t.rotation), s = std::sin(t.rotation);
    const double cap_px = t.height * PixelScale(m);
    if (cap_px < kGreekPx) {
      Line(m.map(QPointF(t.insertion.x, t.insertion.y)), m.map(QPointF(t.insertion.x + c * w, t.insertion.y + s * w)));
      return;
    }
    const QString text = QString::fromStdString(t.text);
    const double k = t.height / cap_;  // drawing units per font pixel
    const double natural = metrics_.horizontalAdvance(text) * k;
    if (!(natural > 0)) return;
    double stretch = 1, offset = 0;
    if (t.alignment == cad::kAlignAligned || t.alignment == cad::kAlignFit) stretch = w / natural;
    else offset = HorizontalFraction(t.alignment) * (w - natural);
    // Font pixels (x right, y down, baseline at 0) to the owner's coordinates.
    const double ox = t.insertion.x + c * offset, oy = t.insertion.y + s * offset;
    const QTransform glyphs(c * k * stretch, s * k * stretch, s * k, -c * k, ox, oy);
    p_.save();
    p_.setTransform(glyphs * m);
    p_.drawText(QPointF(0, 0), text);
    p_.restore();
  }

  QPainter& p_;
  const cad::Database& db_;
  QFont font_;
  QFontMetricsF metrics_;
  QPen pen_{Qt::black, 0};
  double cap_ = 70;
  QTransform base_;
  Box viewport_;
  std::unordered_map<const cad::Block*, Box> block_boxes_;
};

}  // namespace

QPointF ViewTransform::ToScreen(double x, double y) const {
  return {size.width() / 2.0 + (x - center_x) * scale, size.height() / 2.0 - (y - center_y) * scale};
}

std::pair<double, double> ViewTransform::ToWorld(QPointF p) const {
  return {center_x + (p.x() - size.width() / 2.0) / scale, center_y - (p.y() - size.height() / 2.0) / scale};
}

ViewTransform ViewTransform::Fit(const cad::Point3& lo, const cad::Point3& hi, QSize size, int margin) {
  ViewTransform v;
  v.size = size;
  const double avail_w = std::max(1, size.width() - 2 * margin);
  const double avail_h = std::max(1, size.height() - 2 * margin);
  if (!Finite(lo.x) || !Finite(lo.y) || !Finite(hi.x) || !Finite(hi.y)) return v;
  v.center_x = (lo.x + hi.x) / 2;
  v.center_y = (lo.y + hi.y) / 2;
  const double dx = std::fabs(hi.x - lo.x), dy = std::fabs(hi.y - lo.y);
  // A box with no width (or height) is fitted by its other side; a point
  // shows ten units across the height.
  constexpr double kTiny = 1e-12;
  double scale = 0;
  if (dx > kTiny && dy > kTiny) scale = std::min(avail_w / dx, avail_h / dy);
  else if (dx > kTiny) scale = avail_w / dx;
  else if (dy > kTiny) scale = avail_h / dy;
  else scale = avail_h / 10;
  if (Finite(scale) && scale > 0) v.scale = scale;
  return v;
}

ViewTransform ViewTransform::Extents(const cad::Database& db, QSize size, int margin) {
  if (auto ext = db.Extents()) return Fit(ext->first, ext->second, size, margin);
  // The host's own view: VIEWCTR at the middle, VIEWSIZE units high.
  // Read through a held copy: Database::GetPointVar keeps a reference to the
  // temporary it reads.
  const platform::Variant ctr = db.GetVar("VIEWCTR");
  const double h = db.GetVar("VIEWSIZE").ToDouble();
  ViewTransform v;
  v.size = size;
  if (ctr.is_array() && ctr.array().items.size() >= 2) {
    const double x = ctr.array().items[0].ToDouble(), y = ctr.array().items[1].ToDouble();
    if (Finite(x) && Finite(y)) {
      v.center_x = x;
      v.center_y = y;
    }
  }
  if (Finite(h) && h > 0 && size.height() > 0) v.scale = size.height() / h;
  return v;
}

void PaintDrawing(QPainter& painter, const cad::Database& db, const ViewTransform& view) {
  painter.fillRect(QRect(QPoint(0, 0), view.size), Qt::white);
  if (!(view.scale > 0) || !Finite(view.scale) || !Finite(view.center_x) || !Finite(view.center_y)) return;
  Painter(painter, db, view).Run();
}

QImage RenderDrawing(const cad::Database& db, QSize size) {
  QImage image(size, QImage::Format_ARGB32_Premultiplied);
  if (image.isNull()) return image;
  QPainter painter(&image);
  PaintDrawing(painter, db, ViewTransform::Extents(db, size));
  painter.end();
  return image;
}

void WriteDrawingPicture(const cad::Database& db, const std::filesystem::path& png, QSize size) {
  const QImage image = RenderDrawing(db, size);
  if (image.isNull()) throw std::runtime_error("no picture of that size");
  if (!image.save(QString::fromStdString(png.string()), "PNG"))
    throw std::runtime_error("the file cannot be written");
}

}  // namespace zavin::ui
