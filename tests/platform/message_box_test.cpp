#include "platform/message_box.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "platform/call_log.h"
#include "platform_fixture.h"

namespace zavin::platform {
namespace {

using ::testing::ElementsAre;

using MessageBoxTest = PlatformTest;

TEST_F(MessageBoxTest, RecordingSinkKeepsTheBoxAndAnswersFromItsScript) {
  auto sink = std::make_shared<RecordingMessageBoxSink>();
  SetMessageBoxSink(sink);
  sink->PushAnswer(IDCANCEL);

  const Hwnd owner = CreateWindow("tool");
  EXPECT_EQ(MessageBoxW(owner, "三角が作成できません．", "IJcad_Zavin", MB_OKCANCEL), IDCANCEL);
  // Script used up: the default button answers.
  EXPECT_EQ(MessageBoxW(owner, "求積データが見つかりません．", "Zavin2023", MB_OK), IDOK);

  ASSERT_EQ(sink->boxes().size(), 2u);
  const auto& box = sink->boxes()[0];
  EXPECT_EQ(box.owner, owner);
  EXPECT_EQ(box.text, "三角が作成できません．");
  EXPECT_EQ(box.caption, "IJcad_Zavin");
  EXPECT_EQ(box.flags, MB_OKCANCEL);
  EXPECT_THAT(PlatformCallLog(), ElementsAre("MessageBoxW 1 IJcad_Zavin", "MessageBoxW 1 Zavin2023"));
}

TEST(MessageBoxButtonsTest, ButtonSetsAndDefaults) {
  struct Case {
    std::uint32_t flags;
    std::vector<int> buttons;
    int default_button;
  } cases[] = {
      {MB_OK, {IDOK}, IDOK},
      {MB_OK | MB_ICONERROR, {IDOK}, IDOK},
      {MB_OKCANCEL, {IDOK, IDCANCEL}, IDOK},
      {MB_YESNO | MB_DEFBUTTON2, {IDYES, IDNO}, IDNO},
      {MB_YESNOCANCEL | MB_DEFBUTTON3, {IDYES, IDNO, IDCANCEL}, IDCANCEL},
      {MB_ABORTRETRYIGNORE, {IDABORT, IDRETRY, IDIGNORE}, IDABORT},
      {MB_RETRYCANCEL | MB_ICONWARNING, {IDRETRY, IDCANCEL}, IDRETRY},
      {MB_CANCELTRYCONTINUE | MB_DEFBUTTON2, {IDCANCEL, IDTRYAGAIN, IDCONTINUE}, IDTRYAGAIN},
      // A default beyond the buttons falls back to the first.
      {MB_OK | MB_DEFBUTTON3, {IDOK}, IDOK},
      // Unknown button sets and default numbers show OK alone.
      {0xF, {IDOK}, IDOK},
      {0xFFFFFFFF, {IDOK}, IDOK},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.flags);
    EXPECT_EQ(MessageBoxButtons(c.flags), c.buttons);
    EXPECT_EQ(DefaultMessageBoxButton(c.flags), c.default_button);
  }
}

TEST_F(MessageBoxTest, ResettingTheSinkRestoresTheDefaultAnswer) {
  auto sink = std::make_shared<RecordingMessageBoxSink>();
  sink->PushAnswer(IDNO);
  EXPECT_NE(SetMessageBoxSink(sink), nullptr);
  EXPECT_EQ(SetMessageBoxSink(nullptr), sink);
  EXPECT_EQ(MessageBoxW(kNoWindow, "text", "caption", MB_YESNO | MB_DEFBUTTON2), IDNO);
  EXPECT_EQ(MessageBoxW(kNoWindow, "text", "caption", MB_YESNO), IDYES);
  EXPECT_TRUE(sink->boxes().empty());
}

}  // namespace
}  // namespace zavin::platform
