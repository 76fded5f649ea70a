#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "cad/commands/boundary.h"
#include "cad/commands/builtin_commands.h"
#include "cad/commands/command_line.h"
#include "cad/commands/command_table.h"
#include "cad/db/database.h"
#include "platform/automation.h"

namespace zavin::cad {

namespace {

// -BOUNDARY: internal points, each giving one closed lightweight polyline on
// the current layer around it, until a bare Enter. "A" opens the advanced
// options until a bare Enter: "O" takes the object type (P polyline, R
// region, which this host does not make), "I" island detection and "B" the
// boundary set take one answer that is accepted and ignored. Points in no
// closed region make nothing.
void Boundary(CommandInput& in) {
  bool polyline = true;
  std::vector<std::pair<double, double>> points;
  for (;;) {
    const CommandInput::PointAnswer a =
        in.NextPoint("Pick internal point or [Advanced options]: ", {"Advanced"});
    if (a.kind == CommandInput::PointAnswer::Kind::Enter) break;
    if (a.kind == CommandInput::PointAnswer::Kind::Point) {
      points.emplace_back(a.point.x, a.point.y);
      continue;
    }
    for (;;) {
      const std::string option = in.NextKeyword(
          "Enter an option [Boundary set/Island detection/Object type]: ",
          {"Boundary", "Island", "Object", "eXit"}, "eXit");
      if (option == "eXit") break;
      if (option == "Object") {
        polyline = in.NextKeyword("Enter type of boundary object [Region/Polyline] <Polyline>: ",
                                  {"Region", "Polyline"}, "Polyline") == "Polyline";
      } else {
        in.NextToken(option == "Island" ? "Do you want island detection? [Yes/No] <Y>: "
                                        : "Specify candidate set for boundary [New/Everything] <Everything>: ");
      }
    }
  }
  if (!polyline || points.empty()) return;
  Database& db = in.database();
  const std::vector<BoundaryEdge> linework = BoundaryLinework(db);
  for (const auto& [x, y] : points)
    if (std::optional<BoundaryOutline> outline = FindBoundary(linework, x, y)) {
      PolylineData boundary;
      boundary.vertices = std::move(outline->vertices);
      boundary.closed = true;
      boundary.bulges = std::move(outline->bulges);
      db.Add(std::move(boundary));
    }
}

}  // namespace

void DefineBoundaryCommand(CommandTable& commands) { commands.Define("BOUNDARY", Boundary); }

}  // namespace zavin::cad
