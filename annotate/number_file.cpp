#include "annotate/number_file.h"

#include <cmath>
#include <fstream>
#include <numbers>
#include <stdexcept>
#include <utility>

#include "host/database.h"
#include "host/link.h"
#include "platform/executable.h"
#include "platform/number_text.h"

namespace zavin::annotate {

namespace {

std::filesystem::path& DirectoryOverride() {
  static std::filesystem::path directory;
  return directory;
}

std::filesystem::path ProgramDirectory() {
  const std::filesystem::path exe = platform::ExecutablePath();
  if (exe.has_parent_path()) return exe.parent_path();
  return std::filesystem::current_path();
}

bool IsControl(char c) {
  const auto u = static_cast<unsigned char>(c);
  return u < 0x20 || u == 0x7F;
}

bool HoldsQuoteOrControl(std::string_view s) {
  for (const char c : s)
    if (c == '"' || IsControl(c)) return true;
  return false;
}

// One group: the code right-aligned in three columns (extended-data codes
// take their four), then the value, each line ended by CR LF.
void Group(std::string& out, int code, std::string_view value) {
  const std::string digits = std::to_string(code);
  if (digits.size() < 3) out.append(3 - digits.size(), ' ');
  out += digits;
  out += "\r\n";
  out += value;
  out += "\r\n";
}

// The text's angle from +x, counter-clockwise, as the host stores it for a
// Rotation of `rotation` given in `angles`.
double AbsoluteDegrees(double rotation, const host::AngleSettings& angles) {
  const double absolute =
      angles.angle_direction == 1 ? angles.angle_base - rotation : angles.angle_base + rotation;
  return absolute * 180.0 / std::numbers::pi;
}

}  // namespace

std::filesystem::path NumberFileDirectory() {
  const std::filesystem::path& chosen = DirectoryOverride();
  return chosen.empty() ? ProgramDirectory() : chosen;
}

void SetNumberFileDirectory(std::filesystem::path directory) {
  DirectoryOverride() = std::move(directory);
}

std::string DxfReal(double value) {
  if (!std::isfinite(value)) throw std::invalid_argument("a DXF real must be finite");
  if (value == 0) value = 0;  // no "-0"
  return platform::SignificantText(value, 15);
}

void CheckNumberFileLayer(std::string_view layer) {
  if (layer.empty()) throw std::invalid_argument("the number text needs a layer name");
  if (HoldsQuoteOrControl(layer))
    throw std::invalid_argument(
        "layer name with a line break, control character or double quote cannot go into the "
        "number file");
}

std::string NumberTextDxf(const NumberTextFile& file) {
  CheckNumberFileLayer(file.layer);
  const std::string x = DxfReal(static_cast<double>(file.centre.x));
  const std::string y = DxfReal(static_cast<double>(file.centre.y));
  std::string out;
  out.reserve(1024);
  Group(out, 0, "SECTION");
  Group(out, 2, "HEADER");
  Group(out, 9, "$ACADVER");
  Group(out, 1, "AC1009");
  Group(out, 0, "ENDSEC");
  Group(out, 0, "SECTION");
  Group(out, 2, "TABLES");
  Group(out, 0, "TABLE");
  Group(out, 2, "APPID");
  Group(out, 0, "APPID");
  Group(out, 2, kXdataApp);
  Group(out, 70, "0");
  Group(out, 0, "ENDTAB");
  Group(out, 0, "ENDSEC");
  Group(out, 0, "SECTION");
  Group(out, 2, "ENTITIES");
  Group(out, 0, "TEXT");
  Group(out, 8, file.layer);
  Group(out, 6, "BYLAYER");
  Group(out, 62, "256");
  Group(out, 48, "1.0");
  Group(out, 10, x);
  Group(out, 20, y);
  Group(out, 11, x);
  Group(out, 21, y);
  Group(out, 1, std::to_string(file.number));
  Group(out, 40, DxfReal(file.textHeight));
  Group(out, 41, "1.0");
  Group(out, 50, DxfReal(AbsoluteDegrees(file.rotation, file.angles)));
  Group(out, 72, "1");
  Group(out, 73, "2");
  Group(out, kXdataAppCode, kXdataApp);
  Group(out, 1010, DxfReal(file.sides.a));
  Group(out, 1020, DxfReal(file.sides.b));
  Group(out, 1030, DxfReal(file.sides.c));
  Group(out, 0, "ENDSEC");
  Group(out, 0, "EOF");
  return out;
}

std::string InsertNumberFileCommand(const std::filesystem::path& path) {
  const std::string name = path.string();
  if (HoldsQuoteOrControl(name))
    throw std::invalid_argument("file path with a double quote or control character: " + name);
  return "_-INSERT\r\"*" + name + "\"\r0.0,0.0 1.0 0.0\r";
}

void InsertNumberTextFile(const host::Document& document, const NumberTextFile& file,
                          CreatedObjectRecord& record) {
  const std::string name = host::NextNumberedName(document, kNumberFilePrefix);
  const std::filesystem::path path = NumberFileDirectory() / (name + ".dxf");
  // Both refuse before anything is written.
  const std::string content = NumberTextDxf(file);
  const std::string command = InsertNumberFileCommand(path);

  {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    if (!out) throw std::runtime_error("cannot write " + path.string());
    out.write(content.data(), static_cast<std::streamsize>(content.size()));
    out.close();
    if (!out) throw std::runtime_error("cannot write " + path.string());
  }

  // A host that inserts nothing leaves the marker's circle as the last
  // entity; it must not be recorded a second time.
  const host::LastEntity before = record.RecordCreatedObjects ? host::ReadLastEntity(document) : host::LastEntity::Unknown();
  document.SendCommand(command);
  host::HostLink link;
  link.HostProgId = file.hostProgId;
  host::ConnectHost(link);
  host::WaitHostIdle(link, kNumberFileWaitMs);
  host::DeleteBlock(document, name);
  if (record.RecordCreatedObjects) {
    // Only an entity known to be new is recorded: one the host could not
    // tell apart from the user's own is left out.
    const host::LastEntity after = host::ReadLastEntity(document);
    if (before.NewerIs(after)) record.CreatedObjectIds.push_back(*after.id());
  }
}

}  // namespace zavin::annotate
