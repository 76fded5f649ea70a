#include "platform/running_hosts.h"

#include <gtest/gtest.h>

#include "platform/automation.h"
#include "platform_fixture.h"

namespace zavin::platform {
namespace {

class Dummy : public DispatchObject {};

using RunningHostsTest = PlatformTest;

TEST_F(RunningHostsTest, ProgIdIgnoresCaseAndLeadsToTheRunningInstanceUntilRevoked) {
  const Clsid clsid{"{11111111-0000-0000-0000-000000000001}"};
  RegisterProgId("ZWCAD.Application", clsid);
  EXPECT_EQ(CLSIDFromProgID("zwcad.APPLICATION"), clsid);

  auto app = std::make_shared<Dummy>();
  const std::uint32_t cookie = RegisterActiveObject(app, clsid);
  EXPECT_NE(cookie, 0u);
  EXPECT_TRUE(SameObject(GetActiveObject(CLSIDFromProgID("ZWCAD.Application")), app));

  EXPECT_TRUE(RevokeActiveObject(cookie));
  EXPECT_EQ(ErrorCode([&] { GetActiveObject(clsid); }), hr::kUnavailable);
  EXPECT_FALSE(RevokeActiveObject(cookie));
  // The identifier stays registered after the program ends.
  EXPECT_EQ(CLSIDFromProgID("ZWCAD.Application"), clsid);
}

TEST_F(RunningHostsTest, FailuresRaiseTheirCodes) {
  const Clsid clsid{"{A}"};
  RegisterProgId("Known.Application", clsid);
  struct Case {
    const char* what;
    std::function<void()> call;
    std::int32_t code;
  } cases[] = {
      {"unknown identifier", [] { CLSIDFromProgID("Missing.Application"); }, hr::kInvalidProgId},
      {"empty identifier", [] { CLSIDFromProgID(""); }, hr::kInvalidProgId},
      {"prefix of a known identifier", [] { CLSIDFromProgID("Known"); }, hr::kInvalidProgId},
      {"registered class, nothing running", [&] { GetActiveObject(clsid); }, hr::kUnavailable},
      {"unknown class", [] { GetActiveObject(Clsid{"{B}"}); }, hr::kUnavailable},
      {"register empty identifier", [&] { RegisterProgId("", clsid); }, hr::kInvalidArg},
      {"register empty class id", [] { RegisterProgId("X.Y", Clsid{}); }, hr::kInvalidArg},
      {"register null instance", [&] { RegisterActiveObject(nullptr, clsid); }, hr::kInvalidArg},
      {"register instance of no class",
       [] { RegisterActiveObject(std::make_shared<Dummy>(), Clsid{}); }, hr::kInvalidArg},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    EXPECT_EQ(ErrorCode(c.call), c.code);
  }
}

TEST_F(RunningHostsTest, FirstRegisteredInstanceAnswersUntilItIsRevoked) {
  const Clsid clsid{"{A}"};
  auto first = std::make_shared<Dummy>();
  auto second = std::make_shared<Dummy>();
  const std::uint32_t c1 = RegisterActiveObject(first, clsid);
  const std::uint32_t c2 = RegisterActiveObject(second, clsid);
  EXPECT_NE(c1, c2);
  EXPECT_TRUE(SameObject(GetActiveObject(clsid), first));
  RevokeActiveObject(c1);
  EXPECT_TRUE(SameObject(GetActiveObject(clsid), second));
}

TEST_F(RunningHostsTest, ReRegisteringAnIdentifierRedirectsIt) {
  RegisterProgId("Host.Application", Clsid{"{OLD}"});
  RegisterProgId("HOST.APPLICATION", Clsid{"{NEW}"});
  EXPECT_EQ(CLSIDFromProgID("host.application"), Clsid{"{NEW}"});
  EXPECT_TRUE(UnregisterProgId("Host.Application"));
  EXPECT_FALSE(UnregisterProgId("Host.Application"));
  EXPECT_EQ(ErrorCode([] { CLSIDFromProgID("Host.Application"); }), hr::kInvalidProgId);
}

TEST_F(RunningHostsTest, ResetForgetsIdentifiersAndInstances) {
  const Clsid clsid{"{A}"};
  RegisterProgId("Host.Application", clsid);
  RegisterActiveObject(std::make_shared<Dummy>(), clsid);
  ResetRunningHosts();
  EXPECT_EQ(ErrorCode([] { CLSIDFromProgID("Host.Application"); }), hr::kInvalidProgId);
  EXPECT_EQ(ErrorCode([&] { GetActiveObject(clsid); }), hr::kUnavailable);
}

}  // namespace
}  // namespace zavin::platform
