#include "host/database.h"

#include <algorithm>
#include <charconv>
#include <cstdint>
#include <string>
#include <utility>
#include <vector>

namespace zavin::host {

using geometry::TAcadPoint;
using platform::UpperAscii;

namespace {

// The number after `prefix` when `upper_name` begins with `upper_prefix`;
// a suffix that is not a 32-bit integer (optional sign, digits only) is 0.
std::optional<std::int64_t> NumberAfterPrefix(std::string_view upper_name,
                                              std::string_view upper_prefix) {
  if (!upper_name.starts_with(upper_prefix)) return std::nullopt;
  std::string_view rest = upper_name.substr(upper_prefix.size());
  if (rest.starts_with('+')) {
    rest.remove_prefix(1);
    if (rest.starts_with('-')) return 0;
  }
  std::int32_t value = 0;
  const char* end = rest.data() + rest.size();
  auto [ptr, ec] = std::from_chars(rest.data(), end, value);
  if (ec != std::errc() || ptr != end) return 0;
  return value;
}

// Highest number after `prefix` over the names `name_at(i)`, i < count; 0 for none.
template <class NameAt>
std::int64_t HighestNumber(std::int32_t count, std::string_view prefix, NameAt name_at) {
  const std::string upper_prefix = UpperAscii(prefix);
  std::int64_t n = 0;
  for (std::int32_t i = 0; i < count; ++i) {
    if (auto number = NumberAfterPrefix(UpperAscii(name_at(i)), upper_prefix)) n = std::max(n, *number);
  }
  return n;
}

// What FinishPendingCleanUp has left to do, oldest first; a variable
// changed twice is written back in that order, so the user's value comes
// last.
struct PendingCleanUp {
  std::vector<std::pair<std::string, Variant>> variables;
  std::vector<std::string> sets;
  std::vector<std::string> blocks;
};

PendingCleanUp& Pending() {
  static PendingCleanUp pending;
  return pending;
}

bool DeleteQuietly(const SelectionSet& set) {
  if (!set.valid()) return true;
  for (int attempt = 0; attempt < 2; ++attempt) {
    try {
      set.Delete();
      return true;
    } catch (...) {
    }
  }
  return false;
}

SelectionSet NewTempSelectionSet(const Document& document, std::string& name) {
  const SelectionSets sets = document.GetSelectionSets();
  const std::int64_t n = HighestNumber(sets.Count(), kTempSelectionSetPrefix,
                                       [&](std::int32_t i) { return sets.Item(i).Name(); });
  name = UpperAscii(kTempSelectionSetPrefix) + std::to_string(n + 1);
  return sets.Add(name);
}

// Fills `set` with the entity created last (mode 4 ignores the points) and returns it.
std::optional<Entity> SelectLast(const SelectionSet& set) {
  set.Clear();
  set.Select(kSelectLast, TAcadPoint{}, TAcadPoint{});
  if (set.Count() > 0) return set.Item(0);
  return std::nullopt;
}

}  // namespace

void EnsureLayer(const Document& document, std::string_view name) {
  const std::string wanted = UpperAscii(name);
  CommandMemory* memory = document.memory();
  if (memory) {
    // Asked by name, so the cost does not grow with the layer table.
    if (memory->layers.contains(wanted)) return;
    const Layers layers = document.GetLayers();
    try {
      layers.ItemNamed(name);
    } catch (const platform::HostError&) {
      layers.Add(name);
    }
    memory->layers.insert(wanted);
    return;
  }
  const Layers layers = document.GetLayers();
  const std::int32_t count = layers.Count();
  for (std::int32_t i = 0; i < count; ++i)
    if (UpperAscii(layers.Item(i).Name()) == wanted) return;
  layers.Add(name);
}

std::string NextNumberedName(const Document& document, std::string_view prefix) {
  const Blocks blocks = document.GetBlocks();
  const std::int64_t n =
      HighestNumber(blocks.Count(), prefix, [&](std::int32_t i) { return blocks.Item(i).Name(); });
  return std::string(prefix) + std::to_string(n + 1);
}

NumberedBlock AddNumberedBlock(const Document& document, std::string_view prefix) {
  const std::string name = NextNumberedName(document, prefix);
  Block block = document.GetBlocks().Add(TAcadPoint{}, name);
  std::string reported = block.Name();
  return {std::move(block), std::move(reported)};
}

bool DeleteBlock(const Document& document, std::string_view name) {
  try {
    const Blocks blocks = document.GetBlocks();
    const std::int32_t count = blocks.Count();
    const std::string wanted = UpperAscii(name);
    for (std::int32_t i = 0; i < count; ++i) {
      const Block block = blocks.Item(i);
      if (UpperAscii(block.Name()) == wanted) {
        block.Delete();
        return true;
      }
    }
  } catch (...) {
  }
  return false;
}

SelectionSet NewTempSelectionSet(const Document& document) {
  std::string name;
  return NewTempSelectionSet(document, name);
}

void DeleteSelectionSetQuietly(const SelectionSet& set) { DeleteQuietly(set); }

ScopedTempSelectionSet::ScopedTempSelectionSet(const Document& document)
    : set_(NewTempSelectionSet(document, name_)) {}

ScopedTempSelectionSet::~ScopedTempSelectionSet() {
  if (!DeleteQuietly(set_)) Pending().sets.push_back(name_);
}

void RestoreVariable(const Document& document, std::string_view name, const Variant& value) noexcept {
  for (int attempt = 0; attempt < 2; ++attempt) {
    try {
      document.SetVariable(name, value);
      return;
    } catch (...) {
    }
  }
  try {
    Pending().variables.emplace_back(std::string(name), value);
  } catch (...) {
  }
}

void DeleteTempBlock(const Document& document, std::string_view name) noexcept {
  if (name.empty() || DeleteBlock(document, name) || DeleteBlock(document, name)) return;
  try {
    Pending().blocks.emplace_back(name);
  } catch (...) {
  }
}

void FinishPendingCleanUp(const Document& document) noexcept {
  PendingCleanUp& pending = Pending();
  // A block that is gone already reads like a failed deletion: each is
  // tried once.
  for (const std::string& name : std::exchange(pending.blocks, {})) DeleteBlock(document, name);
  std::erase_if(pending.variables, [&](const std::pair<std::string, Variant>& v) {
    try {
      document.SetVariable(v.first, v.second);
      return true;
    } catch (...) {
      return false;
    }
  });
  if (pending.sets.empty()) return;
  try {
    const SelectionSets sets = document.GetSelectionSets();
    for (std::int32_t i = sets.Count() - 1; i >= 0; --i) {
      const SelectionSet set = sets.Item(i);
      const auto it = std::find(pending.sets.begin(), pending.sets.end(), set.Name());
      if (it == pending.sets.end()) continue;
      set.Delete();
      pending.sets.erase(it);
    }
    pending.sets.clear();  // the others are gone already
  } catch (...) {
  }
}

LastEntity ReadLastEntity(const Document& document) {
  try {
    ScopedTempSelectionSet set(document);
    if (auto last = SelectLast(set.get())) return LastEntity::Of(last->ObjectID());
    return LastEntity::None();
  } catch (...) {
  }
  return LastEntity::Unknown();
}

LastEntity ReadKnownLastEntity(const Document& document) {
  LastEntity last = ReadLastEntity(document);
  if (!last.known()) last = ReadLastEntity(document);
  if (!last.known()) throw platform::HostError(platform::hr::kFail, "the host did not tell which entity came last");
  return last;
}

std::optional<TAcadPoint> ExplodeLastInsert(const Document& document, std::string_view block_name) {
  try {
    ScopedTempSelectionSet set(document);
    auto last = SelectLast(set.get());
    if (!last || last->EntityName() != kBlockReferenceClass) return std::nullopt;
    const BlockReference ref(*last);
    if (ref.Name() != block_name) return std::nullopt;
    const TAcadPoint insertion = ref.InsertionPoint();
    ref.Explode();
    ref.Delete();
    return insertion;
  } catch (...) {
  }
  return std::nullopt;
}

}  // namespace zavin::host
