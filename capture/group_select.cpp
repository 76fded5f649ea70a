#include "capture/group_select.h"

#include <cstddef>

#include "annotate/labels.h"
#include "annotate/lines.h"
#include "annotate/marker.h"
#include "annotate/record.h"
#include "capture/segment_triangles.h"
#include "capture/segments.h"
#include "geometry/area.h"
#include "geometry/plane.h"
#include "host/database.h"
#include "host/link.h"
#include "platform/message_box.h"

namespace zavin::capture {

using geometry::TAcadLine;
using geometry::TAcadPoint;
using geometry::TAcadTriangle;

namespace {

// The marker needs an incenter (three-side) or a non-degenerate half
// (base-and-height); a triangle of overlapping segments may have neither.
bool Numberable(const TAcadTriangle& t, annotate::AreaMethod method) {
  if (method == annotate::AreaMethod::BaseHeight)
    return annotate::BaseHeightMarkerCentre(geometry::BaseAndFoot(t.p1, t.p2, t.p3)).has_value();
  return geometry::Incenter(t.p1, t.p2, t.p3).has_value();
}

void LabelUnlisted(const host::Document& document, const TAcadPoint& a, const TAcadPoint& b,
                   const annotate::LabelStyle& labels, const host::AngleSettings& angles,
                   LabelledSegments& labelled, annotate::CreatedObjectRecord& record) {
  if (labelled.Contains(a, b, kLabelledTolerance)) return;
  annotate::SideLengthLabel(document, a, b, labels, angles, false, record);
  labelled.Add(a, b);
}

}  // namespace

void ExplodeLwPolylines(GroupRecords& records) {
  std::size_t next = 0;  // vertex records are stored polyline by polyline
  for (const TLwpBlk& poly : records.polylines) {
    std::vector<TAcadPoint> run;
    // The run with this ihand; stray records of other polylines are passed over.
    while (next < records.vertices.size() && records.vertices[next].ihand != poly.ihand) ++next;
    while (next < records.vertices.size() && records.vertices[next].ihand == poly.ihand)
      run.push_back(records.vertices[next++].code10);
    if (!run.empty() && (poly.code70 & 1)) run.push_back(run.front());
    for (std::size_t i = 0; i + 1 < run.size(); ++i) {
      TAcadLineBlk seg;
      seg.bname = poly.bname;
      seg.layer = poly.layer;
      seg.ltype = poly.ltype;
      seg.color = poly.color;
      seg.code67 = poly.code67;
      seg.code210 = poly.code210;
      seg.st = run[i];
      seg.ed = run[i + 1];
      seg.lwpflag = true;
      records.lines.push_back(std::move(seg));
    }
  }
}

GroupRecords ReadGroupSelection(const host::SelectionSet& set) {
  GroupRecords records;
  const std::int32_t count = set.Count();
  for (std::int32_t i = 0; i < count; ++i) {
    const host::Entity entity = set.Item(i);
    const std::string name = entity.EntityName();
    if (name == host::kLineClass) {
      const host::Line line(entity);
      TAcadLineBlk blk;
      blk.st = line.StartPoint();
      blk.ed = line.EndPoint();
      records.lines.push_back(std::move(blk));
    } else if (name == host::kPolylineClass) {
      const host::Polyline polyline(entity);
      TLwpBlk blk;
      blk.ihand = i;
      blk.code70 = polyline.Closed() ? 1 : 0;
      const std::vector<double> xy = polyline.Coordinates();
      for (std::size_t k = 0; k + 1 < xy.size(); k += 2) {
        TLwpEle vertex;
        vertex.ihand = i;
        vertex.code10 = {xy[k], xy[k + 1], 0};
        records.vertices.push_back(std::move(vertex));
      }
      records.polylines.push_back(std::move(blk));
    }
  }
  return records;
}

void AnnotateTriangleGroup(const host::CommandContext& context, const GroupSelectParams& params,
                           GroupRecords& records, GroupProgress& progress) {
  if (!host::HostRunning(context.link())) return;
  const host::Document document = context.ActiveDocument();
  const annotate::AnnotationSettings& s = params.settings;
  host::EnsureLayer(document, s.textLayer);
  host::EnsureLayer(document, s.sideLayer);
  host::EnsureLayer(document, s.heightLayer);
  const host::AngleSettings angles = host::ReadAngleSettings(document);

  if (!records.polylines.empty()) ExplodeLwPolylines(records);
  std::vector<TAcadLine> segments;
  segments.reserve(records.lines.size());
  for (const TAcadLineBlk& blk : records.lines) segments.push_back({blk.st, blk.ed});
  if (segments.empty()) {
    progress.no_segments = true;
    platform::MessageBoxW(params.owner, kNoSegmentsText, kGroupCaption, platform::MB_OK);
    host::BringHostToFront(context.link());
    return;
  }
  // Overlapping pieces of one side are that side, and a triangle found twice
  // (over a repeated side) is numbered once.
  segments = MergeOverlappingSegments(segments);
  const std::vector<TAcadTriangle> triangles =
      segments.size() > 2 ? DistinctTriangles(FindSegmentTriangles(segments)) : std::vector<TAcadTriangle>{};
  if (triangles.empty()) return;

  // Nothing this command writes takes part in a base-line construction.
  annotate::CreatedObjectRecord record;
  const annotate::LabelStyle labels = s.Labels();
  const annotate::MarkerStyle marker = s.Marker();
  LabelledSegments labelled;
  int number = params.number;
  for (const TAcadTriangle& t : triangles) {
    if (!Numberable(t, params.method)) {
      ++progress.skipped;
      continue;
    }
    if (!annotate::NumberFits(number)) {
      platform::MessageBoxW(params.owner, kGroupNumberExhaustedText, kGroupCaption, platform::MB_OK);
      break;
    }
    if (params.method == annotate::AreaMethod::BaseHeight) {
      const geometry::TBaseAndFoot d = geometry::BaseAndFoot(t.p1, t.p2, t.p3);
      LabelUnlisted(document, d.A, d.B, labels, angles, labelled, record);
      annotate::SideLengthLabel(document, d.C, d.H, labels, angles, false, record);
      annotate::DrawSegment(document, d.C, d.H, s.heightLayer, false, record);
      annotate::BaseHeightNumberMarker(document, t.p1, t.p2, t.p3, d, number, marker, angles, record);
    } else {
      LabelUnlisted(document, t.p1, t.p2, labels, angles, labelled, record);
      LabelUnlisted(document, t.p2, t.p3, labels, angles, labelled, record);
      LabelUnlisted(document, t.p3, t.p1, labels, angles, labelled, record);
      annotate::ThreeSideNumberMarker(document, t.p1, t.p2, t.p3, number, marker, angles, record);
    }
    ++number;
    ++progress.annotated;
    progress.next_number = number;
  }
  host::BringHostToFront(context.link());
  document.Regen(0);
}

void GroupSelectCommand(const host::Document& document, host::CommandContext& context,
                        const GroupSelectParams& params, GroupProgress& progress) {
  document.RegenAtEnd();
  GroupRecords records;
  {
    const host::ScopedTempSelectionSet set(document);
    set->SelectOnScreen();
    if (set->Count() > 0) records = ReadGroupSelection(set.get());
  }
  if (!records.empty()) AnnotateTriangleGroup(context, params, records, progress);
}

host::FrameSteps GroupSelectFrameSteps() { return host::FrameSteps().EndPendingConstruction(); }

}  // namespace zavin::capture
