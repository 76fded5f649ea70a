#include "tools/number_move.h"

#include <array>
#include <cmath>
#include <utility>

#include "geometry/plane.h"
#include "host/database.h"
#include "host/link.h"
#include "platform/automation.h"
#include "platform/number_text.h"

namespace zavin::tools {

using geometry::TAcadPoint;

namespace {

std::string Fixed(long double value, int decimals) { return platform::FixedText(static_cast<double>(value), decimals); }

// DIMASZ and DIMLDRBLK as they were, written back when the scope ends.
class DimensionRestore {
 public:
  DimensionRestore(const host::Document& document, double arrow_size, std::string arrow_block)
      : document_(document), arrow_size_(arrow_size), arrow_block_(std::move(arrow_block)) {}
  ~DimensionRestore() {
    host::RestoreVariable(document_, "DIMASZ", host::Variant(arrow_size_));
    host::RestoreVariable(document_, "DIMLDRBLK", host::Variant(arrow_block_));
  }
  DimensionRestore(const DimensionRestore&) = delete;
  DimensionRestore& operator=(const DimensionRestore&) = delete;

 private:
  host::Document document_;
  double arrow_size_;
  std::string arrow_block_;
};

}  // namespace

std::optional<PickedMarker> PickNumberMarker(const host::Document& document) {
  static constexpr std::array<std::int16_t, 1> kCodes{0};
  const host::ScopedTempSelectionSet set(document);
  set->Clear();
  set->SelectOnScreen(host::MakeFilter(kCodes, {host::Variant(kNumberMoveFilter)}));
  if (set->Count() != 2) return std::nullopt;
  const host::Entity first = set->Item(0);
  const host::Entity second = set->Item(1);
  const std::string first_name = first.EntityName();
  const std::string second_name = second.EntityName();
  const host::Entity* circle = nullptr;
  if (first_name == host::kTextClass && second_name == host::kCircleClass) circle = &second;
  if (first_name == host::kCircleClass && second_name == host::kTextClass) circle = &first;
  if (!circle) return std::nullopt;
  const host::Circle c(*circle);
  return PickedMarker{c.Center(), c.Radius()};
}

std::string MoveCommandText(const TAcadPoint& base) {
  return "MOVE\rPRE\r\r" + Fixed(base.x, 3) + "," + Fixed(base.y, 3) + "," + Fixed(base.z, 3) +
         "\r";
}

std::string LeaderCommandText(const TAcadPoint& from, const TAcadPoint& to) {
  return "_LEADER\r" + Fixed(from.x, 4) + "," + Fixed(from.y, 4) + " " + Fixed(to.x, 4) + "," +
         Fixed(to.y, 4) + "\r\r\rN\r";
}

TAcadPoint LeaderEdgePoint(const TAcadPoint& moved, const TAcadPoint& old_centre, double radius) {
  return geometry::PolarPoint(
      moved, static_cast<double>(geometry::DirectionAngle(moved, old_centre)), radius);
}

std::string SavedArrowBlock(std::string_view value) {
  std::string out;
  for (const char c : value)
    if (c != '"') out += c;
  return out.empty() ? "." : out;
}

NumberMoveResult MoveNumberMarker(const host::Document& document, const host::HostLink& link,
                                  const NumberMoveOptions& options) {
  const std::optional<PickedMarker> marker = PickNumberMarker(document);
  if (!marker) return NumberMoveResult::NotAMarker;
  const TAcadPoint c0 = marker->centre;

  document.SendCommand(MoveCommandText(c0));
  host::WaitHostIdle(link, kNumberMoveWaitMs);

  const TAcadPoint c1 = host::PointFromVariant(document.GetVariable("LASTPOINT"));
  const double arrow_size = document.GetVariable("DIMASZ").ToDouble();
  const std::string arrow_block = SavedArrowBlock(document.GetVariable("DIMLDRBLK").ToText());
  double dim_scale = document.GetVariable("DIMSCALE").ToDouble();
  // The host scales DIMASZ by DIMSCALE; without a usable factor the arrowhead
  // is drawn at the size given.
  if (!(dim_scale > 0) || !std::isfinite(dim_scale)) dim_scale = 1;
  const TAcadPoint e = LeaderEdgePoint(c1, c0, marker->radius);

  if (options.leader) {
    const DimensionRestore restore(document, arrow_size, arrow_block);
    document.SetVariable("DIMASZ", host::Variant(options.arrowSize / dim_scale));
    document.SetVariable("DIMLDRBLK", host::Variant("."));
    document.SendCommand(LeaderCommandText(c0, e));
    host::WaitHostIdle(link, kNumberMoveWaitMs);
  } else {
    document.ModelSpace().AddLine(c0, e).Update();
  }
  return NumberMoveResult::Moved;
}

}  // namespace zavin::tools
