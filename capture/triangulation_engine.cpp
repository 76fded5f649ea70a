#include "capture/triangulation_engine.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <limits>
#include <unordered_map>
#include <vector>

#include "capture/triangulation_grid.h"
#include "capture/triangulation_predicates.h"
#include "geometry/plane.h"

namespace zavin::capture::detail {

namespace {

constexpr double kNoCandidate = std::numeric_limits<double>::infinity();

bool Matches(const TAcadPoint& a, const TAcadPoint& b) {
  return geometry::SamePoint(a, b, kVertexMatchTolerance);
}

// Smallest deviation with the lowest index on ties, over a fixed index range;
// kNoCandidate marks vertices that are removed or skipped.
class CandidateTree {
 public:
  explicit CandidateTree(std::size_t n) : size_(1) {
    while (size_ < n) size_ *= 2;
    value_.assign(2 * size_, kNoCandidate);
    index_.assign(2 * size_, -1);
    for (std::size_t i = 0; i < size_; ++i) index_[size_ + i] = static_cast<int>(i);
    for (std::size_t i = size_; i-- > 1;) Pull(i);
  }
  void Set(int i, double v) {
    std::size_t at = size_ + static_cast<std::size_t>(i);
    value_[at] = v;
    for (at /= 2; at >= 1; at /= 2) Pull(at);
  }
  // -1 when every entry is kNoCandidate.
  int Best() const { return value_[1] == kNoCandidate ? -1 : index_[1]; }

 private:
  void Pull(std::size_t i) {
    const std::size_t l = 2 * i, r = 2 * i + 1;
    const bool right = value_[r] < value_[l];
    value_[i] = right ? value_[r] : value_[l];
    index_[i] = right ? index_[r] : index_[l];
  }
  std::size_t size_;
  std::vector<double> value_;
  std::vector<int> index_;
};

// Vertices bucketed by squares four times the match tolerance, so that every
// vertex matching a point lies in the point's square or a neighbouring one.
class VertexBuckets {
 public:
  explicit VertexBuckets(std::span<const TAcadPoint> pts) : pts_(pts) {
    buckets_.reserve(pts.size());
    for (std::size_t i = 0; i < pts.size(); ++i)
      buckets_[Key(Cell(pts[i].x), Cell(pts[i].y))].push_back(static_cast<int>(i));
  }
  template <class F>
  void ForEachMatch(const TAcadPoint& p, F&& f) const {
    const std::int64_t cx = Cell(p.x), cy = Cell(p.y);
    for (std::int64_t dx = -1; dx <= 1; ++dx) {
      for (std::int64_t dy = -1; dy <= 1; ++dy) {
        const auto it = buckets_.find(Key(cx + dx, cy + dy));
        if (it == buckets_.end()) continue;
        for (const int v : it->second)
          if (Matches(pts_[static_cast<std::size_t>(v)], p)) f(v);
      }
    }
  }

 private:
  static std::int64_t Cell(long double v) {
    const long double c = std::floor(v / (4 * kVertexMatchTolerance));
    // Far out coordinates share edge buckets; matching stays exact.
    constexpr long double kLimit = 1e15L;
    return static_cast<std::int64_t>(c < -kLimit ? -kLimit : c > kLimit ? kLimit : c);
  }
  static std::uint64_t Key(std::int64_t cx, std::int64_t cy) {
    return static_cast<std::uint64_t>(cx) * 0x9E3779B97F4A7C15ull ^
           static_cast<std::uint64_t>(cy) * 0xC2B2AE3D27D4EB4Full;
  }
  std::span<const TAcadPoint> pts_;
  std::unordered_map<std::uint64_t, std::vector<int>> buckets_;
};

// Why a corner's diagonal was rejected. The reason is kept with the corner and
// the rejection reused for as long as that reason provably still holds.
enum class Reason : std::uint8_t {
  Boundary,       // midpoint outside the boundary, or the diagonal touches it
  WorkingEdge,    // touches a working edge (the witness) that is still there
  WorkingParity,  // midpoint outside the working outline
};

class Clipper {
 public:
  Clipper(std::span<const TAcadPoint> h, EdgeIndex& boundary, const DiagonalSink& sink)
      : h_(h),
        n0_(static_cast<int>(h.size())),
        sink_(sink),
        prev_(h.size()),
        next_(h.size()),
        live_(h.size(), 1),
        skipped_(h.size(), 0),
        rejected_(h.size(), 0),
        version_(h.size(), 0),
        deviation_(h.size()),
        outEdge_(h.size()),
        candidates_(h.size()),
        buckets_(h),
        boundary_(boundary),
        working_(h, h.size()) {
    for (int i = 0; i < n0_; ++i) {
      prev_[Ix(i)] = (i + n0_ - 1) % n0_;
      next_[Ix(i)] = (i + 1) % n0_;
    }
    for (int i = 0; i < n0_; ++i) {
      outEdge_[Ix(i)] = working_.Add(h_[Ix(i)], h_[Ix(next_[Ix(i)])]);
    }
    edgeDependents_.resize(static_cast<std::size_t>(n0_));
    for (int i = 0; i < n0_; ++i) Refresh(i);
  }

  // unlimited: the outline is simple, passes are not counted.
  // separated: the boundary tests may be left to the working ones (see
  // WellSeparated).
  TTriangulation Run(bool unlimited, bool separated);

 private:
  struct Dependent {
    int vertex;
    std::uint32_t version;
  };
  // Its midpoint stays while the rejection is current (the corner's ends do).
  struct ParityDependent {
    Dependent d;
    TAcadPoint m;
  };

  static std::size_t Ix(int i) { return static_cast<std::size_t>(i); }
  const TAcadPoint& P(int v) const { return h_[Ix(v)]; }

  // A vertex takes part in the choice unless removed, skipped (literal sweep)
  // or, in the fast sweep, known to be rejected.
  bool Hidden(int v) const { return fast_ ? rejected_[Ix(v)] != 0 : skipped_[Ix(v)] != 0; }
  void Offer(int v) { candidates_.Set(v, live_[Ix(v)] && !Hidden(v) ? deviation_[Ix(v)] : kNoCandidate); }

  void Refresh(int v) {
    deviation_[Ix(v)] = CornerDeviation(P(prev_[Ix(v)]), P(v), P(next_[Ix(v)]));
    Forget(v);
    Offer(v);
  }

  void Forget(int v) {
    if (!rejected_[Ix(v)]) return;
    rejected_[Ix(v)] = 0;
    ++version_[Ix(v)];
    Offer(v);
  }

  bool Current(const Dependent& d) const {
    return live_[Ix(d.vertex)] && rejected_[Ix(d.vertex)] && version_[Ix(d.vertex)] == d.version;
  }

  // IsValidDiagonal(a, c) on the current outlines, with the reason if not.
  bool Test(const TAcadPoint& a, const TAcadPoint& c, Reason& reason, std::uint32_t& witness) {
    ++tests_;
    if (separated_) return TestWorking(a, c, geometry::MidPoint(a, c), reason, witness);
    if (boundary_.DiagonalTouches(a, c) != EdgeIndex::kNone) {
      reason = Reason::Boundary;
      return false;
    }
    const TAcadPoint m = geometry::MidPoint(a, c);
    if (!boundary_.RayParity(m)) {
      reason = Reason::Boundary;
      return false;
    }
    return TestWorking(a, c, m, reason, witness);
  }

  bool TestWorking(const TAcadPoint& a, const TAcadPoint& c, const TAcadPoint& m, Reason& reason,
                   std::uint32_t& witness) {
    witness = working_.DiagonalTouches(a, c);
    if (witness != EdgeIndex::kNone) {
      reason = Reason::WorkingEdge;
      return false;
    }
    if (!working_.RayParity(m)) {
      reason = Reason::WorkingParity;
      return false;
    }
    return true;
  }

  bool TestPoints(const TAcadPoint& a, const TAcadPoint& c) {
    Reason reason;
    std::uint32_t witness;
    return Test(a, c, reason, witness);
  }

  // The diagonal of the corner at v, reusing a standing rejection.
  bool CornerValid(int v) {
    if (rejected_[Ix(v)]) return false;
    Reason reason;
    std::uint32_t witness = EdgeIndex::kNone;
    if (Test(P(prev_[Ix(v)]), P(next_[Ix(v)]), reason, witness)) return true;
    rejected_[Ix(v)] = 1;
    const Dependent d{v, version_[Ix(v)]};
    if (reason == Reason::WorkingEdge) edgeDependents_[witness].push_back(d);
    if (reason == Reason::WorkingParity)
      parityDependents_.push_back({d, geometry::MidPoint(P(prev_[Ix(v)]), P(next_[Ix(v)]))});
    Offer(v);
    return false;
  }

  void Skip(const TAcadPoint& b) {
    buckets_.ForEachMatch(b, [&](int v) {
      if (!live_[Ix(v)] || skipped_[Ix(v)]) return;
      skipped_[Ix(v)] = 1;
      skipList_.push_back(v);
      Offer(v);
    });
  }

  void ClearSkips() {
    for (const int v : skipList_) {
      skipped_[Ix(v)] = 0;
      Offer(v);
    }
    skipList_.clear();
  }

  void RetireWorkingEdge(std::uint32_t e) {
    working_.Retire(e);
    for (const Dependent& d : edgeDependents_[e])
      if (Current(d)) Forget(d.vertex);
    edgeDependents_[e].clear();
  }

  // RemoveVertex: the live vertex of lowest index matching p.
  void Remove(const TAcadPoint& p) {
    int v = -1;
    buckets_.ForEachMatch(p, [&](int i) {
      if (live_[Ix(i)] && (v < 0 || i < v)) v = i;
    });
    if (v < 0) return;
    const int u = prev_[Ix(v)], w = next_[Ix(v)];
    live_[Ix(v)] = 0;
    Offer(v);
    next_[Ix(u)] = w;
    prev_[Ix(w)] = u;
    if (v == head_) head_ = w;
    --n_;
    RetireWorkingEdge(outEdge_[Ix(u)]);
    RetireWorkingEdge(outEdge_[Ix(v)]);
    outEdge_[Ix(u)] = working_.Add(P(u), P(w));
    edgeDependents_.emplace_back();
    // Midpoints outside the working outline come inside exactly when an odd
    // number of the three changed edges cross their ray.
    const TAcadPoint &pu = P(u), &pv = P(v), &pw = P(w);
    const long double xlo = std::min({pu.x, pv.x, pw.x}), xhi = std::max({pu.x, pv.x, pw.x});
    const long double ylo = std::min({pu.y, pv.y, pw.y}), yhi = std::max({pu.y, pv.y, pw.y});
    std::size_t kept = 0;
    for (const ParityDependent& pd : parityDependents_) {
      const Dependent& d = pd.d;
      const TAcadPoint& m = pd.m;
      if (!Current(d)) continue;
      if (m.x >= xlo && m.x <= xhi && m.y >= ylo && m.y <= yhi &&
          (RayCrossesEdge(m, pu, pv) != RayCrossesEdge(m, pv, pw)) != RayCrossesEdge(m, pu, pw)) {
        Forget(d.vertex);
        continue;
      }
      parityDependents_[kept++] = pd;
    }
    parityDependents_.resize(kept);
    Refresh(u);
    Refresh(w);
  }

  void Emit(const TAcadPoint& a, const TAcadPoint& b, const TAcadPoint& c) {
    if (sink_) sink_(a, c);
    out_.triangles.push_back({a, b, c});
    ++k_;
  }

  bool HasNearDuplicates() const {
    for (int v = 0; v < n0_; ++v) {
      int matches = 0;
      buckets_.ForEachMatch(P(v), [&](int) { ++matches; });
      if (matches > 1) return true;
    }
    return false;
  }

  std::span<const TAcadPoint> h_;
  int n0_;
  const DiagonalSink& sink_;
  std::vector<int> prev_, next_;
  std::vector<std::uint8_t> live_, skipped_, rejected_;
  std::vector<std::uint32_t> version_;
  std::vector<double> deviation_;
  std::vector<std::uint32_t> outEdge_;
  std::vector<std::vector<Dependent>> edgeDependents_;
  std::vector<ParityDependent> parityDependents_;
  std::vector<int> skipList_;
  CandidateTree candidates_;
  VertexBuckets buckets_;
  EdgeIndex& boundary_;
  EdgeIndex working_;
  bool fast_ = false;
  bool separated_ = false;
  int head_ = 0;
  int n_ = n0_;
  int k_ = 0;
  long long tests_ = 0;
  TTriangulation out_;
};

TTriangulation Clipper::Run(bool unlimited, bool separated) {
  separated_ = separated;
  // Between two clips the outline stands still, so the literal sweep tries the
  // corners in order of deviation until one passes: on a simple outline, where
  // passes are not counted, that is the best corner not known to be rejected.
  // Near-duplicate vertices skip each other and keep the literal sweep.
  fast_ = unlimited && !HasNearDuplicates();
  for (int v = 0; v < n0_; ++v) Offer(v);
  long long passes = 0;
  const long long limit = 4LL * n0_;
  while (n_ != 3) {
    if (!unlimited && passes == limit) break;
    const int best = candidates_.Best();
    if (fast_ && best < 0) break;  // every corner rejected: the last one would be forever
    const int b = best >= 0 ? best : prev_[Ix(head_)];
    const int a = prev_[Ix(b)], c = next_[Ix(b)];
    const TAcadPoint A = P(a), B = P(b), C = P(c);
    if (!CornerValid(b)) {
      if (!fast_) {
        Skip(B);
        // Every corner skipped: this same corner would be retried and
        // rejected in every remaining pass.
        if (best < 0) break;
      }
    } else {
      if (!fast_) ClearSkips();
      Emit(A, B, C);
      if (k_ == n0_ - 2) break;
      const int pv = prev_[Ix(a)], sv = next_[Ix(c)];
      const TAcadPoint Pp = P(pv), S = P(sv);
      const double d1 = CornerDeviation(Pp, A, C);
      const double d2 = CornerDeviation(A, C, S);
      Remove(B);
      const bool forward = d2 > d1;
      const TAcadPoint e1 = forward ? Pp : S;
      const TAcadPoint e2 = forward ? A : C;
      const TAcadPoint e3 = forward ? C : A;
      const TAcadPoint e4 = forward ? S : Pp;
      // Without near duplicates b itself went, so e2 and then e3 are corners
      // of the outline and their standing rejections apply.
      const int v2 = forward ? a : c, v3 = forward ? c : a;
      if (n_ > 3 && (fast_ ? CornerValid(v2) : TestPoints(e1, e3))) {
        Emit(e1, e2, e3);
        Remove(e2);
        if (k_ == n0_ - 2) break;
        if (n_ > 3 && (fast_ ? CornerValid(v3) : TestPoints(e1, e4))) {
          Emit(e1, e3, e4);
          Remove(e3);
          if (k_ == n0_ - 2) break;
        }
      }
    }
    ++passes;
  }
  if (n_ == 3) {
    const int v0 = head_, v1 = next_[Ix(v0)], v2 = next_[Ix(v1)];
    out_.triangles.push_back({P(v0), P(v1), P(v2)});
    out_.status = TriangulationStatus::Complete;
  }
  return std::move(out_);
}

bool NeighbouringEdgesOverlap(const TAcadPoint& u, const TAcadPoint& v, const TAcadPoint& w) {
  if (SameXY(u, v)) return true;
  if (Orientation(u, v, w) != 0) return false;
  return u.x != v.x ? (u.x > v.x) == (w.x > v.x) : (u.y > v.y) == (w.y > v.y);
}

EdgeIndex OutlineEdges(std::span<const TAcadPoint> h) {
  EdgeIndex edges(h, h.size());
  for (std::size_t i = 0; i < h.size(); ++i) edges.Add(h[i], h[(i + 1) % h.size()]);
  return edges;
}

// `edges` holds edge i from vertex i to vertex i + 1.
bool OutlineIsSimple(std::span<const TAcadPoint> h, const EdgeIndex& edges) {
  const std::size_t n = h.size();
  if (n < 3) return false;
  for (std::size_t i = 0; i < n; ++i)
    if (NeighbouringEdgesOverlap(h[i], h[(i + 1) % n], h[(i + 2) % n])) return false;
  return !edges.AnyPairSharingACell([&](std::uint32_t i, std::uint32_t j) {
    const std::uint32_t gap = i > j ? i - j : j - i;
    if (gap == 1 || gap == n - 1) return false;  // neighbours, checked above
    const TAcadPoint &a = edges.start(i), &b = edges.end(i), &c = edges.start(j), &d = edges.end(j);
    // Boxes apart (as SegmentsTouch checks first), without the call: long
    // edges share many cells and most pairs end here.
    if (std::max(a.x, b.x) < std::min(c.x, d.x) || std::max(c.x, d.x) < std::min(a.x, b.x) ||
        std::max(a.y, b.y) < std::min(c.y, d.y) || std::max(c.y, d.y) < std::min(a.y, b.y))
      return false;
    return SegmentsTouch(a, b, c, d);
  });
}

// Whether on this simple outline a diagonal that passes the working tests
// always passes the boundary ones, so that they can be skipped. It does when
// every vertex is farther than kSeparation from every edge not ending at it
// (edges are longer too), and coordinates are small enough for rounding to be
// far below the end tolerance:
// - the part S of a diagonal beyond the end tolerance from both ends (widened
//   by rounding) meets no working edge and holds the midpoint, which has odd
//   parity, so all of S has odd parity for the working chain;
// - if every accepted diagonal lies in the closed region, so does the working
//   chain, and points outside the region, or on a boundary edge off the chain,
//   have even parity; hence S lies inside and meets no boundary edge;
// - nearer its ends than kSeparation the diagonal can only meet the boundary
//   at the end vertex itself (contact at distance 0) or by running along an
//   edge of that end, which would reach into S; so it lies in the closed
//   region and the induction goes on.
bool WellSeparated(std::span<const TAcadPoint> h, const EdgeIndex& edges) {
  constexpr long double kSeparation = 10 * kDiagonalEndTolerance;
  constexpr long double kMaxMagnitude = 1e9L;
  const std::size_t n = h.size();
  for (const TAcadPoint& p : h)
    if (!(std::fabs(p.x) < kMaxMagnitude && std::fabs(p.y) < kMaxMagnitude)) return false;
  const auto near = [&](const TAcadPoint& p, const TAcadPoint& a, const TAcadPoint& b) {
    const long double dx = static_cast<long double>(b.x) - a.x;
    const long double dy = static_cast<long double>(b.y) - a.y;
    const long double px = static_cast<long double>(p.x) - a.x;
    const long double py = static_cast<long double>(p.y) - a.y;
    const long double len2 = dx * dx + dy * dy;
    long double t = len2 > 0 ? (px * dx + py * dy) / len2 : 0;
    t = std::clamp(t, 0.0L, 1.0L);
    const long double ex = px - t * dx, ey = py - t * dy;
    return ex * ex + ey * ey <= 4 * kSeparation * kSeparation;
  };
  for (std::size_t i = 0; i < n; ++i) {
    const TAcadPoint& p = h[i];
    if (near(h[(i + 1) % n], p, p)) return false;
    const std::uint32_t before = static_cast<std::uint32_t>((i + n - 1) % n);
    const std::uint32_t after = static_cast<std::uint32_t>(i);
    const long double r = 3 * kSeparation;
    if (edges.AnyEdgeNearBox(p.x - r, p.y - r, p.x + r, p.y + r, [&](std::uint32_t e) {
          return e != before && e != after && near(p, edges.start(e), edges.end(e));
        }))
      return false;
  }
  return true;
}

}  // namespace

bool OutlineIsSimple(std::span<const TAcadPoint> h) { return OutlineIsSimple(h, OutlineEdges(h)); }

TTriangulation RunTriangulation(std::span<const TAcadPoint> vertices, const DiagonalSink& sink) {
  if (vertices.size() < 3) return {};
  for (const TAcadPoint& v : vertices)
    if (!std::isfinite(v.x) || !std::isfinite(v.y)) return {};
  if (vertices.size() > static_cast<std::size_t>(std::numeric_limits<int>::max() / 4)) return {};
  EdgeIndex boundary = OutlineEdges(vertices);
  const bool simple = OutlineIsSimple(vertices, boundary);
  const bool separated = simple && WellSeparated(vertices, boundary);
  Clipper clipper(vertices, boundary, sink);
  return clipper.Run(simple, separated);
}

}  // namespace zavin::capture::detail
