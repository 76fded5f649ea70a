#include "cad/db/pick.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace zavin::cad {

namespace {

// At least as deep as ShapesOf follows nested blocks: a shallower limit here
// would leave out parts of the outline.
constexpr std::size_t kMaxNesting = 16;

// Relative allowance for the rounding of the exact tests and of the points
// they are given (arc points, placed block contents), far above the errors
// of a few floating-point operations.
constexpr double kSlack = 1e-9;

constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();

bool HasNaN(const Rect& r) {
  return std::isnan(r.x0) || std::isnan(r.y0) || std::isnan(r.x1) || std::isnan(r.y1);
}

double MaxAbs(const Rect& r) {
  return std::max({std::fabs(r.x0), std::fabs(r.y0), std::fabs(r.x1), std::fabs(r.y1)});
}

// Grows a box point by point; a NaN anywhere makes the box unknown.
class BoxBuilder {
 public:
  void Add(double x, double y) {
    if (std::isnan(x) || std::isnan(y)) nan_ = true;
    lo_x_ = std::min(lo_x_, x);
    lo_y_ = std::min(lo_y_, y);
    hi_x_ = std::max(hi_x_, x);
    hi_y_ = std::max(hi_y_, y);
    any_ = true;
  }
  void AddAround(double x, double y, double half) {
    Add(x - half, y - half);
    Add(x + half, y + half);
  }
  void Add(const std::optional<Rect>& r) {
    if (!r) return;
    if (HasNaN(*r)) nan_ = true;
    Add(r->x0, r->y0);
    Add(r->x1, r->y1);
  }
  void Pad(double d) {
    if (std::isnan(d)) nan_ = true;
    pad_ = std::max(pad_, d);
  }
  void MarkUnknown() { nan_ = true; }

  std::optional<Rect> Done() const {
    if (nan_) return Rect{kNaN, kNaN, kNaN, kNaN};
    if (!any_) return std::nullopt;
    return Rect{lo_x_ - pad_, lo_y_ - pad_, hi_x_ + pad_, hi_y_ + pad_};
  }

 private:
  static constexpr double kInf = std::numeric_limits<double>::infinity();
  double lo_x_ = kInf, lo_y_ = kInf, hi_x_ = -kInf, hi_y_ = -kInf;
  double pad_ = 0;
  bool any_ = false, nan_ = false;
};

void AddPolyline(const PolylineData& p, BoxBuilder& out) {
  const auto& v = p.vertices;
  for (const auto& [x, y] : v) out.Add(x, y);
  if (!p.HasBulges()) return;
  const std::size_t segments = p.closed ? v.size() : (v.empty() ? 0 : v.size() - 1);
  for (std::size_t i = 0; i < segments; ++i) {
    // The arc of BulgeArc, by its radius and centre only: no angles needed.
    const double bulge = p.Bulge(i);
    if (bulge == 0 || !std::isfinite(bulge)) continue;
    const P2 a{v[i].first, v[i].second};
    const auto& nb = v[(i + 1) % v.size()];
    const P2 b{nb.first, nb.second};
    const double dx = b.x - a.x, dy = b.y - a.y;
    double d = std::sqrt(dx * dx + dy * dy);
    if (!(d > 0) || !std::isfinite(d)) d = std::hypot(dx, dy);
    if (d == 0) continue;
    const double ab = std::fabs(bulge);
    const double r = d / 2 * (1 + ab * ab) / (2 * ab);
    const P2 mid{(a.x + b.x) / 2, (a.y + b.y) / 2};
    if (ab <= 1) {
      // At most a half turn: the arc stays over its chord, no farther from it
      // than the sagitta.
      const double sagitta = ab * d / 2;
      out.AddAround(a.x, a.y, sagitta);
      out.AddAround(b.x, b.y, sagitta);
    } else {
      const double h = d / 2 * (1 - bulge * bulge) / (2 * bulge);
      out.AddAround(mid.x - dy / d * h, mid.y + dx / d * h, r);
    }
    // The flattened points are computed from the centre (within r of the
    // chord's middle) and the radius.
    out.Pad(kSlack * (std::fabs(mid.x) + std::fabs(mid.y) + 2 * r));
  }
}

// Every kind but block references.
std::optional<Rect> PlainBox(const Entity& e) {
  BoxBuilder out;
  if (auto* l = e.as<LineData>()) {
    out.Add(l->start.x, l->start.y);
    out.Add(l->end.x, l->end.y);
  } else if (auto* pl = e.as<PolylineData>()) {
    AddPolyline(*pl, out);
  } else if (auto* arc = e.as<ArcData>()) {
    if (!std::isfinite(arc->start_angle) || !std::isfinite(arc->end_angle)) out.MarkUnknown();
    out.AddAround(arc->center.x, arc->center.y, std::fabs(arc->radius));
  } else if (auto* ld = e.as<LeaderData>()) {
    for (const auto& p : ld->vertices) out.Add(p.x, p.y);
  } else if (auto* pt = e.as<PointData>()) {
    out.Add(pt->position.x, pt->position.y);
  } else if (auto* t = e.as<TextData>()) {
    // The corners lie within width + height of the insertion point at any
    // rotation.
    double w = TextWidth(*t);
    if (t->alignment == kAlignAligned || t->alignment == kAlignFit) {
      const double d = std::hypot(t->alignment_point.x - t->insertion.x,
                                  t->alignment_point.y - t->insertion.y);
      if (d > 0) w = d;
    }
    if (!std::isfinite(t->rotation)) out.MarkUnknown();
    out.AddAround(t->insertion.x, t->insertion.y, std::fabs(w) + std::fabs(t->height));
  } else if (auto* ci = e.as<CircleData>()) {
    out.AddAround(ci->center.x, ci->center.y, std::fabs(ci->radius));
  }
  return out.Done();
}

}  // namespace

std::optional<Rect> OutlineBoxes::RefBox(const BlockRefData& r, const Block& b,
                                         const Extent& inner) {
  if (!inner.box) return std::nullopt;
  const Rect& in = *inner.box;
  const P2 from{b.origin.x, b.origin.y}, to{r.insertion.x, r.insertion.y};
  const double c = std::cos(r.rotation), s = std::sin(r.rotation);
  BoxBuilder out;
  if (HasNaN(in)) out.MarkUnknown();
  for (const P2 p : {P2{in.x0, in.y0}, P2{in.x1, in.y0}, P2{in.x1, in.y1}, P2{in.x0, in.y1}}) {
    const double x = (p.x - from.x) * r.scale, y = (p.y - from.y) * r.scale;
    out.Add(to.x + c * x - s * y, to.y + s * x + c * y);
  }
  out.Pad(kSlack * (std::fabs(to.x) + std::fabs(to.y) +
                    std::fabs(r.scale) * (std::fabs(from.x) + std::fabs(from.y) + MaxAbs(in))));
  return out.Done();
}

// The extents of `b` expanded with the blocks of `open` being expanded
// already, skipped as ShapesOf skips them.
OutlineBoxes::Extent OutlineBoxes::BlockExtent(const Block& b, std::vector<const Block*>& open) {
  if (auto it = full_.find(&b); it != full_.end()) return it->second;
  open.push_back(&b);
  BoxBuilder out;
  bool complete = true;
  for (const auto& [id, child] : b.entities) {
    auto* ref = child.as<BlockRefData>();
    if (!ref) {
      out.Add(PlainBox(child));
      continue;
    }
    const Block* inner = Find(ref->name);
    if (!inner) continue;
    if (open.size() >= kMaxNesting || std::find(open.begin(), open.end(), inner) != open.end()) {
      complete = false;
      continue;
    }
    const Extent e = BlockExtent(*inner, open);
    complete = complete && e.complete;
    out.Add(RefBox(*ref, *inner, e));
  }
  open.pop_back();
  Extent result{out.Done(), complete};
  // Nothing skipped: the same extents under any nesting. Otherwise they hold
  // only here, and as much more nesting only skips more.
  if (complete) full_[&b] = result;
  return result;
}

const Block* OutlineBoxes::Find(const std::string& name) {
  if (!last_block_ || name != last_name_) {
    last_block_ = db_.FindBlock(name);
    last_name_ = name;
  }
  return *last_block_;
}

std::optional<Rect> OutlineBoxes::Of(const Entity& e) {
  auto* ref = e.as<BlockRefData>();
  if (!ref) return PlainBox(e);
  const Block* b = Find(ref->name);
  if (!b) return std::nullopt;
  auto it = top_.find(b);
  if (it == top_.end()) {
    std::vector<const Block*> open;
    it = top_.emplace(b, BlockExtent(*b, open)).first;
  }
  return RefBox(*ref, *b, it->second);
}

bool CertainlyMisses(const Rect& box, const Rect& r) {
  if (HasNaN(box)) return false;
  const double tol = kSlack * std::max(MaxAbs(box), MaxAbs(r));
  return box.x1 + tol < r.x0 || box.x0 - tol > r.x1 || box.y1 + tol < r.y0 ||
         box.y0 - tol > r.y1;
}

}  // namespace zavin::cad
