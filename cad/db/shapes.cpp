#include "cad/db/shapes.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <numbers>

namespace zavin::cad {

namespace {

constexpr std::size_t kMaxNesting = 16;

P2 Transform(P2 p, P2 from, double scale, double rotation, P2 to) {
  const double c = std::cos(rotation), s = std::sin(rotation);
  const double x = (p.x - from.x) * scale, y = (p.y - from.y) * scale;
  return {to.x + c * x - s * y, to.y + s * x + c * y};
}

// `open` holds the blocks being expanded, so a block that (indirectly)
// contains itself is drawn once and not followed further.
void Collect(const Database& db, const Entity& e, std::vector<const Block*>& open, Shapes& out) {
  if (auto* l = e.as<LineData>()) {
    out.segments.push_back({{l->start.x, l->start.y}, {l->end.x, l->end.y}});
  } else if (auto* pl = e.as<PolylineData>()) {
    const auto& v = pl->vertices;
    if (!pl->HasBulges()) {
      for (std::size_t i = 0; i + 1 < v.size(); ++i)
        out.segments.push_back({{v[i].first, v[i].second}, {v[i + 1].first, v[i + 1].second}});
      if (pl->closed && v.size() > 2)
        out.segments.push_back({{v.back().first, v.back().second}, {v[0].first, v[0].second}});
    } else {
      std::vector<P2> f = FlattenPolyline(*pl);
      if (pl->closed && !f.empty()) f.push_back(f.front());
      for (std::size_t i = 0; i + 1 < f.size(); ++i) out.segments.push_back({f[i], f[i + 1]});
    }
    if (v.size() == 1) out.segments.push_back({{v[0].first, v[0].second}, {v[0].first, v[0].second}});
  } else if (auto* arc = e.as<ArcData>()) {
    const std::vector<P2> f = ArcPoints(ArcOf(*arc));
    for (std::size_t i = 0; i + 1 < f.size(); ++i) out.segments.push_back({f[i], f[i + 1]});
  } else if (auto* ld = e.as<LeaderData>()) {
    const auto& v = ld->vertices;
    for (std::size_t i = 0; i + 1 < v.size(); ++i)
      out.segments.push_back({{v[i].x, v[i].y}, {v[i + 1].x, v[i + 1].y}});
    if (v.size() == 1) out.segments.push_back({{v[0].x, v[0].y}, {v[0].x, v[0].y}});
  } else if (auto* pt = e.as<PointData>()) {
    out.segments.push_back({{pt->position.x, pt->position.y}, {pt->position.x, pt->position.y}});
  } else if (auto* t = e.as<TextData>()) {
    auto c = TextCorners(*t);
    out.boxes.push_back({P2{c[0].first, c[0].second}, P2{c[1].first, c[1].second},
                         P2{c[2].first, c[2].second}, P2{c[3].first, c[3].second}});
  } else if (auto* ci = e.as<CircleData>()) {
    out.circles.push_back({{ci->center.x, ci->center.y}, ci->radius});
  } else if (auto* br = e.as<BlockRefData>()) {
    const Block* b = db.FindBlock(br->name);
    if (!b || open.size() >= kMaxNesting || std::find(open.begin(), open.end(), b) != open.end())
      return;
    Shapes inner;
    open.push_back(b);
    for (const auto& [id, child] : b->entities) Collect(db, child, open, inner);
    open.pop_back();
    const P2 from{b->origin.x, b->origin.y}, to{br->insertion.x, br->insertion.y};
    auto tf = [&](P2 p) { return Transform(p, from, br->scale, br->rotation, to); };
    for (auto& s : inner.segments) out.segments.push_back({tf(s.a), tf(s.b)});
    for (auto& c : inner.circles) out.circles.push_back({tf(c.c), c.r * std::fabs(br->scale)});
    for (auto& q : inner.boxes) out.boxes.push_back({tf(q[0]), tf(q[1]), tf(q[2]), tf(q[3])});
  }
}

bool InRect(P2 p, const Rect& r) {
  return p.x >= r.x0 && p.x <= r.x1 && p.y >= r.y0 && p.y <= r.y1;
}

double SegmentDistance(P2 p, P2 a, P2 b) {
  const double dx = b.x - a.x, dy = b.y - a.y;
  const double len2 = dx * dx + dy * dy;
  double t = len2 > 0 ? ((p.x - a.x) * dx + (p.y - a.y) * dy) / len2 : 0;
  t = std::clamp(t, 0.0, 1.0);
  return std::hypot(p.x - (a.x + t * dx), p.y - (a.y + t * dy));
}

// Point in a convex quadrilateral of either winding (boundary included).
bool InQuad(P2 p, const Quad& q) {
  bool pos = false, neg = false;
  for (int i = 0; i < 4; ++i) {
    const P2 a = q[i], b = q[(i + 1) % 4];
    const double cross = (b.x - a.x) * (p.y - a.y) - (b.y - a.y) * (p.x - a.x);
    if (cross > 0) pos = true;
    if (cross < 0) neg = true;
  }
  return !(pos && neg);
}

bool CircleTouchesRect(const CircleCurve& c, const Rect& r) {
  const double nx = std::clamp(c.c.x, r.x0, r.x1), ny = std::clamp(c.c.y, r.y0, r.y1);
  const double nearest = std::hypot(c.c.x - nx, c.c.y - ny);
  const double fx = std::max(std::fabs(c.c.x - r.x0), std::fabs(c.c.x - r.x1));
  const double fy = std::max(std::fabs(c.c.y - r.y0), std::fabs(c.c.y - r.y1));
  const double farthest = std::hypot(fx, fy);
  // The curve, not the disc: a rectangle wholly inside the circle misses it.
  return nearest <= c.r && farthest >= c.r;
}

bool QuadTouchesRect(const Quad& q, const Rect& r) {
  for (int i = 0; i < 4; ++i)
    if (SegmentTouchesRect(q[i], q[(i + 1) % 4], r)) return true;
  return InQuad({r.x0, r.y0}, q);
}

}  // namespace

std::optional<ArcGeom> BulgeArc(P2 a, P2 b, double bulge) {
  const double dx = b.x - a.x, dy = b.y - a.y;
  const double d = std::hypot(dx, dy);
  if (bulge == 0 || !std::isfinite(bulge) || d == 0) return std::nullopt;
  // Centre on the chord's left normal at h = (d/2)(1 - b^2)/(2b) from its midpoint.
  const double h = d / 2 * (1 - bulge * bulge) / (2 * bulge);
  const P2 c{(a.x + b.x) / 2 - dy / d * h, (a.y + b.y) / 2 + dx / d * h};
  const double r = std::hypot(a.x - c.x, a.y - c.y);
  return ArcGeom{c, r, std::atan2(a.y - c.y, a.x - c.x), 4 * std::atan(bulge)};
}

ArcGeom ArcOf(const ArcData& a) {
  constexpr double kTurn = 2 * std::numbers::pi;
  double sweep = std::fmod(a.end_angle - a.start_angle, kTurn);
  if (sweep <= 0) sweep += kTurn;
  return {{a.center.x, a.center.y}, a.radius, a.start_angle, sweep};
}

std::vector<P2> ArcPoints(const ArcGeom& g) {
  constexpr double kStep = std::numbers::pi / 90;
  const double turns = std::ceil(std::fabs(g.sweep) / kStep);
  const int n = std::isfinite(turns) ? std::clamp(static_cast<int>(turns), 1, 4096) : 1;
  std::vector<P2> out;
  out.reserve(n + 1);
  for (int i = 0; i <= n; ++i) {
    const double t = g.start + g.sweep * i / n;
    out.push_back({g.c.x + g.r * std::cos(t), g.c.y + g.r * std::sin(t)});
  }
  return out;
}

std::vector<P2> FlattenPolyline(const PolylineData& p) {
  std::vector<P2> out;
  const auto& v = p.vertices;
  const std::size_t segments = p.closed ? v.size() : (v.empty() ? 0 : v.size() - 1);
  for (std::size_t i = 0; i < v.size(); ++i) {
    const P2 a{v[i].first, v[i].second};
    out.push_back(a);
    if (i >= segments) continue;
    const auto& nb = v[(i + 1) % v.size()];
    if (auto arc = BulgeArc(a, {nb.first, nb.second}, p.Bulge(i))) {
      std::vector<P2> pts = ArcPoints(*arc);
      // Interior points only; the segment's ends are the vertices themselves.
      out.insert(out.end(), pts.begin() + 1, pts.end() - 1);
    }
  }
  return out;
}

Rect Rect::FromCorners(P2 a, P2 b) {
  return {std::min(a.x, b.x), std::min(a.y, b.y), std::max(a.x, b.x), std::max(a.y, b.y)};
}

Rect Rect::Around(P2 p, double half) { return {p.x - half, p.y - half, p.x + half, p.y + half}; }

Shapes ShapesOf(const Database& db, const Entity& e) {
  Shapes s;
  std::vector<const Block*> open;
  Collect(db, e, open, s);
  return s;
}

// Liang-Barsky clipping: the segment touches the rectangle when some part
// survives the clip.
bool SegmentTouchesRect(P2 a, P2 b, const Rect& r) {
  double t0 = 0, t1 = 1;
  const double dx = b.x - a.x, dy = b.y - a.y;
  const double p[4] = {-dx, dx, -dy, dy};
  const double q[4] = {a.x - r.x0, r.x1 - a.x, a.y - r.y0, r.y1 - a.y};
  for (int i = 0; i < 4; ++i) {
    if (p[i] == 0) {
      if (q[i] < 0) return false;
      continue;
    }
    const double t = q[i] / p[i];
    if (p[i] < 0) {
      if (t > t1) return false;
      t0 = std::max(t0, t);
    } else {
      if (t < t0) return false;
      t1 = std::min(t1, t);
    }
  }
  return t0 <= t1;
}

bool Crosses(const Shapes& s, const Rect& r) {
  for (const auto& g : s.segments)
    if (SegmentTouchesRect(g.a, g.b, r)) return true;
  for (const auto& c : s.circles)
    if (CircleTouchesRect(c, r)) return true;
  for (const auto& q : s.boxes)
    if (QuadTouchesRect(q, r)) return true;
  return false;
}

bool Inside(const Shapes& s, const Rect& r) {
  P2 lo, hi;
  return Bounds(s, lo, hi) && InRect(lo, r) && InRect(hi, r);
}

double DistanceTo(const Shapes& s, P2 p) {
  double best = std::numeric_limits<double>::infinity();
  for (const auto& g : s.segments) best = std::min(best, SegmentDistance(p, g.a, g.b));
  for (const auto& c : s.circles) best = std::min(best, std::fabs(std::hypot(p.x - c.c.x, p.y - c.c.y) - c.r));
  for (const auto& q : s.boxes) {
    if (InQuad(p, q)) return 0;
    for (int i = 0; i < 4; ++i) best = std::min(best, SegmentDistance(p, q[i], q[(i + 1) % 4]));
  }
  return best;
}

bool Bounds(const Shapes& s, P2& lo, P2& hi) {
  if (s.empty()) return false;
  constexpr double inf = std::numeric_limits<double>::infinity();
  lo = {inf, inf};
  hi = {-inf, -inf};
  auto add = [&](P2 p) {
    lo = {std::min(lo.x, p.x), std::min(lo.y, p.y)};
    hi = {std::max(hi.x, p.x), std::max(hi.y, p.y)};
  };
  for (const auto& g : s.segments) {
    add(g.a);
    add(g.b);
  }
  for (const auto& c : s.circles) {
    add({c.c.x - c.r, c.c.y - c.r});
    add({c.c.x + c.r, c.c.y + c.r});
  }
  for (const auto& q : s.boxes)
    for (const auto& p : q) add(p);
  return true;
}

}  // namespace zavin::cad
