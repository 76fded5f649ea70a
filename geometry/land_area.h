#pragma once

// 地積: the registered area of a parcel, in m², cut to the unit the land
// category (地目) allows.

#include <optional>
#include <string>

#include "geometry/decimal.h"

namespace zavin::geometry {

// The land category as the settings store it; "none" leaves every total as
// the tool's total digits and rounding make it.
enum class Chimoku : int {
  None = 0,
  Takuchi = 1,    // 宅地
  Kousenchi = 2,  // 鉱泉地
  Other = 3,      // every other category
};

// A stored value outside 0..3 reads as None.
Chimoku ChimokuFromInt(int stored);

// 宅地 and 鉱泉地: truncated below 0.01 m². Other land: below 0.01 m² up to
// 10 m², below 1 m² above 10 m². Nothing for None.
std::optional<std::string> LandAreaText(Chimoku chimoku, const Decimal& area);
// The same for an area held as a double, read at the decimals it was written
// with (up to 6); nothing for None or a value that is not finite.
std::optional<std::string> LandAreaText(Chimoku chimoku, double area);

}  // namespace zavin::geometry
