#include "cad/dxf/dxf_file.h"

#include <dxflib/dl_dxf.h>
#include <dxflib/dl_writer_ascii.h>

#include <algorithm>
#include <charconv>
#include <climits>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <deque>
#include <fstream>
#include <iconv.h>
#include <sstream>
#include <memory>
#include <numbers>
#include <optional>
#include <set>
#include <system_error>

#include "platform/automation.h"
#include "platform/variant.h"

namespace zavin::cad {

namespace {

using platform::Variant;
using platform::VarKind;

constexpr double kRadToDeg = 180.0 / std::numbers::pi;

std::string Where(const std::filesystem::path& file, int line) {
  return line > 0 ? file.string() + ":" + std::to_string(line) : file.string();
}

std::string_view TrimView(std::string_view s) {
  const auto b = s.find_first_not_of(" \t");
  if (b == std::string_view::npos) return {};
  const auto e = s.find_last_not_of(" \t");
  return s.substr(b, e - b + 1);
}

std::string Trim(std::string_view s) { return std::string(TrimView(s)); }

std::optional<long> ParseInt(std::string_view s) {
  const std::string_view t = TrimView(s);
  long v = 0;
  const char* first = t.data();
  if (!t.empty() && t[0] == '+') ++first;
  auto [p, ec] = std::from_chars(first, t.data() + t.size(), v);
  if (ec != std::errc() || p != t.data() + t.size() || first == t.data() + t.size()) return {};
  return v;
}

std::optional<double> ParseReal(std::string_view s) {
  const std::string_view t = TrimView(s);
  double v = 0;
  const char* first = t.data();
  if (!t.empty() && t[0] == '+') ++first;
  auto [p, ec] = std::from_chars(first, t.data() + t.size(), v);
  if (ec != std::errc() || p != t.data() + t.size() || first == t.data() + t.size() ||
      !std::isfinite(v))
    return {};
  return v;
}

// Value types by group code, as far as they need checking.
enum class ValueType { Text, Real, Int };
ValueType TypeOf(long code) {
  if ((code >= 10 && code <= 59) || (code >= 110 && code <= 149) || (code >= 210 && code <= 239) ||
      (code >= 460 && code <= 469) || (code >= 1010 && code <= 1059))
    return ValueType::Real;
  if ((code >= 60 && code <= 99) || (code >= 160 && code <= 179) || (code >= 270 && code <= 289) ||
      (code >= 370 && code <= 389) || (code >= 400 && code <= 409) || (code >= 420 && code <= 429) ||
      (code >= 440 && code <= 459) || (code >= 1060 && code <= 1071))
    return ValueType::Int;
  return ValueType::Text;
}


// Kinds the database models; the rest of an entity section is reported.
const std::set<std::string> kModelled = {"LINE",   "LWPOLYLINE", "POLYLINE", "VERTEX", "SEQEND",
                                         "CIRCLE", "ARC",        "TEXT",     "INSERT", "LEADER",
                                         "POINT",  "BLOCK",  "ENDBLK"};

// 2D polylines are modelled; 3D polylines, meshes and polyface meshes are not.
constexpr int kPolyline3dFlags = 8 | 16 | 64;
// A vertex that only steers a spline fit and is not on the drawn path.
constexpr int kSplineFrameVertex = 16;

// The extended data of one entity, assembled from its 1001..1071 groups.
class XdataBuilder {
 public:
  // Returns an error text, empty when the group fits.
  std::string Add(long code, const std::string& raw) {
    if (code == 1001) {
      items_.push_back({1001, Variant(raw)});
      return {};
    }
    if (items_.empty()) return "extended data before its application name (1001)";
    if (code >= 1010 && code <= 1013) {
      items_.push_back({static_cast<std::int16_t>(code),
                        platform::MakePointArray(*ParseReal(raw), 0, 0)});
      return {};
    }
    if ((code >= 1020 && code <= 1023) || (code >= 1030 && code <= 1033)) {
      const long base = code >= 1030 ? code - 20 : code - 10;
      auto& last = items_.back();
      if (last.code != base) return "point coordinate " + std::to_string(code) + " without its 1010 group";
      last.value.array().items[code >= 1030 ? 2 : 1] = Variant(*ParseReal(raw));
      return {};
    }
    if (code >= 1040 && code <= 1042) {
      items_.push_back({static_cast<std::int16_t>(code), Variant(*ParseReal(raw))});
      return {};
    }
    if (code == 1070) {
      const long v = *ParseInt(raw);
      if (v < -32768 || v > 32767) return "1070 value out of range";
      items_.push_back({1070, Variant(static_cast<std::int16_t>(v))});
      return {};
    }
    if (code == 1071) {
      items_.push_back({1071, Variant(static_cast<std::int32_t>(*ParseInt(raw)))});
      return {};
    }
    if (code == 1004) {
      if (raw.size() % 2) return "1004 binary data of odd length";
      std::vector<Variant> bytes;
      for (std::size_t i = 0; i < raw.size(); i += 2) {
        int b = 0;
        auto [p, ec] = std::from_chars(raw.data() + i, raw.data() + i + 2, b, 16);
        if (ec != std::errc() || p != raw.data() + i + 2) return "1004 binary data is not hex";
        bytes.emplace_back(static_cast<std::int32_t>(b));
      }
      items_.push_back({1004, Variant(platform::MakeArray(VarKind::Variant, std::move(bytes)))});
      return {};
    }
    if (code >= 1000 && code <= 1009) {
      items_.push_back({static_cast<std::int16_t>(code), Variant(raw)});
      return {};
    }
    return "unsupported extended-data group code " + std::to_string(code);
  }
  std::vector<XdataItem> Take() { return std::exchange(items_, {}); }

 private:
  std::vector<XdataItem> items_;
};

// A modelled entity (or a block's start or end) as the scan saw it. The scan
// builds entities itself: dxflib's reader hands extended data over before
// the entity that owns it, keeps leader and polyline vertices in arrays
// sized by a count group, leaves out elevations and vertex flags, and parses
// every number through a string stream, which made it most of the load time.
struct ScannedEntity {
  std::string type;
  int line = 0;
  double elevation = 0;
  int flags = 0;           // 70 of polylines and vertices
  int arrow = 1;           // 71 of a leader
  long count = -1;         // 90 of a lightweight polyline, 76 of a leader
  int count_line = 0;
  std::vector<Point3> points;  // vertices
  std::vector<double> bulges;  // parallel to points
  double extrusion_z = 1;      // 230
  bool skip = false;           // a kind of POLYLINE the database does not model
  std::vector<XdataItem> xdata;
  // The plain groups of the other kinds.
  std::string layer;           // 8
  std::string text;            // 1
  std::string name;            // 2
  bool paper = false;          // 67
  Point3 p10, p11;
  bool has_p11 = false;
  double r40 = 0, r41 = 1, a50 = 0, a51 = 0;
  int h72 = 0, v73 = 0;

  void Text(long code, std::string_view v) {
    if (code == 8) layer = v;
    else if (code == 1) text = v;
    else if (code == 2) name = v;
  }

  // A flag group's value; the scan has checked it is an integer, not its size.
  static int Small(double v) { return std::fabs(v) <= 32767 ? static_cast<int>(v) : 0; }

  // Takes a numeric group; 10/20/30 are vertices for polylines, vertices and
  // leaders and the first point for the other kinds.
  void Group(long code, double v) {
    const bool vertices = type == "LWPOLYLINE" || type == "LEADER" || type == "VERTEX";
    if (code == 10 && vertices) {
      if (type != "VERTEX" || points.empty()) {
        points.push_back({v, 0, 0});
        bulges.push_back(0);
      } else {
        points.back().x = v;
      }
    } else if (code == 20 && vertices && !points.empty()) {
      points.back().y = v;
    } else if (code == 30 && (type == "LEADER" || type == "VERTEX") && !points.empty()) {
      points.back().z = v;
    } else if (code == 30 && type == "POLYLINE") {
      elevation = v;
    } else if (code == 38 && type == "LWPOLYLINE") {
      elevation = v;
    } else if (code == 42 && !bulges.empty()) {
      bulges.back() = v;
    } else if (code == 10) {
      p10.x = v;
    } else if (code == 20) {
      p10.y = v;
    } else if (code == 30) {
      p10.z = v;
    } else if (code == 11 || code == 21 || code == 31) {
      (code == 11 ? p11.x : code == 21 ? p11.y : p11.z) = v;
      has_p11 = true;
    } else if (code == 40) {
      r40 = v;
    } else if (code == 41) {
      r41 = v;
    } else if (code == 50) {
      a50 = v;
    } else if (code == 51) {
      a51 = v;
    } else if (code == 67) {
      paper = v != 0;
    } else if (code == 72) {
      h72 = Small(v);
    } else if (code == 73) {
      v73 = Small(v);
    } else if (code == 70) {
      flags = Small(v);
    } else if (code == 71 && type == "LEADER") {
      arrow = Small(v);
    } else if (code == 230) {
      extrusion_z = v;
    }
  }
};

const std::set<std::string> kEmitted = {"LINE",   "LWPOLYLINE", "POLYLINE", "CIRCLE", "ARC",
                                        "TEXT",   "INSERT",     "LEADER",   "POINT",  "BLOCK",
                                        "ENDBLK"};

// A header variable of kHeaderVars as the file gives it.
struct HeaderValue {
  std::string name;
  long code = 0;
  std::string value;
  int line = 0;
};

struct Scan {
  std::string version;    // $ACADVER
  std::string code_page;  // $DWGCODEPAGE
  std::deque<ScannedEntity> entities;
  std::map<std::string, int> skipped;
  std::vector<std::string> app_ids;
  std::vector<std::string> layers;
  std::vector<HeaderValue> header;
};

// Reads the whole file as group pairs and checks its structure: integer group
// codes, numbers where numbers belong, balanced sections and a final EOF.
Scan ScanFile(const std::filesystem::path& file, std::string_view bytes) {
  std::size_t pos = 0;
  Scan scan;
  std::string code_line, value;
  int line = 0;
  bool eof = false;
  std::string section;  // open section, empty outside
  std::string table;    // open table in TABLES
  std::string entity;   // current object type (group 0)
  std::string variable; // current header variable (group 9)
  ScannedEntity current;
  XdataBuilder xdata;
  bool open_polyline = false;  // the last emitted entity is a POLYLINE taking VERTEX entities
  auto finish = [&] {
    current.xdata = xdata.Take();
    const auto n = static_cast<long>(current.points.size());
    if (current.type == "VERTEX") {
      // A vertex's own extended data has no place in the database and is dropped.
      if (open_polyline && !(current.flags & kSplineFrameVertex)) {
        ScannedEntity& polyline = scan.entities.back();
        polyline.points.push_back(current.points.empty() ? Point3{} : current.points.front());
        polyline.bulges.push_back(current.bulges.empty() ? 0.0 : current.bulges.front());
      }
    } else {
      open_polyline = false;
    }
    // A count that disagrees with the vertices marks a damaged entity.
    if (current.type == "LWPOLYLINE" && current.count != n && !(current.count < 0 && n == 0))
      throw DxfError(file, current.count_line > 0 ? current.count_line : current.line,
                     "LWPOLYLINE has " + std::to_string(n) + " vertices but its count (90) is " +
                         std::to_string(current.count));
    if (current.type == "LEADER" && current.count >= 0 && current.count != n)
      throw DxfError(file, current.count_line,
                     "LEADER has " + std::to_string(n) + " vertices but its count (76) is " +
                         std::to_string(current.count));
    if (current.type == "POLYLINE") {
      open_polyline = true;
      if (current.flags & kPolyline3dFlags) {
        current.skip = true;
        ++scan.skipped["POLYLINE (3D or mesh)"];
      }
    }
    if (kEmitted.contains(current.type)) scan.entities.push_back(std::move(current));
    current = {};
  };
  auto getline = [&](std::string& s) {
    if (pos >= bytes.size()) return false;
    const std::size_t nl = bytes.find('\n', pos);
    const std::size_t end = nl == std::string_view::npos ? bytes.size() : nl;
    s.assign(bytes.substr(pos, end - pos));
    pos = end + 1;
    ++line;
    if (!s.empty() && s.back() == '\r') s.pop_back();
    if (line == 1 && s.starts_with("\xEF\xBB\xBF")) s.erase(0, 3);
    return true;
  };
  while (!eof) {
    if (!getline(code_line)) break;
    const int code_at = line;
    if (Trim(code_line).empty() && pos >= bytes.size()) break;
    const auto code = ParseInt(code_line);
    if (!code || *code < 0 || *code > 1071)
      throw DxfError(file, code_at, "group code expected, found \"" + code_line + "\"");
    if (!getline(value))
      throw DxfError(file, code_at, "truncated: group " + std::to_string(*code) + " has no value");
    if (value.size() >= 1024) throw DxfError(file, line, "value longer than 1023 characters");
    const ValueType type = TypeOf(*code);
    std::optional<double> number;
    if (type == ValueType::Real && !(number = ParseReal(value)))
      throw DxfError(file, line, "number expected for group " + std::to_string(*code) +
                                     ", found \"" + value + "\"");
    std::optional<long> integer;
    if (type == ValueType::Int && !(integer = ParseInt(value)))
      throw DxfError(file, line, "integer expected for group " + std::to_string(*code) +
                                     ", found \"" + value + "\"");
    if (*code == 0) {
      finish();
      const std::string v = Trim(value);
      if (section == "ENTITIES" || section == "BLOCKS") {
        current.type = v;
        current.line = code_at;
      }
      if (v == "EOF") {
        if (!section.empty()) throw DxfError(file, code_at, "EOF inside section " + section);
        eof = true;
      } else if (v == "SECTION") {
        if (!section.empty())
          throw DxfError(file, code_at, "section " + section + " is not closed by ENDSEC");
        section = "?";
      } else if (v == "ENDSEC") {
        if (section.empty()) throw DxfError(file, code_at, "ENDSEC without SECTION");
        section.clear();
      } else if (section.empty()) {
        throw DxfError(file, code_at, "\"" + v + "\" outside any section");
      } else if (section == "TABLES") {
        if (v == "TABLE") table = "?";
        if (v == "ENDTAB") table.clear();
      } else if ((section == "ENTITIES" || section == "BLOCKS") && !kModelled.contains(v)) {
        ++scan.skipped[v];
      }
      entity = v;
    } else if (*code == 9) {
      variable = Trim(value);
    } else if (section == "HEADER" && variable == "$ACADVER" && *code == 1) {
      scan.version = Trim(value);
    } else if (section == "HEADER" && variable == "$DWGCODEPAGE" && *code == 3) {
      scan.code_page = Trim(value);
    } else if (section == "HEADER" && variable.size() > 1) {
      const std::string_view name = std::string_view(variable).substr(1);
      if (std::find(std::begin(kHeaderVars), std::end(kHeaderVars), name) != std::end(kHeaderVars) &&
          (scan.header.empty() || scan.header.back().name != name))
        scan.header.push_back({std::string(name), *code, Trim(value), line});
    } else if (*code >= 1000) {
      const std::string error = xdata.Add(*code, value);
      if (!error.empty()) throw DxfError(file, code_at, error);
    } else if (!current.type.empty()) {
      if ((*code == 90 && current.type == "LWPOLYLINE") || (*code == 76 && current.type == "LEADER")) {
        current.count = *ParseInt(value);
        current.count_line = line;
      } else if (type == ValueType::Text) {
        current.Text(*code, TrimView(value));
      } else {
        current.Group(*code, number ? *number : static_cast<double>(*integer));
      }
    } else if (*code == 2 && section == "TABLES" && entity == "LAYER") {
      scan.layers.push_back(Trim(value));
    } else if (*code == 2 && section == "?") {
      section = Trim(value);
    } else if (*code == 2 && table == "?") {
      table = Trim(value);
    } else if (*code == 2 && section == "TABLES" && entity == "APPID") {
      scan.app_ids.push_back(value);
    }
  }
  if (!eof) {
    if (!section.empty())
      throw DxfError(file, line, "truncated: section " + section + " has no ENDSEC and no EOF");
    throw DxfError(file, line, "truncated: the file ends without EOF");
  }
  return scan;
}

// A leader keeps its own arrow size as a dimension-style override, the form
// other readers know: "ACAD" {1000 DSTYLE, 1002 {, 1070 41, 1040 DIMASZ,
// 1070 40, 1040 DIMSCALE, 1002 }}.
constexpr std::int16_t kDimAsz = 41;
constexpr std::int16_t kDimScale = 40;

struct StyleOverride {
  std::optional<double> size, scale;
};

bool IsText(const XdataItem& it, std::int16_t code, std::string_view text) {
  return it.code == code && !it.value.is_array() && it.value.ToText() == text;
}

// Reads the first DSTYLE override of the "ACAD" group. An override holding
// nothing but DIMASZ and DIMSCALE is removed, and the group with it when that
// leaves it empty; any other is left in place.
std::optional<StyleOverride> TakeStyleOverride(std::vector<XdataItem>& x) {
  auto app = std::find_if(x.begin(), x.end(), [](const XdataItem& it) { return IsText(it, 1001, "ACAD"); });
  if (app == x.end()) return std::nullopt;
  const auto group_end = std::find_if(app + 1, x.end(), [](const XdataItem& it) { return it.code == 1001; });
  auto start = app + 1;
  while (start != group_end && !(IsText(*start, 1000, "DSTYLE") && start + 1 != group_end &&
                                 IsText(*(start + 1), 1002, "{")))
    ++start;
  if (start == group_end) return std::nullopt;
  StyleOverride o;
  bool only_ours = true;
  auto it = start + 2;
  for (; it != group_end && !IsText(*it, 1002, "}"); it += 2) {
    if (it->code != 1070 || it + 1 == group_end) return std::nullopt;
    const auto& value = *(it + 1);
    const std::int32_t var = it->value.ToInt32();
    if (var == kDimAsz && value.code == 1040) o.size = value.value.ToDouble();
    else if (var == kDimScale && value.code == 1040) o.scale = value.value.ToDouble();
    else only_ours = false;
  }
  if (it == group_end) return std::nullopt;  // no closing brace: not an override
  if (only_ours) {
    const bool whole_group = start == app + 1 && it + 1 == group_end;
    x.erase(whole_group ? app : start, it + 1);
  }
  return o;
}

// `x` with a DSTYLE override of DIMASZ = `size` and DIMSCALE = 1 at the start
// of its "ACAD" group, which is added when missing.
std::vector<XdataItem> WithStyleOverride(const std::vector<XdataItem>& x, double size) {
  const std::vector<XdataItem> style = {
      {1000, Variant("DSTYLE")},    {1002, Variant("{")},   {1070, Variant(kDimAsz)},
      {1040, Variant(size)},        {1070, Variant(kDimScale)}, {1040, Variant(1.0)},
      {1002, Variant("}")}};
  std::vector<XdataItem> out = x;
  auto app = std::find_if(out.begin(), out.end(), [](const XdataItem& it) { return IsText(it, 1001, "ACAD"); });
  if (app == out.end()) {
    out.insert(out.begin(), {1001, Variant("ACAD")});
    app = out.begin();
  }
  out.insert(app + 1, style.begin(), style.end());
  return out;
}

// Host alignment code <-> DXF horizontal (72) and vertical (73) justification.
struct Justify {
  int h, v;
};
constexpr Justify kJustify[] = {{0, 0}, {1, 0}, {2, 0}, {3, 0}, {4, 0}, {5, 0}, {0, 3}, {1, 3},
                                {2, 3}, {0, 2}, {1, 2}, {2, 2}, {0, 1}, {1, 1}, {2, 1}};
int AlignmentOf(int h, int v) {
  for (int i = 0; i < 15; ++i)
    if (kJustify[i].h == h && kJustify[i].v == v) return i;
  if (v == 0) return kAlignLeft;
  return kAlignLeft;
}

void FillPolyline(PolylineData& p, const ScannedEntity& s) {
  p.two_d = s.type == "POLYLINE";
  p.closed = (s.flags & 1) != 0;
  p.elevation = s.elevation;
  p.vertices.reserve(s.points.size());
  for (const Point3& v : s.points) p.vertices.emplace_back(v.x, v.y);
  if (std::any_of(s.bulges.begin(), s.bulges.end(), [](double b) { return b != 0; }))
    p.bulges = s.bulges;
}

// The arrow size is the leader's DIMASZ times its DIMSCALE, each from the
// leader's own dimension-style override when it has one, else from the
// header. The override as SaveDxf writes it is taken out of the xdata.
void FillLeader(LeaderData& l, ScannedEntity& s, const Database& db) {
  l.vertices = s.points;
  if (s.arrow == 0) l.arrow_block = "_NONE";
  double size = db.GetVar("DIMASZ").ToDouble();
  double scale = db.GetVar("DIMSCALE").ToDouble();
  if (const auto o = TakeStyleOverride(s.xdata)) {
    if (o->size) size = *o->size;
    if (o->scale) scale = *o->scale;
  }
  l.arrow_size = size * (scale > 0 ? scale : 1.0);
}

// Turns an entity drawn in the mirrored plane (extrusion 0,0,-1) into world
// coordinates: x and z change sign and arcs run the other way.
void Mirror(EntityData& data) {
  auto flip = [](Point3& p) { p = {-p.x, p.y, -p.z}; };
  if (auto* c = std::get_if<CircleData>(&data)) flip(c->center);
  if (auto* a = std::get_if<ArcData>(&data)) {
    flip(a->center);
    const double start = a->start_angle;
    a->start_angle = std::numbers::pi - a->end_angle;
    a->end_angle = std::numbers::pi - start;
  }
  if (auto* p = std::get_if<PolylineData>(&data)) {
    for (auto& v : p->vertices) v.first = -v.first;
    for (double& b : p->bulges) b = -b;
    p->elevation = -p->elevation;
  }
}

// The database form of a scanned entity. Angles are degrees in the file.
EntityData MakeData(ScannedEntity& s, const Database& db) {
  if (s.type == "LINE") return LineData{s.p10, s.p11};
  if (s.type == "CIRCLE") return CircleData{s.p10, s.r40};
  if (s.type == "POINT") return PointData{s.p10};
  if (s.type == "ARC") return ArcData{s.p10, s.r40, s.a50 / kRadToDeg, s.a51 / kRadToDeg};
  if (s.type == "INSERT") return BlockRefData{s.name, s.p10, s.r41, s.a50 / kRadToDeg};
  if (s.type == "TEXT") {
    TextData t;
    t.text = std::move(s.text);
    t.insertion = s.p10;
    t.alignment = AlignmentOf(s.h72, s.v73);
    // Without its second point a justified text hangs on its first.
    t.alignment_point = s.has_p11 ? s.p11 : t.alignment == kAlignLeft ? Point3{} : s.p10;
    t.height = s.r40;
    t.rotation = s.a50 / kRadToDeg;
    return t;
  }
  if (s.type == "LEADER") {
    LeaderData l;
    FillLeader(l, s, db);
    return l;
  }
  PolylineData p;
  FillPolyline(p, s);
  return p;
}

void SetHeaderVar(const std::filesystem::path& file, const HeaderValue& h, Database& db) {
  const auto type = db.VarTypeOf(h.name);
  if (!type) return;
  Variant v;
  switch (TypeOf(h.code)) {
    case ValueType::Int: {
      const long n = *ParseInt(h.value);
      if (n < INT32_MIN || n > INT32_MAX)
        throw DxfError(file, h.line, "header variable $" + h.name + " is out of range");
      v = Variant(static_cast<std::int32_t>(n));
      break;
    }
    case ValueType::Real: v = Variant(*ParseReal(h.value)); break;
    case ValueType::Text: v = Variant(h.value); break;
  }
  try {
    if (type == VarType::Int) v = Variant(v.ToInt32());
    if (type == VarType::Real) v = Variant(v.ToDouble());
    if (type == VarType::Text) v = Variant(v.ToText());
  } catch (const std::exception&) {
    throw DxfError(file, h.line, "header variable $" + h.name + " has an unusable value");
  }
  db.SetVar(h.name, std::move(v));
}

// Builds the drawing from the scan, in file order: header variables, layers,
// then entities, which BLOCK and ENDBLK place into block definitions. Layout
// blocks and paper-space entities are left out.
void Build(const std::filesystem::path& file, Scan& scan, Database& db) {
  for (const HeaderValue& h : scan.header) SetHeaderVar(file, h, db);
  for (const std::string& l : scan.layers)
    if (!l.empty()) db.AddLayer(l);
  std::int64_t block = kModelSpace;
  std::string last_layer;
  for (ScannedEntity& s : scan.entities) {
    if (s.type == "BLOCK") {
      block = -1;
      if (s.name.empty() || s.name[0] == '*') continue;
      if (db.FindBlock(s.name)) throw DxfError(file, s.line, "block \"" + s.name + "\" defined twice");
      block = db.AddBlock(s.name, s.p10).id;
      continue;
    }
    if (s.type == "ENDBLK") {
      block = kModelSpace;
      continue;
    }
    if (s.skip || s.paper || block == -1) continue;
    EntityData data = MakeData(s, db);
    if (s.extrusion_z < 0) Mirror(data);
    std::string layer = s.layer.empty() ? std::string("0") : std::move(s.layer);
    if (layer != last_layer) {
      db.AddLayer(layer);
      last_layer = layer;
    }
    Entity& e = db.Add(std::move(data), std::move(layer), block);
    e.xdata = std::move(s.xdata);
  }
}

// Shortest text that reads back as the same double.
std::string RealText(double v) {
  char buf[64];
  auto [p, ec] = std::to_chars(buf, buf + sizeof buf, v);
  (void)ec;
  std::string s(buf, p);
  if (s.find_first_of(".e") == std::string::npos) s += ".0";
  return s;
}

void WriteXdata(const DL_WriterA& dw, const std::vector<XdataItem>& items) {
  for (const auto& it : items) {
    const int code = it.code;
    if (code >= 1010 && code <= 1013 && it.value.is_array()) {
      const auto& p = it.value.array().items;
      for (int i = 0; i < 3; ++i)
        dw.dxfString(code + 10 * i, RealText(i < static_cast<int>(p.size()) ? p[i].ToDouble() : 0.0));
    } else if (code >= 1040 && code <= 1042) {
      dw.dxfString(code, RealText(it.value.ToDouble()));
    } else if (code == 1070 || code == 1071) {
      dw.dxfInt(code, static_cast<int>(it.value.ToInt32()));
    } else if (code == 1004 && it.value.is_array()) {
      std::string hex;
      char b[3];
      for (const auto& x : it.value.array().items) {
        std::snprintf(b, sizeof b, "%02X", static_cast<unsigned>(x.ToInt32() & 0xFF));
        hex += b;
      }
      dw.dxfString(code, hex);
    } else {
      dw.dxfString(code, it.value.ToText());
    }
  }
}

std::string OneLine(std::string s) {
  std::replace(s.begin(), s.end(), '\n', ' ');
  std::replace(s.begin(), s.end(), '\r', ' ');
  return s;
}

void Real(const DL_WriterA& dw, int code, double v) { dw.dxfString(code, RealText(v)); }

void Point(const DL_WriterA& dw, int code, const Point3& p) {
  Real(dw, code, p.x);
  Real(dw, code + 10, p.y);
  Real(dw, code + 20, p.z);
}

bool NoArrow(const std::string& block) {
  const std::string b = platform::UpperAscii(block);
  return b == "_NONE" || b == "NONE" || b == ".";
}

// Entities are written by hand where dxflib's writer falls short: it leaves
// out the elevation and bulges of lightweight polylines, writes arc angles and
// leader vertices with fixed decimals and has no place for extended data
// between a POLYLINE and its vertices. Extended data always follows the
// entity's own groups.
void WriteEntity(DL_Dxf& dxf, DL_WriterA& dw, const Entity& e) {
  const DL_Attributes a(OneLine(e.layer), 256, -1, -1, "BYLAYER");
  auto head = [&](const char* type, const char* subclass) {
    dw.entity(type);
    dw.dxfString(100, "AcDbEntity");
    dw.entityAttributes(a);
    if (subclass) dw.dxfString(100, subclass);
  };
  std::visit(
      [&](const auto& d) {
        using T = std::decay_t<decltype(d)>;
        if constexpr (std::is_same_v<T, LineData>) {
          dxf.writeLine(dw, DL_LineData(d.start.x, d.start.y, d.start.z, d.end.x, d.end.y, d.end.z), a);
          WriteXdata(dw, e.xdata);
        } else if constexpr (std::is_same_v<T, CircleData>) {
          dxf.writeCircle(dw, DL_CircleData(d.center.x, d.center.y, d.center.z, d.radius), a);
          WriteXdata(dw, e.xdata);
        } else if constexpr (std::is_same_v<T, ArcData>) {
          head("ARC", "AcDbCircle");
          Point(dw, 10, d.center);
          Real(dw, 40, d.radius);
          dw.dxfString(100, "AcDbArc");
          Real(dw, 50, d.start_angle * kRadToDeg);
          Real(dw, 51, d.end_angle * kRadToDeg);
          WriteXdata(dw, e.xdata);
        } else if constexpr (std::is_same_v<T, PolylineData>) {
          if (!d.two_d) {
            head("LWPOLYLINE", "AcDbPolyline");
            dw.dxfInt(90, static_cast<int>(d.vertices.size()));
            dw.dxfInt(70, d.closed ? 1 : 0);
            if (d.elevation != 0) Real(dw, 38, d.elevation);
            for (std::size_t i = 0; i < d.vertices.size(); ++i) {
              Real(dw, 10, d.vertices[i].first);
              Real(dw, 20, d.vertices[i].second);
              if (d.Bulge(i) != 0) Real(dw, 42, d.Bulge(i));
            }
            WriteXdata(dw, e.xdata);
            return;
          }
          head("POLYLINE", "AcDb2dPolyline");
          dw.dxfInt(66, 1);
          Point(dw, 10, {0, 0, d.elevation});
          dw.dxfInt(70, d.closed ? 1 : 0);
          WriteXdata(dw, e.xdata);
          for (std::size_t i = 0; i < d.vertices.size(); ++i) {
            head("VERTEX", "AcDbVertex");
            dw.dxfString(100, "AcDb2dVertex");
            Point(dw, 10, {d.vertices[i].first, d.vertices[i].second, d.elevation});
            if (d.Bulge(i) != 0) Real(dw, 42, d.Bulge(i));
            dw.dxfInt(70, 0);
          }
          head("SEQEND", nullptr);
        } else if constexpr (std::is_same_v<T, TextData>) {
          const Justify j = kJustify[std::clamp(d.alignment, 0, 14)];
          const Point3& ap = d.alignment_point;
          dxf.writeText(dw,
                        DL_TextData(d.insertion.x, d.insertion.y, d.insertion.z, ap.x, ap.y, ap.z,
                                    d.height, 1.0, 0, j.h, j.v, OneLine(d.text), "Standard",
                                    d.rotation),  // radians here, unlike inserts
                        a);
          WriteXdata(dw, e.xdata);
        } else if constexpr (std::is_same_v<T, BlockRefData>) {
          dxf.writeInsert(dw,
                          DL_InsertData(d.name, d.insertion.x, d.insertion.y, d.insertion.z,
                                        d.scale, d.scale, d.scale, d.rotation * kRadToDeg, 1, 1,
                                        0, 0),
                          a);
          WriteXdata(dw, e.xdata);
        } else if constexpr (std::is_same_v<T, PointData>) {
          head("POINT", "AcDbPoint");
          Point(dw, 10, d.position);
          WriteXdata(dw, e.xdata);
        } else if constexpr (std::is_same_v<T, LeaderData>) {
          // A leader needs two vertices; one with fewer draws nothing and is left out.
          if (d.vertices.size() < 2) return;
          head("LEADER", "AcDbLeader");
          dw.dxfString(3, "Standard");
          dw.dxfInt(71, NoArrow(d.arrow_block) ? 0 : 1);
          dw.dxfInt(72, 0);  // straight segments
          dw.dxfInt(73, 3);  // no annotation
          dw.dxfInt(74, 0);
          dw.dxfInt(75, 0);
          dw.dxfInt(76, static_cast<int>(d.vertices.size()));
          for (const Point3& v : d.vertices) Point(dw, 10, v);
          WriteXdata(dw, WithStyleOverride(e.xdata, d.arrow_size));
        }
      },
      e.data);
}

// dxflib's writer ends every line with std::endl, a flush and a system call
// per line; this one gathers the file in memory. Numbers are written in their
// shortest form that reads back exactly.
class BufferWriter : public DL_WriterA {
 public:
  explicit BufferWriter(const std::string& file) : DL_WriterA(file.c_str(), DL_Codes::AC1015) {}
  void dxfReal(int gc, double value) const override { Put(gc, RealText(value)); }
  void dxfInt(int gc, int value) const override { Put(gc, std::to_string(value)); }
  void dxfHex(int gc, int value) const override {
    char b[16];
    std::snprintf(b, sizeof b, "%X", static_cast<unsigned>(value));
    Put(gc, b);
  }
  void dxfString(int gc, const char* value) const override { Put(gc, value ? value : ""); }
  void dxfString(int gc, const std::string& value) const override { Put(gc, value); }
  std::string& text() const { return text_; }

 private:
  void Put(int gc, std::string_view value) const {
    if (gc < 10) text_ += "  ";
    else if (gc < 100) text_ += ' ';
    text_ += std::to_string(gc);
    text_ += '\n';
    text_ += value;
    text_ += '\n';
  }
  mutable std::string text_;
};

// dxflib writes the OBJECTS section without owner handles (330), which a
// strict reader repairs; every object is owned by the dictionary that names
// it, the root dictionary by no one.
void AddObjectOwners(std::string& text) {
  const std::string marker = "SECTION\n  2\nOBJECTS\n";
  const std::size_t at = text.rfind(marker);
  if (at == std::string::npos) return;
  const std::size_t start = at + marker.size();
  std::vector<std::string_view> lines;
  for (std::size_t pos = start; pos < text.size();) {
    const std::size_t nl = text.find('\n', pos);
    const std::size_t end = nl == std::string::npos ? text.size() : nl;
    lines.emplace_back(text.data() + pos, end - pos);
    pos = end + 1;
  }
  std::map<std::string_view, std::string_view> owner;
  std::string_view current;
  for (std::size_t i = 0; i + 1 < lines.size(); i += 2) {
    const std::string code = Trim(lines[i]);
    if (code == "5") current = lines[i + 1];
    if ((code == "350" || code == "360") && !current.empty()) owner.emplace(lines[i + 1], current);
  }
  std::string tail;
  for (std::size_t i = 0; i + 1 < lines.size(); i += 2) {
    tail.append(lines[i]).append("\n").append(lines[i + 1]).append("\n");
    if (Trim(lines[i]) == "5") {
      auto it = owner.find(lines[i + 1]);
      tail.append("330\n").append(it == owner.end() ? std::string_view("0") : it->second).append("\n");
    }
  }
  text.replace(start, std::string::npos, tail);
}

bool SameFile(const std::filesystem::path& a, const std::filesystem::path& b) {
  std::error_code ec;
  if (std::filesystem::exists(a, ec) && std::filesystem::exists(b, ec))
    return std::filesystem::equivalent(a, b, ec);
  return std::filesystem::weakly_canonical(a, ec) == std::filesystem::weakly_canonical(b, ec);
}

// Every number the file would carry, so that a NaN or infinity in the
// drawing fails the save instead of writing a file no reader takes back.
void CheckFinite(const Database& db, const std::filesystem::path& file) {
  auto check = [&](const Entity& e) {
    bool ok = true;
    auto num = [&ok](double v) { ok = ok && std::isfinite(v); };
    auto pt = [&num](const Point3& p) { num(p.x); num(p.y); num(p.z); };
    std::visit(
        [&](const auto& d) {
          using T = std::decay_t<decltype(d)>;
          if constexpr (std::is_same_v<T, LineData>) { pt(d.start); pt(d.end); }
          if constexpr (std::is_same_v<T, CircleData>) { pt(d.center); num(d.radius); }
          if constexpr (std::is_same_v<T, PointData>) pt(d.position);
          if constexpr (std::is_same_v<T, ArcData>) {
            pt(d.center); num(d.radius); num(d.start_angle); num(d.end_angle);
          }
          if constexpr (std::is_same_v<T, PolylineData>) {
            num(d.elevation);
            for (const auto& [x, y] : d.vertices) { num(x); num(y); }
            for (double b : d.bulges) num(b);
          }
          if constexpr (std::is_same_v<T, TextData>) {
            pt(d.insertion); pt(d.alignment_point); num(d.height); num(d.rotation);
          }
          if constexpr (std::is_same_v<T, BlockRefData>) { pt(d.insertion); num(d.scale); num(d.rotation); }
          if constexpr (std::is_same_v<T, LeaderData>) {
            for (const auto& v : d.vertices) pt(v);
            num(d.arrow_size);
          }
        },
        e.data);
    for (const auto& it : e.xdata) {
      if ((it.code >= 1010 && it.code <= 1013) && it.value.is_array())
        for (const auto& c : it.value.array().items) num(c.ToDouble());
      if (it.code >= 1040 && it.code <= 1042) num(it.value.ToDouble());
    }
    if (!ok)
      throw DxfError(file, 0, std::string(DxfName(e)) + " " + std::to_string(e.id) +
                                  " holds a number that is not finite; nothing was written");
  };
  for (const auto& [id, e] : db.model_space()) check(e);
  for (const auto& b : db.blocks())
    for (const auto& [id, e] : b.entities) check(e);
  for (const char* name : kHeaderVars)
    if (db.VarTypeOf(name) == VarType::Real && !std::isfinite(db.GetVar(name).ToDouble()))
      throw DxfError(file, 0, std::string("$") + name + " is not finite; nothing was written");
}

void WriteFile(const Database& db, const std::string& file) {
  DL_Dxf dxf;
  // out() sets the release the entity writers follow; its own writer is not used.
  std::unique_ptr<DL_WriterA> probe(dxf.out(file.c_str(), DL_Codes::AC1015));
  if (!probe || probe->openFailed()) throw DxfError(file, 0, "cannot create the file");
  probe.reset();
  auto dw = std::make_unique<BufferWriter>(file);
  if (dw->openFailed()) throw DxfError(file, 0, "cannot create the file");

  // The header by hand: dxflib's own names release 2000, whose texts are
  // code-page bound; from AC1021 on texts are UTF-8.
  dw->sectionHeader();
  dw->dxfString(9, "$ACADVER");
  dw->dxfString(1, "AC1021");
  dw->dxfString(9, "$DWGCODEPAGE");
  dw->dxfString(3, "ANSI_1252");
  dw->dxfString(9, "$HANDSEED");
  dw->dxfHex(5, 0xFFFFF);
  // Model space extents, arcs and bulges included; the empty drawing keeps
  // the customary inverted box.
  const auto extents = db.Extents();
  dw->dxfString(9, "$EXTMIN");
  Point(*dw, 10, extents ? extents->first : Point3{1e20, 1e20, 1e20});
  dw->dxfString(9, "$EXTMAX");
  Point(*dw, 10, extents ? extents->second : Point3{-1e20, -1e20, -1e20});
  for (const char* name : kHeaderVars) {
    const Variant v = db.GetVar(name);
    dw->dxfString(9, std::string("$") + name);
    switch (*db.VarTypeOf(name)) {
      case VarType::Int: dw->dxfInt(70, v.ToInt32()); break;
      case VarType::Real: dw->dxfReal(std::string_view(name) == "ANGBASE" ? 50 : 40, v.ToDouble()); break;
      default: dw->dxfString(1, OneLine(v.ToText())); break;
    }
  }
  dw->sectionEnd();

  dw->sectionTables();
  dxf.writeVPort(*dw);
  dw->tableLinetypes(3);
  dxf.writeLinetype(*dw, DL_LinetypeData("BYBLOCK", "", 0, 0, 0.0));
  dxf.writeLinetype(*dw, DL_LinetypeData("BYLAYER", "", 0, 0, 0.0));
  dxf.writeLinetype(*dw, DL_LinetypeData("CONTINUOUS", "Solid line", 0, 0, 0.0));
  dw->tableEnd();

  std::vector<std::string> layers;
  for (const auto& l : db.layers()) layers.push_back(OneLine(l.name));
  dw->tableLayers(static_cast<int>(layers.size()));
  for (const auto& name : layers)
    dxf.writeLayer(*dw, DL_LayerData(name, 0), DL_Attributes("", 7, 0, "CONTINUOUS", 1.0));
  dw->tableEnd();

  dw->tableStyle(1);
  dxf.writeStyle(*dw, DL_StyleData("Standard", 0, 0.0, 1.0, 0.0, 0, 2.5, "txt", ""));
  dw->tableEnd();
  dxf.writeView(*dw);
  dxf.writeUcs(*dw);

  std::vector<std::string> apps = {"ACAD"};
  auto collect = [&apps](const EntityMap& m) {
    for (const auto& [id, e] : m)
      for (const auto& it : e.xdata)
        if (it.code == 1001) {
          const std::string name = it.value.ToText();
          if (std::find(apps.begin(), apps.end(), name) == apps.end()) apps.push_back(name);
        }
  };
  collect(db.model_space());
  for (const auto& b : db.blocks()) collect(b.entities);
  dw->tableAppid(static_cast<int>(apps.size()));
  for (const auto& name : apps) dxf.writeAppid(*dw, name);
  dw->tableEnd();

  dxf.writeDimStyle(*dw, db.GetVar("DIMASZ").ToDouble(), 1, 0.625, 0.625,
                    db.GetVar("DIMTXT").ToDouble());
  dxf.writeBlockRecord(*dw);
  for (const auto& b : db.blocks()) dxf.writeBlockRecord(*dw, OneLine(b.name));
  dw->tableEnd();
  dw->sectionEnd();

  dw->sectionBlocks();
  for (const char* layout : {"*Model_Space", "*Paper_Space", "*Paper_Space0"}) {
    dxf.writeBlock(*dw, DL_BlockData(layout, 0, 0.0, 0.0, 0.0));
    dxf.writeEndBlock(*dw, layout);
  }
  for (const auto& b : db.blocks()) {
    dxf.writeBlock(*dw, DL_BlockData(OneLine(b.name), 0, b.origin.x, b.origin.y, b.origin.z));
    for (const auto& [id, e] : b.entities) WriteEntity(dxf, *dw, e);
    dxf.writeEndBlock(*dw, OneLine(b.name));
  }
  dw->sectionEnd();

  dw->sectionEntities();
  for (const auto& [id, e] : db.model_space()) WriteEntity(dxf, *dw, e);
  dw->sectionEnd();

  dxf.writeObjects(*dw);
  dxf.writeObjectsEnd(*dw);
  dw->dxfEOF();
  std::string text = std::move(dw->text());
  dw->close();
  dw.reset();
  AddObjectOwners(text);
  std::ofstream out(file, std::ios::binary | std::ios::trunc);
  out.write(text.data(), static_cast<std::streamsize>(text.size()));
  if (!out.flush()) throw DxfError(file, 0, "cannot write the file");
}

}  // namespace

DxfError::DxfError(std::filesystem::path file, int line, const std::string& what)
    : std::runtime_error(Where(file, line) + ": " + what), file_(std::move(file)), line_(line) {}

std::string DxfLoadReport::Warning() const {
  if (skipped.empty()) return {};
  std::string s = "skipped entities:";
  bool first = true;
  for (const auto& [name, n] : skipped) {
    s += (first ? " " : ", ") + name + " " + std::to_string(n);
    first = false;
  }
  return s;
}

namespace {

bool ValidUtf8(const std::string& s) {
  for (std::size_t i = 0; i < s.size();) {
    const auto c = static_cast<unsigned char>(s[i]);
    const int n = c < 0x80 ? 0 : (c >> 5) == 6 ? 1 : (c >> 4) == 14 ? 2 : (c >> 3) == 30 ? 3 : -1;
    if (n < 0 || i + n >= s.size() + (n == 0 ? 1 : 0)) return false;
    for (int k = 1; k <= n; ++k)
      if ((static_cast<unsigned char>(s[i + k]) >> 6) != 2) return false;
    i += n + 1;
  }
  return true;
}

void AppendUtf8(std::string& out, char32_t c) {
  if (c < 0x80) {
    out += static_cast<char>(c);
  } else if (c < 0x800) {
    out += static_cast<char>(0xC0 | (c >> 6));
    out += static_cast<char>(0x80 | (c & 0x3F));
  } else if (c < 0x10000) {
    out += static_cast<char>(0xE0 | (c >> 12));
    out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (c & 0x3F));
  } else {
    out += static_cast<char>(0xF0 | (c >> 18));
    out += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
    out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (c & 0x3F));
  }
}

// Releases before AC1021 store texts in the drawing's code page, with
// characters outside it as \U+XXXX. Bytes that already form valid UTF-8 are
// taken as they are: many writers put UTF-8 under any code page.
std::string ToUtf8(const std::filesystem::path& file, std::string bytes, const std::string& code_page) {
  if (!ValidUtf8(bytes)) {
    std::string from = "CP1252";
    if (code_page.size() > 5 && code_page.compare(0, 5, "ANSI_") == 0) from = "CP" + code_page.substr(5);
    iconv_t cd = iconv_open("UTF-8", from.c_str());
    if (cd == reinterpret_cast<iconv_t>(-1))
      throw DxfError(file, 0, "unsupported code page " + code_page);
    std::string out(bytes.size() * 4 + 16, '\0');
    char* in_p = bytes.data();
    std::size_t in_left = bytes.size();
    char* out_p = out.data();
    std::size_t out_left = out.size();
    const std::size_t r = iconv(cd, &in_p, &in_left, &out_p, &out_left);
    iconv_close(cd);
    if (r == static_cast<std::size_t>(-1)) {
      const auto line = 1 + std::count(static_cast<const char*>(bytes.data()), static_cast<const char*>(in_p), '\n');
      throw DxfError(file, static_cast<int>(line), "text is not valid in code page " + code_page);
    }
    out.resize(out.size() - out_left);
    bytes = std::move(out);
  }
  std::string decoded;
  decoded.reserve(bytes.size());
  for (std::size_t i = 0; i < bytes.size(); ++i) {
    std::uint32_t c = 0;
    if (bytes.compare(i, 3, "\\U+") == 0 && i + 7 <= bytes.size()) {
      auto [p, ec] = std::from_chars(bytes.data() + i + 3, bytes.data() + i + 7, c, 16);
      if (ec == std::errc() && p == bytes.data() + i + 7) {
        AppendUtf8(decoded, c);
        i += 6;
        continue;
      }
    }
    decoded += bytes[i];
  }
  return decoded;
}

std::string ReadAll(const std::filesystem::path& file) {
  std::ifstream in(file, std::ios::binary);
  if (!in) throw DxfError(file, 0, "cannot open the file");
  std::error_code ec;
  const auto size = std::filesystem::file_size(file, ec);
  std::string bytes;
  if (!ec) {
    bytes.resize(size);
    in.read(bytes.data(), static_cast<std::streamsize>(size));
    bytes.resize(static_cast<std::size_t>(in.gcount()));
  } else {
    std::ostringstream all;
    all << in.rdbuf();
    bytes = std::move(all).str();
  }
  if (in.bad()) throw DxfError(file, 0, "cannot read the file");
  return bytes;
}


}  // namespace

DxfLoadReport LoadDxf(const std::filesystem::path& file, Database& db) {
  std::string bytes = ReadAll(file);
  Scan scan = ScanFile(file, bytes);
  if (!scan.version.empty() && scan.version < "AC1021") {
    bytes = ToUtf8(file, std::move(bytes), scan.code_page);
    scan = ScanFile(file, bytes);
  }
  Database staged;
  try {
    Build(file, scan, staged);
  } catch (const DxfError&) {
    throw;
  } catch (const std::exception& e) {
    throw DxfError(file, 0, e.what());
  }
  db = std::move(staged);
  DxfLoadReport report;
  report.skipped = std::move(scan.skipped);
  report.app_ids = std::move(scan.app_ids);
  return report;
}

void SaveDxf(const Database& db, const std::filesystem::path& file, const DxfSaveOptions& options) {
  if (!options.opened.empty() && !options.overwrite_opened && SameFile(file, options.opened))
    throw DxfError(file, 0, "refusing to overwrite the drawing that was opened; save under another name");
  CheckFinite(db, file);
  std::filesystem::path temp = file;
  temp += ".part";
  try {
    WriteFile(db, temp.string());
  } catch (...) {
    std::error_code ec;
    std::filesystem::remove(temp, ec);
    throw;
  }
  std::error_code ec;
  std::filesystem::rename(temp, file, ec);
  if (ec) {
    std::filesystem::remove(temp, ec);
    throw DxfError(file, 0, "cannot write the file: " + ec.message());
  }
}

}  // namespace zavin::cad
