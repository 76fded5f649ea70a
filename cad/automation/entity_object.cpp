// Entity objects of the embedded host: common members plus those of the
// entity's kind, resolved against the database on every call so that an
// erased entity raises an error instead of answering stale data.

#include <cmath>
#include <cstdio>
#include <numbers>

#include "cad/automation/host_object.h"

namespace zavin::cad {

namespace {

bool IsPointCode(std::int64_t code) { return code >= 1010 && code <= 1013; }

// A text's Rotation is given and reported in the drawing's angle frame:
// measured from ANGBASE (kept in degrees), clockwise when ANGDIR is 1. The
// database holds the absolute counter-clockwise angle from +x.
double AngleBaseRadians(const Database& db) {
  return db.GetVar("ANGBASE").ToDouble() * std::numbers::pi / 180.0;
}
bool ClockwiseFrame(const Database& db) { return db.GetVar("ANGDIR").ToInt32() == 1; }
double AbsoluteFromFrame(const Database& db, double value) {
  const double base = AngleBaseRadians(db);
  return ClockwiseFrame(db) ? base - value : base + value;
}
double FrameFromAbsolute(const Database& db, double absolute) {
  const double base = AngleBaseRadians(db);
  return ClockwiseFrame(db) ? base - absolute : absolute - base;
}

// One value of an extended-data item, checked against its group code and
// stored in the form GetXdata returns it.
Variant XdataValue(std::int64_t code, const Variant& v) {
  if (code == 1000 || code == 1001 || code == 1003 || code == 1005) {
    if (v.kind() != VarKind::Text) Invalid("extended data " + std::to_string(code) + " takes a text");
    if (code == 1001 && v.text().empty()) Invalid("empty application name");
    if (v.text().size() > 255) Invalid("extended-data text longer than 255 characters");
    return v;
  }
  if (code == 1002) {
    if (v.kind() != VarKind::Text || (v.text() != "{" && v.text() != "}"))
      Invalid("extended data 1002 takes \"{\" or \"}\"");
    return v;
  }
  if (code == 1004) {
    if (!v.is_array()) Invalid("extended data 1004 takes a byte array");
    return v;
  }
  if (IsPointCode(code)) return PointValue(ArgPoint(v));
  if (code >= 1040 && code <= 1042) return Variant(ArgReal(v));
  if (code == 1070) {
    const std::int64_t i = v.ToInt64();
    if (i < -32768 || i > 32767) Invalid("extended data 1070 out of range");
    return Variant(static_cast<std::int16_t>(i));
  }
  if (code == 1071) return Variant(v.ToInt32());
  Invalid("unsupported extended-data group code " + std::to_string(code));
}

// Splits a flat item list into groups that each start with a 1001 item.
std::vector<std::vector<XdataItem>> Groups(const std::vector<XdataItem>& items) {
  std::vector<std::vector<XdataItem>> out;
  for (const auto& it : items) {
    if (it.code == 1001 || out.empty()) out.emplace_back();
    out.back().push_back(it);
  }
  return out;
}

bool SameApp(const std::vector<XdataItem>& group, const std::string& app) {
  return !group.empty() && group[0].code == 1001 && group[0].value.kind() == VarKind::Text &&
         platform::UpperAscii(group[0].value.text()) == platform::UpperAscii(app);
}

class EntityObject : public HostObject {
 public:
  EntityObject(std::shared_ptr<HostCore> core, std::int64_t id)
      : HostObject(std::move(core)), id_(id) {
    const Entity* e = core_->db.Find(id);
    if (!e) Fail("the entity was erased");
    kind_ = e->kind();
  }

  // The member table is built on the first call: most entities a command
  // adds are never asked anything, and a bulk import adds a hundred thousand.
  Variant Invoke(std::string_view member, platform::InvokeKind kind, std::span<Variant> args) override {
    if (!built_) {
      built_ = true;
      AddMembers();
    }
    return HostObject::Invoke(member, kind, args);
  }

 private:
  void AddMembers() {
    AddCommon();
    switch (kind_) {
      case EntityKind::Line: AddLine(); break;
      case EntityKind::Polyline: AddPolyline(); break;
      case EntityKind::Text: AddText(); break;
      case EntityKind::Circle: AddCircle(); break;
      case EntityKind::BlockRef: AddBlockRef(); break;
      case EntityKind::Arc: AddArc(); break;
      case EntityKind::Leader: AddLeader(); break;
      case EntityKind::Point: PointProperty<PointData>("Coordinates", &PointData::position); break;
    }
  }

  Entity& E() {
    Entity* e = core_->db.Find(id_);
    if (!e) Fail("the entity was erased");
    return *e;
  }
  // Members are registered per kind; a test that swaps an entity's data for
  // another kind gets an error rather than a crash.
  template <class T>
  T& D() {
    T* d = E().as<T>();
    if (!d) Fail("the entity changed its kind");
    return *d;
  }

  // Registers a point property read and written through `field`.
  template <class T>
  void PointProperty(const char* name, Point3 T::*field, bool renormalize = false) {
    AddProperty(
        name, [this, field](Args) { return PointValue(D<T>().*field); },
        [this, field, renormalize](Args a) {
          platform::RequireArgs(a, 1, 1);
          D<T>().*field = ArgPoint(a[0]);
          if (renormalize) NormalizeText(D<TextData>());
          return Variant();
        });
  }

  void AddCommon() {
    AddGet("EntityName", [this](Args) { return Variant(ClassName(E())); });
    AddGet("ObjectName", [this](Args) { return Variant(ClassName(E())); });
    AddGet("ObjectID", [this](Args) { return Variant(E().id); });
    AddGet("Handle", [this](Args) {
      char buf[24];
      std::snprintf(buf, sizeof buf, "%llX", static_cast<unsigned long long>(E().id));
      return Variant(buf);
    });
    AddGet("OwnerID", [this](Args) {
      E();
      return Variant(*core_->db.OwnerOf(id_));
    });
    AddProperty(
        "Layer", [this](Args) { return Variant(E().layer); },
        [this](Args a) {
          platform::RequireArgs(a, 1, 1);
          const std::string name = ArgText(a[0]);
          Entity& e = E();
          const Layer* l = core_->db.FindLayer(name);
          if (!l) Invalid("no layer named " + name);
          e.layer = l->name;
          return Variant();
        });
    AddMethod("Update", [this](Args) {
      E();
      return Variant();
    });
    AddMethod("Highlight", [this](Args) {
      E();
      return Variant();
    });
    for (const char* name : {"Delete", "Erase"})
      AddMethod(name, [this](Args) {
        E();
        core_->db.Erase(id_);
        return Variant();
      });
    AddMethod("Move", [this](Args a) {
      platform::RequireArgs(a, 2, 2);
      const Point3 from = ArgPoint(a[0]), to = ArgPoint(a[1]);
      Translate(E(), to.x - from.x, to.y - from.y, to.z - from.z);
      return Variant();
    });
    AddMethod("Rotate", [this](Args a) {
      platform::RequireArgs(a, 2, 2);
      const Point3 base = ArgPoint(a[0]);
      RotateAbout(E(), base, ArgReal(a[1]));
      return Variant();
    });
    AddMethod("GetBoundingBox", [this](Args a) {
      platform::RequireArgs(a, 2, 2);
      P2 lo, hi;
      if (!Bounds(ShapesOf(core_->db, E()), lo, hi)) Fail("the entity has no extents");
      a[0] = PointValue({lo.x, lo.y, 0});
      a[1] = PointValue({hi.x, hi.y, 0});
      return Variant();
    });
    AddMethod("SetXdata", [this](Args a) {
      platform::RequireArgs(a, 2, 2);
      SetXdata(a[0], a[1]);
      return Variant();
    });
    AddMethod("GetXdata", [this](Args a) {
      platform::RequireArgs(a, 3, 3);
      GetXdata(ArgText(a[0]), a[1], a[2]);
      return Variant();
    });
  }

  // Each application group in the call replaces that application's data; a
  // group with only its name removes it.
  void SetXdata(const Variant& types, const Variant& values) {
    if (!types.is_array() || !values.is_array()) Invalid("SetXdata takes two arrays");
    const auto& t = types.array().items;
    const auto& v = values.array().items;
    if (t.empty() || t.size() != v.size()) Invalid("SetXdata arrays differ in length or are empty");
    std::vector<XdataItem> items;
    for (std::size_t i = 0; i < t.size(); ++i) {
      if (t[i].is_array() || t[i].kind() == VarKind::Text || t[i].empty())
        throw HostError(hr::kTypeMismatch, "group codes must be integers");
      const std::int64_t code = t[i].ToInt64();
      if (i == 0 && code != 1001) Invalid("extended data must begin with an application name (1001)");
      items.push_back({static_cast<std::int16_t>(code), XdataValue(code, v[i])});
    }
    Entity& e = E();
    auto incoming = Groups(items);
    auto existing = Groups(e.xdata);
    std::vector<XdataItem> merged;
    for (auto& g : existing) {
      bool replaced = false;
      for (auto& n : incoming) replaced = replaced || SameApp(g, n[0].value.text());
      if (!replaced) merged.insert(merged.end(), g.begin(), g.end());
    }
    for (auto& n : incoming)
      if (n.size() > 1) merged.insert(merged.end(), n.begin(), n.end());
    e.xdata = std::move(merged);
  }

  // Types as an array of Int16, values as an array of Variant, both from 0;
  // both Empty when the entity has no data of the application. An empty
  // application name returns the data of all applications.
  void GetXdata(const std::string& app, Variant& types, Variant& values) {
    std::vector<XdataItem> found;
    for (auto& g : Groups(E().xdata))
      if (app.empty() || SameApp(g, app)) found.insert(found.end(), g.begin(), g.end());
    if (found.empty()) {
      types = Variant();
      values = Variant();
      return;
    }
    std::vector<Variant> t, v;
    for (auto& it : found) {
      t.emplace_back(it.code);
      v.push_back(it.value);
    }
    types = Variant(platform::MakeArray(VarKind::Int16, std::move(t)));
    values = Variant(platform::MakeArray(VarKind::Variant, std::move(v)));
  }

  void AddLine() {
    PointProperty<LineData>("StartPoint", &LineData::start);
    PointProperty<LineData>("EndPoint", &LineData::end);
    AddGet("Length", [this](Args) {
      auto& l = D<LineData>();
      return Variant(std::hypot(l.end.x - l.start.x, l.end.y - l.start.y, l.end.z - l.start.z));
    });
    AddGet("Angle", [this](Args) {
      auto& l = D<LineData>();
      double a = std::atan2(l.end.y - l.start.y, l.end.x - l.start.x);
      if (a < 0) a += 2 * std::numbers::pi;
      return Variant(a);
    });
  }

  void AddPolyline() {
    AddProperty(
        "Coordinates",
        [this](Args) {
          std::vector<Variant> xs;
          for (auto& [x, y] : D<PolylineData>().vertices) {
            xs.emplace_back(x);
            xs.emplace_back(y);
          }
          return Variant(platform::MakeArray(VarKind::Double, std::move(xs)));
        },
        [this](Args a) {
          platform::RequireArgs(a, 1, 1);
          if (!a[0].is_array()) Invalid("a coordinate array is required");
          const auto& items = a[0].array().items;
          if (items.size() < 4 || items.size() % 2 != 0) Invalid("coordinates come in x, y pairs");
          std::vector<std::pair<double, double>> v;
          for (std::size_t i = 0; i < items.size(); i += 2)
            v.push_back({ArgReal(items[i]), ArgReal(items[i + 1])});
          auto& p = D<PolylineData>();
          if (!p.bulges.empty()) p.bulges.resize(v.size(), 0.0);
          p.vertices = std::move(v);
          return Variant();
        });
    AddProperty(
        "Closed", [this](Args) { return Variant(D<PolylineData>().closed); },
        [this](Args a) {
          platform::RequireArgs(a, 1, 1);
          D<PolylineData>().closed = a[0].ToBool();
          return Variant();
        });
    AddMethod("GetBulge", [this](Args a) {
      platform::RequireArgs(a, 1, 1);
      const auto& p = D<PolylineData>();
      return Variant(p.Bulge(ArgIndex(a[0], p.vertices.size())));
    });
    AddMethod("SetBulge", [this](Args a) {
      platform::RequireArgs(a, 2, 2);
      auto& p = D<PolylineData>();
      const std::size_t i = ArgIndex(a[0], p.vertices.size());
      p.bulges.resize(p.vertices.size(), 0.0);
      p.bulges[i] = ArgReal(a[1]);
      return Variant();
    });
    AddProperty(
        "Elevation", [this](Args) { return Variant(D<PolylineData>().elevation); },
        [this](Args a) {
          platform::RequireArgs(a, 1, 1);
          D<PolylineData>().elevation = ArgReal(a[0]);
          return Variant();
        });
  }

  void AddText() {
    AddProperty(
        "TextString", [this](Args) { return Variant(D<TextData>().text); },
        [this](Args a) {
          platform::RequireArgs(a, 1, 1);
          D<TextData>().text = ArgText(a[0]);
          NormalizeText(D<TextData>());
          return Variant();
        });
    // Writing the insertion point of an anchored text moves the whole text.
    AddProperty(
        "InsertionPoint", [this](Args) { return PointValue(D<TextData>().insertion); },
        [this](Args a) {
          platform::RequireArgs(a, 1, 1);
          TextData& t = D<TextData>();
          const Point3 p = ArgPoint(a[0]);
          if (t.alignment != kAlignLeft && t.alignment != kAlignAligned && t.alignment != kAlignFit) {
            t.alignment_point = {t.alignment_point.x + p.x - t.insertion.x,
                                 t.alignment_point.y + p.y - t.insertion.y,
                                 t.alignment_point.z + p.z - t.insertion.z};
          }
          t.insertion = p;
          NormalizeText(t);
          return Variant();
        });
    PointProperty<TextData>("TextAlignmentPoint", &TextData::alignment_point, true);
    AddProperty(
        "Alignment", [this](Args) { return Variant(static_cast<std::int32_t>(D<TextData>().alignment)); },
        [this](Args a) {
          platform::RequireArgs(a, 1, 1);
          const std::int64_t al = a[0].ToInt64();
          if (al < 0 || al > 14) Invalid("alignment out of range");
          TextData& t = D<TextData>();
          // Leaving left alignment: the text's anchor becomes the alignment
          // point, so the text stays where it was until that point is set.
          if (t.alignment == kAlignLeft && al != kAlignLeft) t.alignment_point = t.insertion;
          t.alignment = static_cast<int>(al);
          NormalizeText(t);
          return Variant();
        });
    AddProperty(
        "Rotation", [this](Args) { return Variant(FrameFromAbsolute(core_->db, D<TextData>().rotation)); },
        [this](Args a) {
          platform::RequireArgs(a, 1, 1);
          D<TextData>().rotation = AbsoluteFromFrame(core_->db, ArgReal(a[0]));
          NormalizeText(D<TextData>());
          return Variant();
        });
    AddProperty(
        "Height", [this](Args) { return Variant(D<TextData>().height); },
        [this](Args a) {
          platform::RequireArgs(a, 1, 1);
          const double h = ArgReal(a[0]);
          if (h <= 0) Invalid("the text height must be positive");
          D<TextData>().height = h;
          NormalizeText(D<TextData>());
          return Variant();
        });
  }

  void AddCircle() {
    PointProperty<CircleData>("Center", &CircleData::center);
    AddProperty(
        "Radius", [this](Args) { return Variant(D<CircleData>().radius); },
        [this](Args a) {
          platform::RequireArgs(a, 1, 1);
          const double r = ArgReal(a[0]);
          if (r <= 0) Invalid("the radius must be positive");
          D<CircleData>().radius = r;
          return Variant();
        });
  }

  void AddArc() {
    PointProperty<ArcData>("Center", &ArcData::center);
    AddProperty(
        "Radius", [this](Args) { return Variant(D<ArcData>().radius); },
        [this](Args a) {
          platform::RequireArgs(a, 1, 1);
          const double r = ArgReal(a[0]);
          if (r <= 0) Invalid("the radius must be positive");
          D<ArcData>().radius = r;
          return Variant();
        });
    AddProperty(
        "StartAngle", [this](Args) { return Variant(D<ArcData>().start_angle); },
        [this](Args a) {
          platform::RequireArgs(a, 1, 1);
          D<ArcData>().start_angle = ArgReal(a[0]);
          return Variant();
        });
    AddProperty(
        "EndAngle", [this](Args) { return Variant(D<ArcData>().end_angle); },
        [this](Args a) {
          platform::RequireArgs(a, 1, 1);
          D<ArcData>().end_angle = ArgReal(a[0]);
          return Variant();
        });
  }

  void AddLeader() {
    AddGet("Coordinates", [this](Args) {
      std::vector<Variant> xs;
      for (const Point3& p : D<LeaderData>().vertices) {
        xs.emplace_back(p.x);
        xs.emplace_back(p.y);
        xs.emplace_back(p.z);
      }
      return Variant(platform::MakeArray(VarKind::Double, std::move(xs)));
    });
    AddGet("ArrowheadSize", [this](Args) { return Variant(D<LeaderData>().arrow_size); });
  }

  void AddBlockRef() {
    AddGet("Name", [this](Args) { return Variant(D<BlockRefData>().name); });
    PointProperty<BlockRefData>("InsertionPoint", &BlockRefData::insertion);
    AddProperty(
        "Rotation", [this](Args) { return Variant(D<BlockRefData>().rotation); },
        [this](Args a) {
          platform::RequireArgs(a, 1, 1);
          D<BlockRefData>().rotation = ArgReal(a[0]);
          return Variant();
        });
    AddMethod("Explode", [this](Args) {
      E();
      std::vector<Variant> objs;
      for (auto id : core_->db.Explode(id_)) objs.emplace_back(MakeEntityObject(core_, id));
      return Variant(platform::MakeArray(VarKind::Object, std::move(objs)));
    });
  }

  std::int64_t id_;
  EntityKind kind_;
  bool built_ = false;
};

}  // namespace

ObjectRef MakeEntityObject(std::shared_ptr<HostCore> core, std::int64_t id) {
  return std::make_shared<EntityObject>(std::move(core), id);
}

}  // namespace zavin::cad
