// "_-INSERT" without its dialog. The name is a block of the drawing or a DXF
// file; a "*" before it inserts the contents exploded. The insertion-point
// prompt also takes the Basepoint, Scale and Rotate options; scale and
// rotation not given there are asked after the point.
#include <cmath>
#include <filesystem>
#include <numbers>
#include <optional>
#include <string>
#include <string_view>

#include "cad/commands/builtin_commands.h"
#include "cad/commands/command_line.h"
#include "cad/commands/command_table.h"
#include "cad/db/database.h"
#include "cad/dxf/dxf_file.h"
#include "platform/automation.h"

namespace zavin::cad {

namespace {

constexpr char kNamePrompt[] = "Enter block name or [?]: ";
constexpr char kPointPrompt[] = "Specify insertion point or [Basepoint/Scale/Rotate]: ";

// The file part of a path written with either separator, without its extension.
std::string FileStem(std::string_view path) {
  const std::size_t slash = path.find_last_of("/\\");
  std::string_view name = slash == std::string_view::npos ? path : path.substr(slash + 1);
  const std::size_t dot = name.rfind('.');
  if (dot != std::string_view::npos && dot > 0) name = name.substr(0, dot);
  return std::string(name);
}

bool FileExists(const std::string& name) {
  std::error_code ec;
  return std::filesystem::is_regular_file(name, ec);
}

bool LooksLikeFile(std::string_view name) {
  if (name.find_first_of("/\\:") != std::string_view::npos) return true;
  return platform::UpperAscii(name).ends_with(".DXF");
}

// Reads `path` into the block definition named after the file, made or
// emptied for it, with the file's layers and the blocks its entities use.
// Returns the block's name; a file that cannot be read is reported and
// leaves the drawing as it was.
std::optional<std::string> DefineFromFile(CommandInput& in, const std::string& path) {
  Database file;
  try {
    std::filesystem::path p(path);
    if (!FileExists(path) && !p.has_extension()) p += ".dxf";
    LoadDxf(p, file);
  } catch (const std::exception& e) {
    in.Echo("Cannot insert \"" + path + "\": " + e.what());
    return std::nullopt;
  }
  Database& db = in.database();
  const std::string name = FileStem(path);
  for (const Layer& layer : file.layers()) db.AddLayer(layer.name);
  for (const Block& b : file.blocks()) {
    // The drawing's own definitions win; the file's own name is its model space.
    if (db.FindBlock(b.name) || platform::UpperAscii(b.name) == platform::UpperAscii(name)) continue;
    Block& copy = db.AddBlock(b.name, b.origin);
    for (const auto& [id, e] : b.entities) db.Add(e.data, e.layer, copy.id).xdata = e.xdata;
  }
  Block& block = db.AddBlock(name);
  block.origin = {};
  block.entities.clear();
  const std::int64_t owner = block.id;
  for (const auto& [id, e] : file.model_space()) db.Add(e.data, e.layer, owner).xdata = e.xdata;
  return db.FindBlock(name)->name;
}

// A scale factor; zero is refused and asked again.
double NonzeroScale(CommandInput& in, const std::string& prompt) {
  for (;;) {
    const double v = in.NextReal(prompt, 1.0);
    if (v != 0) return v;
    in.Echo("Value must be nonzero.");
  }
}

void Insert(CommandInput& in) {
  std::string name = in.NextToken(kNamePrompt);
  if (name.empty()) return;
  const bool exploded = name.front() == '*';
  if (exploded) name.erase(0, 1);
  if (name.empty()) return;
  Database& db = in.database();

  std::string block_name;
  if (const Block* b = LooksLikeFile(name) ? nullptr : db.FindBlock(name)) {
    block_name = b->name;
  } else if (LooksLikeFile(name) || FileExists(name) || FileExists(name + ".dxf")) {
    const std::optional<std::string> defined = DefineFromFile(in, name);
    if (!defined) return;
    block_name = *defined;
  } else {
    in.Echo("Block \"" + name + "\" is not defined and no drawing file of that name was found.");
    return;
  }

  std::optional<double> scale, rotation;  // rotation in degrees
  std::optional<Point3> base;
  Point3 at;
  for (;;) {
    const CommandInput::PointAnswer a = in.NextPoint(kPointPrompt, {"Basepoint", "Scale", "Rotate"});
    if (a.kind == CommandInput::PointAnswer::Kind::Enter) return;
    if (a.kind == CommandInput::PointAnswer::Kind::Point) {
      at = a.point;
      break;
    }
    if (a.keyword == "Basepoint") {
      const CommandInput::PointAnswer p = in.NextPoint("Specify base point: ");
      if (p.kind != CommandInput::PointAnswer::Kind::Point) return;
      base = p.point;
    } else if (a.keyword == "Scale") {
      scale = NonzeroScale(in, "Specify scale factor for XYZ axes <1>: ");
    } else {
      rotation = in.NextReal("Specify rotation angle <0>: ", 0.0);
    }
  }
  if (!scale) scale = NonzeroScale(in, "Specify scale factor <1>: ");
  if (!rotation) rotation = in.NextReal("Specify rotation angle <0>: ", 0.0);
  const double radians = *rotation * std::numbers::pi / 180.0;

  const Block& block = *db.FindBlock(block_name);
  const Point3 from = base.value_or(block.origin);
  if (exploded) {
    std::vector<Entity> copies;
    for (const auto& [id, e] : block.entities) copies.push_back(e);
    for (Entity& c : copies) {
      Place(c, from, *scale, radians, at);
      db.Add(std::move(c.data), c.layer).xdata = std::move(c.xdata);
    }
    return;
  }
  // A reference places the block origin; a base point other than the origin
  // moves the insertion by the placed offset between the two.
  const double dx = (block.origin.x - from.x) * *scale, dy = (block.origin.y - from.y) * *scale;
  const double c = std::cos(radians), s = std::sin(radians);
  db.InsertBlock(block_name,
                 {at.x + c * dx - s * dy, at.y + s * dx + c * dy,
                  at.z + (block.origin.z - from.z) * *scale},
                 *scale, radians);
}

}  // namespace

void DefineInsertCommand(CommandTable& commands) { commands.Define("INSERT", Insert); }

}  // namespace zavin::cad
