#pragma once

// A fresh embedded host registered as the running instance of a ProgID, with
// scripted user input and a virtual clock, for tests of host/ and of the
// commands built on it.

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "cad/db/database.h"
#include "cad/embedded_host.h"
#include "host/link.h"
#include "host/object_model.h"
#include "platform/clock.h"
#include "platform/reset.h"

namespace zavin::host::testing {

inline constexpr const char* kTestProgId = "ZWCAD.Application";

struct TestHost {
  std::shared_ptr<cad::EmbeddedHost> host;
  std::shared_ptr<cad::ScriptedInput> input;
  HostLink link;

  Application application() const { return Application(host->Application()); }
  Document document() const { return application().ActiveDocument(); }
  cad::Database& db() const { return host->database(); }
};

// Resets the platform stand-ins, then starts a host running as `prog_id`.
// A host still alive from before must be released first: handles and
// cookies count from 1 again after the reset, and its destructor would close
// the new host's window and revoke its registration.
inline TestHost StartTestHost(const std::string& prog_id = kTestProgId) {
  platform::ResetPlatform();
  TestHost t;
  t.host = cad::EmbeddedHost::Create();
  t.input = std::make_shared<cad::ScriptedInput>();
  t.host->SetUserInput(t.input);
  t.host->RegisterRunning(prog_id);
  t.link.HostProgId = prog_id;
  return t;
}

// Names of the document's selection sets, read through automation.
inline std::vector<std::string> SelectionSetNames(const Document& document) {
  const SelectionSets sets = document.GetSelectionSets();
  std::vector<std::string> names;
  for (std::int32_t i = 0, n = sets.Count(); i < n; ++i) names.push_back(sets.Item(i).Name());
  return names;
}

// Names of the temporary (SSTEMP_) selection sets, any letter case.
inline std::vector<std::string> TempSelectionSetNames(const Document& document) {
  std::vector<std::string> temp;
  for (const std::string& name : SelectionSetNames(document))
    if (platform::UpperAscii(name).starts_with("SSTEMP_")) temp.push_back(name);
  return temp;
}

// Every test runs on a virtual clock against its own running host.
class HostTest : public ::testing::Test {
 protected:
  HostTest() : t_(StartTestHost()) {}
  ~HostTest() override {
    t_ = TestHost{};
    platform::ResetPlatform();
  }

  // A fresh host in place of the current one.
  void Restart(const std::string& prog_id = kTestProgId) {
    t_ = TestHost{};
    t_ = StartTestHost(prog_id);
  }

  Document document() const { return t_.document(); }
  cad::Database& db() const { return t_.db(); }
  cad::EmbeddedHost& host() const { return *t_.host; }

  std::shared_ptr<platform::VirtualClock> clock_ = std::make_shared<platform::VirtualClock>();
  platform::ScopedClock scoped_clock_{clock_};
  TestHost t_;
};

}  // namespace zavin::host::testing
