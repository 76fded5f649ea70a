#include "tools/base_line.h"

#include <algorithm>
#include <cmath>

#include "capture/segment_pick.h"
#include "geometry/area.h"
#include "geometry/plane.h"
#include "host/link.h"
#include "platform/automation.h"

namespace zavin::tools {

using geometry::Distance2D;
using geometry::TAcadPoint;

namespace {

// Below this half-perimeter product the apex would sit on the base line.
constexpr long double kMinAreaProduct = 0.00001L;

// True when no model-space entity carries `id`. Raises on host errors, so a
// host that cannot answer never makes an entity count as gone.
bool GoneFromModelSpace(const host::Document& document, std::int64_t id) {
  const host::Block space = document.ModelSpace();
  for (std::int32_t i = 0, n = space.Count(); i < n; ++i)
    if (space.Item(i).ObjectID() == id) return false;
  return true;
}

// Of the apexes for x at p0 and y at p1, the one nearer `p`.
std::optional<TAcadPoint> NearerApex(const TAcadPoint& p0, const TAcadPoint& p1, double x, double y,
                                     const TAcadPoint& p) {
  const std::optional<ApexPair> pair = ApexCandidates(p0, p1, x, y);
  if (!pair) return std::nullopt;
  return NearerCandidate(*pair, p);
}

}  // namespace

std::optional<ApexPair> ApexCandidates(const TAcadPoint& P, const TAcadPoint& Q, double x, double y) {
  const long double d = Distance2D(P, Q);
  if (!(x > 0 && y > 0 && d > 0) || !std::isfinite(x) || !std::isfinite(y) || !std::isfinite(d))
    return std::nullopt;
  const long double s = (d + x + y) / 2;
  const long double product = s * (s - d) * (s - x) * (s - y);
  if (!(product > kMinAreaProduct)) return std::nullopt;
  const long double theta = geometry::DirectionAngle(P, Q);
  // Rounding can carry the cosine a hair past ±1 for very flat triangles.
  const long double cosine =
      std::clamp((static_cast<long double>(x) * x + d * d - static_cast<long double>(y) * y) /
                     (2 * static_cast<long double>(x) * d),
                 -1.0L, 1.0L);
  const long double alpha = std::acos(cosine);
  return ApexPair{geometry::PolarPoint(P, static_cast<double>(theta + alpha), x),
                  geometry::PolarPoint(P, static_cast<double>(theta - alpha), x)};
}

TAcadPoint NearerCandidate(const ApexPair& apexes, const TAcadPoint& g) {
  return Distance2D(apexes.C1, g) > Distance2D(apexes.C2, g) ? apexes.C2 : apexes.C1;
}

void BaseLineConstruction(const host::Document& document, host::CommandContext& context,
                          const BaseLineParams& params, BaseLineState& state,
                          annotate::CreatedObjectRecord& record, BaseLineProgress& progress) {
  document.RegenAtEnd();
  const host::EntityPick pick = document.GetUtility().GetEntity("基準線を選択 : ");
  const std::optional<geometry::TAcadLine> segment = capture::SegmentPick(document, pick);
  if (!segment) return;
  const TAcadPoint S = segment->st;
  const TAcadPoint T = segment->ed;
  TAcadPoint M = pick.point;
  if (const auto foot = geometry::PerpendicularFoot(M, S, T, true); foot && foot->accepted)
    M = foot->point;

  if (!host::HostRunning(context.link())) return;

  const double base = static_cast<double>(Distance2D(S, T));
  double a = params.a;
  double b = params.b;
  // Side a starts at the end of the base nearer the pick; at S on a tie.
  if (Distance2D(M, S) > Distance2D(M, T)) std::swap(a, b);
  if (geometry::TriangleAreaFromSides(base, a, b) == 0) {
    progress.end = BaseLineEnd::CannotForm;
    return;
  }

  host::ActivateHost(context.link());
  const TAcadPoint G = document.GetUtility().GetPoint("作成側を指示 : ");
  const std::optional<ApexPair> apexes = ApexCandidates(S, T, a, b);
  if (!apexes) {
    progress.end = BaseLineEnd::NoApex;
    return;
  }
  state.LastTriangle = geometry::TAcadTriangle{S, T, NearerCandidate(*apexes, G)};
  const host::AngleSettings angles = host::ReadAngleSettings(document);

  record.Reset();
  record.RecordCreatedObjects = true;
  progress.pending = true;
  const geometry::TAcadTriangle& t = *state.LastTriangle;
  progress.next_number = annotate::AnnotateTriangle(document, t.p1, t.p2, t.p3, params.method, angles,
                                                    params.settings, params.number, record);
  progress.end = BaseLineEnd::Built;
  host::BringHostToFront(context.link());
  document.Regen(0);
}

bool RemoveRecordedEntities(const host::Document& document, std::span<const std::int64_t> ids) {
  bool all_removed = true;
  for (const std::int64_t id : ids) {
    try {
      document.ObjectIdToObject(id).Delete();
    } catch (const platform::HostError&) {
      // The host reports an erased entity like any other failure; only a
      // look at the drawing tells them apart.
      try {
        if (!GoneFromModelSpace(document, id)) all_removed = false;
      } catch (const platform::HostError&) {
        all_removed = false;
      }
    }
  }
  return all_removed;
}

void SwapSides(const host::Document& document, host::CommandContext& context,
               const BaseLineParams& params, BaseLineState& state,
               annotate::CreatedObjectRecord& record, BaseLineProgress& progress) {
  if (!state.LastTriangle) return;
  document.RegenAtEnd();
  const host::AngleSettings angles = host::ReadAngleSettings(document);
  const geometry::TAcadTriangle last = *state.LastTriangle;
  const TAcadPoint& P0 = last.p1;
  const TAcadPoint& P1 = last.p2;
  const TAcadPoint& P2 = last.p3;
  const double d0 = static_cast<double>(Distance2D(P0, P2));
  const double d1 = static_cast<double>(Distance2D(P1, P2));
  const std::optional<TAcadPoint> present = NearerApex(P0, P1, d0, d1, P2);
  const std::optional<TAcadPoint> exchanged = NearerApex(P0, P1, d1, d0, P2);
  if (!present || !exchanged) {
    progress.end = BaseLineEnd::NoApex;
    return;
  }
  // `present` reproduces P2, so this is normally the exchanged variant.
  const TAcadPoint apex = Distance2D(*present, P2) > Distance2D(*exchanged, P2) ? *present : *exchanged;
  state.LastTriangle = geometry::TAcadTriangle{P0, P1, apex};

  if (record.RecordCreatedObjects)
    record.RecordCreatedObjects = RemoveRecordedEntities(document, record.CreatedObjectIds);
  else
    record.RecordCreatedObjects = true;  // nothing was recorded to remove: record this one
  record.CreatedObjectIds.clear();

  // The redrawn triangle takes the number of the one it replaces.
  const int number = std::max(annotate::kMinNumber, params.number - 1);
  progress.next_number = annotate::AnnotateTriangle(document, P0, P1, apex, params.method, angles,
                                                    params.settings, number, record);
  progress.end = BaseLineEnd::Built;
  document.Regen(0);
  host::BringHostToFront(context.link());
}

}  // namespace zavin::tools
