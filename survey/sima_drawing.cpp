#include "survey/sima_drawing.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <limits>

#include "capture/region_split.h"
#include "host/database.h"
#include "table/coordinate_table.h"
#include "platform/automation.h"

namespace zavin::survey {

using geometry::TAcadPoint;
using platform::Variant;

namespace {

constexpr std::int32_t kAlignLeft = 0;
constexpr std::int32_t kAlignMiddleCenter = 10;

bool SameLayer(std::string_view a, std::string_view b) {
  return platform::UpperAscii(a) == platform::UpperAscii(b);
}

void CheckStyle(const SimaDrawingStyle& style) {
  if (!(std::isfinite(style.scale) && style.scale > 0))
    throw SimaError("the scale must be a positive number");
  if (!(std::isfinite(style.text_height) && style.text_height > 0))
    throw SimaError("the text height must be a positive number");
}

// Area centroid; the mean of the vertices when the area is (nearly) zero.
TAcadPoint Centroid(const std::vector<TAcadPoint>& v) {
  long double a2 = 0, cx = 0, cy = 0, mx = 0, my = 0;
  for (std::size_t i = 0; i < v.size(); ++i) {
    const TAcadPoint& p = v[i];
    const TAcadPoint& q = v[(i + 1) % v.size()];
    const long double cross = p.x * q.y - q.x * p.y;
    a2 += cross;
    cx += (p.x + q.x) * cross;
    cy += (p.y + q.y) * cross;
    mx += p.x;
    my += p.y;
  }
  const long double n = static_cast<long double>(v.size());
  if (std::fabs(a2) <= 1e-12L * (1 + mx * mx + my * my)) return {mx / n, my / n, 0};
  return {cx / (3 * a2), cy / (3 * a2), 0};
}

bool Inside(const std::vector<TAcadPoint>& v, const TAcadPoint& p) {
  bool in = false;
  for (std::size_t i = 0, j = v.size() - 1; i < v.size(); j = i++)
    if ((v[i].y > p.y) != (v[j].y > p.y) &&
        p.x < (v[j].x - v[i].x) * (p.y - v[i].y) / (v[j].y - v[i].y) + v[i].x)
      in = !in;
  return in;
}

// Where a text is anchored: the insertion point of a left-aligned text, the
// alignment point of any other.
TAcadPoint Anchor(const host::Text& t) {
  return t.Alignment() == kAlignLeft ? t.InsertionPoint() : t.TextAlignmentPoint();
}

// The texts on `layer` crossing the window p1..p2.
std::vector<host::Text> TextsIn(const host::SelectionSet& set, const TAcadPoint& p1, const TAcadPoint& p2,
                                std::string_view layer) {
  static constexpr std::array<std::int16_t, 1> kTypeCode{0};
  set.Clear();
  set.Select(host::kSelectCrossing, p1, p2, host::MakeFilter(kTypeCode, {"TEXT"}));
  std::vector<host::Text> out;
  for (std::int32_t i = 0, n = set.Count(); i < n; ++i) {
    host::Text t(set.Item(i));
    if (SameLayer(t.Layer(), layer)) out.push_back(t);
  }
  return out;
}

// Erases what an interrupted import drew. Never raises.
void EraseQuietly(const std::vector<host::Entity>& drawn) {
  for (const host::Entity& e : drawn) {
    try {
      e.Delete();
    } catch (...) {
    }
  }
}

// Writes a system variable back, once more when the host fails. Never raises.
void SetQuietly(const host::Document& document, std::string_view name, const Variant& value) {
  for (int attempt = 0; attempt < 2; ++attempt) {
    try {
      document.SetVariable(name, value);
      return;
    } catch (...) {
    }
  }
}

}  // namespace

TAcadPoint DrawingPoint(double north, double east, double scale) {
  return {static_cast<long double>(east) * scale, static_cast<long double>(north) * scale, 0};
}

SimaDrawn DrawSima(const host::Document& document, const SimaData& data, const SimaDrawingStyle& style) {
  CheckStyle(style);
  const double h = style.text_height;
  std::vector<host::Entity> drawn;
  drawn.reserve(2 * (data.points.size() + data.parcels.size()));
  SimaDrawn done;
  // New entities go on the current layer: two calls a point instead of six.
  // The user's current layer is set back however the import ends.
  const Variant current_layer = document.GetVariable("CLAYER");
  try {
    const host::Block space = document.ModelSpace();
    if (!data.points.empty()) {
      host::EnsureLayer(document, style.point_layer);
      document.SetVariable("CLAYER", style.point_layer);
    }
    for (const SimaPoint& p : data.points) {
      const TAcadPoint at = DrawingPoint(p.x, p.y, style.scale);
      drawn.push_back(space.AddPoint(at));
      // Left-aligned, so its insertion point is its anchor, 0.71 text heights away.
      if (!p.name.empty()) drawn.push_back(space.AddText(p.name, {at.x + h / 2, at.y - h / 2, 0}, h));
      ++done.points;
    }
    if (!data.parcels.empty()) {
      host::EnsureLayer(document, style.parcel_layer);
      document.SetVariable("CLAYER", style.parcel_layer);
    }
    for (const SimaParcel& parcel : data.parcels) {
      std::vector<double> xy;
      std::vector<TAcadPoint> outline;
      for (const std::string& number : parcel.vertices) {
        const SimaPoint* p = data.FindPoint(number);
        if (!p) throw SimaError("parcel " + parcel.number + " names point " + number + ", which is not in the file");
        outline.push_back(DrawingPoint(p->x, p->y, style.scale));
        xy.push_back(static_cast<double>(outline.back().x));
        xy.push_back(static_cast<double>(outline.back().y));
      }
      const host::Polyline ring = space.AddLightWeightPolyline(xy);
      drawn.push_back(ring);
      ring.SetClosed(true);
      if (!parcel.name.empty()) {
        const TAcadPoint c = Centroid(outline);
        const host::Text name = space.AddText(parcel.name, c, h);
        drawn.push_back(name);
        name.SetAlignment(kAlignMiddleCenter);
        name.SetTextAlignmentPoint(c);
      }
      ++done.parcels;
    }
  } catch (...) {
    EraseQuietly(drawn);
    SetQuietly(document, "CLAYER", current_layer);
    throw;
  }
  SetQuietly(document, "CLAYER", current_layer);
  return done;
}

ParcelExport ParcelData(const host::Document& document, const std::vector<geometry::OutlineVertex>& outline,
                        const SimaDrawingStyle& style) {
  CheckStyle(style);
  const table::PointNameSettings names{style.point_layer, style.name_prefix, style.first_number, style.text_height};
  table::NamedCoordinates t;
  try {
    t = table::NameCoordinates(outline, style.scale, 3, table::ReadPointNameTexts(document, style.point_layer),
                               names);
  } catch (const geometry::OutlineError& e) {
    throw SimaError(std::string("the outline cannot be written as a parcel: ") + e.what());
  }
  ParcelExport out;
  SimaParcel parcel;
  parcel.number = "1";
  std::vector<TAcadPoint> ring;
  for (std::size_t i = 0; i < t.area.rows.size(); ++i) {
    const geometry::CoordinateRow& row = t.area.rows[i];
    SimaPoint p;
    p.number = std::to_string(i + 1);
    p.name = t.names[i];
    p.x = row.X.ToDouble();
    p.y = row.Y.ToDouble();
    parcel.vertices.push_back(p.number);
    out.data.points.push_back(std::move(p));
    ring.push_back(t.points[i]);
  }
  out.arc_sides = t.area.arcs.size();

  TAcadPoint lo = ring[0], hi = ring[0];
  for (const TAcadPoint& p : ring) {
    lo = {std::min(lo.x, p.x), std::min(lo.y, p.y), 0};
    hi = {std::max(hi.x, p.x), std::max(hi.y, p.y), 0};
  }
  const host::ScopedTempSelectionSet set(document);
  for (const host::Text& text : TextsIn(set.get(), lo, hi, style.parcel_layer))
    if (Inside(ring, Anchor(text))) {
      parcel.name = text.TextString();
      break;
    }
  if (parcel.name.empty()) parcel.name = "1";
  out.data.parcels.push_back(std::move(parcel));
  return out;
}

std::optional<std::vector<geometry::OutlineVertex>> BoundaryAround(const host::Document& document,
                                                                   const host::Application& application,
                                                                   host::HostKind kind, const TAcadPoint& point) {
  // Without the entity that came last before the boundary, a user's own
  // entity could pass for the boundary and be erased.
  const host::LastEntity before = host::ReadKnownLastEntity(document);
  document.SendCommand(capture::BoundaryCommandText(point));
  host::WaitHostIdle(application, kind, capture::kBoundaryWaitMs);
  const host::LastEntity made = host::ReadKnownLastEntity(document);
  if (!before.NewerIs(made)) return std::nullopt;
  const host::Entity entity = document.ObjectIdToObject(*made.id());
  if (entity.EntityName() != host::kPolylineClass) {
    entity.Erase();
    return std::nullopt;
  }
  std::vector<geometry::OutlineVertex> outline = table::ReadOutline(host::Polyline(entity));
  entity.Erase();
  return outline;
}

}  // namespace zavin::survey
