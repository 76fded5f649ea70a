#include "table/coordinate_table.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <limits>
#include <numbers>
#include <optional>
#include <stdexcept>

#include "host/database.h"

namespace zavin::table {

using geometry::TAcadPoint;

namespace {

void RequirePositive(double v, const char* what) {
  if (!std::isfinite(v) || v <= 0) throw std::invalid_argument(std::string(what) + " must be positive");
}

void RequireWidths(const std::vector<double>& widths, std::size_t columns) {
  if (widths.size() != columns) throw std::invalid_argument("the widths do not match the table's columns");
  for (double w : widths)
    if (!std::isfinite(w)) throw std::invalid_argument("width is not a number");
}

// Whole seconds of arc, half up: 37°50′54″.
std::string AngleText(double radians) {
  const long long seconds = std::llround(radians * 180 / std::numbers::pi * 3600);
  char buf[64];
  std::snprintf(buf, sizeof buf, "%lld°%02lld′%02lld″", seconds / 3600, seconds / 60 % 60, seconds % 60);
  return buf;
}

std::string WithBlanksFor(std::string text, int digits) {
  const std::size_t point = text.find('.');
  const int decimals = point == std::string::npos ? 0 : static_cast<int>(text.size() - point - 1);
  if (digits > decimals) text.append(static_cast<std::size_t>(digits - decimals), ' ');
  return text;
}

// One table of `widths` at x offset `left`: a header, `body` rows whose inner
// lines run down, then `summary` rows with a label cell and a value cell.
struct Grid {
  AreaTableLayout& out;
  const std::vector<double>& widths;
  double left;
  double r;
  std::vector<double> right;  // right edge of each column
  double total = 0;

  Grid(AreaTableLayout& o, const std::vector<double>& w, double x, double row)
      : out(o), widths(w), left(x), r(row) {
    for (double width : widths) right.push_back(total += width);
  }

  void Lines(std::size_t body, std::size_t summary) {
    const auto rows = static_cast<double>(1 + body + summary);
    for (std::size_t k = 0; k <= 1 + body + summary; ++k) {
      const double y = -static_cast<double>(k) * r;
      out.lines.push_back({{left, y, 0}, {left + total, y, 0}});
    }
    const std::size_t m = widths.size();
    for (std::size_t i = 0; i <= m; ++i) {
      const double x = left + (i == 0 ? 0 : right[i - 1]);
      const bool full = i == 0 || i == m || (summary > 0 && i == m - 1);
      const double len = full ? rows * r : static_cast<double>(body + 1) * r;
      out.lines.push_back({{x, 0, 0}, {x, -len, 0}});
    }
  }
  void Header(std::string_view header) {
    std::vector<std::string> texts;
    SplitCommaList(header, texts);
    for (std::size_t j = 0; j < widths.size(); ++j)
      out.texts.push_back({texts[j], {left + right[j] - widths[j] / 2, -r / 2, 0}, kMiddleCenter});
  }
  void Row(std::size_t k, const std::vector<std::string>& texts) {
    const double y = -(static_cast<double>(k) + 1.5) * r;
    for (std::size_t j = 0; j < texts.size(); ++j)
      out.texts.push_back({texts[j], {left + right[j] - r / 2, y, 0}, kMiddleRight});
  }
  void Summary(std::size_t k, std::string label, std::string value) {
    const double y = -(static_cast<double>(k) + 1.5) * r;
    out.texts.push_back({std::move(label), {left + right[widths.size() - 2] - r / 2, y, 0}, kMiddleRight});
    out.texts.push_back({std::move(value), {left + total - r / 2, y, 0}, kMiddleRight});
  }
};

}  // namespace

std::vector<geometry::OutlineVertex> ReadOutline(const host::Polyline& polyline) {
  const std::vector<double> xy = polyline.Coordinates();
  std::vector<geometry::OutlineVertex> out;
  for (std::size_t i = 0; i + 1 < xy.size(); i += 2) {
    const double bulge = polyline.GetBulge(static_cast<std::int32_t>(i / 2));
    out.push_back({{xy[i], xy[i + 1], 0}, bulge});
  }
  return out;
}

std::vector<PointNameText> ReadPointNameTexts(const host::Document& document, std::string_view layer) {
  const host::ScopedTempSelectionSet set(document);
  set->Clear();
  static constexpr std::int16_t kCodes[] = {0, 8};
  const host::SelectFilter filter =
      host::MakeFilter(kCodes, {platform::Variant(std::string("TEXT")), platform::Variant(std::string(layer))});
  platform::Call(set->ref(), "Select",
                 {platform::Variant(host::kSelectAll), platform::Variant(), platform::Variant(), filter.types,
                  filter.data});
  std::vector<PointNameText> out;
  const std::int32_t count = set->Count();
  for (std::int32_t i = 0; i < count; ++i) {
    const host::Text text(set->Item(i));
    PointNameText t;
    t.text = text.TextString();
    t.at = text.Alignment() == 0 ? text.InsertionPoint() : text.TextAlignmentPoint();
    t.height = text.Height();
    out.push_back(std::move(t));
  }
  return out;
}

NamedCoordinates NameCoordinates(std::span<const geometry::OutlineVertex> outline, double scale, int digits,
                                 const std::vector<PointNameText>& texts, const PointNameSettings& names) {
  NamedCoordinates t;
  t.area = geometry::ComputeCoordinateArea(outline, scale, digits);
  long long next = names.start;
  for (const geometry::CoordinateRow& row : t.area.rows) {
    const TAcadPoint at = outline[row.vertex].at;
    const PointNameText* best = nullptr;
    double best_distance = std::numeric_limits<double>::infinity();
    for (const PointNameText& text : texts) {
      const double d = std::hypot(static_cast<double>(text.at.x - at.x), static_cast<double>(text.at.y - at.y));
      if (text.height > 0 && d <= text.height && d < best_distance && !text.text.empty()) {
        best = &text;
        best_distance = d;
      }
    }
    t.points.push_back(at);
    t.generated.push_back(best == nullptr);
    t.names.push_back(best ? best->text : names.prefix + std::to_string(next++));
  }
  return t;
}

TAcadPoint NamePosition(const NamedCoordinates& table, std::size_t row, double height) {
  const std::size_t n = table.points.size();
  const TAcadPoint& p = table.points[row];
  const TAcadPoint& prev = table.points[(row + n - 1) % n];
  const TAcadPoint& next = table.points[(row + 1) % n];
  // Clockwise on the drawing: outside is to the left of each side.
  auto left_normal = [](const TAcadPoint& a, const TAcadPoint& b) {
    const double dx = static_cast<double>(b.x - a.x), dy = static_cast<double>(b.y - a.y);
    const double len = std::hypot(dx, dy);
    return len > 0 ? std::pair{-dy / len, dx / len} : std::pair{0.0, 0.0};
  };
  const auto [ax, ay] = left_normal(prev, p);
  const auto [bx, by] = left_normal(p, next);
  double ox = ax + bx, oy = ay + by;
  double len = std::hypot(ox, oy);
  if (len < 1e-9) {  // a side turning straight back: take the later side's normal
    ox = bx;
    oy = by;
    len = std::hypot(ox, oy);
  }
  if (len == 0) return p;
  return {p.x + ox / len * height, p.y + oy / len * height, p.z};
}

void CheckCoordinateTableParams(const CoordinateTableParams& p) {
  RequireWidths(p.widths, 5);
  if (p.sideTable) RequireWidths(p.sideWidths, 2);
  RequirePositive(p.scale, "scale");
  RequirePositive(p.textHeight, "text height");
  RequirePositive(p.rowHeight, "row height");
}

std::string LandAreaFigure(const geometry::Decimal& area, const CoordinateTableParams& p) {
  if (std::optional<std::string> land = geometry::LandAreaText(p.chimoku, area)) return *land;
  const int digits = std::clamp(p.total.digits, geometry::kMinDigits, geometry::kMaxDigits);
  const geometry::Decimal rounded = area.Round(digits, p.total.mode);
  return rounded.Scale() < digits ? rounded.Widened(digits).Text() : rounded.Text();
}

AreaTableLayout LayoutCoordinateTable(const NamedCoordinates& t, const CoordinateTableParams& p) {
  CheckCoordinateTableParams(p);
  const geometry::CoordinateArea& a = t.area;
  const std::size_t n = a.rows.size();
  if (n < 3 || t.names.size() != n) throw std::invalid_argument("a coordinate table needs three named rows");
  const int product_digits = 2 * a.digits;

  AreaTableLayout out;
  Grid grid(out, p.widths, 0, p.rowHeight);
  grid.Lines(n, 3 + a.arcs.size());
  grid.Header(kCoordinateHeader);
  for (std::size_t k = 0; k < n; ++k) {
    const geometry::CoordinateRow& r = a.rows[k];
    grid.Row(k, {t.names[k], r.X.Text(), r.Y.Text(), r.dY.Text(), r.product.Text()});
  }
  std::size_t k = n;
  grid.Summary(k++, "倍面積", a.twice.Text());
  for (const geometry::ArcSegmentRow& arc : a.arcs) {
    const std::string label = "弓形 " + t.names[arc.from] + "–" + t.names[arc.to] + " R=" + arc.radius.Text() +
                              " θ=" + AngleText(arc.angle);
    grid.Summary(k++, label, arc.area.Text());
  }
  grid.Summary(k++, "面積", a.area.Text());
  grid.Summary(k++, "地積", WithBlanksFor(LandAreaFigure(a.area, p), product_digits));

  if (p.sideTable) {
    Grid side(out, p.sideWidths, grid.total + p.rowHeight, p.rowHeight);
    side.Lines(n, 0);
    side.Header(kSideLengthHeader);
    for (std::size_t i = 0; i < n; ++i) {
      const std::size_t j = (i + 1) % n;
      side.Row(i, {t.names[i] + "–" + t.names[j],
                   geometry::RoundToText(p.length.digits, p.length.mode, geometry::SideLength(a.rows[i], a.rows[j]))});
    }
  }
  return out;
}

}  // namespace zavin::table
