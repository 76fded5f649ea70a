// "_LEADER": a start point (the arrow tip), further points, then the
// annotation: lines of text placed at the last point, or an option, of which
// None leaves the leader alone. The arrowhead is DIMASZ x DIMSCALE long and
// of the DIMLDRBLK block.
#include <string>
#include <vector>

#include "cad/commands/builtin_commands.h"
#include "cad/commands/command_line.h"
#include "cad/commands/command_table.h"
#include "cad/db/database.h"
#include "platform/automation.h"

namespace zavin::cad {

namespace {

using Kind = CommandInput::PointAnswer::Kind;

double DimScale(const Database& db) {
  const double s = db.GetVar("DIMSCALE").ToDouble();
  return s > 0 ? s : 1.0;  // 0 (fit to layout) and below count as 1
}

// Lines of annotation text until Enter; with none, the options prompt.
std::vector<std::string> Annotation(CommandInput& in) {
  std::vector<std::string> lines;
  std::string line = in.NextToken("Enter first line of annotation text or <options>: ");
  if (line.empty()) {
    const std::string option =
        in.NextKeyword("Enter an annotation option [Tolerance/Copy/Block/None/Mtext] <Mtext>: ",
                       {"Tolerance", "Copy", "Block", "None", "Mtext"}, "Mtext");
    if (option != "None") in.Echo(option + " annotation is not available here; the leader stands alone.");
    return lines;
  }
  while (!line.empty()) {
    lines.push_back(std::move(line));
    line = in.NextToken("Enter next line of annotation text: ");
  }
  return lines;
}

void Leader(CommandInput& in) {
  std::vector<Point3> points;
  bool arrow = true;
  const CommandInput::PointAnswer start = in.NextPoint("Specify leader start point: ");
  if (start.kind != Kind::Point) return;
  points.push_back(start.point);
  for (;;) {
    if (points.size() == 1) {
      const CommandInput::PointAnswer p = in.NextPoint("Specify next point: ");
      if (p.kind != Kind::Point) return;  // one point makes no leader
      points.push_back(p.point);
      continue;
    }
    const CommandInput::PointAnswer p =
        in.NextPoint("Specify next point or [Annotation/Format/Undo] <Annotation>: ",
                     {"Annotation", "Format", "Undo"});
    if (p.kind == Kind::Point) {
      points.push_back(p.point);
    } else if (p.kind == Kind::Enter || p.keyword == "Annotation") {
      break;
    } else if (p.keyword == "Undo") {
      points.pop_back();
    } else {
      const std::string f = in.NextKeyword(
          "Enter leader format option [Spline/STraight/Arrow/None] <Exit>: ",
          {"Spline", "STraight", "Arrow", "None", "Exit"}, "Exit");
      if (f == "Arrow") arrow = true;
      if (f == "None") arrow = false;
    }
  }
  const std::vector<std::string> text = Annotation(in);

  Database& db = in.database();
  const double scale = DimScale(db);
  std::string block = db.GetVar("DIMLDRBLK").ToText();
  if (block == ".") block.clear();  // "." names the default closed filled arrow
  LeaderData leader{points, db.GetVar("DIMASZ").ToDouble() * scale, arrow ? block : "_NONE"};
  db.Add(std::move(leader));
  const Point3 last = points.back();
  const double height = db.GetVar("DIMTXT").ToDouble() * scale;
  const bool leftward = last.x < points[points.size() - 2].x;
  for (std::size_t i = 0; i < text.size(); ++i) {
    TextData t;
    t.text = text[i];
    t.height = height;
    t.alignment = leftward ? kAlignMiddleRight : kAlignMiddleLeft;
    const double gap = leftward ? -height / 2 : height / 2;
    t.alignment_point = {last.x + gap, last.y - static_cast<double>(i) * height * 5 / 3, last.z};
    db.Add(std::move(t));
  }
  db.SetPointVar("LASTPOINT", last);
}

}  // namespace

void DefineLeaderCommand(CommandTable& commands) { commands.Define("LEADER", Leader); }

}  // namespace zavin::cad
