#include "host/object_model.h"

namespace zavin::host {

using geometry::TAcadPoint;
using platform::HostError;
using platform::VarKind;
using platform::VariantArray;

Variant PointToVariant(const TAcadPoint& p) {
  const geometry::HostPointArray a = geometry::ToHostPoint(p);
  return platform::MakePointArray(a[0], a[1], a[2]);
}

TAcadPoint PointFromVariant(const Variant& v) {
  if (!v.is_array()) throw HostError(platform::hr::kTypeMismatch, "not a point");
  const VariantArray& a = v.array();
  if (a.items.size() != 2 && a.items.size() != 3)
    throw HostError(platform::hr::kTypeMismatch, "not a point");
  geometry::HostPointArray p{0, 0, 0};
  for (std::size_t i = 0; i < a.items.size(); ++i) p[i] = a.items[i].ToDouble();
  return geometry::FromHostPoint(p);
}

namespace {

VariantArray CodeArray(std::span<const std::int16_t> codes) {
  std::vector<Variant> items(codes.begin(), codes.end());
  return platform::MakeArray(VarKind::Int16, std::move(items));
}

ObjectRef RequireObject(const Variant& v, std::string_view member) {
  const ObjectRef& o = v.object();
  if (!o) throw HostError(platform::hr::kFail, "no object from " + std::string(member));
  return o;
}

}  // namespace

SelectFilter MakeFilter(std::span<const std::int16_t> codes, std::vector<Variant> values) {
  return {Variant(CodeArray(codes)), Variant(platform::MakeArray(VarKind::Variant, std::move(values)))};
}

Xdata MakeXdata(std::span<const std::int16_t> codes, std::vector<Variant> values) {
  return {Variant(CodeArray(codes)), Variant(platform::MakeArray(VarKind::Variant, std::move(values)))};
}

// ---- HostObject

Variant HostObject::Get(std::string_view member, std::vector<Variant> args) const {
  return platform::Get(ref_, member, std::move(args));
}

void HostObject::Put(std::string_view member, Variant value) const {
  platform::Put(ref_, member, std::move(value));
}

Variant HostObject::Call(std::string_view member, std::vector<Variant> args) const {
  return platform::Call(ref_, member, std::move(args));
}

ObjectRef HostObject::GetObject(std::string_view member, std::vector<Variant> args) const {
  return RequireObject(Get(member, std::move(args)), member);
}

ObjectRef HostObject::CallObject(std::string_view member, std::vector<Variant> args) const {
  return RequireObject(Call(member, std::move(args)), member);
}

// ---- Entity and its kinds

std::string Entity::EntityName() const { return Get("EntityName").ToText(); }
ObjectId Entity::ObjectID() const { return Get("ObjectID").ToInt64(); }
std::string Entity::Layer() const { return Get("Layer").ToText(); }
void Entity::SetLayer(std::string_view layer) const { Put("Layer", std::string(layer)); }
void Entity::Update() const { Call("Update"); }
void Entity::Delete() const { Call("Delete"); }
void Entity::Erase() const { Call("Erase"); }

void Entity::SetXdata(const Xdata& xdata) const { Call("SetXdata", {xdata.types, xdata.values}); }

Xdata Entity::GetXdata(std::string_view app) const {
  std::vector<Variant> args{std::string(app), Variant(), Variant()};
  platform::CallOut(ref(), "GetXdata", args);
  return {args[1], args[2]};
}

TAcadPoint Line::StartPoint() const { return PointFromVariant(Get("StartPoint")); }
TAcadPoint Line::EndPoint() const { return PointFromVariant(Get("EndPoint")); }

std::vector<double> Polyline::Coordinates() const {
  const Variant v = Get("Coordinates");
  std::vector<double> out;
  for (const Variant& item : v.array().items) out.push_back(item.ToDouble());
  return out;
}

bool Polyline::Closed() const { return Get("Closed").ToBool(); }
double Polyline::GetBulge(std::int32_t index) const { return Call("GetBulge", {Variant(index)}).ToDouble(); }
void Polyline::SetClosed(bool closed) const { Put("Closed", closed); }

TAcadPoint PointEntity::Coordinates() const { return PointFromVariant(Get("Coordinates")); }

std::string Text::TextString() const { return Get("TextString").ToText(); }
void Text::SetTextString(std::string_view s) const { Put("TextString", std::string(s)); }
TAcadPoint Text::InsertionPoint() const { return PointFromVariant(Get("InsertionPoint")); }
void Text::SetInsertionPoint(const TAcadPoint& p) const { Put("InsertionPoint", PointToVariant(p)); }
TAcadPoint Text::TextAlignmentPoint() const { return PointFromVariant(Get("TextAlignmentPoint")); }
void Text::SetTextAlignmentPoint(const TAcadPoint& p) const {
  Put("TextAlignmentPoint", PointToVariant(p));
}
double Text::Height() const { return Get("Height").ToDouble(); }
std::int32_t Text::Alignment() const { return Get("Alignment").ToInt32(); }
void Text::SetAlignment(std::int32_t alignment) const { Put("Alignment", alignment); }
double Text::Rotation() const { return Get("Rotation").ToDouble(); }
void Text::SetRotation(double radians) const { Put("Rotation", radians); }
void Text::Rotate(const TAcadPoint& base, double radians) const {
  Call("Rotate", {PointToVariant(base), radians});
}

TAcadPoint Circle::Center() const { return PointFromVariant(Get("Center")); }
double Circle::Radius() const { return Get("Radius").ToDouble(); }

std::string BlockReference::Name() const { return Get("Name").ToText(); }
TAcadPoint BlockReference::InsertionPoint() const { return PointFromVariant(Get("InsertionPoint")); }

std::vector<Entity> BlockReference::Explode() const {
  const Variant v = Call("Explode");
  std::vector<Entity> out;
  if (!v.is_array()) return out;
  for (const Variant& item : v.array().items)
    if (item.kind() == VarKind::Object && item.object()) out.emplace_back(item.object());
  return out;
}

// ---- Tables and collections

std::string Layer::Name() const { return Get("Name").ToText(); }

std::string Block::Name() const { return Get("Name").ToText(); }
void Block::Delete() const { Call("Delete"); }

Line Block::AddLine(const TAcadPoint& p1, const TAcadPoint& p2) const {
  return Line(CallObject("AddLine", {PointToVariant(p1), PointToVariant(p2)}));
}

Text Block::AddText(std::string_view text, const TAcadPoint& point, double height) const {
  return Text(CallObject("AddText", {std::string(text), PointToVariant(point), height}));
}

Circle Block::AddCircle(const TAcadPoint& centre, double radius) const {
  return Circle(CallObject("AddCircle", {PointToVariant(centre), radius}));
}

PointEntity Block::AddPoint(const TAcadPoint& point) const {
  return PointEntity(CallObject("AddPoint", {PointToVariant(point)}));
}

Polyline Block::AddLightWeightPolyline(std::span<const double> xy) const {
  std::vector<Variant> items(xy.begin(), xy.end());
  return Polyline(CallObject("AddLightWeightPolyline",
                             {Variant(platform::MakeArray(VarKind::Double, std::move(items)))}));
}

Layer Layers::Add(std::string_view name) const { return Layer(CallObject("Add", {std::string(name)})); }
Layer Layers::ItemNamed(std::string_view name) const {
  return Layer(CallObject("Item", {std::string(name)}));
}

Block Blocks::Add(const TAcadPoint& origin, std::string_view name) const {
  return Block(CallObject("Add", {PointToVariant(origin), std::string(name)}));
}

std::string SelectionSet::Name() const { return Get("Name").ToText(); }
void SelectionSet::Clear() const { Call("Clear"); }

void SelectionSet::Select(std::int32_t mode, const TAcadPoint& p1, const TAcadPoint& p2,
                          const SelectFilter& filter) const {
  Call("Select", {mode, PointToVariant(p1), PointToVariant(p2), filter.types, filter.data});
}

void SelectionSet::SelectOnScreen(const SelectFilter& filter) const {
  Call("SelectOnScreen", {filter.types, filter.data});
}

void SelectionSet::SelectAtPoint(const TAcadPoint& point, const SelectFilter& filter) const {
  Call("SelectAtPoint", {PointToVariant(point), filter.types, filter.data});
}

void SelectionSet::Delete() const { Call("Delete"); }

SelectionSet SelectionSets::Add(std::string_view name) const {
  return SelectionSet(CallObject("Add", {std::string(name)}));
}

// ---- Utility, document, application

EntityPick Utility::GetEntity(std::string_view prompt) const {
  std::vector<Variant> args{Variant(), Variant(), std::string(prompt)};
  platform::CallOut(ref(), "GetEntity", args);
  return {Entity(RequireObject(args[0], "GetEntity")), PointFromVariant(args[1])};
}

TAcadPoint Utility::GetPoint(std::string_view prompt) const {
  return PointFromVariant(Call("GetPoint", {Variant(), std::string(prompt)}));
}

TAcadPoint Utility::GetPoint(const TAcadPoint& base, std::string_view prompt) const {
  return PointFromVariant(Call("GetPoint", {PointToVariant(base), std::string(prompt)}));
}

void Utility::Prompt(std::string_view text) const { Call("Prompt", {std::string(text)}); }

namespace {
bool& SavingsSwitch() {
  static bool on = true;
  return on;
}
}  // namespace

bool CallSavings() { return SavingsSwitch(); }
void SetCallSavings(bool on) { SavingsSwitch() = on; }

CommandMemory::~CommandMemory() {
  if (!updates_pending || !document) return;
  try {
    platform::Call(document, "Regen", {std::int32_t{0}});
  } catch (...) {
  }
}

Document Document::Remembering() const {
  Document copy(ref());
  copy.memory_ = std::make_shared<CommandMemory>();
  copy.memory_->document = ref();
  return copy;
}

void Document::RegenAtEnd() const {
  if (memory_) memory_->regen_at_end = true;
}

void Document::UpdateWritten(const Entity& entity) const {
  if (memory_ && memory_->regen_at_end) {
    memory_->updates_pending = true;
    return;
  }
  entity.Update();
}

Utility Document::GetUtility() const { return Utility(GetObject("Utility")); }

Block Document::ModelSpace() const {
  if (!memory_) return Block(GetObject("ModelSpace"));
  if (!memory_->model_space) memory_->model_space = GetObject("ModelSpace");
  return Block(memory_->model_space);
}
Layers Document::GetLayers() const { return Layers(GetObject("Layers")); }
Blocks Document::GetBlocks() const { return Blocks(GetObject("Blocks")); }
SelectionSets Document::GetSelectionSets() const { return SelectionSets(GetObject("SelectionSets")); }

Variant Document::GetVariable(std::string_view name) const {
  return Call("GetVariable", {std::string(name)});
}

void Document::SetVariable(std::string_view name, Variant value) const {
  Call("SetVariable", {std::string(name), std::move(value)});
}

void Document::SendCommand(std::string_view text) const { Call("SendCommand", {std::string(text)}); }

Entity Document::ObjectIdToObject(ObjectId id) const {
  return Entity(CallObject("ObjectIdToObject", {id}));
}

void Document::Regen(std::int32_t which) const {
  Call("Regen", {which});
  if (memory_) memory_->updates_pending = false;
}

bool HostState::IsQuiescent() const { return Get("IsQuiescent").ToBool(); }

std::int64_t Application::HWND() const { return Get("HWND").ToInt64(); }
Document Application::ActiveDocument() const { return Document(GetObject("ActiveDocument")); }

HostState Application::GetState(HostKind kind) const {
  return HostState(CallObject(StateMember(kind)));
}

std::string_view StateMember(HostKind kind) {
  switch (kind) {
    case HostKind::Gcad: return "GetGcadState";
    case HostKind::Zcad: return "GetZcadState";
    case HostKind::Acad: break;
  }
  return "GetAcadState";
}

}  // namespace zavin::host
