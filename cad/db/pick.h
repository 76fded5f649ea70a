#pragma once

// Cheap boxes around entity outlines, so that picking and window selection
// reject most entities before the exact tests of shapes.h.

#include <optional>
#include <string>
#include <unordered_map>
#include <vector>

#include "cad/db/database.h"
#include "cad/db/shapes.h"

namespace zavin::cad {

// Boxes of the entities of one database. Each box holds every point of
// ShapesOf(db, e); it is built without allocating, except that a block's
// extents are worked out once and kept. Make one per selection: the kept
// extents are not refreshed when the database changes.
class OutlineBoxes {
 public:
  explicit OutlineBoxes(const Database& db) : db_(db) {}

  // nullopt when the outline is empty (it touches nothing). A box with a NaN
  // coordinate stands for "unknown" and is never rejected.
  std::optional<Rect> Of(const Entity& e);

 private:
  struct Extent {
    std::optional<Rect> box;
    bool complete = true;  // no block was skipped for nesting or a cycle
  };
  Extent BlockExtent(const Block& b, std::vector<const Block*>& open);
  static std::optional<Rect> RefBox(const BlockRefData& r, const Block& b, const Extent& inner);

  // FindBlock, the last name kept: references mostly repeat a few names.
  const Block* Find(const std::string& name);

  const Database& db_;
  std::optional<const Block*> last_block_;
  std::string last_name_;
  // Extents as seen from model space, and extents that hold for any nesting.
  std::unordered_map<const Block*, Extent> top_, full_;
};

// True when no outline inside `box` can touch or lie in `r`, allowing for the
// rounding of the exact tests; false for a box with a NaN coordinate.
bool CertainlyMisses(const Rect& box, const Rect& r);

}  // namespace zavin::cad
