// Calls to a running host of this process, as the commands make them. On
// Windows the host is reached through the platform's automation interface, so
// every value crosses the VARIANT conversions both ways and these tests are
// the contract of that backend; on Linux the same calls go straight through.

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "platform/automation.h"
#include "platform/message_filter.h"
#include "platform/running_hosts.h"
#include "platform_fixture.h"

namespace zavin::platform {
namespace {

class Part : public DispatchObject {
 public:
  Part() {
    AddGet("Name", [](std::span<Variant>) { return Variant("part"); });
  }
};

// A host with members that show what reached them.
class Host : public DispatchObject {
 public:
  Host() {
    AddMethod("Echo", [this](std::span<Variant> a) {
      RequireArgs(a, 1, 1);
      seen = a[0];
      return a[0];
    });
    AddMethod("Kinds", [](std::span<Variant> a) {
      std::string kinds;
      for (const Variant& v : a) kinds += std::string(KindName(v.kind())) + " ";
      return Variant(kinds);
    });
    AddGet("Part", [this](std::span<Variant>) { return Variant(part); });
    AddMethod("IsPart", [this](std::span<Variant> a) {
      RequireArgs(a, 1, 1);
      return Variant(a[0].object() == part);
    });
    // Like GetEntity: two out-arguments and a prompt.
    AddMethod("Pick", [this](std::span<Variant> a) {
      RequireArgs(a, 3, 3);
      if (!a[0].empty() || !a[1].empty()) throw HostError(hr::kInvalidArg, "out-arguments must be empty");
      a[0] = Variant(part);
      a[1] = MakePointArray(1.5, -2.25, 0);
      return Variant();
    });
    AddProperty(
        "Value", [this](std::span<Variant>) { return value; },
        [this](std::span<Variant> a) {
          RequireArgs(a, 1, 1);
          value = a[0];
          return Variant();
        });
    AddMethod("Fail", [](std::span<Variant>) -> Variant {
      throw HostError(static_cast<std::int32_t>(0x80200010), "三角が作成できません．");
    });
    AddMethod("Busy", [this](std::span<Variant>) -> Variant {
      ++busy_calls;
      if (busy_left > 0) {
        --busy_left;
        throw CallRejected{kRejectRetryLater};
      }
      return Variant(busy_calls);
    });
  }

  std::shared_ptr<Part> part = std::make_shared<Part>();
  Variant seen;
  Variant value;
  int busy_left = 0;
  std::int32_t busy_calls = 0;
};

class RetryFilter : public IMessageFilter {
 public:
  std::uint32_t HandleInComingCall(std::uint32_t, std::int64_t, std::uint32_t) override { return 0; }
  std::int32_t RetryRejectedCall(std::int64_t, std::uint32_t elapsed, std::uint32_t type) override {
    asked.push_back(elapsed);
    return type == kRejectRetryLater ? 1000 : -1;
  }
  std::uint32_t MessagePending(std::int64_t, std::uint32_t, std::uint32_t) override { return kPendingWait; }
  std::vector<std::uint32_t> asked;
};

class LateBindingTest : public PlatformTest {
 protected:
  void SetUp() override {
    PlatformTest::SetUp();
    RegisterProgId("Test.Host", clsid_);
    RegisterActiveObject(host_, clsid_);
    app_ = GetActiveObject(CLSIDFromProgID("Test.Host"));
  }

  const Clsid clsid_{"{5A617669-6E00-4C42-8000-000000000001}"};
  std::shared_ptr<Host> host_ = std::make_shared<Host>();
  ObjectRef app_;
};

TEST_F(LateBindingTest, ValuesKeepTheirKindBothWays) {
  VariantArray mixed = MakeArray(VarKind::Variant, {Variant(std::int16_t{1001}), Variant("QM_ZAVIN"),
                                                    MakePointArray(1, 2, 3), Variant()});
  const Variant values[] = {
      Variant(std::int16_t{-5}),
      Variant(std::int32_t{70000}),
      Variant(std::int64_t{0x123456789AB}),  // object ids are 64-bit
      Variant(0.1),
      Variant(true),
      Variant("求積表 ①"),
      MakePointArray(10.5, -3.25, 0),
      Variant(MakeArray(VarKind::Int16, {Variant(std::int16_t{0}), Variant(std::int16_t{8})})),
      Variant(MakeArray(VarKind::Double, {Variant(1.0)}, 5)),
      Variant(mixed),
      Variant(MakeArray(VarKind::Text, {Variant("a"), Variant("")})),
  };
  for (const Variant& v : values) {
    SCOPED_TRACE(KindName(v.kind()) + std::string(" ") + (v.is_array() ? "array" : v.ToText()));
    const Variant back = Call(app_, "echo", {v});
    EXPECT_EQ(host_->seen, v);
    EXPECT_EQ(back, v);
    if (v.is_array()) {
      EXPECT_EQ(host_->seen.array().element, v.array().element);
      EXPECT_EQ(back.array().lower, v.array().lower);
    }
  }
  EXPECT_EQ(Call(app_, "Kinds", {std::int16_t{1}, std::int32_t{1}, 1.0, "x"}).text(),
            "Int16 Int32 Double Text ");
}

TEST_F(LateBindingTest, ObjectsComeBackAsThemselves) {
  const ObjectRef part = Get(app_, "Part").object();
  EXPECT_EQ(Get(part, "Name").text(), "part");
  EXPECT_TRUE(Call(app_, "IsPart", {part}).ToBool());
  EXPECT_TRUE(SameObject(app_, host_));
  EXPECT_FALSE(SameObject(app_, part));
}

TEST_F(LateBindingTest, OutArgumentsAreFilledInAndPropertiesWritten) {
  std::vector<Variant> args{Variant(), Variant(), "Select object: "};
  CallOut(app_, "Pick", args);
  EXPECT_TRUE(SameObject(args[0].object(), host_->part));
  EXPECT_EQ(args[1], MakePointArray(1.5, -2.25, 0));

  Put(app_, "Value", std::int16_t{3});
  EXPECT_EQ(host_->value, Variant(std::int16_t{3}));
  EXPECT_EQ(Get(app_, "value"), Variant(std::int16_t{3}));
}

TEST_F(LateBindingTest, HostErrorsKeepTheirCodeAndText) {
  try {
    Call(app_, "Fail");
    FAIL() << "no error";
  } catch (const HostError& e) {
    EXPECT_EQ(e.code(), static_cast<std::int32_t>(0x80200010));
    EXPECT_EQ(e.text(), "三角が作成できません．");
  }
  EXPECT_EQ(ErrorCode([&] { Call(app_, "NoSuchMember"); }), hr::kUnknownName);
  EXPECT_EQ(ErrorCode([&] { Call(app_, "Echo"); }), hr::kBadParamCount);
}

TEST_F(LateBindingTest, ABusyHostIsRetriedEverySecondByTheFilterOrFails) {
  host_->busy_left = 3;
  EXPECT_EQ(ErrorCode([&] { Call(app_, "Busy"); }), hr::kCallRejected);  // no filter

  auto filter = std::make_shared<RetryFilter>();
  CoRegisterMessageFilter(filter);
  host_->busy_left = 3;
  host_->busy_calls = 0;
  const std::int64_t start = clock_->NowMs();
  EXPECT_EQ(Call(app_, "Busy"), Variant(std::int32_t{4}));
  EXPECT_EQ(clock_->NowMs() - start, 3000);
  EXPECT_EQ(filter->asked, (std::vector<std::uint32_t>{0, 1000, 2000}));
}

}  // namespace
}  // namespace zavin::platform
