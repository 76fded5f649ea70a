#pragma once

// Routines on the host document that several commands share. Name
// comparisons are made on upper-cased (ASCII) copies; host collections are
// indexed from 0.

#include <optional>
#include <string>
#include <string_view>

#include "geometry/point.h"
#include "host/object_model.h"

namespace zavin::host {

// Prefix of temporary selection sets, upper-cased when used.
inline constexpr std::string_view kTempSelectionSetPrefix = "ssTemp_";

// Adds `name` (letter case kept) unless a layer of that name in any case
// exists. The current layer is never changed. Host errors pass on.
void EnsureLayer(const Document& document, std::string_view name);

// `prefix` followed by one more than the highest number after it among the
// block names that begin with it (any case; a suffix that is not an integer
// counts as 0). Host errors pass on.
std::string NextNumberedName(const Document& document, std::string_view prefix);

struct NumberedBlock {
  Block block;
  std::string name;  // as the host reports it
};
// A new block definition at the origin named by NextNumberedName. Host errors
// pass on.
NumberedBlock AddNumberedBlock(const Document& document, std::string_view prefix);

// Deletes the first definition named `name` (any case). False when there is
// none or the host refuses (e.g. references still exist). Never raises.
bool DeleteBlock(const Document& document, std::string_view name);

// A new, empty selection set named SSTEMP_ and one more than the highest
// number of the existing SSTEMP_ sets. The caller deletes it. Host errors
// pass on.
SelectionSet NewTempSelectionSet(const Document& document);

// Deletes `set`, trying once more when the host fails, so that a transient
// error leaves no temporary set behind. Never raises.
void DeleteSelectionSetQuietly(const SelectionSet& set);

// A temporary selection set deleted (quietly) when the scope ends.
class ScopedTempSelectionSet {
 public:
  explicit ScopedTempSelectionSet(const Document& document) : set_(NewTempSelectionSet(document)) {}
  ~ScopedTempSelectionSet() { DeleteSelectionSetQuietly(set_); }
  ScopedTempSelectionSet(const ScopedTempSelectionSet&) = delete;
  ScopedTempSelectionSet& operator=(const ScopedTempSelectionSet&) = delete;

  const SelectionSet& get() const { return set_; }
  const SelectionSet* operator->() const { return &set_; }

 private:
  SelectionSet set_;
};

// ObjectID of the entity created last, 0 when there is none or the host
// fails. Never raises.
ObjectId LastEntityId(const Document& document);

// When the entity created last is a reference to exactly `block_name` (case
// matters): reads its insertion point, explodes it and deletes the reference,
// and returns the insertion point. Otherwise, or on any host error before the
// reference is deleted, nullopt. Never raises; the temporary set is deleted.
std::optional<geometry::TAcadPoint> ExplodeLastInsert(const Document& document,
                                                      std::string_view block_name);

}  // namespace zavin::host
