#include "cad/db/database.h"

#include <algorithm>
#include <cmath>
#include <numbers>

#include "cad/db/shapes.h"
#include "platform/automation.h"

namespace zavin::cad {

using platform::HostError;
using platform::Variant;
namespace hr = platform::hr;

namespace {

bool SameName(std::string_view a, std::string_view b) {
  return platform::UpperAscii(a) == platform::UpperAscii(b);
}

Variant Int(int v) { return Variant(static_cast<std::int16_t>(v)); }

Point3 RotatePoint(Point3 p, Point3 base, double angle) {
  const double c = std::cos(angle), s = std::sin(angle);
  const double x = p.x - base.x, y = p.y - base.y;
  return {base.x + c * x - s * y, base.y + s * x + c * y, p.z};
}

Point3 PlacePoint(Point3 p, Point3 from, double scale, double rotation, Point3 to) {
  const double c = std::cos(rotation), s = std::sin(rotation);
  const double x = (p.x - from.x) * scale, y = (p.y - from.y) * scale;
  return {to.x + c * x - s * y, to.y + s * x + c * y, to.z + (p.z - from.z) * scale};
}

bool AnchoredAtInsertion(int alignment) { return alignment == kAlignLeft; }
bool TwoPointAlignment(int alignment) {
  return alignment == kAlignAligned || alignment == kAlignFit;
}

}  // namespace

const char* ClassName(EntityKind kind) {
  switch (kind) {
    case EntityKind::Line: return "AcDbLine";
    case EntityKind::Polyline: return "AcDbPolyline";
    case EntityKind::Text: return "AcDbText";
    case EntityKind::Circle: return "AcDbCircle";
    case EntityKind::BlockRef: return "AcDbBlockReference";
    case EntityKind::Arc: return "AcDbArc";
    case EntityKind::Leader: return "AcDbLeader";
    case EntityKind::Point: return "AcDbPoint";
  }
  return "AcDbEntity";
}

const char* ClassName(const Entity& e) {
  if (auto* p = e.as<PolylineData>(); p && p->two_d) return "AcDb2dPolyline";
  return ClassName(e.kind());
}

bool PolylineData::HasBulges() const {
  return std::any_of(bulges.begin(), bulges.end(), [](double b) { return b != 0; });
}

bool LeaderData::HasArrow() const {
  const std::string b = platform::UpperAscii(arrow_block);
  return b != "_NONE" && b != "NONE" && b != "." && arrow_size > 0;
}

const char* DxfName(EntityKind kind) {
  switch (kind) {
    case EntityKind::Line: return "LINE";
    case EntityKind::Polyline: return "LWPOLYLINE";
    case EntityKind::Text: return "TEXT";
    case EntityKind::Circle: return "CIRCLE";
    case EntityKind::BlockRef: return "INSERT";
    case EntityKind::Arc: return "ARC";
    case EntityKind::Leader: return "LEADER";
    case EntityKind::Point: return "POINT";
  }
  return "";
}

const char* DxfName(const Entity& e) {
  if (auto* p = e.as<PolylineData>(); p && p->two_d) return "POLYLINE";
  return DxfName(e.kind());
}

Database::Database() {
  layers_.push_back({NextId(), "0"});
  auto var = [this](const char* name, VarType type, Variant v, bool ro = false) {
    vars_[name] = VarSlot{type, ro, std::move(v)};
  };
  auto pt = [](double x, double y, double z) { return platform::MakePointArray(x, y, z); };
  // Defaults of a metric drawing template.
  var("SNAPMODE", VarType::Int, Int(0));
  var("ORTHOMODE", VarType::Int, Int(0));
  var("OSMODE", VarType::Int, Int(4133));
  var("AUNITS", VarType::Int, Int(0));
  var("AUPREC", VarType::Int, Int(0));
  var("ANGBASE", VarType::Real, Variant(0.0));
  var("ANGDIR", VarType::Int, Int(0));
  var("LUNITS", VarType::Int, Int(2));
  var("LUPREC", VarType::Int, Int(4));
  var("PICKBOX", VarType::Int, Int(3));
  var("CMDECHO", VarType::Int, Int(1));
  var("FILEDIA", VarType::Int, Int(1));
  var("CMDACTIVE", VarType::Int, Int(0), true);
  var("VIEWSIZE", VarType::Real, Variant(10000.0), true);
  var("VIEWCTR", VarType::Point, pt(0, 0, 0), true);
  var("EXTMIN", VarType::Point, pt(1e20, 1e20, 1e20), true);
  var("EXTMAX", VarType::Point, pt(-1e20, -1e20, -1e20), true);
  var("LASTPOINT", VarType::Point, pt(0, 0, 0));
  var("TEXTSIZE", VarType::Real, Variant(2.5));
  var("DIMASZ", VarType::Real, Variant(2.5));
  var("DIMTXT", VarType::Real, Variant(2.5));
  var("DIMSCALE", VarType::Real, Variant(1.0));
  var("DIMLDRBLK", VarType::Text, Variant(""));
  var("DIMBLK", VarType::Text, Variant(""));
  var("CLAYER", VarType::Text, Variant("0"));
  var("DWGNAME", VarType::Text, Variant("Drawing1.dwg"), true);
}

EntityMap* Database::Container(std::int64_t owner) {
  if (owner == kModelSpace) return &model_space_;
  Block* b = BlockById(owner);
  return b ? &b->entities : nullptr;
}

Entity& Database::Add(EntityData data, std::string layer, std::int64_t owner) {
  EntityMap* target = Container(owner);
  if (!target) throw HostError(hr::kInvalidArg, "no such block");
  if (layer.empty()) layer = GetVar("CLAYER").ToText();
  if (const Layer* l = FindLayer(layer)) layer = l->name;
  Entity e;
  e.id = NextId();
  e.layer = std::move(layer);
  e.data = std::move(data);
  if (auto* t = e.as<TextData>()) NormalizeText(*t);
  auto [it, inserted] = target->emplace(e.id, std::move(e));
  (void)inserted;
  return it->second;
}

std::int64_t Database::AddLine(Point3 a, Point3 b, std::string layer) {
  return Add(LineData{a, b}, std::move(layer)).id;
}

std::int64_t Database::AddText(std::string text, Point3 at, double height, std::string layer) {
  TextData t;
  t.text = std::move(text);
  t.insertion = at;
  t.height = height;
  return Add(std::move(t), std::move(layer)).id;
}

std::int64_t Database::AddCircle(Point3 center, double radius, std::string layer) {
  return Add(CircleData{center, radius}, std::move(layer)).id;
}

std::int64_t Database::AddPolyline(std::vector<std::pair<double, double>> vertices, bool closed,
                                   std::string layer) {
  PolylineData p;
  p.vertices = std::move(vertices);
  p.closed = closed;
  return Add(std::move(p), std::move(layer)).id;
}

Entity* Database::Find(std::int64_t id) {
  return const_cast<Entity*>(static_cast<const Database*>(this)->Find(id));
}

const Entity* Database::Find(std::int64_t id) const {
  if (auto it = model_space_.find(id); it != model_space_.end()) return &it->second;
  for (const auto& b : blocks_)
    if (auto it = b.entities.find(id); it != b.entities.end()) return &it->second;
  return nullptr;
}

std::optional<std::int64_t> Database::OwnerOf(std::int64_t id) const {
  if (model_space_.count(id)) return kModelSpace;
  for (const auto& b : blocks_)
    if (b.entities.count(id)) return b.id;
  return std::nullopt;
}

bool Database::Erase(std::int64_t id) {
  bool erased = model_space_.erase(id) > 0;
  for (auto it = blocks_.begin(); !erased && it != blocks_.end(); ++it) erased = it->entities.erase(id) > 0;
  if (erased) ++erasures_;
  return erased;
}

const Entity* Database::LastEntity() const {
  return model_space_.empty() ? nullptr : &model_space_.rbegin()->second;
}

std::vector<const Entity*> Database::OfKind(EntityKind kind) const {
  std::vector<const Entity*> out;
  for (const auto& [id, e] : model_space_)
    if (e.kind() == kind) out.push_back(&e);
  return out;
}

Layer* Database::FindLayer(std::string_view name) {
  for (auto& l : layers_)
    if (SameName(l.name, name)) return &l;
  return nullptr;
}

Layer& Database::AddLayer(std::string name) {
  if (Layer* l = FindLayer(name)) return *l;
  layers_.push_back({NextId(), std::move(name)});
  return layers_.back();
}

Block* Database::FindBlock(std::string_view name) {
  return const_cast<Block*>(static_cast<const Database*>(this)->FindBlock(name));
}

const Block* Database::FindBlock(std::string_view name) const {
  for (const auto& b : blocks_)
    if (SameName(b.name, name)) return &b;
  return nullptr;
}

Block* Database::BlockById(std::int64_t id) {
  return const_cast<Block*>(static_cast<const Database*>(this)->BlockById(id));
}

const Block* Database::BlockById(std::int64_t id) const {
  for (const auto& b : blocks_)
    if (b.id == id) return &b;
  return nullptr;
}

Block& Database::AddBlock(std::string name, Point3 origin) {
  if (Block* b = FindBlock(name)) return *b;
  Block b;
  b.id = NextId();
  b.name = std::move(name);
  b.origin = origin;
  blocks_.push_back(std::move(b));
  return blocks_.back();
}

int Database::ReferenceCount(std::string_view name) const {
  int n = 0;
  auto count = [&](const EntityMap& m) {
    for (const auto& [id, e] : m)
      if (auto* r = e.as<BlockRefData>(); r && SameName(r->name, name)) ++n;
  };
  count(model_space_);
  for (const auto& b : blocks_) count(b.entities);
  return n;
}

bool Database::DeleteBlock(std::string_view name) {
  auto it = std::find_if(blocks_.begin(), blocks_.end(),
                         [&](const Block& b) { return SameName(b.name, name); });
  if (it == blocks_.end() || ReferenceCount(name) > 0) return false;
  blocks_.erase(it);
  return true;
}

std::int64_t Database::InsertBlock(std::string name, Point3 at, double scale, double rotation) {
  const Block* b = FindBlock(name);
  if (!b) throw HostError(hr::kInvalidArg, "no block named " + name);
  return Add(BlockRefData{b->name, at, scale, rotation}).id;
}

std::vector<std::int64_t> Database::Explode(std::int64_t reference_id) {
  const Entity* ref = Find(reference_id);
  const BlockRefData* r = ref ? ref->as<BlockRefData>() : nullptr;
  if (!r) throw HostError(hr::kInvalidArg, "not a block reference");
  const Block* b = FindBlock(r->name);
  if (!b) throw HostError(hr::kInvalidArg, "block definition is missing");
  const std::int64_t owner = *OwnerOf(reference_id);
  const BlockRefData place = *r;
  const Point3 origin = b->origin;
  std::vector<Entity> copies;
  for (const auto& [id, child] : b->entities) copies.push_back(child);
  std::vector<std::int64_t> ids;
  for (auto& c : copies) {
    Place(c, origin, place.scale, place.rotation, place.insertion);
    Entity& added = Add(std::move(c.data), c.layer, owner);
    added.xdata = std::move(c.xdata);
    ids.push_back(added.id);
  }
  return ids;
}

bool Database::HasVar(std::string_view name) const {
  return vars_.count(platform::UpperAscii(name)) > 0;
}

std::optional<VarType> Database::VarTypeOf(std::string_view name) const {
  auto it = vars_.find(platform::UpperAscii(name));
  if (it == vars_.end()) return std::nullopt;
  return it->second.type;
}

bool Database::VarReadOnly(std::string_view name) const {
  auto it = vars_.find(platform::UpperAscii(name));
  return it != vars_.end() && it->second.read_only;
}

Variant Database::GetVar(std::string_view name) const {
  const std::string key = platform::UpperAscii(name);
  auto it = vars_.find(key);
  if (it == vars_.end()) throw HostError(hr::kInvalidArg, "unknown system variable " + key);
  if (key == "EXTMIN" || key == "EXTMAX") {
    if (auto ext = Extents()) {
      const Point3& p = key == "EXTMIN" ? ext->first : ext->second;
      return platform::MakePointArray(p.x, p.y, p.z);
    }
  }
  return it->second.value;
}

void Database::SetVar(std::string_view name, Variant value) {
  const std::string key = platform::UpperAscii(name);
  auto it = vars_.find(key);
  if (it == vars_.end()) throw HostError(hr::kInvalidArg, "unknown system variable " + key);
  it->second.value = std::move(value);
}

Point3 Database::GetPointVar(std::string_view name) const {
  const Variant v = GetVar(name);  // held: array() refers into it
  const auto& a = v.array();
  Point3 p;
  if (a.items.size() > 0) p.x = a.items[0].ToDouble();
  if (a.items.size() > 1) p.y = a.items[1].ToDouble();
  if (a.items.size() > 2) p.z = a.items[2].ToDouble();
  return p;
}

void Database::SetPointVar(std::string_view name, Point3 p) {
  SetVar(name, platform::MakePointArray(p.x, p.y, p.z));
}

double Database::PickAperture() const {
  const double px = view_height_px_ > 0 ? view_height_px_ : 800;
  return GetVar("PICKBOX").ToDouble() * GetVar("VIEWSIZE").ToDouble() / px;
}

std::optional<std::pair<Point3, Point3>> Database::Extents() const {
  bool any = false;
  P2 lo{}, hi{};
  for (const auto& [id, e] : model_space_) {
    P2 a, b;
    if (!Bounds(ShapesOf(*this, e), a, b)) continue;
    if (!any) {
      lo = a;
      hi = b;
      any = true;
    } else {
      lo = {std::min(lo.x, a.x), std::min(lo.y, a.y)};
      hi = {std::max(hi.x, b.x), std::max(hi.y, b.y)};
    }
  }
  if (!any) return std::nullopt;
  return std::make_pair(Point3{lo.x, lo.y, 0}, Point3{hi.x, hi.y, 0});
}

double TextWidth(const TextData& t) {
  double units = 0;
  for (std::size_t i = 0; i < t.text.size(); ++i) {
    const auto c = static_cast<unsigned char>(t.text[i]);
    if (c < 0x80) units += 0.8;
    else if ((c & 0xC0) != 0x80) units += 1.0;  // lead byte of a multi-byte character
  }
  return units * t.height;
}

void NormalizeText(TextData& t) {
  if (AnchoredAtInsertion(t.alignment)) return;
  if (TwoPointAlignment(t.alignment)) {
    const double dx = t.alignment_point.x - t.insertion.x, dy = t.alignment_point.y - t.insertion.y;
    if (dx != 0 || dy != 0) t.rotation = std::atan2(dy, dx);
    return;
  }
  const double w = TextWidth(t), h = t.height;
  double fx = 0, fy = 0;
  switch (t.alignment) {
    case kAlignCenter: case kAlignMiddle: case kAlignTopCenter: case kAlignMiddleCenter:
    case kAlignBottomCenter: fx = -0.5; break;
    case kAlignRight: case kAlignTopRight: case kAlignMiddleRight: case kAlignBottomRight:
      fx = -1; break;
    default: break;
  }
  switch (t.alignment) {
    case kAlignMiddle: case kAlignMiddleLeft: case kAlignMiddleCenter: case kAlignMiddleRight:
      fy = -0.5; break;
    case kAlignTopLeft: case kAlignTopCenter: case kAlignTopRight: fy = -1; break;
    default: break;
  }
  const double c = std::cos(t.rotation), s = std::sin(t.rotation);
  const double x = fx * w, y = fy * h;
  t.insertion = {t.alignment_point.x + c * x - s * y, t.alignment_point.y + s * x + c * y,
                 t.alignment_point.z};
}

std::vector<std::pair<double, double>> TextCorners(const TextData& t) {
  double w = TextWidth(t), rot = t.rotation;
  if (TwoPointAlignment(t.alignment)) {
    const double d = std::hypot(t.alignment_point.x - t.insertion.x,
                                t.alignment_point.y - t.insertion.y);
    if (d > 0) w = d;
  }
  const double c = std::cos(rot), s = std::sin(rot), h = t.height;
  auto at = [&](double x, double y) {
    return std::make_pair(t.insertion.x + c * x - s * y, t.insertion.y + s * x + c * y);
  };
  return {at(0, 0), at(w, 0), at(w, h), at(0, h)};
}

void Translate(Entity& e, double dx, double dy, double dz) {
  auto mv = [&](Point3& p) { p = {p.x + dx, p.y + dy, p.z + dz}; };
  if (auto* l = e.as<LineData>()) {
    mv(l->start);
    mv(l->end);
  } else if (auto* pl = e.as<PolylineData>()) {
    for (auto& v : pl->vertices) v = {v.first + dx, v.second + dy};
    pl->elevation += dz;
  } else if (auto* t = e.as<TextData>()) {
    mv(t->insertion);
    mv(t->alignment_point);
  } else if (auto* c = e.as<CircleData>()) {
    mv(c->center);
  } else if (auto* r = e.as<BlockRefData>()) {
    mv(r->insertion);
  } else if (auto* a = e.as<ArcData>()) {
    mv(a->center);
  } else if (auto* ld = e.as<LeaderData>()) {
    for (auto& v : ld->vertices) mv(v);
  } else if (auto* pt = e.as<PointData>()) {
    mv(pt->position);
  }
}

void RotateAbout(Entity& e, Point3 base, double angle) {
  auto rot = [&](Point3& p) { p = RotatePoint(p, base, angle); };
  if (auto* l = e.as<LineData>()) {
    rot(l->start);
    rot(l->end);
  } else if (auto* pl = e.as<PolylineData>()) {
    for (auto& v : pl->vertices) {
      Point3 p = RotatePoint({v.first, v.second, 0}, base, angle);
      v = {p.x, p.y};
    }
  } else if (auto* t = e.as<TextData>()) {
    rot(t->insertion);
    rot(t->alignment_point);
    t->rotation += angle;
    NormalizeText(*t);
  } else if (auto* c = e.as<CircleData>()) {
    rot(c->center);
  } else if (auto* r = e.as<BlockRefData>()) {
    rot(r->insertion);
    r->rotation += angle;
  } else if (auto* a = e.as<ArcData>()) {
    rot(a->center);
    a->start_angle += angle;
    a->end_angle += angle;
  } else if (auto* ld = e.as<LeaderData>()) {
    for (auto& v : ld->vertices) rot(v);
  } else if (auto* pt = e.as<PointData>()) {
    rot(pt->position);
  }
}

void Place(Entity& e, Point3 from, double scale, double rotation, Point3 to) {
  auto pl = [&](Point3& p) { p = PlacePoint(p, from, scale, rotation, to); };
  if (auto* l = e.as<LineData>()) {
    pl(l->start);
    pl(l->end);
  } else if (auto* p = e.as<PolylineData>()) {
    for (auto& v : p->vertices) {
      Point3 q = PlacePoint({v.first, v.second, 0}, from, scale, rotation, to);
      v = {q.x, q.y};
    }
    p->elevation = to.z + (p->elevation - from.z) * scale;
  } else if (auto* t = e.as<TextData>()) {
    pl(t->insertion);
    pl(t->alignment_point);
    t->height *= std::fabs(scale);
    t->rotation += rotation;
    NormalizeText(*t);
  } else if (auto* c = e.as<CircleData>()) {
    pl(c->center);
    c->radius *= std::fabs(scale);
  } else if (auto* r = e.as<BlockRefData>()) {
    pl(r->insertion);
    r->scale *= scale;
    r->rotation += rotation;
  } else if (auto* a = e.as<ArcData>()) {
    // A negative uniform scale is a half turn.
    const double turn = rotation + (scale < 0 ? std::numbers::pi : 0.0);
    pl(a->center);
    a->radius *= std::fabs(scale);
    a->start_angle += turn;
    a->end_angle += turn;
  } else if (auto* ld = e.as<LeaderData>()) {
    for (auto& v : ld->vertices) pl(v);
    ld->arrow_size *= std::fabs(scale);
  } else if (auto* pt = e.as<PointData>()) {
    pl(pt->position);
  }
}

}  // namespace zavin::cad
