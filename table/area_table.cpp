#include "table/area_table.h"

#include <cmath>
#include <optional>
#include <stdexcept>

#include "geometry/area.h"
#include "host/database.h"

namespace zavin::table {

using geometry::RoundToText;
using geometry::TAcadPoint;

namespace {

double ReadFigure(std::string_view text) {
  const std::optional<double> v = geometry::ParseWrittenNumber(text);
  if (!v) throw std::invalid_argument("not a number: " + std::string(text));
  return *v;
}

// A side text of a record or a base-and-height row: blank counts as 0.
double ReadSide(std::string_view text) {
  if (text.find_first_not_of(" \t") == std::string_view::npos) return 0;
  return ReadFigure(text);
}

void RequirePositive(double v, const char* what) {
  if (!std::isfinite(v) || v <= 0) throw std::invalid_argument(std::string(what) + " must be positive");
}

std::string WithBlanks(std::string text, int count) {
  if (count > 0) text.append(static_cast<std::size_t>(count), ' ');
  return text;
}

// Blanks after a figure, one per decimal it has fewer than `digits`, as the
// final total gets them.
int TrailingBlanks(int digits, std::string_view written) {
  const std::size_t point = written.find('.');
  return digits - (point == std::string_view::npos ? 0 : static_cast<int>(written.size() - point - 1));
}

// The texts of one triangle row, column by column.
std::vector<std::string> RowTexts(const std::vector<std::string>& fields, const AreaTableParams& p) {
  const double s = p.scale;
  if (p.method == annotate::AreaMethod::BaseHeight) {
    const BaseHeightTexts bh =
        BaseAndHeightTexts(fields[1], fields[2], fields[3], p.length.digits, p.length.mode, s);
    const double twice = ReadFigure(bh.base) * ReadFigure(bh.height);
    return {fields[0], bh.base, bh.height, RoundToText(p.area.digits, p.area.mode, twice)};
  }
  std::vector<std::string> row{fields[0]};
  for (int i = 1; i <= 3; ++i)
    row.push_back(RoundToText(p.length.digits, p.length.mode, ReadSide(fields[static_cast<std::size_t>(i)]) / s));
  const double area =
      geometry::TriangleAreaFromSides(ReadFigure(row[1]), ReadFigure(row[2]), ReadFigure(row[3]));
  row.push_back(RoundToText(p.area.digits, p.area.mode, area));
  return row;
}

// The definition goes when the build ends, however it ends.
class BlockCleanup {
 public:
  explicit BlockCleanup(const host::Document& document) : document_(document) {}
  ~BlockCleanup() { host::DeleteTempBlock(document_, name); }
  BlockCleanup(const BlockCleanup&) = delete;
  BlockCleanup& operator=(const BlockCleanup&) = delete;
  std::string name;

 private:
  host::Document document_;
};

bool IsReferenceTo(const host::Document& document, host::ObjectId id, std::string_view name) {
  try {
    const host::Entity e = document.ObjectIdToObject(id);
    return e.EntityName() == host::kBlockReferenceClass && host::BlockReference(e).Name() == name;
  } catch (const platform::HostError&) {
    return false;
  }
}

// Explodes the reference `inserted` the insertion made. ExplodeLastInsert can be
// stopped by a host error before the explosion (the reference is still the
// last entity: try once more) or after it (the pieces came last and the
// reference stayed: delete it, or the definition could not go).
bool ExplodeInserted(const host::Document& document, std::string_view name, const host::LastEntity& inserted) {
  if (host::ExplodeLastInsert(document, name)) return true;
  if (!inserted.id()) return false;
  const host::ObjectId ref_id = *inserted.id();
  const host::LastEntity last = host::ReadLastEntity(document);
  if (last == inserted) return host::ExplodeLastInsert(document, name).has_value();
  if (!last.id() || !IsReferenceTo(document, ref_id, name)) return false;
  for (int attempt = 0; attempt < 2; ++attempt) {
    try {
      document.ObjectIdToObject(ref_id).Delete();
      return true;
    } catch (const platform::HostError&) {
    }
  }
  return false;
}

// Steps after the insert command: explode what the user inserted.
bool FinishInsertion(const host::Document& document, std::string_view name, const host::LastEntity& before) {
  const host::LastEntity after = host::ReadLastEntity(document);
  if (after == before) return false;  // cancelled: nothing new
  return ExplodeInserted(document, name, after);
}

}  // namespace

void SplitCommaList(std::string_view text, std::vector<std::string>& list) {
  list.clear();
  for (std::size_t start = 0;;) {
    const std::size_t comma = text.find(',', start);
    if (comma == std::string_view::npos) {
      list.emplace_back(text.substr(start));
      return;
    }
    list.emplace_back(text.substr(start, comma - start));
    start = comma + 1;
  }
}

BaseHeightTexts BaseAndHeightTexts(std::string_view a, std::string_view b, std::string_view c,
                                   int digits, geometry::RoundingMode mode, double scale) {
  const geometry::TBaseHeight bh =
      geometry::BaseAndHeightFromSides(ReadSide(a), ReadSide(b), ReadSide(c));
  return {RoundToText(digits, mode, bh.base / scale), RoundToText(digits, mode, bh.height / scale)};
}

void CheckAreaTableParams(const AreaTableParams& p) {
  const std::size_t columns = p.method == annotate::AreaMethod::BaseHeight ? 4 : 5;
  if (p.widths.size() != columns) throw std::invalid_argument("the widths do not match the table's columns");
  RequirePositive(p.scale, "scale");
  RequirePositive(p.textHeight, "text height");
  RequirePositive(p.rowHeight, "row height");
  for (double width : p.widths)
    if (!std::isfinite(width)) throw std::invalid_argument("width is not a number");
}

AreaTableLayout LayoutAreaTable(const RecordList& records, const AreaTableParams& p) {
  CheckAreaTableParams(p);
  const bool base_height = p.method == annotate::AreaMethod::BaseHeight;
  std::vector<std::string> header;
  SplitCommaList(base_height ? kBaseHeightHeader : kThreeSideHeader, header);
  const std::vector<double>& w = p.widths;

  const std::size_t m = w.size();
  const double r = p.rowHeight;
  const auto n = static_cast<double>(records.size());
  const double rows = n + (base_height ? 4 : 3);
  std::vector<double> right(m);  // X_j
  double total_width = 0;        // W
  for (std::size_t j = 0; j < m; ++j) right[j] = total_width += w[j];
  const double label_edge = right[m - 2];

  AreaTableLayout t;
  for (int k = 0; k <= static_cast<int>(rows); ++k)
    t.lines.push_back({{0, -k * r, 0}, {total_width, -k * r, 0}});
  for (std::size_t i = 0; i <= m; ++i) {
    const double x = i == 0 ? 0 : right[i - 1];
    const double len = (i == 0 || i == m - 1 || i == m) ? rows * r : (n + 1) * r;
    t.lines.push_back({{x, 0, 0}, {x, -len, 0}});
  }
  for (std::size_t j = 0; j < m; ++j)
    t.texts.push_back({header[j], {right[j] - w[j] / 2, -r / 2, 0}, kMiddleCenter});

  double sum = 0;  // of the written last-column figures
  std::vector<std::string> fields;
  for (std::size_t k = 0; k < records.size(); ++k) {
    SplitCommaList(records[k], fields);
    if (fields.size() != 4) throw std::invalid_argument("record without four fields: " + records[k]);
    const std::vector<std::string> row = RowTexts(fields, p);
    const double y = -(static_cast<double>(k) + 1.5) * r;
    for (std::size_t j = 0; j < m; ++j) t.texts.push_back({row[j], {right[j] - r / 2, y, 0}, kMiddleRight});
    sum += ReadFigure(row.back());
  }

  const int blanks = p.area.digits - p.total.digits;
  auto summary = [&](std::string label, std::string value, double row_index) {
    const double y = -(n + row_index) * r;
    t.texts.push_back({std::move(label), {label_edge - r / 2, y, 0}, kMiddleRight});
    t.texts.push_back({std::move(value), {total_width - r / 2, y, 0}, kMiddleRight});
  };
  summary("合計", RoundToText(p.area.digits, p.area.mode, sum), 1.5);
  if (base_height) summary("1/2", RoundToText(p.area.digits, p.area.mode, sum / 2), 2.5);
  const double area = base_height ? sum / 2 : sum;
  const double last_row = base_height ? 3.5 : 2.5;
  if (const std::optional<std::string> land = geometry::LandAreaText(p.chimoku, area))
    summary("地積", WithBlanks(*land, TrailingBlanks(p.area.digits, *land)), last_row);
  else
    summary("面積", WithBlanks(RoundToText(p.total.digits, p.total.mode, area), blanks), last_row);
  return t;
}

std::string AreaTableTotalText(const RecordList& records, AreaTableParams params) {
  params.widths.assign(params.method == annotate::AreaMethod::BaseHeight ? 4 : 5, 1.0);
  std::string total = LayoutAreaTable(records, params).texts.back().text;
  total.erase(total.find_last_not_of(' ') + 1);
  return total;
}

std::string InsertCommandText(std::string_view block_name) {
  return "(command \"_-INSERT\" \"" + std::string(block_name) + "\" \"S\" 1 \"R\" 0)(princ)\r";
}

bool BuildAreaTable(const host::Document& document, const host::HostLink& link,
                    const RecordList& records, const AreaTableParams& params) {
  return PlaceTableLayout(document, link, LayoutAreaTable(records, params), params.layer, params.textHeight);
}

bool PlaceTableLayout(const host::Document& document, const host::HostLink& link, const AreaTableLayout& layout,
                      const std::string& layer, double text_height) {
  BlockCleanup cleanup(document);
  // Known before the definition exists, so a failure while it is being made
  // still finds it.
  cleanup.name = host::NextNumberedName(document, kAreaTableBlockPrefix);
  const host::NumberedBlock block = host::AddNumberedBlock(document, kAreaTableBlockPrefix);
  cleanup.name = block.name;
  host::EnsureLayer(document, layer);
  // A new text stands at 0; Rotation 0 means just that in a frame based at 0.
  const bool standing_at_zero =
      document.memory() && document.GetVariable("ANGBASE").ToDouble() == 0;

  for (const TableLine& l : layout.lines) block.block.AddLine(l.start, l.end).SetLayer(layer);
  for (const TableText& x : layout.texts) {
    const host::Text text = block.block.AddText(x.text, x.at, text_height);
    text.SetLayer(layer);
    if (!standing_at_zero) text.SetRotation(0);
    text.SetAlignment(x.alignment);
    text.SetTextAlignmentPoint(x.at);
  }

  const host::LastEntity before = host::ReadLastEntity(document);
  document.SendCommand(InsertCommandText(block.name));
  try {
    host::WaitHostIdle(link, 200);
  } catch (...) {
    // The insertion may have run all the same: leave plain entities behind.
    FinishInsertion(document, block.name, before);
    throw;
  }
  return FinishInsertion(document, block.name, before);
}

}  // namespace zavin::table
