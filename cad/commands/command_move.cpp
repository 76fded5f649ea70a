// "MOVE": objects, a base point (or a displacement), then the second point.
// The objects move only once the second point is given, so a cancel there
// leaves them where they were.
#include <cstdint>
#include <vector>

#include "cad/commands/builtin_commands.h"
#include "cad/commands/command_line.h"
#include "cad/commands/command_table.h"
#include "cad/db/database.h"

namespace zavin::cad {

namespace {

using Kind = CommandInput::PointAnswer::Kind;

void Move(CommandInput& in) {
  const std::vector<std::int64_t> ids = in.NextSelection();
  if (ids.empty()) return;
  Point3 d;
  const CommandInput::PointAnswer base =
      in.NextPoint("Specify base point or [Displacement] <Displacement>: ", {"Displacement"});
  if (base.kind == Kind::Point) {
    const CommandInput::PointAnswer to =
        in.NextPoint("Specify second point or <use first point as displacement>: ");
    const Point3 b = base.point, t = to.point;
    // Enter takes the base point itself as the displacement.
    d = to.kind == Kind::Point ? Point3{t.x - b.x, t.y - b.y, t.z - b.z} : b;
  } else {
    const CommandInput::PointAnswer disp = in.NextPoint("Specify displacement <0,0,0>: ");
    if (disp.kind == Kind::Point) d = disp.point;
  }
  Database& db = in.database();
  for (std::int64_t id : ids)
    if (Entity* e = db.Find(id)) Translate(*e, d.x, d.y, d.z);
}

}  // namespace

void DefineMoveCommand(CommandTable& commands) { commands.Define("MOVE", Move); }

}  // namespace zavin::cad
