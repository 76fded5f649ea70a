#include "cad/commands/boundary.h"

#include <geos_c.h>

#include <algorithm>
#include <cmath>
#include <limits>
#include <memory>
#include <numbers>

#include "cad/db/database.h"

namespace zavin::cad {

namespace {

constexpr double kTurn = 2 * std::numbers::pi;

struct Box {
  double xmin, ymin, xmax, ymax;
  bool Touches(const BoundaryEdge& e) const {
    return e.hi.x >= xmin && e.lo.x <= xmax && e.hi.y >= ymin && e.lo.y <= ymax;
  }
  bool Holds(const Box& b) const {
    return b.xmin >= xmin && b.xmax <= xmax && b.ymin >= ymin && b.ymax <= ymax;
  }
};

bool Finite(P2 p) { return std::isfinite(p.x) && std::isfinite(p.y); }

P2 At(const ArcGeom& g, double t) { return {g.c.x + g.r * std::cos(t), g.c.y + g.r * std::sin(t)}; }

// Whether direction t (radians) lies on the arc's sweep, ends included.
bool OnSweep(const ArcGeom& g, double t) {
  if (std::fabs(g.sweep) >= kTurn) return true;
  double d = std::fmod(t - g.start, kTurn);
  if (g.sweep >= 0) {
    if (d < 0) d += kTurn;
    return d <= g.sweep;
  }
  if (d > 0) d -= kTurn;
  return d >= g.sweep;
}

// One GEOS context per search; geometries are freed through it.
class Geos {
 public:
  Geos() : ctx_(GEOS_init_r()) {}
  ~Geos() { GEOS_finish_r(ctx_); }
  Geos(const Geos&) = delete;
  Geos& operator=(const Geos&) = delete;
  GEOSContextHandle_t get() const { return ctx_; }

  struct Free {
    GEOSContextHandle_t ctx;
    void operator()(GEOSGeometry* g) const { GEOSGeom_destroy_r(ctx, g); }
    void operator()(GEOSSTRtree* t) const { GEOSSTRtree_destroy_r(ctx, t); }
  };
  using Geom = std::unique_ptr<GEOSGeometry, Free>;
  using Tree = std::unique_ptr<GEOSSTRtree, Free>;
  Geom Own(GEOSGeometry* g) const { return Geom(g, Free{ctx_}); }
  Tree Own(GEOSSTRtree* t) const { return Tree(t, Free{ctx_}); }

 private:
  GEOSContextHandle_t ctx_;
};

// A straight piece handed to GEOS; `curve` indexes the arc it flattens, or -1.
struct Piece {
  P2 a, b;
  int curve = -1;
};

GEOSGeometry* Segment(GEOSContextHandle_t ctx, const Piece& s) {
  GEOSCoordSequence* seq = GEOSCoordSeq_create_r(ctx, 2, 2);
  if (!seq) return nullptr;
  GEOSCoordSeq_setXY_r(ctx, seq, 0, s.a.x, s.a.y);
  GEOSCoordSeq_setXY_r(ctx, seq, 1, s.b.x, s.b.y);
  return GEOSGeom_createLineString_r(ctx, seq);
}

double SegmentDistance(P2 p, P2 a, P2 b) {
  const double dx = b.x - a.x, dy = b.y - a.y, len2 = dx * dx + dy * dy;
  const double t = len2 > 0 ? std::clamp(((p.x - a.x) * dx + (p.y - a.y) * dy) / len2, 0.0, 1.0) : 0.0;
  return std::hypot(p.x - (a.x + t * dx), p.y - (a.y + t * dy));
}

double Distance(const BoundaryEdge& e, P2 p) {
  if (!e.arc) return SegmentDistance(p, e.a, e.b);
  const ArcGeom& g = e.curve;
  if (OnSweep(g, std::atan2(p.y - g.c.y, p.x - g.c.x)))
    return std::fabs(std::hypot(p.x - g.c.x, p.y - g.c.y) - g.r);
  return std::min(std::hypot(p.x - e.a.x, p.y - e.a.y), std::hypot(p.x - e.b.x, p.y - e.b.y));
}

// The signed turn around c from p to q, for points a small step apart.
double Turn(P2 c, P2 p, P2 q) {
  return std::remainder(std::atan2(q.y - c.y, q.x - c.x) - std::atan2(p.y - c.y, p.x - c.x), kTurn);
}

using Ring = std::vector<P2>;

// The exterior ring counter-clockwise, without the closing repeat and
// without repeated vertices.
Ring CounterClockwiseRing(GEOSContextHandle_t ctx, const GEOSGeometry* polygon) {
  const GEOSGeometry* ring = GEOSGetExteriorRing_r(ctx, polygon);
  const GEOSCoordSequence* seq = ring ? GEOSGeom_getCoordSeq_r(ctx, ring) : nullptr;
  unsigned int n = 0;
  if (!seq || GEOSCoordSeq_getSize_r(ctx, seq, &n) != 1) return {};
  Ring raw;
  for (unsigned int i = 0; i + 1 < n; ++i) {  // the last repeats the first
    double x = 0, y = 0;
    GEOSCoordSeq_getXY_r(ctx, seq, i, &x, &y);
    if (raw.empty() || raw.back().x != x || raw.back().y != y) raw.push_back({x, y});
  }
  while (raw.size() > 1 && raw.front().x == raw.back().x && raw.front().y == raw.back().y)
    raw.pop_back();
  double twice_area = 0;
  for (std::size_t i = 0; i < raw.size(); ++i) {
    const P2 p = raw[i], q = raw[(i + 1) % raw.size()];
    twice_area += p.x * q.y - q.x * p.y;
  }
  if (twice_area < 0) std::reverse(raw.begin(), raw.end());
  return raw;
}

struct Found {
  BoundaryOutline outline;
  Box envelope;
};

class FaceFinder {
 public:
  FaceFinder(const Geos& geos, const std::vector<const BoundaryEdge*>& near)
      : geos_(geos), ctx_(geos.get()) {
    for (const BoundaryEdge* e : near) {
      // Ends of arc entities are computed, the others are the user's own.
      const bool exact = !e->arc || e->from_vertices;
      ends_.push_back({e->a, exact});
      ends_.push_back({e->b, exact});
      if (!e->arc) {
        if (e->a.x != e->b.x || e->a.y != e->b.y) pieces_.push_back({e->a, e->b, -1});
        continue;
      }
      const int index = static_cast<int>(curves_.size());
      curves_.push_back(&e->curve);
      std::vector<P2> points = ArcPoints(e->curve);
      points.front() = e->a;  // the bulge's own vertices, where it has them
      points.back() = e->b;
      for (std::size_t i = 0; i + 1 < points.size(); ++i)
        if (points[i].x != points[i + 1].x || points[i].y != points[i + 1].y)
          pieces_.push_back({points[i], points[i + 1], index});
    }
    std::sort(ends_.begin(), ends_.end(), [](const End& l, const End& r) { return l.p.x < r.p.x; });
  }

  // Nodes and polygonizes the pieces, then takes the smallest face holding the point.
  std::optional<Found> SmallestFace(double x, double y) {
    std::vector<GEOSGeometry*> lines;
    lines.reserve(pieces_.size());
    // Geometry i is piece i: the ring's edges are looked up by it.
    for (const Piece& s : pieces_) {
      GEOSGeometry* g = Segment(ctx_, s);
      if (!g) {
        for (GEOSGeometry* made : lines) GEOSGeom_destroy_r(ctx_, made);
        return std::nullopt;
      }
      lines.push_back(g);
    }
    if (lines.empty()) return std::nullopt;
    const Geos::Geom collection = geos_.Own(GEOSGeom_createCollection_r(
        ctx_, GEOS_MULTILINESTRING, lines.data(), static_cast<unsigned int>(lines.size())));
    if (!collection) return std::nullopt;
    // Noding on a fine grid closes the rounding gaps where computed arc ends
    // meet other linework; it moves no vertex by more than 1e-12 of the
    // coordinates' size.
    double scale = 1;
    for (const Piece& p : pieces_)
      scale = std::max({scale, std::fabs(p.a.x), std::fabs(p.a.y), std::fabs(p.b.x), std::fabs(p.b.y)});
    // A power of two, so coordinates on coarser steps stay exactly where they are.
    const double grid = std::exp2(std::floor(std::log2(1e-12 * scale)));
    const Geos::Geom noded = geos_.Own(GEOSUnaryUnionPrec_r(ctx_, collection.get(), grid));
    if (!noded) return std::nullopt;
    const GEOSGeometry* input = noded.get();
    const Geos::Geom faces = geos_.Own(GEOSPolygonize_r(ctx_, &input, 1));
    if (!faces) return std::nullopt;
    const Geos::Geom point = geos_.Own(GEOSGeom_createPointFromXY_r(ctx_, x, y));
    if (!point) return std::nullopt;

    const GEOSGeometry* best = nullptr;
    double best_area = std::numeric_limits<double>::infinity();
    for (int i = 0, n = GEOSGetNumGeometries_r(ctx_, faces.get()); i < n; ++i) {
      const GEOSGeometry* face = GEOSGetGeometryN_r(ctx_, faces.get(), i);
      if (GEOSContains_r(ctx_, face, point.get()) != 1) continue;
      double area = 0;
      if (GEOSArea_r(ctx_, face, &area) != 1) continue;
      if (area < best_area) best = face, best_area = area;
    }
    if (!best) return std::nullopt;
    Found found;
    if (GEOSGeom_getExtent_r(ctx_, best, &found.envelope.xmin, &found.envelope.ymin,
                             &found.envelope.xmax, &found.envelope.ymax) != 1)
      return std::nullopt;
    const Ring ring = CounterClockwiseRing(ctx_, best);
    if (ring.size() < 3) return std::nullopt;
    found.outline = Outline(ring, collection.get());
    if (found.outline.vertices.size() < 2) return std::nullopt;
    return found;
  }

 private:
  // For each ring edge, the curve whose flattened piece holds both its ends, or -1.
  std::vector<int> EdgeCurves(const Ring& ring, const GEOSGeometry* collection, double tol) {
    std::vector<int> tags(ring.size(), -1);
    if (curves_.empty()) return tags;
    const Geos::Tree tree = geos_.Own(GEOSSTRtree_create_r(ctx_, 10));
    if (!tree) return tags;
    for (std::size_t i = 0; i < pieces_.size(); ++i)
      if (pieces_[i].curve >= 0)
        GEOSSTRtree_insert_r(ctx_, tree.get(), GEOSGetGeometryN_r(ctx_, collection, static_cast<int>(i)),
                             &pieces_[i]);
    std::vector<const Piece*> hits;
    auto collect = [](void* item, void* out) {
      static_cast<std::vector<const Piece*>*>(out)->push_back(static_cast<const Piece*>(item));
    };
    for (std::size_t i = 0; i < ring.size(); ++i) {
      const P2 p = ring[i], q = ring[(i + 1) % ring.size()];
      const Geos::Geom probe = geos_.Own(GEOSGeom_createRectangle_r(
          ctx_, std::min(p.x, q.x) - tol, std::min(p.y, q.y) - tol, std::max(p.x, q.x) + tol,
          std::max(p.y, q.y) + tol));
      if (!probe) continue;
      hits.clear();
      GEOSSTRtree_query_r(ctx_, tree.get(), probe.get(), collect, &hits);
      for (const Piece* h : hits)
        if (SegmentDistance(p, h->a, h->b) <= tol && SegmentDistance(q, h->a, h->b) <= tol) {
          tags[i] = h->curve;
          break;
        }
    }
    return tags;
  }

  // The ring with each stretch along one curve made one bulged segment (two
  // above half a turn), collinear straight runs joined, from the lowest vertex.
  BoundaryOutline Outline(const Ring& ring, const GEOSGeometry* collection) {
    double scale = 1;
    for (const P2& p : ring) scale = std::max({scale, std::fabs(p.x), std::fabs(p.y)});
    const double tol = 1e-10 * scale;
    const std::vector<int> tags = EdgeCurves(ring, collection, tol);
    const std::size_t n = ring.size();
    auto same = [&](std::size_t i, std::size_t j) {
      const int a = tags[i % n], b = tags[j % n];
      if (a < 0 || b < 0) return false;
      if (a == b) return true;
      const ArcGeom &g = *curves_[a], &h = *curves_[b];
      const double t = 1e-9 * std::max({scale, g.r, h.r});
      return std::fabs(g.c.x - h.c.x) <= t && std::fabs(g.c.y - h.c.y) <= t &&
             std::fabs(g.r - h.r) <= t;
    };
    // Start where a stretch begins. A ring along one curve alone is that
    // whole circle: its lowest and highest points, each half a turn.
    std::size_t s = n;
    for (std::size_t i = 0; i < n && s == n; ++i)
      if (!same(i + n - 1, i)) s = i;
    if (s == n) {
      const ArcGeom& g = *curves_[tags[0]];
      return {{{g.c.x, g.c.y - g.r}, {g.c.x, g.c.y + g.r}}, {1, 1}};
    }

    std::vector<P2> v;
    std::vector<double> bulge;
    for (std::size_t k = 0; k < n;) {
      const std::size_t i = (s + k) % n;
      v.push_back(SnapToEnd(ring[i], tol));
      if (tags[i] < 0) {
        bulge.push_back(0);
        ++k;
        continue;
      }
      const ArcGeom& g = *curves_[tags[i]];
      double sweep = 0;
      std::size_t m = 0;
      do {
        const std::size_t j = (s + k + m) % n;
        sweep += Turn(g.c, ring[j], ring[(j + 1) % n]);
        ++m;
      } while (k + m < n && same(i, s + k + m));
      k += m;
      if (std::fabs(sweep) <= std::numbers::pi * (1 + 1e-9)) {
        bulge.push_back(std::tan(sweep / 4));
        continue;
      }
      bulge.push_back(std::tan(sweep / 8));
      v.push_back(At(g, std::atan2(ring[i].y - g.c.y, ring[i].x - g.c.x) + sweep / 2));
      bulge.push_back(std::tan(sweep / 8));
    }

    // Drop vertices between straight segments that run on in the same
    // direction (an angle below 1e-9 rad): noding adds them where other
    // linework ends on a side.
    bool dropped = true;
    while (dropped && v.size() > 3) {
      dropped = false;
      for (std::size_t i = 0; i < v.size() && v.size() > 3; ++i) {
        const std::size_t before = (i + v.size() - 1) % v.size();
        if (bulge[before] != 0 || bulge[i] != 0) continue;
        const P2 a = v[before], b = v[i], c = v[(i + 1) % v.size()];
        const double ux = b.x - a.x, uy = b.y - a.y, vx = c.x - b.x, vy = c.y - b.y;
        const double cross = ux * vy - uy * vx, dot = ux * vx + uy * vy;
        if (dot > 0 && std::fabs(cross) <= 1e-9 * std::hypot(ux, uy) * std::hypot(vx, vy)) {
          v.erase(v.begin() + static_cast<std::ptrdiff_t>(i));
          bulge.erase(bulge.begin() + static_cast<std::ptrdiff_t>(i));
          dropped = true;
          --i;
        }
      }
    }

    const auto lowest = static_cast<std::ptrdiff_t>(
        std::min_element(v.begin(), v.end(),
                         [](P2 p, P2 q) { return p.y != q.y ? p.y < q.y : p.x < q.x; }) -
        v.begin());
    std::rotate(v.begin(), v.begin() + lowest, v.end());
    std::rotate(bulge.begin(), bulge.begin() + lowest, bulge.end());
    BoundaryOutline out;
    for (const P2& p : v) out.vertices.emplace_back(p.x, p.y);
    if (std::any_of(bulge.begin(), bulge.end(), [](double b) { return b != 0; }))
      out.bulges = std::move(bulge);
    return out;
  }

  // The linework end nearest p within tol, one the user gave before a
  // computed one; p itself when there is none. Noding on the grid moves
  // vertices by a rounding step, this puts them back.
  P2 SnapToEnd(P2 p, double tol) const {
    auto first = std::lower_bound(ends_.begin(), ends_.end(), p.x - tol,
                                  [](const End& e, double x) { return e.p.x < x; });
    const End* best = nullptr;
    double best_d = tol;
    for (auto it = first; it != ends_.end() && it->p.x <= p.x + tol; ++it) {
      const double d = std::hypot(it->p.x - p.x, it->p.y - p.y);
      if (d > tol) continue;
      if (!best || (it->exact && !best->exact) || (it->exact == best->exact && d < best_d))
        best = &*it, best_d = d;
    }
    return best ? best->p : p;
  }

  struct End {
    P2 p;
    bool exact;
  };

  const Geos& geos_;
  GEOSContextHandle_t ctx_;
  std::vector<End> ends_;  // sorted by x
  std::vector<Piece> pieces_;
  std::vector<const ArcGeom*> curves_;
};

// Whether the edge meets the ray from (x, y) along +x, -x, +y or -y
// (direction 0..3). Generous at the ends and for arcs: it only rules regions out.
bool MeetsRay(const BoundaryEdge& e, double x, double y, int direction) {
  const bool along_x = direction < 2;
  const double a = along_x ? x : y, b = along_x ? y : x;
  if (e.arc) {
    const double across_lo = along_x ? e.lo.y : e.lo.x, across_hi = along_x ? e.hi.y : e.hi.x;
    if (b < across_lo || b > across_hi) return false;
    return direction % 2 == 0 ? (along_x ? e.hi.x : e.hi.y) >= a : (along_x ? e.lo.x : e.lo.y) <= a;
  }
  const double a1 = along_x ? e.a.x : e.a.y, a2 = along_x ? e.b.x : e.b.y;  // along the ray
  const double b1 = along_x ? e.a.y : e.a.x, b2 = along_x ? e.b.y : e.b.x;  // across it
  if (b < std::min(b1, b2) || b > std::max(b1, b2)) return false;
  double lo = std::min(a1, a2), hi = std::max(a1, a2);
  if (b1 != b2) lo = hi = a1 + (b - b1) * (a2 - a1) / (b2 - b1);
  return direction % 2 == 0 ? hi >= a : lo <= a;
}

}  // namespace

BoundaryEdge BoundaryEdge::Straight(P2 a, P2 b) {
  BoundaryEdge e;
  e.a = a;
  e.b = b;
  e.lo = {std::min(a.x, b.x), std::min(a.y, b.y)};
  e.hi = {std::max(a.x, b.x), std::max(a.y, b.y)};
  return e;
}

BoundaryEdge BoundaryEdge::Arc(const ArcGeom& g) {
  const P2 a = At(g, g.start);
  BoundaryEdge e = Arc(g, a, std::fabs(g.sweep) >= kTurn ? a : At(g, g.start + g.sweep));
  e.from_vertices = false;
  return e;
}

BoundaryEdge BoundaryEdge::Arc(const ArcGeom& g, P2 a, P2 b) {
  BoundaryEdge e;
  e.arc = true;
  e.from_vertices = true;
  e.curve = g;
  e.a = a;
  e.b = b;
  e.lo = {std::min(e.a.x, e.b.x), std::min(e.a.y, e.b.y)};
  e.hi = {std::max(e.a.x, e.b.x), std::max(e.a.y, e.b.y)};
  // The axis extremes the sweep passes.
  for (int k = 0; k < 4; ++k) {
    if (!OnSweep(g, k * std::numbers::pi / 2)) continue;
    const P2 p{g.c.x + g.r * (k == 0 ? 1 : k == 2 ? -1 : 0), g.c.y + g.r * (k == 1 ? 1 : k == 3 ? -1 : 0)};
    e.lo = {std::min(e.lo.x, p.x), std::min(e.lo.y, p.y)};
    e.hi = {std::max(e.hi.x, p.x), std::max(e.hi.y, p.y)};
  }
  return e;
}

std::vector<BoundaryEdge> BoundaryLinework(const Database& db) {
  std::vector<BoundaryEdge> out;
  auto straight = [&](P2 a, P2 b) {
    if (Finite(a) && Finite(b)) out.push_back(BoundaryEdge::Straight(a, b));
  };
  auto arc = [&](const ArcGeom& g) {
    if (Finite(g.c) && std::isfinite(g.r) && g.r > 0 && std::isfinite(g.start) &&
        std::isfinite(g.sweep) && g.sweep != 0)
      out.push_back(BoundaryEdge::Arc(g));
  };
  for (const auto& [id, e] : db.model_space()) {
    if (const LineData* l = e.as<LineData>()) {
      straight({l->start.x, l->start.y}, {l->end.x, l->end.y});
    } else if (const PolylineData* p = e.as<PolylineData>()) {
      const auto& v = p->vertices;
      const std::size_t segments = p->closed && v.size() > 1 ? v.size() : v.empty() ? 0 : v.size() - 1;
      for (std::size_t i = 0; i < segments; ++i) {
        const P2 a{v[i].first, v[i].second};
        const P2 b{v[(i + 1) % v.size()].first, v[(i + 1) % v.size()].second};
        if (!Finite(a) || !Finite(b)) continue;
        if (std::optional<ArcGeom> g = BulgeArc(a, b, p->Bulge(i))) {
          if (Finite(g->c) && std::isfinite(g->r)) out.push_back(BoundaryEdge::Arc(*g, a, b));
        } else {
          straight(a, b);
        }
      }
    } else if (const ArcData* a = e.as<ArcData>()) {
      arc(ArcOf(*a));
    } else if (const CircleData* c = e.as<CircleData>()) {
      arc({{c->center.x, c->center.y}, c->radius, 0, kTurn});
    }
  }
  return out;
}

std::optional<BoundaryOutline> FindBoundary(const std::vector<BoundaryEdge>& linework, double x,
                                            double y) {
  if (!std::isfinite(x) || !std::isfinite(y) || linework.empty()) return std::nullopt;
  Box extents{x, y, x, y};
  double nearest = std::numeric_limits<double>::infinity();
  for (const BoundaryEdge& e : linework) {
    extents = {std::min(extents.xmin, e.lo.x), std::min(extents.ymin, e.lo.y),
               std::max(extents.xmax, e.hi.x), std::max(extents.ymax, e.hi.y)};
    nearest = std::min(nearest, Distance(e, {x, y}));
  }
  // A closed region around the point cuts all four rays from it; without
  // that the search would end only after noding the whole drawing.
  bool hit[4] = {false, false, false, false};
  for (const BoundaryEdge& e : linework)
    for (int d = 0; d < 4; ++d) hit[d] = hit[d] || MeetsRay(e, x, y, d);
  if (!(hit[0] && hit[1] && hit[2] && hit[3])) return std::nullopt;

  const Geos geos;
  const double span = std::max(extents.xmax - extents.xmin, extents.ymax - extents.ymin);
  double half = std::max(2 * nearest, span * 1e-6);
  if (!(half > 0)) half = 1;
  std::vector<const BoundaryEdge*> near;
  for (;;) {
    const Box box{x - half, y - half, x + half, y + half};
    const bool everything = box.Holds(extents);
    near.clear();
    for (const BoundaryEdge& e : linework)
      if (everything || box.Touches(e)) near.push_back(&e);
    // A face that lies inside the box is a face of the whole drawing too:
    // linework left out does not reach into the box, so cannot cut it.
    FaceFinder finder(geos, near);
    if (std::optional<Found> found = finder.SmallestFace(x, y);
        found && (everything || box.Holds(found->envelope)))
      return std::move(found->outline);
    if (everything) return std::nullopt;
    half *= 2;
  }
}

}  // namespace zavin::cad
