#pragma once

// Typed facade over the host's late-bound object model. Each class is a thin
// value wrapping one ObjectRef; every member still goes by name through
// platform::Get/Put/Call, so any object with these members (the embedded
// host, a test double) can stand behind it. Any member may raise HostError.

#include <cstdint>
#include <memory>
#include <set>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "geometry/point.h"
#include "platform/automation.h"
#include "platform/variant.h"

namespace zavin::host {

using platform::ObjectRef;
using platform::Variant;
using ObjectId = std::int64_t;

// Points cross the boundary as a double array with bounds 0..2.
Variant PointToVariant(const geometry::TAcadPoint& p);
// Reads a host point: an array of two or three numbers (z = 0 for two).
// Anything else raises HostError(kTypeMismatch).
geometry::TAcadPoint PointFromVariant(const Variant& v);

// Selects which application member reports the idle state.
enum class HostKind { Acad, Gcad, Zcad };

// Entity class names as the host reports them in EntityName.
inline constexpr std::string_view kLineClass = "AcDbLine";
inline constexpr std::string_view kPolylineClass = "AcDbPolyline";
inline constexpr std::string_view kTextClass = "AcDbText";
inline constexpr std::string_view kCircleClass = "AcDbCircle";
inline constexpr std::string_view kBlockReferenceClass = "AcDbBlockReference";
inline constexpr std::string_view kPointClass = "AcDbPoint";

// Modes of SelectionSet::Select.
inline constexpr std::int32_t kSelectCrossing = 1;
inline constexpr std::int32_t kSelectLast = 4;
inline constexpr std::int32_t kSelectAll = 5;

class HostObject {
 public:
  HostObject() = default;
  explicit HostObject(ObjectRef ref) : ref_(std::move(ref)) {}

  const ObjectRef& ref() const { return ref_; }
  bool valid() const { return ref_ != nullptr; }

 protected:
  Variant Get(std::string_view member, std::vector<Variant> args = {}) const;
  void Put(std::string_view member, Variant value) const;
  Variant Call(std::string_view member, std::vector<Variant> args = {}) const;
  // A property or method result that must be an object.
  ObjectRef GetObject(std::string_view member, std::vector<Variant> args = {}) const;
  ObjectRef CallObject(std::string_view member, std::vector<Variant> args = {}) const;

 private:
  ObjectRef ref_;
};

// Filter arguments of the selection methods: a 16-bit group code array and a
// variant value array, both bounds 0..n-1. Empty means no filter.
struct SelectFilter {
  Variant types;
  Variant data;
};
SelectFilter MakeFilter(std::span<const std::int16_t> codes, std::vector<Variant> values);

// Extended data in the host's two-array shape (see SelectFilter).
struct Xdata {
  Variant types;
  Variant values;
};
Xdata MakeXdata(std::span<const std::int16_t> codes, std::vector<Variant> values);

class Entity : public HostObject {
 public:
  using HostObject::HostObject;

  std::string EntityName() const;
  ObjectId ObjectID() const;
  std::string Layer() const;
  void SetLayer(std::string_view layer) const;
  void Update() const;
  void Delete() const;
  void Erase() const;
  void SetXdata(const Xdata& xdata) const;
  // The entity's data under `app`; the host decides the shape, so readers
  // check it before use.
  Xdata GetXdata(std::string_view app) const;
};

class Line : public Entity {
 public:
  using Entity::Entity;
  explicit Line(const Entity& e) : Entity(e.ref()) {}
  geometry::TAcadPoint StartPoint() const;
  geometry::TAcadPoint EndPoint() const;
};

// Lightweight polyline.
class Polyline : public Entity {
 public:
  using Entity::Entity;
  explicit Polyline(const Entity& e) : Entity(e.ref()) {}
  // Flat x, y list.
  std::vector<double> Coordinates() const;
  bool Closed() const;
  // Bulge of the segment that starts at vertex `index` (0 straight).
  double GetBulge(std::int32_t index) const;
  void SetClosed(bool closed) const;
};

class PointEntity : public Entity {
 public:
  using Entity::Entity;
  explicit PointEntity(const Entity& e) : Entity(e.ref()) {}
  geometry::TAcadPoint Coordinates() const;
};

class Text : public Entity {
 public:
  using Entity::Entity;
  explicit Text(const Entity& e) : Entity(e.ref()) {}
  std::string TextString() const;
  void SetTextString(std::string_view s) const;
  geometry::TAcadPoint InsertionPoint() const;
  void SetInsertionPoint(const geometry::TAcadPoint& p) const;
  geometry::TAcadPoint TextAlignmentPoint() const;
  void SetTextAlignmentPoint(const geometry::TAcadPoint& p) const;
  double Height() const;
  std::int32_t Alignment() const;
  void SetAlignment(std::int32_t alignment) const;
  double Rotation() const;
  void SetRotation(double radians) const;
  void Rotate(const geometry::TAcadPoint& base, double radians) const;
};

class Circle : public Entity {
 public:
  using Entity::Entity;
  explicit Circle(const Entity& e) : Entity(e.ref()) {}
  geometry::TAcadPoint Center() const;
  double Radius() const;
};

class BlockReference : public Entity {
 public:
  using Entity::Entity;
  explicit BlockReference(const Entity& e) : Entity(e.ref()) {}
  std::string Name() const;
  geometry::TAcadPoint InsertionPoint() const;
  // The entities the explosion added (empty when the host returns none).
  std::vector<Entity> Explode() const;
};

// Count and zero-based Item over a host collection.
template <class T>
class Collection : public HostObject {
 public:
  using HostObject::HostObject;
  std::int32_t Count() const { return Get("Count").ToInt32(); }
  T Item(std::int32_t index) const { return T(CallObject("Item", {Variant(index)})); }
};

class Layer : public HostObject {
 public:
  using HostObject::HostObject;
  std::string Name() const;
};

// A block definition; model space is one too.
class Block : public Collection<Entity> {
 public:
  using Collection::Collection;
  std::string Name() const;
  void Delete() const;
  Line AddLine(const geometry::TAcadPoint& p1, const geometry::TAcadPoint& p2) const;
  Text AddText(std::string_view text, const geometry::TAcadPoint& point, double height) const;
  Circle AddCircle(const geometry::TAcadPoint& centre, double radius) const;
  PointEntity AddPoint(const geometry::TAcadPoint& point) const;
  // `xy` is a flat x, y list of at least two vertices; open until SetClosed.
  Polyline AddLightWeightPolyline(std::span<const double> xy) const;
};

class Layers : public Collection<Layer> {
 public:
  using Collection::Collection;
  Layer Add(std::string_view name) const;
  // The layer of that name, in any case; raises HostError when there is none.
  Layer ItemNamed(std::string_view name) const;
};

class Blocks : public Collection<Block> {
 public:
  using Collection::Collection;
  Block Add(const geometry::TAcadPoint& origin, std::string_view name) const;
};

class SelectionSet : public Collection<Entity> {
 public:
  using Collection::Collection;
  std::string Name() const;
  void Clear() const;
  void Select(std::int32_t mode, const geometry::TAcadPoint& p1, const geometry::TAcadPoint& p2,
              const SelectFilter& filter = {}) const;
  void SelectOnScreen(const SelectFilter& filter = {}) const;
  void SelectAtPoint(const geometry::TAcadPoint& point, const SelectFilter& filter = {}) const;
  void Delete() const;
};

class SelectionSets : public Collection<SelectionSet> {
 public:
  using Collection::Collection;
  SelectionSet Add(std::string_view name) const;
};

struct EntityPick {
  Entity entity;
  geometry::TAcadPoint point;
};

class Utility : public HostObject {
 public:
  using HostObject::HostObject;
  // Raises HostError when the user cancels or picks nothing.
  EntityPick GetEntity(std::string_view prompt) const;
  geometry::TAcadPoint GetPoint(std::string_view prompt) const;
  geometry::TAcadPoint GetPoint(const geometry::TAcadPoint& base, std::string_view prompt) const;
  void Prompt(std::string_view text) const;
};

// Whether commands save the host calls that repeat what they already know
// (on unless a test compares the literal call pattern). Process-wide.
bool CallSavings();
void SetCallSavings(bool on);

// What one command remembers of its document while it runs, so that it asks
// the host once: the model space object and the layers it found or created.
// Nothing in it outlives the command. With `regen_at_end` the command ends
// with a Regen, which redraws every entity, so the writers leave out their
// per-entity Update; should the command end early, the memory regenerates
// once when it goes.
struct CommandMemory {
  CommandMemory() = default;
  CommandMemory(const CommandMemory&) = delete;
  CommandMemory& operator=(const CommandMemory&) = delete;
  ~CommandMemory();

  ObjectRef document;
  ObjectRef model_space;
  std::set<std::string, std::less<>> layers;  // upper-cased
  bool regen_at_end = false;
  bool updates_pending = false;  // an Update was left to the closing Regen
};

class Document : public HostObject {
 public:
  using HostObject::HostObject;

  // A copy that remembers for one command (CommandMemory); its copies share
  // the memory. The plain document asks the host every time.
  Document Remembering() const;
  CommandMemory* memory() const { return memory_.get(); }
  // Declares that the command ends with Regen (see CommandMemory); nothing
  // for a document that does not remember.
  void RegenAtEnd() const;
  // Update of an entity the command just wrote, unless the closing Regen
  // will redraw it.
  void UpdateWritten(const Entity& entity) const;
  Utility GetUtility() const;
  Block ModelSpace() const;
  Layers GetLayers() const;
  Blocks GetBlocks() const;
  SelectionSets GetSelectionSets() const;
  // Integer, real, text or point, as the host holds it.
  Variant GetVariable(std::string_view name) const;
  void SetVariable(std::string_view name, Variant value) const;
  // Queued as if typed ("\r" is Enter); returns before the command ends.
  void SendCommand(std::string_view text) const;
  // Raises HostError when the entity no longer exists.
  Entity ObjectIdToObject(ObjectId id) const;
  void Regen(std::int32_t which = 0) const;

 private:
  std::shared_ptr<CommandMemory> memory_;
};

class HostState : public HostObject {
 public:
  using HostObject::HostObject;
  bool IsQuiescent() const;
};

class Application : public HostObject {
 public:
  using HostObject::HostObject;
  std::int64_t HWND() const;
  Document ActiveDocument() const;
  // GetAcadState, GetGcadState or GetZcadState by kind.
  HostState GetState(HostKind kind) const;
};

// The application member that reports the idle state for `kind`.
std::string_view StateMember(HostKind kind);

}  // namespace zavin::host
