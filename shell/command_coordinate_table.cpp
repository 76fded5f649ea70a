#include "shell/command_coordinate_table.h"

#include <optional>
#include <vector>

#include "capture/region_split.h"
#include "geometry/coordinate_area.h"
#include "host/database.h"
#include "host/link.h"
#include "platform/message_box.h"
#include "table/records.h"

namespace zavin::shell {

using geometry::TAcadPoint;

namespace {

void Tell(const CoordinateCommandParams& params, const host::CommandContext& context, std::string_view text) {
  platform::MessageBoxW(params.owner, text, capture::kNoBoundaryCaption, platform::MB_OK);
  host::BringHostToFront(context.link());
}

std::string_view FaultText(geometry::OutlineFault fault) {
  switch (fault) {
    case geometry::OutlineFault::TooFewVertices:
      return kTooFewVerticesText;
    case geometry::OutlineFault::Crossing:
      return kOutlineCrossingText;
    case geometry::OutlineFault::OutOfRange:
      return kOutOfRangeText;
    case geometry::OutlineFault::NoArea:
      break;
  }
  return kNoAreaText;
}

bool Inside(const std::vector<TAcadPoint>& polygon, const TAcadPoint& p) {
  bool in = false;
  for (std::size_t i = 0, j = polygon.size() - 1; i < polygon.size(); j = i++) {
    const TAcadPoint& a = polygon[i];
    const TAcadPoint& b = polygon[j];
    if ((a.y > p.y) != (b.y > p.y) && p.x < (b.x - a.x) * (p.y - a.y) / (b.y - a.y) + a.x) in = !in;
  }
  return in;
}

// The area table's total of the triangles whose number texts stand inside
// the outline; empty when there are none.
std::string TrianglesTotal(const host::Document& document, const table::NamedCoordinates& named,
                           const table::AreaTableParams& params) {
  std::vector<TAcadPoint> where;
  const std::optional<table::RecordList> records = table::CollectTriangleRecords(document, true, &where);
  if (!records) return {};
  table::RecordList inside;
  for (std::size_t i = 0; i < records->size(); ++i)
    if (Inside(named.points, where[i])) inside.push_back((*records)[i]);
  if (inside.empty()) return {};
  table::SortTriangleRecords(inside);
  return table::AreaTableTotalText(inside, params);
}

void WriteGeneratedNames(const host::Document& document, const table::NamedCoordinates& named,
                         const table::PointNameSettings& names) {
  bool any = false;
  for (bool g : named.generated) any = any || g;
  if (!any) return;
  host::EnsureLayer(document, names.layer);
  const host::Block space = document.ModelSpace();
  for (std::size_t k = 0; k < named.names.size(); ++k) {
    if (!named.generated[k]) continue;
    const TAcadPoint at = table::NamePosition(named, k, names.textHeight);
    const host::Text text = space.AddText(named.names[k], at, names.textHeight);
    text.SetLayer(names.layer);
    text.SetAlignment(table::kMiddleCenter);
    text.SetTextAlignmentPoint(at);
  }
}

}  // namespace

host::FrameSteps CoordinateTableFrameSteps() { return host::FrameSteps().EndPendingConstruction(); }

std::string CoordinateReportText(const geometry::Decimal& area, const std::string& triangles_total) {
  std::string text = "\r\n座標求積 面積 " + area.Text() + " m²";
  if (const std::optional<geometry::Decimal> total = geometry::Decimal::Parse(triangles_total)) {
    const geometry::Decimal difference = area - *total;
    text += "  三角形 " + triangles_total + " m²  差 " + (difference.Sign() > 0 ? "+" : "") + difference.Text() +
            " m²";
  }
  return text + "\r\n";
}

CoordinateTableEnd CoordinateTableCommand(const host::Document& document, host::CommandContext& context,
                                          const CoordinateCommandParams& params) {
  table::CheckCoordinateTableParams(params.table);
  const host::Utility utility = document.GetUtility();
  std::optional<TAcadPoint> point;
  try {
    point = utility.GetPoint(kCoordinatePointPrompt);
  } catch (const platform::HostError& e) {
    // Enter answers the prompt with nothing: the polyline option. A cancel
    // or any other failure ends the command.
    if (e.code() != platform::hr::kHostException) throw;
  }

  std::vector<geometry::OutlineVertex> outline;
  if (point) {
    utility.Prompt(capture::kPointPickedText);
    // See capture's region split: without a known "before" a user's entity
    // could pass for the boundary.
    const host::LastEntity before = host::ReadKnownLastEntity(document);
    document.SendCommand(capture::BoundaryCommandText(*point));
    host::WaitHostIdle(context.link(), capture::kBoundaryWaitMs);
    const host::LastEntity made = host::ReadKnownLastEntity(document);
    if (!before.NewerIs(made)) {
      Tell(params, context, capture::kNoBoundaryText);
      return CoordinateTableEnd::NoBoundary;
    }
    const host::Entity entity = document.ObjectIdToObject(*made.id());
    if (entity.EntityName() != host::kPolylineClass) {
      host::BringHostToFront(context.link());
      return CoordinateTableEnd::NotAPolyline;
    }
    try {
      outline = table::ReadOutline(host::Polyline(entity));
    } catch (...) {
      entity.Erase();
      throw;
    }
    entity.Erase();
  } else {
    const host::EntityPick pick = utility.GetEntity(kCoordinatePolylinePrompt);
    if (pick.entity.EntityName() != host::kPolylineClass || !host::Polyline(pick.entity).Closed()) {
      Tell(params, context, kNotClosedText);
      return CoordinateTableEnd::NotClosed;
    }
    outline = table::ReadOutline(host::Polyline(pick.entity));
  }

  const std::vector<table::PointNameText> texts = table::ReadPointNameTexts(document, params.names.layer);
  table::NamedCoordinates named;
  try {
    named = table::NameCoordinates(outline, params.table.scale, params.table.digits, texts, params.names);
  } catch (const geometry::OutlineError& e) {
    Tell(params, context, FaultText(e.fault()));
    return CoordinateTableEnd::BadOutline;
  }
  const table::AreaTableLayout layout = table::LayoutCoordinateTable(named, params.table);
  if (!table::PlaceTableLayout(document, context.link(), layout, params.table.layer, params.table.textHeight)) {
    host::BringHostToFront(context.link());
    return CoordinateTableEnd::Cancelled;
  }
  WriteGeneratedNames(document, named, params.names);
  utility.Prompt(CoordinateReportText(named.area.area, TrianglesTotal(document, named, params.triangles)));
  host::BringHostToFront(context.link());
  return CoordinateTableEnd::Placed;
}

CoordinateCommandParams ReadCoordinateTableParams(const TForm1& form) {
  CoordinateCommandParams p;
  table::CoordinateTableParams& t = p.table;
  t.scale = FieldNumber(form.Edit8);
  t.digits = form.UpDown7.Position();
  t.textHeight = FieldNumber(form.Edit9);
  t.rowHeight = FieldNumber(form.Edit10);
  std::vector<std::string> pieces;
  table::SplitCommaList(form.Edit27.Text(), pieces);
  for (const std::string& piece : pieces) t.widths.push_back(FieldNumber(piece));
  t.sideTable = form.CheckBox5.Checked();
  if (t.sideTable) {
    table::SplitCommaList(form.Edit28.Text(), pieces);
    for (const std::string& piece : pieces) t.sideWidths.push_back(FieldNumber(piece));
  }
  t.layer = form.Edit12.Text();
  t.length = {form.Settings.LengthDigits, form.Settings.LengthRounding};
  t.total = {form.Settings.TotalDigits, form.Settings.TotalRounding};
  t.chimoku = geometry::ChimokuFromInt(form.RadioGroup2.ItemIndex());

  p.names.layer = form.Edit23.Text();
  p.names.prefix = form.Edit24.Text();
  const double start = FieldNumber(form.Edit25);
  if (start < 0 || start > 999999999 || start != static_cast<double>(static_cast<long long>(start)))
    throw std::invalid_argument("the first point number is not a whole number");
  p.names.start = static_cast<int>(start);
  p.names.textHeight = FieldNumber(form.Edit3);

  p.triangles.method = AreaMethodOf(form);
  p.triangles.scale = t.scale;
  p.triangles.length = t.length;
  p.triangles.area = {form.Settings.AreaDigits, form.Settings.AreaRounding};
  p.triangles.total = t.total;
  p.triangles.chimoku = t.chimoku;
  p.owner = form.Handle();
  return p;
}

void InstallCoordinateTableCommand(TForm1& form, CommandState& /*state*/) {
  form.Commands.Button15Click = [](TForm1& f, TButton&) {
    f.Frame.Run(CoordinateTableFrameSteps(), [&f](const host::Document& document, host::CommandContext& context) {
      // Every field is read before the pick: one that is not a number ends the
      // command before anything is drawn.
      const CoordinateCommandParams params = ReadCoordinateTableParams(f);
      CoordinateTableCommand(document, context, params);
    });
  };
}

}  // namespace zavin::shell
