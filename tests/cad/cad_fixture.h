#pragma once

// An embedded host on a virtual clock with scripted user input, and short
// helpers for calls through automation.

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "cad/db/database.h"
#include "cad/embedded_host.h"
#include "platform/automation.h"
#include "platform/clock.h"
#include "platform/reset.h"

namespace zavin::cad::testing {

using platform::Call;
using platform::CallOut;
using platform::Get;
using platform::ObjectRef;
using platform::Put;
using platform::Variant;
using platform::VarKind;

inline Variant Pt(double x, double y, double z = 0) { return platform::MakePointArray(x, y, z); }

// A one-term filter in the host's shape: Int16 code, Variant value, bounds 0..0.
struct Filter {
  Variant types, data;
};
inline Filter TypeFilter(std::int16_t code, const std::string& pattern) {
  return {Variant(platform::MakeArray(VarKind::Int16, {Variant(code)})),
          Variant(platform::MakeArray(VarKind::Variant, {Variant(pattern)}))};
}

// Puts the platform stand-ins back before the host is made and after it is gone.
struct PlatformReset {
  PlatformReset() { platform::ResetPlatform(); }
  ~PlatformReset() { platform::ResetPlatform(); }
};

class CadTest : public ::testing::Test {
 public:
  CadTest() { host_->SetUserInput(input_); }

  ObjectRef App() { return host_->Application(); }
  ObjectRef Doc() { return Get(App(), "ActiveDocument").object(); }
  ObjectRef ModelSpace() { return Get(Doc(), "ModelSpace").object(); }
  ObjectRef NewSet(const std::string& name = "S") {
    return Call(Get(Doc(), "SelectionSets").object(), "Add", {Variant(name)}).object();
  }
  Database& db() { return host_->database(); }

  // Sends command text and runs it, as the host does when next polled.
  void Send(const std::string& text) {
    Call(Doc(), "SendCommand", {Variant(text)});
    host_->RunPendingCommands();
  }

  // Ids of the members of a selection set, read through automation.
  std::vector<std::int64_t> Members(const ObjectRef& set) {
    std::vector<std::int64_t> ids;
    for (std::int32_t i = 0, n = Get(set, "Count").ToInt32(); i < n; ++i)
      ids.push_back(Get(Call(set, "Item", {Variant(i)}).object(), "ObjectID").ToInt64());
    return ids;
  }

  PlatformReset reset_;
  std::shared_ptr<platform::VirtualClock> clock_ = std::make_shared<platform::VirtualClock>();
  platform::ScopedClock scoped_clock_{clock_};
  std::shared_ptr<EmbeddedHost> host_ = EmbeddedHost::Create();
  std::shared_ptr<ScriptedInput> input_ = std::make_shared<ScriptedInput>();
};

}  // namespace zavin::cad::testing
