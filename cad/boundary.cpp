#include "cad/boundary.h"

#include <geos_c.h>

#include <algorithm>
#include <cmath>
#include <limits>
#include <memory>
#include <numbers>

#include "cad/database.h"

namespace zavin::cad {

namespace {

using Outline = std::vector<std::pair<double, double>>;

struct Box {
  double xmin, ymin, xmax, ymax;
  bool Touches(const BoundarySegment& s) const {
    return std::max(s.x1, s.x2) >= xmin && std::min(s.x1, s.x2) <= xmax &&
           std::max(s.y1, s.y2) >= ymin && std::min(s.y1, s.y2) <= ymax;
  }
  bool Holds(const Box& b) const {
    return b.xmin >= xmin && b.xmax <= xmax && b.ymin >= ymin && b.ymax <= ymax;
  }
};

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
  };
  using Geom = std::unique_ptr<GEOSGeometry, Free>;
  Geom Own(GEOSGeometry* g) const { return Geom(g, Free{ctx_}); }

 private:
  GEOSContextHandle_t ctx_;
};

GEOSGeometry* Segment(GEOSContextHandle_t ctx, const BoundarySegment& s) {
  GEOSCoordSequence* seq = GEOSCoordSeq_create_r(ctx, 2, 2);
  GEOSCoordSeq_setXY_r(ctx, seq, 0, s.x1, s.y1);
  GEOSCoordSeq_setXY_r(ctx, seq, 1, s.x2, s.y2);
  return GEOSGeom_createLineString_r(ctx, seq);
}

// The exterior ring as the host writes a boundary: counter-clockwise, from
// the lowest-leftmost vertex, noding vertices on straight runs dropped.
Outline Normalised(GEOSContextHandle_t ctx, const GEOSGeometry* polygon) {
  const GEOSGeometry* ring = GEOSGetExteriorRing_r(ctx, polygon);
  const GEOSCoordSequence* seq = GEOSGeom_getCoordSeq_r(ctx, ring);
  unsigned int n = 0;
  GEOSCoordSeq_getSize_r(ctx, seq, &n);
  Outline raw;
  for (unsigned int i = 0; i + 1 < n; ++i) {  // the last repeats the first
    double x = 0, y = 0;
    GEOSCoordSeq_getXY_r(ctx, seq, i, &x, &y);
    if (raw.empty() || raw.back() != std::pair{x, y}) raw.emplace_back(x, y);
  }
  while (raw.size() > 1 && raw.front() == raw.back()) raw.pop_back();

  // Drop vertices whose edges run on in the same direction (an angle below
  // 1e-9 rad): noding adds them where other linework ends on a side.
  bool dropped = true;
  while (dropped && raw.size() > 3) {
    dropped = false;
    for (std::size_t i = 0; i < raw.size() && raw.size() > 3; ++i) {
      const auto& a = raw[(i + raw.size() - 1) % raw.size()];
      const auto& b = raw[i];
      const auto& c = raw[(i + 1) % raw.size()];
      const double ux = b.first - a.first, uy = b.second - a.second;
      const double vx = c.first - b.first, vy = c.second - b.second;
      const double cross = ux * vy - uy * vx, dot = ux * vx + uy * vy;
      if (dot > 0 && std::fabs(cross) <= 1e-9 * std::hypot(ux, uy) * std::hypot(vx, vy)) {
        raw.erase(raw.begin() + static_cast<std::ptrdiff_t>(i));
        dropped = true;
        --i;
      }
    }
  }

  double twice_area = 0;
  for (std::size_t i = 0; i < raw.size(); ++i) {
    const auto& p = raw[i];
    const auto& q = raw[(i + 1) % raw.size()];
    twice_area += p.first * q.second - q.first * p.second;
  }
  if (twice_area < 0) std::reverse(raw.begin(), raw.end());
  const auto lowest = std::min_element(raw.begin(), raw.end(), [](const auto& p, const auto& q) {
    return p.second != q.second ? p.second < q.second : p.first < q.first;
  });
  std::rotate(raw.begin(), lowest, raw.end());
  return raw;
}

struct Found {
  Outline outline;
  Box envelope;
};

// Nodes and polygonizes `pieces`, then takes the smallest face holding the point.
std::optional<Found> SmallestFace(const Geos& geos, const std::vector<BoundarySegment>& pieces,
                                  double x, double y) {
  GEOSContextHandle_t ctx = geos.get();
  std::vector<GEOSGeometry*> lines;
  lines.reserve(pieces.size());
  for (const BoundarySegment& s : pieces) {
    if (s.x1 == s.x2 && s.y1 == s.y2) continue;
    if (GEOSGeometry* g = Segment(ctx, s)) lines.push_back(g);
  }
  if (lines.size() < 3) {
    for (GEOSGeometry* g : lines) GEOSGeom_destroy_r(ctx, g);
    return std::nullopt;
  }
  const Geos::Geom collection = geos.Own(GEOSGeom_createCollection_r(
      ctx, GEOS_MULTILINESTRING, lines.data(), static_cast<unsigned int>(lines.size())));
  if (!collection) return std::nullopt;
  const Geos::Geom noded = geos.Own(GEOSUnaryUnion_r(ctx, collection.get()));
  if (!noded) return std::nullopt;
  const GEOSGeometry* input = noded.get();
  const Geos::Geom faces = geos.Own(GEOSPolygonize_r(ctx, &input, 1));
  if (!faces) return std::nullopt;
  const Geos::Geom point = geos.Own(GEOSGeom_createPointFromXY_r(ctx, x, y));
  if (!point) return std::nullopt;

  const GEOSGeometry* best = nullptr;
  double best_area = std::numeric_limits<double>::infinity();
  for (int i = 0, n = GEOSGetNumGeometries_r(ctx, faces.get()); i < n; ++i) {
    const GEOSGeometry* face = GEOSGetGeometryN_r(ctx, faces.get(), i);
    if (GEOSContains_r(ctx, face, point.get()) != 1) continue;
    double area = 0;
    if (GEOSArea_r(ctx, face, &area) != 1) continue;
    if (area < best_area) best = face, best_area = area;
  }
  if (!best) return std::nullopt;
  Found found{Normalised(ctx, best), {}};
  if (found.outline.size() < 3) return std::nullopt;
  if (GEOSGeom_getExtent_r(ctx, best, &found.envelope.xmin, &found.envelope.ymin,
                           &found.envelope.xmax, &found.envelope.ymax) != 1)
    return std::nullopt;
  return found;
}

// Whether the segment meets the ray from (x, y) along +x, -x, +y or -y
// (direction 0..3). Generous at the ends: it only rules regions out.
bool MeetsRay(const BoundarySegment& s, double x, double y, int direction) {
  const bool along_x = direction < 2;
  const double a1 = along_x ? s.x1 : s.y1, a2 = along_x ? s.x2 : s.y2;  // along the ray
  const double b1 = along_x ? s.y1 : s.x1, b2 = along_x ? s.y2 : s.x2;  // across it
  const double a = along_x ? x : y, b = along_x ? y : x;
  if (b < std::min(b1, b2) || b > std::max(b1, b2)) return false;
  double lo = std::min(a1, a2), hi = std::max(a1, a2);
  if (b1 != b2) lo = hi = a1 + (b - b1) * (a2 - a1) / (b2 - b1);
  return direction % 2 == 0 ? hi >= a : lo <= a;
}

}  // namespace

std::vector<BoundarySegment> BoundaryLinework(const Database& db) {
  std::vector<BoundarySegment> out;
  for (const auto& [id, e] : db.model_space()) {
    if (const LineData* l = e.as<LineData>()) {
      out.push_back({l->start.x, l->start.y, l->end.x, l->end.y});
    } else if (const PolylineData* p = e.as<PolylineData>()) {
      const auto& v = p->vertices;
      for (std::size_t i = 0; i + 1 < v.size(); ++i)
        out.push_back({v[i].first, v[i].second, v[i + 1].first, v[i + 1].second});
      if (p->closed && v.size() > 2)
        out.push_back({v.back().first, v.back().second, v.front().first, v.front().second});
    } else if (const CircleData* c = e.as<CircleData>()) {
      if (!(c->radius > 0)) continue;
      auto at = [&](int k) {
        const double t = 2 * std::numbers::pi * k / kCircleSides;
        return std::pair{c->center.x + c->radius * std::cos(t), c->center.y + c->radius * std::sin(t)};
      };
      for (int k = 0; k < kCircleSides; ++k) {
        const auto [ax, ay] = at(k);
        const auto [bx, by] = at(k + 1 == kCircleSides ? 0 : k + 1);
        out.push_back({ax, ay, bx, by});
      }
    }
  }
  return out;
}

std::optional<Outline> FindBoundary(const std::vector<BoundarySegment>& linework, double x,
                                    double y) {
  if (!std::isfinite(x) || !std::isfinite(y)) return std::nullopt;
  Box extents{x, y, x, y};
  double nearest = std::numeric_limits<double>::infinity();
  std::vector<BoundarySegment> usable;
  usable.reserve(linework.size());
  for (const BoundarySegment& s : linework) {
    if (!std::isfinite(s.x1) || !std::isfinite(s.y1) || !std::isfinite(s.x2) || !std::isfinite(s.y2))
      continue;
    usable.push_back(s);
    extents = {std::min({extents.xmin, s.x1, s.x2}), std::min({extents.ymin, s.y1, s.y2}),
               std::max({extents.xmax, s.x1, s.x2}), std::max({extents.ymax, s.y1, s.y2})};
    // Distance from the point to the segment, for the first search box.
    const double dx = s.x2 - s.x1, dy = s.y2 - s.y1, len2 = dx * dx + dy * dy;
    const double t = len2 > 0 ? std::clamp(((x - s.x1) * dx + (y - s.y1) * dy) / len2, 0.0, 1.0) : 0.0;
    nearest = std::min(nearest, std::hypot(x - (s.x1 + t * dx), y - (s.y1 + t * dy)));
  }
  if (usable.size() < 3) return std::nullopt;
  // A closed region around the point cuts all four rays from it; without
  // that the search would end only after noding the whole drawing.
  bool hit[4] = {false, false, false, false};
  for (const BoundarySegment& s : usable)
    for (int d = 0; d < 4; ++d) hit[d] = hit[d] || MeetsRay(s, x, y, d);
  if (!(hit[0] && hit[1] && hit[2] && hit[3])) return std::nullopt;

  const Geos geos;
  const double span = std::max(extents.xmax - extents.xmin, extents.ymax - extents.ymin);
  double half = std::max(2 * nearest, span * 1e-6);
  if (!(half > 0)) half = 1;
  std::vector<BoundarySegment> near;
  for (;;) {
    const Box box{x - half, y - half, x + half, y + half};
    const bool everything = box.Holds(extents);
    near.clear();
    if (everything) {
      near = usable;
    } else {
      for (const BoundarySegment& s : usable)
        if (box.Touches(s)) near.push_back(s);
    }
    // A face that lies inside the box is a face of the whole drawing too:
    // linework left out does not reach into the box, so cannot cut it.
    if (std::optional<Found> found = SmallestFace(geos, near, x, y);
        found && (everything || box.Holds(found->envelope)))
      return std::move(found->outline);
    if (everything) return std::nullopt;
    half *= 2;
  }
}

}  // namespace zavin::cad
