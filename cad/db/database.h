#pragma once

#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <variant>
#include <vector>

#include "platform/variant.h"

namespace zavin::cad {

// The drawing database behind the embedded host's document: plain data that
// tests seed and inspect directly, without going through automation.

struct Point3 {
  double x = 0, y = 0, z = 0;
  friend bool operator==(const Point3&, const Point3&) = default;
};

struct LineData {
  Point3 start, end;
};

// Planar polyline: 2D vertices at one elevation. `bulges[i]` is the bulge of
// the segment from vertex i to the next (tan of a quarter of its sweep,
// positive counter-clockwise); an empty list means all segments are straight.
// `two_d` marks the older 2D polyline form (POLYLINE with vertex entities)
// rather than the lightweight one; both behave the same in the drawing.
struct PolylineData {
  std::vector<std::pair<double, double>> vertices;
  bool closed = false;
  double elevation = 0;
  std::vector<double> bulges;
  bool two_d = false;

  double Bulge(std::size_t i) const { return i < bulges.size() ? bulges[i] : 0.0; }
  bool HasBulges() const;
};

// Host text alignment codes (left 0 ... bottom right 14).
enum TextAlign : int {
  kAlignLeft = 0,
  kAlignCenter = 1,
  kAlignRight = 2,
  kAlignAligned = 3,
  kAlignMiddle = 4,
  kAlignFit = 5,
  kAlignTopLeft = 6,
  kAlignTopCenter = 7,
  kAlignTopRight = 8,
  kAlignMiddleLeft = 9,
  kAlignMiddleCenter = 10,
  kAlignMiddleRight = 11,
  kAlignBottomLeft = 12,
  kAlignBottomCenter = 13,
  kAlignBottomRight = 14,
};

// Single-line text. `insertion` is always the left end of the baseline. For
// left alignment it is the anchor; for aligned and fit both points are given;
// for every other alignment `alignment_point` is the anchor and `insertion`
// follows from it (see NormalizeText).
struct TextData {
  std::string text;
  Point3 insertion;
  Point3 alignment_point;
  int alignment = kAlignLeft;
  double height = 2.5;
  double rotation = 0;  // radians, counter-clockwise from +x
};

struct CircleData {
  Point3 center;
  double radius = 1;
};

// Arc of a circle, counter-clockwise from start to end angle (radians).
struct ArcData {
  Point3 center;
  double radius = 1;
  double start_angle = 0;
  double end_angle = 0;
};

// Leader: a path of vertices from the arrow tip, with an arrowhead of
// `arrow_size` drawing units at the first vertex (the closed filled arrow
// when `arrow_block` is empty, none for "_NONE"/"NONE" or "." ).
struct LeaderData {
  std::vector<Point3> vertices;
  double arrow_size = 2.5;
  std::string arrow_block;
  bool HasArrow() const;
};

// A point entity (POINT).
struct PointData {
  Point3 position;
};

struct BlockRefData {
  std::string name;
  Point3 insertion;
  double scale = 1;
  double rotation = 0;
};

// In the order of EntityData's alternatives.
enum class EntityKind { Line, Polyline, Text, Circle, BlockRef, Arc, Leader, Point };

using EntityData = std::variant<LineData, PolylineData, TextData, CircleData, BlockRefData,
                                ArcData, LeaderData, PointData>;

// One extended-data item: group code and value. Points are stored as arrays of
// three doubles, bounds 0..2; the application name (1001) starts each group.
struct XdataItem {
  std::int16_t code = 0;
  platform::Variant value;
};

struct Entity {
  std::int64_t id = 0;
  std::string layer = "0";
  EntityData data;
  std::vector<XdataItem> xdata;

  EntityKind kind() const { return static_cast<EntityKind>(data.index()); }
  template <class T>
  T* as() {
    return std::get_if<T>(&data);
  }
  template <class T>
  const T* as() const {
    return std::get_if<T>(&data);
  }
};

// "AcDbLine", "AcDbPolyline", ...; a 2D polyline is "AcDb2dPolyline".
const char* ClassName(EntityKind kind);
const char* ClassName(const Entity& e);
// The DXF type name used by selection filters: "LINE", "LWPOLYLINE", ...; a
// 2D polyline is "POLYLINE".
const char* DxfName(EntityKind kind);
const char* DxfName(const Entity& e);

// Entities of a space, keyed by id; ids only grow, so the order is creation order.
using EntityMap = std::map<std::int64_t, Entity>;

struct Layer {
  std::int64_t id = 0;
  std::string name;
};

struct Block {
  std::int64_t id = 0;
  std::string name;
  Point3 origin;
  EntityMap entities;
};

// Owner of an entity: model space, or a block definition by its id.
inline constexpr std::int64_t kModelSpace = 0;

// Kinds of system variables, as GetVariable returns them.
enum class VarType { Int, Real, Text, Point };

class Database {
 public:
  Database();

  // Entities. Adding assigns a fresh id; an empty layer means the current
  // layer (CLAYER). Texts are normalised on the way in.
  Entity& Add(EntityData data, std::string layer = {}, std::int64_t owner = kModelSpace);
  std::int64_t AddLine(Point3 a, Point3 b, std::string layer = {});
  std::int64_t AddText(std::string text, Point3 at, double height, std::string layer = {});
  std::int64_t AddCircle(Point3 center, double radius, std::string layer = {});
  std::int64_t AddPolyline(std::vector<std::pair<double, double>> vertices, bool closed,
                           std::string layer = {});

  Entity* Find(std::int64_t id);
  const Entity* Find(std::int64_t id) const;
  // The owner of a live entity, nullopt when the id does not exist.
  std::optional<std::int64_t> OwnerOf(std::int64_t id) const;
  bool Erase(std::int64_t id);
  // Counts the erasures, so that a holder of ids looks for gone ones only
  // after the drawing lost an entity.
  std::uint64_t erasures() const { return erasures_; }

  EntityMap& model_space() { return model_space_; }
  const EntityMap& model_space() const { return model_space_; }
  // The most recently created entity still in model space.
  const Entity* LastEntity() const;
  // Model-space entities of `kind`, in creation order.
  std::vector<const Entity*> OfKind(EntityKind kind) const;

  // Layers; names compare without regard to letter case. Layer "0" always exists.
  const std::vector<Layer>& layers() const { return layers_; }
  Layer* FindLayer(std::string_view name);
  // Returns the existing layer when the name is taken.
  Layer& AddLayer(std::string name);

  // Block definitions (user blocks only; the layout blocks are shown by the
  // automation collection but are not stored here).
  std::vector<Block>& blocks() { return blocks_; }
  const std::vector<Block>& blocks() const { return blocks_; }
  Block* FindBlock(std::string_view name);
  const Block* FindBlock(std::string_view name) const;
  Block* BlockById(std::int64_t id);
  const Block* BlockById(std::int64_t id) const;
  // Returns the existing definition when the name is taken.
  Block& AddBlock(std::string name, Point3 origin = {});
  // Number of block references (in model space and in blocks) to `name`.
  int ReferenceCount(std::string_view name) const;
  bool DeleteBlock(std::string_view name);  // false when missing or referenced
  // Inserts a reference into model space; returns its id.
  std::int64_t InsertBlock(std::string name, Point3 at, double scale = 1, double rotation = 0);
  // Copies the referenced block's entities into the reference's owner, placed
  // by the reference; the reference stays. Returns the new ids.
  std::vector<std::int64_t> Explode(std::int64_t reference_id);

  // System variables, raw: no type or range checks, so tests can seed any
  // value. Unknown names raise HostError. EXTMIN and EXTMAX are computed from
  // model space (1e20 and -1e20 on every axis while it is empty). ANGBASE is
  // kept as set, in degrees, the unit the tool reads it in with AUNITS 0.
  platform::Variant GetVar(std::string_view name) const;
  void SetVar(std::string_view name, platform::Variant value);
  bool HasVar(std::string_view name) const;
  std::optional<VarType> VarTypeOf(std::string_view name) const;
  bool VarReadOnly(std::string_view name) const;
  // Point-valued variable as a point.
  Point3 GetPointVar(std::string_view name) const;
  void SetPointVar(std::string_view name, Point3 p);

  // Height of the drawing window in pixels; with VIEWSIZE it gives the size
  // of a pixel in drawing units.
  double view_height_px() const { return view_height_px_; }
  void set_view_height_px(double px) { view_height_px_ = px; }
  // Half side of the pick box in drawing units: PICKBOX pixels at VIEWSIZE
  // drawing units per view height.
  double PickAperture() const;

  // Extents of model space (min, max), nullopt when empty.
  std::optional<std::pair<Point3, Point3>> Extents() const;

  std::int64_t NextId() { return next_id_ += 16; }

 private:
  struct VarSlot {
    VarType type;
    bool read_only;
    platform::Variant value;
  };

  EntityMap* Container(std::int64_t owner);

  // Ids start above 32 bits so that a caller truncating them shows at once.
  std::int64_t next_id_ = 0x2'0000'0000LL;
  std::uint64_t erasures_ = 0;
  EntityMap model_space_;
  std::vector<Layer> layers_;
  std::vector<Block> blocks_;
  std::map<std::string, VarSlot, std::less<>> vars_;
  double view_height_px_ = 800;
};

// Text geometry. Character advance is 0.8 x height for single-byte
// characters and 1.0 x height for others; descenders are ignored.
double TextWidth(const TextData& t);
// Recomputes `insertion` (or the rotation of aligned and fit texts) from the anchor.
void NormalizeText(TextData& t);
// Corners of the text box, counter-clockwise from the insertion point.
std::vector<std::pair<double, double>> TextCorners(const TextData& t);

// Moves or turns an entity in place (texts keep their anchor semantics).
void Translate(Entity& e, double dx, double dy, double dz);
void RotateAbout(Entity& e, Point3 base, double angle);
// p' = to + R(rotation) * scale * (p - from), for placing block contents.
void Place(Entity& e, Point3 from, double scale, double rotation, Point3 to);

}  // namespace zavin::cad
