// "_-INSERT" without its dialog: the block name, then the insertion-point
// prompt, which also takes the Scale and Rotate options. Inputs come from the
// sent text in order; once it runs out the point is asked from the user.
#include <charconv>
#include <cmath>
#include <numbers>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "cad/builtin_commands.h"
#include "cad/database.h"
#include "cad/embedded_host.h"
#include "platform/automation.h"

namespace zavin::cad {

namespace {

constexpr char kPointPrompt[] = "Specify insertion point or [Basepoint/Scale/Rotate]: ";

std::optional<double> ReadNumber(std::string_view s) {
  double v = 0;
  const char* end = s.data() + s.size();
  auto [ptr, ec] = std::from_chars(s.data(), end, v);
  if (ec != std::errc() || ptr != end || !std::isfinite(v)) return std::nullopt;
  return v;
}

// "x,y" or "x,y,z" typed at a point prompt.
std::optional<Point3> ReadPoint(std::string_view s) {
  std::vector<double> parts;
  for (std::size_t start = 0;;) {
    const std::size_t comma = s.find(',', start);
    const auto v = ReadNumber(s.substr(start, comma == std::string_view::npos ? comma : comma - start));
    if (!v) return std::nullopt;
    parts.push_back(*v);
    if (comma == std::string_view::npos) break;
    start = comma + 1;
  }
  if (parts.size() < 2 || parts.size() > 3) return std::nullopt;
  return Point3{parts[0], parts[1], parts.size() == 3 ? parts[2] : 0};
}

void InsertBlockCommand(EmbeddedHost& host, const std::vector<std::string>& inputs) {
  std::size_t next = 0;
  auto token = [&]() -> std::optional<std::string> {
    if (next < inputs.size()) return inputs[next++];
    return std::nullopt;
  };
  const std::optional<std::string> name = token();
  if (!name || name->empty()) return;
  Database& db = host.database();
  // A name without a definition would be looked up as a drawing file; that
  // form is not handled here, so nothing is inserted.
  const Block* block = db.FindBlock(*name);
  if (!block) return;
  const std::string block_name = block->name;

  double scale = 1;
  double rotation = 0;  // radians
  for (;;) {
    const std::optional<std::string> answer = token();
    if (!answer) {
      const UserAnswer a = host.Ask(kPointPrompt);
      if (a.kind != UserAnswer::Kind::Point && a.kind != UserAnswer::Kind::Entity) return;
      db.InsertBlock(block_name, {a.x, a.y, a.z}, scale, rotation);
      return;
    }
    const std::string option = platform::UpperAscii(*answer);
    if (option == "S" || option == "R") {
      const std::optional<std::string> value_text = token();
      const std::optional<double> value = value_text ? ReadNumber(*value_text) : std::nullopt;
      // A missing or unreadable value ends the command, as a cancelled prompt does.
      if (!value) return;
      if (option == "S") {
        if (*value == 0) return;
        scale = *value;
      } else {
        rotation = *value * std::numbers::pi / 180.0;
      }
      continue;
    }
    if (const std::optional<Point3> p = ReadPoint(*answer)) {
      db.InsertBlock(block_name, *p, scale, rotation);
      return;
    }
    return;  // anything else is not an answer this prompt takes
  }
}

}  // namespace

void DefineInsertCommand(EmbeddedHost& host) { host.DefineCommand("INSERT", InsertBlockCommand); }

}  // namespace zavin::cad
