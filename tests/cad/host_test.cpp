// The host as a whole: state polls and the command queue, fault switches,
// the window with its ESC key, and the running-host registry.

#include "cad/embedded_host.h"

#include <gtest/gtest.h>

#include "cad_fixture.h"
#include "platform/message_filter.h"
#include "platform/running_hosts.h"
#include "platform/windows.h"
#include "tests/cad/host_probe.h"

namespace zavin::cad::testing {
namespace {

using HostTest = CadTest;
using platform::HostError;

bool Quiescent(const ObjectRef& app) {
  return Get(Call(app, "GetZcadState").object(), "IsQuiescent").ToBool();
}

class RetryLaterFilter : public platform::IMessageFilter {
 public:
  std::uint32_t HandleInComingCall(std::uint32_t, std::int64_t, std::uint32_t) override { return 0; }
  std::int32_t RetryRejectedCall(std::int64_t, std::uint32_t, std::uint32_t type) override {
    ++retries;
    return type == platform::kRejectRetryLater ? 1000 : -1;
  }
  std::uint32_t MessagePending(std::int64_t, std::uint32_t, std::uint32_t) override { return 1; }
  int retries = 0;
};

TEST_F(HostTest, StateIsBusyForTheFaultPollsThenWhileASentCommandRuns) {
  std::vector<std::vector<std::string>> ran;
  Probe(*host_).DefineCommand("BOUNDARY", [&](EmbeddedHost& h, const std::vector<std::string>& in) {
    ran.push_back(in);
    h.database().AddPolyline({{0, 0}, {10, 0}, {0, 10}}, true);
  });
  Probe(*host_).faults().busy_polls = 2;
  auto app = App();
  Call(Doc(), "SendCommand", {Variant("_-BOUNDARY A O P \r5.0000,2.0000\r\r")});
  EXPECT_TRUE(db().model_space().empty()) << "SendCommand returns before the command runs";
  EXPECT_EQ(Call(Doc(), "GetVariable", {Variant("CMDACTIVE")}).ToInt32(), 1);

  EXPECT_FALSE(Quiescent(app));
  EXPECT_FALSE(Quiescent(app));
  EXPECT_EQ(Probe(*host_).faults().busy_polls, 0);
  EXPECT_FALSE(Quiescent(app)) << "the command runs at this poll";
  EXPECT_TRUE(Quiescent(app));
  ASSERT_EQ(ran.size(), 1u);
  EXPECT_EQ(ran[0], (std::vector<std::string>{"A", "O", "P", "", "5.0000,2.0000", ""}));
  EXPECT_EQ(db().model_space().size(), 1u);
  EXPECT_EQ(host_->sent_commands(), std::vector<std::string>{"_-BOUNDARY A O P \r5.0000,2.0000\r\r"});
  // All three state members report the same state.
  for (const char* m : {"GetAcadState", "GetGcadState", "GetZcadState"})
    EXPECT_TRUE(Get(Call(app, m).object(), "IsQuiescent").ToBool()) << m;
}

TEST_F(HostTest, UnknownOrFailingCommandsEndInsideTheHost) {
  Probe(*host_).DefineCommand("MOVE", [](EmbeddedHost&, const std::vector<std::string>&) {
    throw HostError(platform::hr::kInvalidArg, "invalid point");
  });
  Call(Doc(), "SendCommand", {Variant("NOSUCH\r")});
  Call(Doc(), "SendCommand", {Variant("._move\rPRE\r")});
  EXPECT_FALSE(Quiescent(App()));
  EXPECT_FALSE(Quiescent(App())) << "the failing command does not fail the poll";
  EXPECT_TRUE(Quiescent(App()));
}

TEST_F(HostTest, AnInterpreterCanReplaceTheCommandTable) {
  std::string seen;
  Probe(*host_).SetCommandInterpreter([&](EmbeddedHost&, const std::string& text) { seen = text; });
  Call(Doc(), "SendCommand", {Variant("(command \"_-INSERT\")\r")});
  host_->RunPendingCommands();
  EXPECT_EQ(seen, "(command \"_-INSERT\")\r");
}

TEST_F(HostTest, RejectsCallsUntilTheClockTimeThenServesThem) {
  auto doc = Doc();
  Probe(*host_).faults().reject_until_ms = 3000;
  EXPECT_THROW(Call(doc, "Regen", {Variant(0)}), HostError) << "no filter: the call is cancelled";

  auto filter = std::make_shared<RetryLaterFilter>();
  auto previous = platform::CoRegisterMessageFilter(filter);
  const std::int64_t before = host_->call_count();
  Call(doc, "Regen", {Variant(0)});
  platform::CoRegisterMessageFilter(previous);
  EXPECT_EQ(clock_->NowMs(), 3000);
  EXPECT_EQ(filter->retries, 3);
  EXPECT_EQ(host_->call_count(), before + 1) << "rejected attempts are not calls";
  EXPECT_EQ(Probe(*host_).regen_count(), 1);
}

TEST_F(HostTest, FailsExactlyTheKthCall) {
  auto doc = Doc();
  Probe(*host_).faults().fail_call = host_->call_count() + 2;
  EXPECT_NO_THROW(Get(doc, "ModelSpace"));
  EXPECT_THROW(Get(doc, "ModelSpace"), HostError);
  EXPECT_NO_THROW(Get(doc, "ModelSpace"));
  EXPECT_EQ(host_->call_count(), Probe(*host_).faults().fail_call + 1);
}

TEST_F(HostTest, EscapeInTheForegroundHostWindowCancelsThePromptAndQueuedText) {
  const auto hwnd = Get(App(), "HWND");
  EXPECT_EQ(hwnd.ToInt64(), host_->hwnd());
  ASSERT_TRUE(platform::IsWindow(host_->hwnd()));

  Call(Doc(), "SendCommand", {Variant("MOVE\r")});
  ASSERT_TRUE(platform::SetForegroundWindow(host_->hwnd()));
  platform::keybd_event(platform::VK_ESCAPE);
  platform::keybd_event(platform::VK_ESCAPE, platform::KEYEVENTF_KEYUP);
  EXPECT_EQ(Probe(*host_).escape_count(), 1);
  EXPECT_EQ(Probe(*host_).pending_commands(), 0u);

  // ESC while a prompt waits turns the answer into a cancel.
  struct EscapingInput : UserInput {
    UserAnswer Next(const std::string&) override {
      platform::keybd_event(platform::VK_ESCAPE);
      return {UserAnswer::Kind::Point, 1, 2};
    }
  };
  host_->SetUserInput(std::make_shared<EscapingInput>());
  EXPECT_THROW(Call(Get(Doc(), "Utility").object(), "GetPoint"), HostError);
}

TEST_F(HostTest, RegistersAsTheRunningInstanceOfItsProgId) {
  host_->RegisterRunning("ZWCAD.Application");
  const auto clsid = platform::CLSIDFromProgID("zwcad.application");
  EXPECT_EQ(platform::GetActiveObject(clsid), App());
  host_->Unregister();
  EXPECT_THROW(platform::GetActiveObject(clsid), HostError);
  EXPECT_NO_THROW(platform::CLSIDFromProgID("ZWCAD.Application")) << "still installed";
}

}  // namespace
}  // namespace zavin::cad::testing
