#include "cad/db/selection.h"

#include "cad/db/pick.h"

namespace zavin::cad {

std::vector<std::int64_t> SelectInRect(const Database& db, const Rect& r, RectSelection how,
                                       const std::vector<FilterTerm>& f) {
  std::vector<std::int64_t> out;
  // Boxes first: only the entities near r get their exact outline.
  OutlineBoxes boxes(db);
  for (const auto& [id, e] : db.model_space()) {
    const auto box = boxes.Of(e);
    if (!box || CertainlyMisses(*box, r) || !PassesFilter(e, f)) continue;
    const Shapes s = ShapesOf(db, e);
    if (how == RectSelection::Window ? Inside(s, r) : Crosses(s, r)) out.push_back(id);
  }
  return out;
}

std::optional<std::int64_t> PickAt(const Database& db, P2 p, const std::vector<FilterTerm>& f) {
  const Rect box = Rect::Around(p, db.PickAperture());
  std::optional<std::int64_t> best;
  double best_d = 0;
  OutlineBoxes boxes(db);
  for (const auto& [id, e] : db.model_space()) {
    const auto outline = boxes.Of(e);
    if (!outline || CertainlyMisses(*outline, box) || !PassesFilter(e, f)) continue;
    const Shapes s = ShapesOf(db, e);
    if (!Crosses(s, box)) continue;
    const double d = DistanceTo(s, p);
    if (!best || d <= best_d) {
      best = id;
      best_d = d;
    }
  }
  return best;
}

}  // namespace zavin::cad
