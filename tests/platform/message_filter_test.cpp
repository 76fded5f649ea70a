#include "platform/message_filter.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

#include "platform/automation.h"
#include "platform/message_queue.h"
#include "platform/windows.h"
#include "platform_fixture.h"

namespace zavin::platform {
namespace {

using ::testing::ElementsAre;
using ::testing::IsEmpty;

// The tool's filter policy: retry a "retry later" after 1000 ms, cancel any
// other rejection; pending messages get a configurable answer. Records what
// it was asked.
class RecordingFilter : public IMessageFilter {
 public:
  struct Retry {
    std::uint32_t elapsed, type;
  };
  struct Pending {
    std::uint32_t ticks, type;
  };

  std::uint32_t HandleInComingCall(std::uint32_t, std::int64_t, std::uint32_t) override { return 0; }
  std::int32_t RetryRejectedCall(std::int64_t, std::uint32_t elapsed, std::uint32_t type) override {
    retries.push_back({elapsed, type});
    return type == kRejectRetryLater ? 1000 : -1;
  }
  std::uint32_t MessagePending(std::int64_t, std::uint32_t ticks, std::uint32_t type) override {
    pending.push_back({ticks, type});
    return pending_answer;
  }

  std::uint32_t pending_answer = kPendingWait;
  std::vector<Retry> retries;
  std::vector<Pending> pending;
};

// A callee with one method whose behaviour the test sets.
class Callee : public DispatchObject {
 public:
  Callee() {
    AddMethod("Work", [this](std::span<Variant>) { return work(); });
  }
  std::function<Variant()> work = [] { return Variant(); };
};

class MessageFilterTest : public PlatformTest {
 protected:
  void SetUp() override {
    PlatformTest::SetUp();
    CoRegisterMessageFilter(filter_);
    tool_ = CreateWindow("tool");
  }

  // Posts a click on the tool window that records itself in `events_`.
  void PostClick() {
    PostWindowMessage(tool_, "click", [this] { events_.push_back("click"); });
  }

  std::shared_ptr<RecordingFilter> filter_ = std::make_shared<RecordingFilter>();
  std::shared_ptr<Callee> callee_ = std::make_shared<Callee>();
  Hwnd tool_ = kNoWindow;
  std::vector<std::string> events_;
};

TEST_F(MessageFilterTest, BusyCalleeForThreeSecondsSucceedsOnARetryOneSecondApart) {
  std::vector<std::int64_t> attempts;
  callee_->work = [&] {
    attempts.push_back(clock_->NowMs());
    if (clock_->NowMs() < 3000) throw CallRejected{kRejectRetryLater};
    return Variant(42);
  };

  EXPECT_EQ(Call(callee_, "Work").ToInt32(), 42);

  EXPECT_THAT(attempts, ElementsAre(0, 1000, 2000, 3000));
  ASSERT_EQ(filter_->retries.size(), 3u);
  for (std::size_t i = 0; i < 3; ++i) {
    SCOPED_TRACE(i);
    EXPECT_EQ(filter_->retries[i].elapsed, 1000 * i);
    EXPECT_EQ(filter_->retries[i].type, kRejectRetryLater);
  }
  EXPECT_EQ(clock_->slept_total(), 3000);
}

TEST_F(MessageFilterTest, FilterAnsweringMinusOneCancelsWithHostError) {
  int attempts = 0;
  callee_->work = [&]() -> Variant {
    ++attempts;
    throw CallRejected{kRejectReject};
  };
  EXPECT_EQ(ErrorCode([&] { Call(callee_, "Work"); }), hr::kCallRejected);
  EXPECT_EQ(attempts, 1);
  EXPECT_EQ(clock_->slept_total(), 0);
}

TEST_F(MessageFilterTest, WithoutAFilterARejectedCallFails) {
  CoRegisterMessageFilter(nullptr);
  int attempts = 0;
  callee_->work = [&]() -> Variant {
    ++attempts;
    PostClick();
    throw CallRejected{kRejectRetryLater};
  };
  EXPECT_EQ(ErrorCode([&] { Call(callee_, "Work"); }), hr::kCallRejected);
  EXPECT_EQ(attempts, 1);
  EXPECT_EQ(clock_->slept_total(), 0);
  EXPECT_EQ(PendingMessageCount(), 1u);  // nothing ran inside the call
}

TEST_F(MessageFilterTest, ClickDuringARetryWaitStaysQueuedAndRunsWhenIdle) {
  callee_->work = [&] {
    if (clock_->NowMs() == 0) {
      PostClick();  // the user clicks the tool while the host is busy
      throw CallRejected{kRejectRetryLater};
    }
    events_.push_back("call returns");
    return Variant();
  };

  Call(callee_, "Work");

  EXPECT_THAT(events_, ElementsAre("call returns"));
  ASSERT_EQ(filter_->pending.size(), 1u);
  EXPECT_EQ(filter_->pending[0].ticks, 1000u);
  EXPECT_EQ(filter_->pending[0].type, kPendingTypeTopLevel);
  EXPECT_EQ(ProcessPendingMessages(), 1u);
  EXPECT_THAT(events_, ElementsAre("call returns", "click"));
}

TEST_F(MessageFilterTest, CalleeWaitingForTheUserOffersPendingMessagesToTheFilter) {
  struct Case {
    std::uint32_t answer;
    std::vector<std::string> after_call;   // events when the call has returned
    std::vector<std::string> after_idle;   // events once the tool is idle again
  } cases[] = {
      {kPendingProcess, {"click", "call returns"}, {"click", "call returns"}},
      {kPendingWait, {"call returns"}, {"call returns", "click"}},
      {kPendingCancelCall, {}, {"click"}},  // the call fails; the click is kept
      {7, {"call returns"}, {"call returns", "click"}},  // unknown answers lose nothing
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.answer);
    events_.clear();
    filter_->pending.clear();
    filter_->pending_answer = c.answer;
    PostClick();
    callee_->work = [&] {
      WaitWhileCallPending(500);  // e.g. a pick in the host window
      events_.push_back("call returns");
      return Variant();
    };
    const std::int64_t started = clock_->NowMs();

    if (c.answer == kPendingCancelCall) {
      EXPECT_EQ(ErrorCode([&] { Call(callee_, "Work"); }), hr::kCallCancelled);
    } else {
      Call(callee_, "Work");
    }
    EXPECT_EQ(events_, c.after_call);
    ProcessPendingMessages();
    EXPECT_EQ(events_, c.after_idle);

    EXPECT_EQ(clock_->NowMs() - started, 500);
    ASSERT_EQ(filter_->pending.size(), 1u);
    EXPECT_EQ(filter_->pending[0].ticks, 500u);
    EXPECT_EQ(PendingMessageCount(), 0u);
  }
}

TEST_F(MessageFilterTest, NestedCallIsOfferedAsNestedAndEmptyQueueAsksNothing) {
  auto inner = std::make_shared<Callee>();
  inner->work = [] {
    WaitWhileCallPending();
    return Variant();
  };
  callee_->work = [&] {
    WaitWhileCallPending();  // queue empty: the filter is not asked
    PostClick();
    Call(inner, "Work");
    return Variant();
  };
  Call(callee_, "Work");
  ASSERT_EQ(filter_->pending.size(), 1u);
  EXPECT_EQ(filter_->pending[0].type, kPendingTypeNested);
}

TEST_F(MessageFilterTest, OutsideAnyCallWaitingOnlyPassesTime) {
  callee_->work = []() -> Variant { throw HostError(hr::kFail, "host error"); };
  EXPECT_EQ(ErrorCode([&] { Call(callee_, "Work"); }), hr::kFail);
  EXPECT_EQ(OutgoingCall::Current(), nullptr);  // the failed call left no marker

  PostClick();
  WaitWhileCallPending(100);
  EXPECT_EQ(clock_->NowMs(), 100);
  EXPECT_THAT(filter_->pending, IsEmpty());
  EXPECT_EQ(PendingMessageCount(), 1u);
}

TEST_F(MessageFilterTest, ProcessingRunsInOrderAndLeavesLaterPostsForTheNextRound) {
  PostWindowMessage(tool_, "first", [this] {
    events_.push_back("first");
    PostWindowMessage(tool_, "posted by first", [this] { events_.push_back("posted by first"); });
  });
  PostClick();
  EXPECT_EQ(ProcessPendingMessages(), 2u);
  EXPECT_THAT(events_, ElementsAre("first", "click"));
  EXPECT_THAT(PendingMessageNames(), ElementsAre("posted by first"));
  EXPECT_EQ(ProcessPendingMessages(), 1u);
  EXPECT_EQ(ProcessPendingMessages(), 0u);
}

TEST_F(MessageFilterTest, FailingHandlerLeavesTheRestQueued) {
  PostWindowMessage(tool_, "fails", [] { throw std::runtime_error("handler failed"); });
  PostClick();
  EXPECT_THROW(ProcessPendingMessages(), std::runtime_error);
  EXPECT_THAT(PendingMessageNames(), ElementsAre("click"));
  ProcessPendingMessages();
  EXPECT_THAT(events_, ElementsAre("click"));
}

TEST_F(MessageFilterTest, PostingToNoWindowOrWithoutHandlerQueuesNothing) {
  EXPECT_FALSE(PostWindowMessage(kNoWindow, "none", [] {}));
  EXPECT_FALSE(PostWindowMessage(tool_ + 100, "unknown", [] {}));
  EXPECT_FALSE(PostWindowMessage(tool_, "empty", {}));
  EXPECT_EQ(PendingMessageCount(), 0u);
}

}  // namespace
}  // namespace zavin::platform
