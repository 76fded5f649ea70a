#include "capture/region_split.h"

#include <optional>
#include <vector>

#include "annotate/labels.h"
#include "annotate/lines.h"
#include "annotate/marker.h"
#include "annotate/record.h"
#include "capture/segments.h"
#include "capture/triangulation.h"
#include "geometry/area.h"
#include "geometry/coordinate_area.h"
#include "geometry/plane.h"
#include "host/database.h"
#include "host/link.h"
#include "platform/message_box.h"
#include "platform/number_text.h"

namespace zavin::capture {

using geometry::TAcadPoint;
using geometry::TAcadTriangle;

namespace {

void Tell(const RegionSplitParams& params, const host::CommandContext& context,
          std::string_view text, std::string_view caption) {
  platform::MessageBoxW(params.owner, text, caption, platform::MB_OK);
  host::BringHostToFront(context.link());
}

// A triangle the writers can number; a flat one is left without labels.
bool Numberable(const TAcadTriangle& t, annotate::AreaMethod method) {
  if (method == annotate::AreaMethod::BaseHeight)
    return annotate::BaseHeightMarkerCentre(geometry::BaseAndFoot(t.p1, t.p2, t.p3)).has_value();
  return geometry::Incenter(t.p1, t.p2, t.p3).has_value();
}

struct Writer {
  Writer(const host::Document& d, const RegionSplitParams& p, const host::AngleSettings& a)
      : document(d), params(p), angles(a), labels(p.settings.Labels()), marker(p.settings.Marker()) {}

  const host::Document& document;
  const RegionSplitParams& params;
  const host::AngleSettings& angles;
  annotate::LabelStyle labels;
  annotate::MarkerStyle marker;
  LabelledSegments labelled;
  // The command keeps no created-object list: the flag stays off.
  annotate::CreatedObjectRecord record;

  void LabelOnce(const TAcadPoint& a, const TAcadPoint& b) {
    if (labelled.Contains(a, b)) return;
    annotate::SideLengthLabel(document, a, b, labels, angles, false, record);
    labelled.Add(a, b);
  }

  void Annotate(const TAcadTriangle& t, int number) {
    if (params.method == annotate::AreaMethod::BaseHeight) {
      const geometry::TBaseAndFoot d = geometry::BaseAndFoot(t.p1, t.p2, t.p3);
      LabelOnce(d.A, d.B);
      annotate::SideLengthLabel(document, d.C, d.H, labels, angles, false, record);
      annotate::DrawSegment(document, d.C, d.H, params.settings.heightLayer, false, record);
      annotate::BaseHeightNumberMarker(document, t.p1, t.p2, t.p3, d, number, marker, angles, record);
    } else {
      LabelOnce(t.p1, t.p2);
      LabelOnce(t.p2, t.p3);
      LabelOnce(t.p3, t.p1);
      annotate::ThreeSideNumberMarker(document, t.p1, t.p2, t.p3, number, marker, angles, record);
    }
  }
};

}  // namespace

std::optional<std::string> ArcSegmentNote(std::span<const geometry::OutlineVertex> outline, double scale) {
  bool any = false;
  for (const geometry::OutlineVertex& v : outline) any = any || v.bulge != 0;
  if (!any) return std::nullopt;
  geometry::CoordinateArea area;
  try {
    area = geometry::ComputeCoordinateArea(outline, scale, 3);
  } catch (const geometry::OutlineError&) {
    return std::nullopt;
  }
  geometry::Decimal left_out(0, 6);
  for (const geometry::ArcSegmentRow& arc : area.arcs) left_out = left_out + arc.area;
  return std::string(kArcSegmentNote) + (left_out.Sign() > 0 ? "+" : "") + left_out.Text() + " m²\r\n";
}

std::string BoundaryCommandText(const TAcadPoint& point) {
  return "_-BOUNDARY A O P \r" + platform::FixedText(static_cast<double>(point.x), 4) + "," +
         platform::FixedText(static_cast<double>(point.y), 4) + "\r\r";
}

RegionSplitOutcome SplitRegion(const host::Document& document, host::CommandContext& context,
                               const RegionSplitParams& params, const TAcadPoint& point) {
  const annotate::AnnotationSettings& s = params.settings;
  host::EnsureLayer(document, s.textLayer);
  host::EnsureLayer(document, s.sideLayer);
  host::EnsureLayer(document, s.heightLayer);
  const host::AngleSettings angles = host::ReadAngleSettings(document);
  const double view_height = document.GetVariable("VIEWSIZE").ToDouble();

  // Without the entity that came last before the boundary, a user's own
  // entity could pass for the new boundary and be erased: the command ends
  // before the host draws anything.
  const host::LastEntity before = host::ReadKnownLastEntity(document);
  document.SendCommand(BoundaryCommandText(point));
  host::WaitHostIdle(context.link(), kBoundaryWaitMs);
  const host::LastEntity made = host::ReadKnownLastEntity(document);

  RegionSplitOutcome outcome;
  if (!before.NewerIs(made)) {
    Tell(params, context, kNoBoundaryText, kNoBoundaryCaption);
    outcome.end = RegionSplitEnd::NoBoundary;
    return outcome;
  }
  const host::Entity entity = document.ObjectIdToObject(*made.id());
  if (entity.EntityName() != host::kPolylineClass) {
    host::BringHostToFront(context.link());
    outcome.end = RegionSplitEnd::NotAPolyline;
    return outcome;
  }
  const host::Polyline boundary(entity);
  const std::vector<double> xy = boundary.Coordinates();
  std::vector<geometry::OutlineVertex> arcs;
  for (std::size_t i = 0; i + 1 < xy.size(); i += 2) {
    const double bulge = boundary.GetBulge(static_cast<std::int32_t>(i / 2));
    arcs.push_back({{xy[i], xy[i + 1], 0}, bulge});
  }
  entity.Erase();
  std::vector<TAcadPoint> outline;
  outline.reserve(xy.size() / 2);
  for (std::size_t i = 0; i + 1 < xy.size(); i += 2) outline.push_back({xy[i], xy[i + 1], 0});
  if (const std::optional<std::string> note = ArcSegmentNote(arcs, s.scale))
    document.GetUtility().Prompt(*note);
  if (outline.empty()) {
    host::BringHostToFront(context.link());
    return outcome;
  }

  // Triangulated first and drawn after: the drawing ends as if every diagonal
  // were drawn when accepted, but a run whose numbers cannot all be written
  // is refused before anything is drawn.
  std::vector<geometry::TAcadLine> diagonals;
  const TTriangulation split =
      TriangulatePolygon(outline, view_height, [&](const TAcadPoint& a, const TAcadPoint& c) {
        diagonals.push_back({a, c});
      });
  outcome.triangles = static_cast<int>(split.triangles.size());
  const bool annotating = params.annotate && split.complete();
  if (annotating && !split.triangles.empty() &&
      !annotate::NumberFits(params.number + outcome.triangles - 1)) {
    Tell(params, context, kRegionNumbersExhaustedText, kNoBoundaryCaption);
    outcome.end = RegionSplitEnd::NumberExhausted;
    return outcome;
  }
  annotate::CreatedObjectRecord record;
  for (const geometry::TAcadLine& d : diagonals)
    annotate::DrawSegment(document, d.st, d.ed, s.sideLayer, false, record);
  if (!split.complete()) {
    Tell(params, context, kSplitFailedText, kSplitFailedCaption);
    outcome.end = RegionSplitEnd::SplitFailed;
    return outcome;
  }

  if (annotating) {
    Writer writer(document, params, angles);
    int number = params.number;
    for (const TAcadTriangle& t : split.triangles) {
      if (!Numberable(t, params.method)) continue;
      writer.Annotate(t, number);
      ++number;
      ++outcome.annotated;
      if (params.numbered) params.numbered(number);
    }
  }
  host::BringHostToFront(context.link());
  return outcome;
}

RegionSplitOutcome RegionSplitCommand(const host::Document& document, host::CommandContext& context,
                                      const RegionSplitParams& params) {
  if (params.annotate && !annotate::NumberFits(params.number)) {
    Tell(params, context, kRegionNumbersExhaustedText, kNoBoundaryCaption);
    return {RegionSplitEnd::NumberExhausted, 0, 0};
  }
  document.RegenAtEnd();
  const host::Utility utility = document.GetUtility();
  const TAcadPoint point = utility.GetPoint(kRegionPointPrompt);
  utility.Prompt(kPointPickedText);
  const RegionSplitOutcome outcome = SplitRegion(document, context, params, point);
  document.Regen(0);
  return outcome;
}

host::FrameSteps RegionSplitFrameSteps() {
  host::FrameSteps steps;
  steps.EndPendingConstruction();
  return steps;
}

}  // namespace zavin::capture
