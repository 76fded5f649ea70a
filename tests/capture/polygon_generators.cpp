#include "tests/capture/polygon_generators.h"

#include <algorithm>
#include <cmath>
#include <numbers>

#include "capture/triangulation_predicates.h"

namespace zavin::capture::testing {

double Uniform(Rng& rng, double lo, double hi) {
  return lo + (hi - lo) * (static_cast<double>(rng() >> 11) * 0x1.0p-53);
}

Outline RandomStar(std::size_t n, Rng& rng, double rmin, double rmax) {
  std::vector<double> angles(n);
  for (double& a : angles) a = Uniform(rng, 0, 2 * std::numbers::pi);
  std::sort(angles.begin(), angles.end());
  Outline o;
  for (const double a : angles) {
    const double r = Uniform(rng, rmin, rmax);
    o.push_back({r * std::cos(a), r * std::sin(a), 0});
  }
  return o;
}

namespace {

bool ProperlyOrTouching(const TAcadPoint& a, const TAcadPoint& b, const TAcadPoint& c,
                        const TAcadPoint& d) {
  return detail::SegmentsTouch(a, b, c, d);
}

Outline GridPoints(std::size_t n, Rng& rng, int gridSize) {
  Outline o;
  while (o.size() < n) {
    const TAcadPoint p{static_cast<long double>(rng() % static_cast<unsigned>(gridSize)),
                       static_cast<long double>(rng() % static_cast<unsigned>(gridSize)), 0};
    if (std::none_of(o.begin(), o.end(), [&](const TAcadPoint& q) { return detail::SameXY(p, q); }))
      o.push_back(p);
  }
  return o;
}

}  // namespace

Outline RandomSimpleOnGrid(std::size_t n, Rng& rng, int gridSize) {
  for (;;) {
    Outline o = GridPoints(n, rng, gridSize);
    // 2-opt: reversing the stretch between two crossing edges shortens the tour
    // strictly, so this ends; collinear overlaps are undone the same way.
    bool changed = true;
    int rounds = 0;
    while (changed && rounds++ < 200) {
      changed = false;
      for (std::size_t i = 0; i < n && !changed; ++i) {
        for (std::size_t j = i + 2; j < n && !changed; ++j) {
          if (i == 0 && j == n - 1) continue;
          if (ProperlyOrTouching(o[i], o[i + 1], o[j], o[(j + 1) % n])) {
            std::reverse(o.begin() + static_cast<std::ptrdiff_t>(i + 1),
                         o.begin() + static_cast<std::ptrdiff_t>(j + 1));
            changed = true;
          }
        }
      }
    }
    // Neighbouring edges folding back onto each other are not undone by 2-opt.
    bool simple = !changed;
    for (std::size_t i = 0; i < n && simple; ++i) {
      const TAcadPoint& u = o[i];
      const TAcadPoint& v = o[(i + 1) % n];
      const TAcadPoint& w = o[(i + 2) % n];
      if (detail::Orientation(u, v, w) == 0 &&
          (u.x != v.x ? (u.x > v.x) == (w.x > v.x) : (u.y > v.y) == (w.y > v.y)))
        simple = false;
    }
    if (simple) return o;
  }
}

Outline RandomTangle(std::size_t n, Rng& rng, int gridSize) { return GridPoints(n, rng, gridSize); }

Outline Comb(std::size_t teeth, double pitch, double width, double length, double spine) {
  const auto x = [&](std::size_t i) { return static_cast<double>(i) * pitch; };
  const double right = x(teeth - 1) + width;
  Outline o{{0, 0, 0}, {right, 0, 0}};
  for (std::size_t i = teeth; i-- > 0;) {
    o.push_back({x(i) + width, spine + length, 0});
    o.push_back({x(i), spine + length, 0});
    if (i > 0) {
      o.push_back({x(i), spine, 0});
      o.push_back({x(i - 1) + width, spine, 0});
    }
  }
  return o;
}

Outline DigitisedParcel(std::size_t n, Rng& rng, double noise) {
  // Corners of an irregular parcel, counter-clockwise.
  const Outline corners{{0, 0, 0},         {42000, -3000, 0}, {61000, 18000, 0},
                        {55000, 47000, 0}, {21000, 52000, 0}, {-4000, 30000, 0}};
  long double perimeter = 0;
  for (std::size_t i = 0; i < corners.size(); ++i) {
    const TAcadPoint& a = corners[i];
    const TAcadPoint& b = corners[(i + 1) % corners.size()];
    perimeter += std::hypot(b.x - a.x, b.y - a.y);
  }
  Outline o;
  for (std::size_t i = 0; i < corners.size(); ++i) {
    const TAcadPoint& a = corners[i];
    const TAcadPoint& b = corners[(i + 1) % corners.size()];
    const long double len = std::hypot(b.x - a.x, b.y - a.y);
    const auto steps = static_cast<std::size_t>(std::llround(len / perimeter * n));
    const long double nx = -(b.y - a.y) / len, ny = (b.x - a.x) / len;
    o.push_back(a);
    for (std::size_t s = 1; s < steps; ++s) {
      const long double t = static_cast<long double>(s) / steps;
      const double off = Uniform(rng, -noise, noise);
      o.push_back({std::round(a.x + t * (b.x - a.x) + off * nx),
                   std::round(a.y + t * (b.y - a.y) + off * ny), 0});
    }
  }
  return o;
}

Outline NoisyEdgeRectangle(std::size_t edgeVertices, Rng& rng, double noise, double width,
                           double height) {
  Outline o{{0, 0, 0}, {width, 0, 0}};
  for (std::size_t i = 0; i < edgeVertices; ++i) {
    const double x = width * static_cast<double>(edgeVertices - 1 - i) /
                     static_cast<double>(edgeVertices - 1);
    o.push_back({x, height + Uniform(rng, -noise, noise), 0});
  }
  return o;
}

Outline ArcParcel() {
  Outline o{{0, 0, 0}, {50000, 0, 0}};
  for (int i = 0; i <= 10; ++i) {
    const double t = (10 - i) / 10.0;
    o.push_back({50000 * t, 30000 + 2000 * std::sin(std::numbers::pi * t), 0});
  }
  return o;
}

Outline Reversed(const Outline& o) { return Outline(o.rbegin(), o.rend()); }

Outline RotatedStart(const Outline& o, std::size_t start) {
  Outline r = o;
  std::rotate(r.begin(), r.begin() + static_cast<std::ptrdiff_t>(start % o.size()), r.end());
  return r;
}

Outline WithCollinearVertices(const Outline& o, std::size_t count, Rng& rng) {
  Outline r = o;
  for (std::size_t k = 0; k < count; ++k) {
    const std::size_t i = rng() % r.size();
    const TAcadPoint& a = r[i];
    const TAcadPoint& b = r[(i + 1) % r.size()];
    const TAcadPoint m{(a.x + b.x) / 2, (a.y + b.y) / 2, 0};
    r.insert(r.begin() + static_cast<std::ptrdiff_t>(i + 1), m);
  }
  return r;
}

Outline WithNearDuplicate(const Outline& o, Rng& rng, double dx, double dy) {
  Outline r = o;
  const std::size_t i = rng() % r.size();
  const TAcadPoint copy{r[i].x + dx, r[i].y + dy, 0};
  r.insert(r.begin() + static_cast<std::ptrdiff_t>(i + 1), copy);
  return r;
}

Outline TouchingPair(std::size_t nEach, Rng& rng) {
  // Two stars of radius at most 1000 around (0,0) and (2000,0); the only
  // point they share is X = (1000,0), which the outline passes twice.
  Outline left = RandomStar(nEach, rng, 500, 1000);
  Outline right = RandomStar(nEach, rng, 500, 1000);
  const TAcadPoint x{1000, 0, 0};
  left.insert(left.begin(), x);  // angle 0 sorts first
  const auto lower = std::find_if(right.begin(), right.end(),
                                  [](const TAcadPoint& p) { return p.y < 0; });
  const auto join = static_cast<std::size_t>(lower - right.begin());
  right.insert(lower, TAcadPoint{-1000, 0, 0});
  for (TAcadPoint& p : right) p.x += 2000;
  Outline o = left;
  o.push_back(x);
  for (std::size_t k = 1; k < right.size(); ++k) o.push_back(right[(join + k) % right.size()]);
  return o;
}

Outline WithVertexOnEdge(const Outline& o, Rng& rng) {
  Outline r = o;
  const std::size_t n = r.size();
  const std::size_t v = rng() % n;
  const std::size_t e = (v + 2 + rng() % (n - 4)) % n;  // edge e -> e + 1 away from v; n >= 5
  const TAcadPoint& a = r[e];
  const TAcadPoint& b = r[(e + 1) % n];
  r[v] = {(a.x + b.x) / 2, (a.y + b.y) / 2, 0};
  return r;
}

long double SignedArea(const Outline& o) {
  long double s = 0;
  for (std::size_t i = 0; i < o.size(); ++i) {
    const TAcadPoint& a = o[i];
    const TAcadPoint& b = o[(i + 1) % o.size()];
    s += a.x * b.y - b.x * a.y;
  }
  return s / 2;
}

}  // namespace zavin::capture::testing
