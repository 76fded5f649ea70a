#pragma once

// Internal to cad/automation/: the base of the embedded host's late-bound
// objects and the argument helpers they share.

#include <cstdint>
#include <memory>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "cad/core/host_core.h"
#include "cad/db/database.h"
#include "cad/db/filter.h"
#include "platform/automation.h"

namespace zavin::cad {

// The names every object of this folder works with.
using platform::HostError;
using platform::ObjectRef;
using platform::Variant;
using platform::VarKind;
namespace hr = platform::hr;
using Args = std::span<Variant>;

// A late-bound object of the embedded host.
class HostObject : public platform::DispatchObject {
 public:
  explicit HostObject(std::shared_ptr<HostCore> core) : core_(std::move(core)) {}

 protected:
  void BeforeInvoke(std::string_view member, platform::InvokeKind) override {
    core_->BeforeCall(member);
  }
  std::shared_ptr<HostCore> core_;
};

platform::ObjectRef MakeApplicationObject(std::shared_ptr<HostCore> core);
platform::ObjectRef MakeEntityObject(std::shared_ptr<HostCore> core, std::int64_t id);
platform::ObjectRef MakeSelectionSetsObject(std::shared_ptr<HostCore> core);

// Argument helpers shared by the objects.
Point3 ArgPoint(const platform::Variant& v);
platform::Variant PointValue(const Point3& p);
double ArgReal(const platform::Variant& v);
std::string ArgText(const platform::Variant& v);
// An index argument checked against `count`.
std::int64_t ArgIndex(const platform::Variant& v, std::size_t count);
const platform::Variant& ArgAt(std::span<platform::Variant> args, std::size_t i);

[[noreturn]] void Fail(const std::string& text);
[[noreturn]] void Invalid(const std::string& text);

// A table or selection-set name the host accepts.
bool ValidSymbolName(const std::string& name);
// A name argument, as opposed to an index.
bool IsNameArg(const platform::Variant& v);
// The selection filter given by the type and data arguments at `at` and `at + 1`.
std::vector<FilterTerm> FilterArgs(std::span<platform::Variant> args, std::size_t at);
[[noreturn]] void ThrowCancelled();

}  // namespace zavin::cad
