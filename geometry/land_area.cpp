#include "geometry/land_area.h"

namespace zavin::geometry {

Chimoku ChimokuFromInt(int stored) {
  return stored >= 0 && stored <= 3 ? static_cast<Chimoku>(stored) : Chimoku::None;
}

std::optional<std::string> LandAreaText(Chimoku chimoku, const Decimal& area) {
  if (chimoku == Chimoku::None) return std::nullopt;
  const bool whole_metres = chimoku == Chimoku::Other && area > Decimal(10, 0);
  return area.Round(whole_metres ? 0 : 2, RoundingMode::Truncate).Widened(whole_metres ? 0 : 2).Text();
}

std::optional<std::string> LandAreaText(Chimoku chimoku, double area) {
  if (chimoku == Chimoku::None) return std::nullopt;
  std::optional<Decimal> exact = Decimal::Rounded(area, kMaxDigits, RoundingMode::Truncate);
  for (int digits = kMaxDigits - 1; !exact && digits >= 0; --digits)
    exact = Decimal::Rounded(area, digits, RoundingMode::Truncate);
  if (!exact) return std::nullopt;
  return LandAreaText(chimoku, *exact);
}

}  // namespace zavin::geometry
