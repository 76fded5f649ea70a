#include "capture/two_side.h"

#include <cmath>
#include <optional>
#include <string>

#include "annotate/labels.h"
#include "annotate/lines.h"
#include "annotate/marker.h"
#include "capture/segment_pick.h"
#include "geometry/area.h"
#include "geometry/plane.h"
#include "host/database.h"
#include "host/link.h"
#include "platform/message_box.h"

namespace zavin::capture {

using geometry::TAcadPoint;

namespace {

TwoSideOutcome Refuse(const host::CommandContext& context, const TwoSideParams& params,
                      TwoSideEnd end, std::string_view text) {
  platform::MessageBoxW(params.owner, text, kTwoSideCaption, platform::MB_OK);
  host::BringHostToFront(context.link());
  return {end, 0};
}

// The corner of the two sides, empty when they do not meet there. The
// absolute determinant test of IntersectLines lets collinear sides with large
// coordinates through, so parallelism is judged relative to the lengths.
std::optional<TAcadPoint> Corner(const TAcadPoint& s1start, const TAcadPoint& s1end,
                                 const TAcadPoint& s2start, const TAcadPoint& s2end) {
  const long double den = (s2end.x - s2start.x) * (s1end.y - s1start.y) -
                          (s1end.x - s1start.x) * (s2end.y - s2start.y);
  const long double lengths = geometry::Distance2D(s1start, s1end) * geometry::Distance2D(s2start, s2end);
  if (!(std::fabs(den) > kRelativeParallelTolerance * lengths)) return std::nullopt;
  const std::optional<TAcadPoint> x = geometry::IntersectLines(s1start, s1end, s2start, s2end, false);
  if (!x) return std::nullopt;
  const long double h = geometry::Distance2D(*x, s1start), l = geometry::Distance2D(*x, s1end);
  const long double m = geometry::Distance2D(*x, s2start), o = geometry::Distance2D(*x, s2end);
  if ((h > kCornerTolerance && l > kCornerTolerance) || (m > kCornerTolerance && o > kCornerTolerance))
    return std::nullopt;
  return x;
}

}  // namespace

TwoSideOutcome TwoSideTriangle(const host::Document& document, host::CommandContext& context,
                               const TwoSideParams& params, const TAcadPoint& s1start,
                               const TAcadPoint& s1end, const TAcadPoint& s2start,
                               const TAcadPoint& s2end, annotate::CreatedObjectRecord& record) {
  if (!host::HostRunning(context.link())) return {TwoSideEnd::HostGone, 0};
  if (!annotate::NumberFits(params.number))
    return Refuse(context, params, TwoSideEnd::NumberExhausted, kNumberExhaustedText);
  const host::AngleSettings angles = host::ReadAngleSettings(document);

  const std::optional<TAcadPoint> corner = Corner(s1start, s1end, s2start, s2end);
  if (!corner) return Refuse(context, params, TwoSideEnd::SidesApart, kSidesApartText);
  const TAcadPoint x = *corner;
  const TAcadPoint f1 =
      geometry::Distance2D(x, s1start) < geometry::Distance2D(x, s1end) ? s1end : s1start;
  const TAcadPoint f2 =
      geometry::Distance2D(x, s2end) > geometry::Distance2D(x, s2start) ? s2end : s2start;

  // A side shorter than the corner tolerance leaves no triangle to number;
  // refuse it before anything is drawn rather than end after the labels.
  const geometry::TBaseAndFoot d = geometry::BaseAndFoot(x, f1, f2);
  const bool numberable = params.method == annotate::AreaMethod::ThreeSide
                              ? geometry::Incenter(x, f1, f2).has_value()
                              : annotate::BaseHeightMarkerCentre(d).has_value();
  if (!numberable) return Refuse(context, params, TwoSideEnd::SidesApart, kSidesApartText);

  const annotate::AnnotationSettings& s = params.settings;
  host::EnsureLayer(document, s.sideLayer);
  annotate::DrawSegment(document, f1, f2, s.sideLayer, true, record);

  const annotate::LabelStyle labels = s.Labels();
  const annotate::MarkerStyle marker = s.Marker();
  host::EnsureLayer(document, s.textLayer);
  if (params.method == annotate::AreaMethod::BaseHeight) {
    // The base first, and the height without the neighbour check: a height
    // is never shared, and in a flat triangle the base label lies in its zone.
    annotate::SideLengthLabel(document, d.A, d.B, labels, angles, true, record);
    annotate::SideLengthLabel(document, d.C, d.H, labels, angles, false, record);
    annotate::DrawSegment(document, d.H, d.C, s.sideLayer, true, record);
    annotate::BaseHeightNumberMarker(document, x, f1, f2, d, params.number, marker, angles, record);
  } else {
    annotate::LabelTriangleSides(document, x, f1, f2, labels, angles, record);
    annotate::ThreeSideNumberMarker(document, x, f1, f2, params.number, marker, angles, record);
  }
  return {TwoSideEnd::Annotated, params.number + 1};
}

TwoSideOutcome TwoSideCommand(const host::Document& document, host::CommandContext& context,
                              const TwoSideParams& params, annotate::CreatedObjectRecord& record) {
  if (!annotate::NumberFits(params.number))
    return Refuse(context, params, TwoSideEnd::NumberExhausted, kNumberExhaustedText);
  const host::Utility utility = document.GetUtility();
  const std::optional<geometry::TAcadLine> s1 =
      SegmentPick(document, utility.GetEntity(kFirstSidePrompt));
  if (!s1) return {TwoSideEnd::NotPicked, 0};
  const std::optional<geometry::TAcadLine> s2 =
      SegmentPick(document, utility.GetEntity(kSecondSidePrompt));
  context.RestoreSnap();
  if (!s2) return {TwoSideEnd::NotPicked, 0};
  return TwoSideTriangle(document, context, params, s1->st, s1->ed, s2->st, s2->ed, record);
}

host::FrameSteps TwoSideFrameSteps() {
  host::FrameSteps steps;
  steps.EndPendingConstruction().Snap(host::SnapGuard::RestoreOneIfOne);
  steps.on_exit = [](const host::HostLink& link) {
    host::BringHostToFront(link);
    host::PressEscIfForeground(link, 0);
  };
  return steps;
}

}  // namespace zavin::capture
