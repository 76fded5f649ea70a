// The selection sets of the embedded host's document.

#include <algorithm>
#include <memory>
#include <string>
#include <unordered_set>
#include <vector>

#include "cad/automation/host_object.h"
#include "cad/db/selection.h"

namespace zavin::cad {

namespace {

class SelectionSetObject : public HostObject {
 public:
  SelectionSetObject(std::shared_ptr<HostCore> core, std::shared_ptr<SelectionData> data)
      : HostObject(std::move(core)), data_(std::move(data)) {
    AddGet("Name", [this](Args) { return Variant(Live().name); });
    AddGet("Count", [this](Args) { return Variant(static_cast<std::int32_t>(Ids().size())); });
    AddMethod("Item", [this](Args a) {
      platform::RequireArgs(a, 1, 1);
      auto& ids = Ids();
      return Variant(MakeEntityObject(core_, ids[ArgIndex(a[0], ids.size())]));
    });
    AddMethod("Clear", [this](Args) {
      Live().ids.clear();
      return Variant();
    });
    AddMethod("Delete", [this](Args) {
      auto& sets = core_->selection_sets;
      Live().deleted = true;
      sets.erase(std::remove(sets.begin(), sets.end(), data_), sets.end());
      return Variant();
    });
    AddMethod("Erase", [this](Args) {
      for (auto id : Ids()) core_->db.Erase(id);
      Live().ids.clear();
      return Variant();
    });
    AddMethod("Select", [this](Args a) { return Select(a); });
    AddMethod("SelectAtPoint", [this](Args a) {
      platform::RequireArgs(a, 1, 3);
      const Point3 p = ArgPoint(a[0]);
      auto hit = core_->PickAt({p.x, p.y}, FilterArgs(a, 1));
      if (hit) AddIds({*hit});
      return Variant();
    });
    AddMethod("SelectOnScreen", [this](Args a) {
      platform::RequireArgs(a, 0, 2);
      return SelectOnScreen(FilterArgs(a, 0));
    });
  }

 private:
  SelectionData& Live() {
    if (data_->deleted) Fail("the selection set was deleted");
    return *data_;
  }

  // Members that have been erased since are dropped, looked for only after
  // the drawing lost an entity, so that reading a set takes constant time.
  std::vector<std::int64_t>& Ids() {
    SelectionData& set = Live();
    const Database& db = core_->db;
    if (set.erasures_seen != db.erasures()) {
      std::erase_if(set.ids, [&db](std::int64_t id) { return db.Find(id) == nullptr; });
      set.erasures_seen = db.erasures();
    }
    return set.ids;
  }

  void AddIds(const std::vector<std::int64_t>& found) {
    auto& ids = Ids();
    std::unordered_set<std::int64_t> present(ids.begin(), ids.end());
    for (auto id : found)
      if (present.insert(id).second) ids.push_back(id);
    core_->previous_selection = ids;
  }

  Variant Select(Args a) {
    platform::RequireArgs(a, 1, 5);
    const std::int64_t mode = a[0].ToInt64();
    const auto filter = FilterArgs(a, 3);
    const auto rect = [&] {
      const Point3 p1 = ArgPoint(ArgAt(a, 1)), p2 = ArgPoint(ArgAt(a, 2));
      return Rect::FromCorners({p1.x, p1.y}, {p2.x, p2.y});
    };
    std::vector<std::int64_t> found;
    switch (mode) {
      case 0: found = core_->SelectWindow(rect(), filter); break;
      case 1: found = core_->SelectCrossing(rect(), filter); break;
      case 3:
        for (auto id : core_->previous_selection)
          if (const Entity* e = core_->db.Find(id); e && PassesFilter(*e, filter)) found.push_back(id);
        break;
      case 4:
        if (const Entity* e = core_->db.LastEntity(); e && PassesFilter(*e, filter))
          found.push_back(e->id);
        break;
      case 5:
        for (const auto& [id, e] : core_->db.model_space())
          if (PassesFilter(e, filter)) found.push_back(id);
        break;
      default: Invalid("unsupported selection mode " + std::to_string(mode));
    }
    AddIds(found);
    return Variant();
  }

  // Picks add the entity under the pick box; a pick on empty space opens a
  // window whose second corner decides its kind (left to right: window,
  // right to left: crossing). Enter ends; ESC cancels with an error.
  Variant SelectOnScreen(const std::vector<FilterTerm>& filter) {
    Live();
    std::vector<std::int64_t> found;
    auto add = [&](std::int64_t id) {
      if (std::find(found.begin(), found.end(), id) == found.end()) found.push_back(id);
    };
    for (;;) {
      const UserAnswer a = core_->Ask("Select objects: ", PromptKind::Select);
      if (a.kind == UserAnswer::Kind::Cancel) ThrowCancelled();
      if (a.kind == UserAnswer::Kind::Empty) break;
      if (a.kind == UserAnswer::Kind::Entity && a.entity_id != 0) {
        const Entity* e = core_->db.Find(a.entity_id);
        if (e && core_->db.OwnerOf(a.entity_id) == kModelSpace && PassesFilter(*e, filter))
          add(a.entity_id);
        continue;
      }
      if (auto hit = core_->PickAt({a.x, a.y}, {})) {
        const Entity* e = core_->db.Find(*hit);
        if (PassesFilter(*e, filter)) add(*hit);
        continue;
      }
      const UserAnswer b = core_->Ask("Specify opposite corner: ", PromptKind::Corner);
      if (b.kind == UserAnswer::Kind::Cancel) ThrowCancelled();
      if (b.kind == UserAnswer::Kind::Empty) break;
      const Rect r = Rect::FromCorners({a.x, a.y}, {b.x, b.y});
      for (auto id : b.x >= a.x ? core_->SelectWindow(r, filter) : core_->SelectCrossing(r, filter))
        add(id);
    }
    AddIds(found);
    return Variant();
  }

  std::shared_ptr<SelectionData> data_;
};

class SelectionSetsObject : public HostObject {
 public:
  explicit SelectionSetsObject(std::shared_ptr<HostCore> core) : HostObject(std::move(core)) {
    AddGet("Count", [this](Args) {
      return Variant(static_cast<std::int32_t>(core_->selection_sets.size()));
    });
    AddMethod("Item", [this](Args a) {
      platform::RequireArgs(a, 1, 1);
      auto& sets = core_->selection_sets;
      if (IsNameArg(a[0])) {
        for (auto& s : sets)
          if (platform::UpperAscii(s->name) == platform::UpperAscii(a[0].text()))
            return Variant(Wrap(s));
        Invalid("no selection set named " + a[0].text());
      }
      return Variant(Wrap(sets[ArgIndex(a[0], sets.size())]));
    });
    AddMethod("Add", [this](Args a) {
      platform::RequireArgs(a, 1, 1);
      const std::string name = ArgText(a[0]);
      if (!ValidSymbolName(name)) Invalid("invalid selection set name");
      for (auto& s : core_->selection_sets)
        if (platform::UpperAscii(s->name) == platform::UpperAscii(name))
          Invalid("a selection set named " + name + " already exists");
      auto data = std::make_shared<SelectionData>();
      data->name = name;
      core_->selection_sets.push_back(data);
      return Variant(Wrap(data));
    });
  }

 private:
  ObjectRef Wrap(std::shared_ptr<SelectionData> d) {
    return std::make_shared<SelectionSetObject>(core_, std::move(d));
  }
};

}  // namespace

ObjectRef MakeSelectionSetsObject(std::shared_ptr<HostCore> core) {
  return std::make_shared<SelectionSetsObject>(std::move(core));
}

}  // namespace zavin::cad
