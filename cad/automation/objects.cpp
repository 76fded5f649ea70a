// Application, document, utility, model space, blocks and layers of the
// embedded host.

#include <algorithm>
#include <cmath>
#include <map>
#include <memory>
#include <string>
#include <utility>

#include "cad/automation/host_object.h"

namespace zavin::cad {

namespace {

// ---------------------------------------------------------------------------
// State object

class StateObject : public HostObject {
 public:
  explicit StateObject(std::shared_ptr<HostCore> core) : HostObject(std::move(core)) {
    AddGet("IsQuiescent", [this](Args) { return Variant(core_->PollQuiescent()); });
  }
};

// ---------------------------------------------------------------------------
// Model space and block definitions

constexpr std::int64_t kPaperSpace = -1;

class SpaceObject : public HostObject {
 public:
  SpaceObject(std::shared_ptr<HostCore> core, std::int64_t owner)
      : HostObject(std::move(core)), owner_(owner) {
    AddGet("Name", [this](Args) {
      if (owner_ == kModelSpace) return Variant("*Model_Space");
      if (owner_ == kPaperSpace) return Variant("*Paper_Space");
      return Variant(LiveBlock().name);
    });
    AddGet("ObjectID", [this](Args) { return Variant(owner_ > 0 ? LiveBlock().id : owner_); });
    AddGet("IsLayout", [this](Args) { return Variant(owner_ <= 0); });
    AddGet("Origin", [this](Args) {
      return PointValue(owner_ > 0 ? LiveBlock().origin : Point3{});
    });
    AddGet("Count", [this](Args) { return Variant(static_cast<std::int32_t>(Ids().size())); });
    AddMethod("Item", [this](Args a) {
      platform::RequireArgs(a, 1, 1);
      auto ids = Ids();
      return Variant(MakeEntityObject(core_, ids[ArgIndex(a[0], ids.size())]));
    });
    AddMethod("AddLine", [this](Args a) {
      platform::RequireArgs(a, 2, 2);
      return Added(LineData{ArgPoint(a[0]), ArgPoint(a[1])});
    });
    AddMethod("AddCircle", [this](Args a) {
      platform::RequireArgs(a, 2, 2);
      const Point3 c = ArgPoint(a[0]);
      const double r = ArgReal(a[1]);
      if (r <= 0) Invalid("the radius must be positive");
      return Added(CircleData{c, r});
    });
    AddMethod("AddArc", [this](Args a) {
      platform::RequireArgs(a, 4, 4);
      const Point3 c = ArgPoint(a[0]);
      const double r = ArgReal(a[1]);
      if (r <= 0) Invalid("the radius must be positive");
      return Added(ArcData{c, r, ArgReal(a[2]), ArgReal(a[3])});
    });
    AddMethod("AddText", [this](Args a) {
      platform::RequireArgs(a, 3, 3);
      TextData t;
      t.text = ArgText(a[0]);
      t.insertion = ArgPoint(a[1]);
      t.alignment_point = t.insertion;
      t.height = ArgReal(a[2]);
      if (t.height <= 0) Invalid("the text height must be positive");
      return Added(std::move(t));
    });
    AddMethod("AddPoint", [this](Args a) {
      platform::RequireArgs(a, 1, 1);
      return Added(PointData{ArgPoint(a[0])});
    });
    AddMethod("AddLightWeightPolyline", [this](Args a) {
      platform::RequireArgs(a, 1, 1);
      PolylineData p;
      if (!a[0].is_array()) Invalid("a coordinate array is required");
      const auto& items = a[0].array().items;
      if (items.size() < 4 || items.size() % 2 != 0) Invalid("coordinates come in x, y pairs");
      for (std::size_t i = 0; i < items.size(); i += 2)
        p.vertices.push_back({ArgReal(items[i]), ArgReal(items[i + 1])});
      return Added(std::move(p));
    });
    AddMethod("InsertBlock", [this](Args a) {
      platform::RequireArgs(a, 2, 6);
      const Point3 at = ArgPoint(a[0]);
      const std::string name = ArgText(a[1]);
      const Block* b = core_->db.FindBlock(name);
      if (!b) Invalid("no block named " + name);
      const double s = a.size() > 2 ? ArgReal(a[2]) : 1.0;
      const double rot = a.size() > 5 ? ArgReal(a[5]) : 0.0;
      if (s == 0) Invalid("the scale must not be 0");
      if (owner_ > 0 && b->id == owner_) Invalid("a block cannot contain itself");
      return Added(BlockRefData{b->name, at, s, rot});
    });
    AddMethod("Delete", [this](Args) {
      if (owner_ <= 0) Fail("a layout block cannot be deleted");
      const Block& b = LiveBlock();
      if (core_->db.ReferenceCount(b.name) > 0)
        Fail("the block " + b.name + " is referenced and cannot be deleted");
      core_->db.DeleteBlock(b.name);
      return Variant();
    });
  }

 private:
  const Block& LiveBlock() {
    const Block* b = core_->db.BlockById(owner_);
    if (!b) Fail("the block definition was deleted");
    return *b;
  }

  std::vector<std::int64_t> Ids() {
    std::vector<std::int64_t> ids;
    if (owner_ == kPaperSpace) return ids;
    const EntityMap& m = owner_ == kModelSpace ? core_->db.model_space() : LiveBlock().entities;
    for (const auto& [id, e] : m) ids.push_back(id);
    return ids;
  }

  Variant Added(EntityData data) {
    if (owner_ == kPaperSpace) Fail("paper space is not supported");
    if (owner_ > 0) LiveBlock();
    return Variant(MakeEntityObject(core_, core_->db.Add(std::move(data), {}, owner_).id));
  }

  std::int64_t owner_;
};

class BlocksObject : public HostObject {
 public:
  explicit BlocksObject(std::shared_ptr<HostCore> core) : HostObject(std::move(core)) {
    AddGet("Count", [this](Args) {
      return Variant(static_cast<std::int32_t>(core_->db.blocks().size() + 2));
    });
    AddMethod("Item", [this](Args a) {
      platform::RequireArgs(a, 1, 1);
      const auto& blocks = core_->db.blocks();
      if (IsNameArg(a[0])) {
        const std::string name = platform::UpperAscii(a[0].text());
        if (name == "*MODEL_SPACE") return Space(kModelSpace);
        if (name == "*PAPER_SPACE") return Space(kPaperSpace);
        const Block* b = core_->db.FindBlock(a[0].text());
        if (!b) Invalid("no block named " + a[0].text());
        return Space(b->id);
      }
      const std::int64_t i = ArgIndex(a[0], blocks.size() + 2);
      if (i == 0) return Space(kModelSpace);
      if (i == 1) return Space(kPaperSpace);
      return Space(blocks[static_cast<std::size_t>(i - 2)].id);
    });
    AddMethod("Add", [this](Args a) {
      platform::RequireArgs(a, 2, 2);
      const Point3 origin = ArgPoint(a[0]);
      const std::string name = ArgText(a[1]);
      if (!ValidSymbolName(name) || name[0] == '*') Invalid("invalid block name " + name);
      return Space(core_->db.AddBlock(name, origin).id);
    });
  }

 private:
  Variant Space(std::int64_t owner) { return Variant(std::make_shared<SpaceObject>(core_, owner)); }
};

// ---------------------------------------------------------------------------
// Layers

class LayerObject : public HostObject {
 public:
  LayerObject(std::shared_ptr<HostCore> core, std::int64_t id) : HostObject(std::move(core)), id_(id) {
    AddGet("Name", [this](Args) { return Variant(Live().name); });
    AddGet("ObjectID", [this](Args) { return Variant(Live().id); });
  }

 private:
  const Layer& Live() {
    for (const auto& l : core_->db.layers())
      if (l.id == id_) return l;
    Fail("the layer was deleted");
  }
  std::int64_t id_;
};

class LayersObject : public HostObject {
 public:
  explicit LayersObject(std::shared_ptr<HostCore> core) : HostObject(std::move(core)) {
    AddGet("Count", [this](Args) {
      return Variant(static_cast<std::int32_t>(core_->db.layers().size()));
    });
    AddMethod("Item", [this](Args a) {
      platform::RequireArgs(a, 1, 1);
      const auto& layers = core_->db.layers();
      if (IsNameArg(a[0])) {
        const Layer* l = core_->db.FindLayer(a[0].text());
        if (!l) Invalid("no layer named " + a[0].text());
        return Wrap(l->id);
      }
      return Wrap(layers[static_cast<std::size_t>(ArgIndex(a[0], layers.size()))].id);
    });
    AddMethod("Add", [this](Args a) {
      platform::RequireArgs(a, 1, 1);
      const std::string name = ArgText(a[0]);
      if (!ValidSymbolName(name)) Invalid("invalid layer name " + name);
      return Wrap(core_->db.AddLayer(name).id);
    });
  }

 private:
  Variant Wrap(std::int64_t id) { return Variant(std::make_shared<LayerObject>(core_, id)); }
};

// ---------------------------------------------------------------------------
// Utility

class UtilityObject : public HostObject {
 public:
  explicit UtilityObject(std::shared_ptr<HostCore> core) : HostObject(std::move(core)) {
    AddMethod("Prompt", [this](Args a) {
      platform::RequireArgs(a, 1, 1);
      core_->prompts.push_back(ArgText(a[0]));
      core_->Echo(core_->prompts.back());
      return Variant();
    });
    AddMethod("GetPoint", [this](Args a) {
      platform::RequireArgs(a, 0, 2);
      if (!ArgAt(a, 0).empty()) ArgPoint(a[0]);  // a base point must be a point
      const UserAnswer ans = core_->Ask(ArgAt(a, 1).empty() ? "" : ArgText(a[1]));
      if (ans.kind == UserAnswer::Kind::Cancel) ThrowCancelled();
      if (ans.kind == UserAnswer::Kind::Empty) Fail("no point was given");
      const Point3 p{ans.x, ans.y, ans.z};
      core_->db.SetPointVar("LASTPOINT", p);
      return PointValue(p);
    });
    AddMethod("GetEntity", [this](Args a) {
      platform::RequireArgs(a, 2, 3);
      const UserAnswer ans =
          core_->Ask(ArgAt(a, 2).empty() ? "" : ArgText(a[2]), PromptKind::Entity);
      if (ans.kind == UserAnswer::Kind::Cancel) ThrowCancelled();
      if (ans.kind == UserAnswer::Kind::Empty) Fail("nothing was picked");
      std::int64_t id = ans.entity_id;
      if (ans.kind == UserAnswer::Kind::Entity && id != 0) {
        if (!core_->db.Find(id) || core_->db.OwnerOf(id) != kModelSpace)
          Fail("the picked entity does not exist");
      } else {
        auto hit = core_->PickAt({ans.x, ans.y}, {});
        if (!hit) Fail("nothing was picked");
        id = *hit;
      }
      a[0] = Variant(MakeEntityObject(core_, id));
      a[1] = PointValue({ans.x, ans.y, ans.z});
      return Variant();
    });
  }
};

// ---------------------------------------------------------------------------
// Document

bool InRange(std::int64_t v, std::int64_t lo, std::int64_t hi) { return v >= lo && v <= hi; }

class DocumentObject : public HostObject {
 public:
  explicit DocumentObject(std::shared_ptr<HostCore> core) : HostObject(std::move(core)) {
    AddGet("Name", [this](Args) { return core_->db.GetVar("DWGNAME"); });
    AddGet("Utility", [this](Args) { return Variant(std::make_shared<UtilityObject>(core_)); });
    AddGet("ModelSpace", [this](Args) {
      return Variant(std::make_shared<SpaceObject>(core_, kModelSpace));
    });
    AddGet("Layers", [this](Args) { return Variant(std::make_shared<LayersObject>(core_)); });
    AddGet("Blocks", [this](Args) { return Variant(std::make_shared<BlocksObject>(core_)); });
    AddGet("SelectionSets", [this](Args) { return Variant(MakeSelectionSetsObject(core_)); });
    AddMethod("GetVariable", [this](Args a) {
      platform::RequireArgs(a, 1, 1);
      const std::string name = platform::UpperAscii(ArgText(a[0]));
      if (name == "CMDACTIVE")
        return Variant(static_cast<std::int16_t>(core_->pending.empty() ? 0 : 1));
      return core_->db.GetVar(name);
    });
    AddMethod("SetVariable", [this](Args a) {
      platform::RequireArgs(a, 2, 2);
      SetVariable(platform::UpperAscii(ArgText(a[0])), a[1]);
      return Variant();
    });
    AddMethod("SendCommand", [this](Args a) {
      platform::RequireArgs(a, 1, 1);
      const std::string text = ArgText(a[0]);
      core_->sent.push_back(text);
      core_->pending.push_back(text);
      return Variant();
    });
    AddMethod("ObjectIdToObject", [this](Args a) {
      platform::RequireArgs(a, 1, 1);
      const std::int64_t id = a[0].ToInt64();
      if (!core_->db.Find(id)) Fail("no object with id " + std::to_string(id));
      return Variant(MakeEntityObject(core_, id));
    });
    AddMethod("Regen", [this](Args a) {
      platform::RequireArgs(a, 0, 1);
      ++core_->regens;
      return Variant();
    });
  }

 private:
  void SetVariable(const std::string& name, const Variant& v) {
    Database& db = core_->db;
    const auto type = db.VarTypeOf(name);
    if (!type) Invalid("unknown system variable " + name);
    if (db.VarReadOnly(name)) Fail("the system variable " + name + " is read-only");
    switch (*type) {
      case VarType::Int: {
        if (v.kind() != VarKind::Int16 && v.kind() != VarKind::Int32 && v.kind() != VarKind::Int64)
          throw HostError(hr::kTypeMismatch, name + " takes an integer");
        const std::int64_t i = v.ToInt64();
        static const std::map<std::string, std::pair<int, int>, std::less<>> ranges = {
            {"SNAPMODE", {0, 1}}, {"ORTHOMODE", {0, 1}}, {"AUNITS", {0, 4}},  {"ANGDIR", {0, 1}},
            {"PICKBOX", {0, 50}}, {"LUNITS", {1, 5}},    {"LUPREC", {0, 8}},  {"AUPREC", {0, 8}},
            {"CMDECHO", {0, 1}},  {"FILEDIA", {0, 1}},   {"OSMODE", {0, 32767}}};
        auto r = ranges.find(name);
        const bool ok = r == ranges.end() ? InRange(i, -32768, 32767)
                                          : InRange(i, r->second.first, r->second.second);
        if (!ok) Invalid("value out of range for " + name);
        db.SetVar(name, Variant(static_cast<std::int16_t>(i)));
        break;
      }
      case VarType::Real: {
        const double d = ArgReal(v);
        if (d < 0 && name != "ANGBASE") Invalid("value out of range for " + name);
        db.SetVar(name, Variant(d));
        break;
      }
      case VarType::Text: {
        if (v.kind() != VarKind::Text) throw HostError(hr::kTypeMismatch, name + " takes a text");
        std::string s = v.text();
        if (name == "CLAYER") {
          const Layer* l = db.FindLayer(s);
          if (!l) Invalid("no layer named " + s);
          s = l->name;
        }
        // "." selects the default arrowhead, which reads back as empty.
        if ((name == "DIMLDRBLK" || name == "DIMBLK") && s == ".") s.clear();
        db.SetVar(name, Variant(s));
        break;
      }
      case VarType::Point: db.SetPointVar(name, ArgPoint(v)); break;
    }
  }
};

// ---------------------------------------------------------------------------
// Application

class ApplicationObject : public HostObject {
 public:
  explicit ApplicationObject(std::shared_ptr<HostCore> core) : HostObject(std::move(core)) {
    AddGet("HWND", [this](Args) { return Variant(core_->hwnd); });
    AddGet("ActiveDocument", [this](Args) {
      return Variant(std::make_shared<DocumentObject>(core_));
    });
    AddGet("Name", [](Args) { return Variant("Embedded CAD"); });
    AddGet("Version", [](Args) { return Variant("1.0"); });
    AddProperty(
        "Visible", [](Args) { return Variant(true); },
        [](Args) { return Variant(); });
    for (const char* name : {"GetAcadState", "GetGcadState", "GetZcadState"})
      AddMethod(name, [this](Args) { return Variant(std::make_shared<StateObject>(core_)); });
  }
};

}  // namespace

ObjectRef MakeApplicationObject(std::shared_ptr<HostCore> core) {
  return std::make_shared<ApplicationObject>(std::move(core));
}

}  // namespace zavin::cad
