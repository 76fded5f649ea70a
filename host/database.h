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
// exists. The current layer is never changed. A document that remembers
// asks the host once per name and command, by name (Item); any error there
// counts as "none". Other host errors pass on.
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

// A temporary selection set deleted (quietly) when the scope ends; when the
// host does not answer then, the set is deleted by the next
// FinishPendingCleanUp.
class ScopedTempSelectionSet {
 public:
  explicit ScopedTempSelectionSet(const Document& document);
  ~ScopedTempSelectionSet();
  ScopedTempSelectionSet(const ScopedTempSelectionSet&) = delete;
  ScopedTempSelectionSet& operator=(const ScopedTempSelectionSet&) = delete;

  const SelectionSet& get() const { return set_; }
  const SelectionSet* operator->() const { return &set_; }

 private:
  std::string name_;
  SelectionSet set_;
};

// Writes back a host variable the tool changed, trying once more when the
// host fails; when the host does not answer either time, the write waits for
// the next FinishPendingCleanUp. Never raises.
void RestoreVariable(const Document& document, std::string_view name, const Variant& value) noexcept;

// Deletes the tool's temporary block `name`, trying once more when the host
// fails; when the host does not answer either time, the deletion waits for
// the next FinishPendingCleanUp. Never raises.
void DeleteTempBlock(const Document& document, std::string_view name) noexcept;

// What a host that stopped answering kept from being cleaned up: the
// variables to write back, the temporary selection sets and blocks to delete, done
// now on `document` (the command frame calls it before every command). What
// the host still fails stays for the next time. Never raises.
void FinishPendingCleanUp(const Document& document) noexcept;

// Which entity was created last: one entity, none (the drawing holds no
// entity), or unknown (the host did not tell). Neither "none" nor "unknown"
// is an id, so a failed read can never pass for an entity or for an empty
// drawing.
class LastEntity {
 public:
  static LastEntity Of(ObjectId id) { return LastEntity(State::Entity, id); }
  static LastEntity None() { return LastEntity(State::None, 0); }
  static LastEntity Unknown() { return LastEntity(State::Unknown, 0); }

  bool known() const { return state_ != State::Unknown; }
  // The entity's id; nothing when there is none or it is unknown.
  std::optional<ObjectId> id() const {
    return state_ == State::Entity ? std::optional<ObjectId>(id_) : std::nullopt;
  }
  // Whether a later read `after` names an entity other than this one. False
  // when either read is unknown: nothing can be said to be new.
  bool NewerIs(const LastEntity& after) const {
    return known() && after.state_ == State::Entity && !(*this == after);
  }

  friend bool operator==(const LastEntity&, const LastEntity&) = default;

 private:
  enum class State { Entity, None, Unknown };
  LastEntity(State state, ObjectId id) : state_(state), id_(id) {}
  State state_;
  ObjectId id_;
};

// The entity created last. Never raises: a host error gives Unknown.
LastEntity ReadLastEntity(const Document& document);

// ReadLastEntity asked once more when the host does not tell; a host that
// still does not raises HostError, so that a command ends before it could
// take a user's entity for one it made.
LastEntity ReadKnownLastEntity(const Document& document);

// When the entity created last is a reference to exactly `block_name` (case
// matters): reads its insertion point, explodes it and deletes the reference,
// and returns the insertion point. Otherwise, or on any host error before the
// reference is deleted, nullopt. Never raises; the temporary set is deleted.
std::optional<geometry::TAcadPoint> ExplodeLastInsert(const Document& document,
                                                      std::string_view block_name);

}  // namespace zavin::host
