#pragma once

// Selection over model space: by window or crossing rectangle, and by pick.

#include <cstdint>
#include <optional>
#include <vector>

#include "cad/db/database.h"
#include "cad/db/filter.h"
#include "cad/db/shapes.h"

namespace zavin::cad {

// Window: outlines wholly inside the rectangle; crossing: outlines touching it.
enum class RectSelection { Window, Crossing };

// Model-space entities passing `f` that the rectangle selects, in drawing order.
std::vector<std::int64_t> SelectInRect(const Database& db, const Rect& r, RectSelection how,
                                       const std::vector<FilterTerm>& f);
// The model-space entity passing `f` nearest to p whose outline touches the
// pick box, newest on ties.
std::optional<std::int64_t> PickAt(const Database& db, P2 p, const std::vector<FilterTerm>& f);

}  // namespace zavin::cad
