#include "shell/form1.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "shell/program.h"
#include "tests/shell/temp_dir.h"

namespace zavin::shell {
namespace {

using testing::TempDir;
using ::testing::ElementsAre;

// A program beside a fresh executable path, on one 1920 x 1080 screen, that
// records what its message-filter hooks saw.
class ProgramFixture : public ::testing::Test {
 protected:
  std::unique_ptr<TZavinProgram> MakeProgram() {
    ProgramOptions o;
    o.executable = dir_ / "zavin";
    o.screens = std::make_shared<FixedScreens>(std::vector<ScreenRect>{{0, 0, 1920, 1080}});
    auto p = std::make_unique<TZavinProgram>(o);
    TZavinProgram* raw = p.get();
    raw->Form1().Environment().register_message_filter = [this, raw] {
      events_.push_back("register " + raw->Form1().Window.Caption());
    };
    raw->Form1().Environment().revoke_message_filter = [this] {
      events_.push_back(std::string("revoke, settings saved: ") +
                        (std::filesystem::exists(dir_ / "zavin.ini") ? "yes" : "no"));
    };
    return p;
  }

  TempDir dir_;
  std::vector<std::string> events_;
};

TEST_F(ProgramFixture, StartWithoutSettingsFileShowsDesignDefaults) {
  auto program = MakeProgram();
  program->Start();
  TForm1& f = program->Form1();

  EXPECT_EQ(f.Window.Left(), 589);
  EXPECT_EQ(f.Window.Top(), 336);
  EXPECT_EQ(f.Window.ClientWidth(), 185);
  EXPECT_EQ(f.Window.ClientHeight(), 266);
  EXPECT_EQ(f.Window.Caption(), "■ [ BricsCAD ]");
  EXPECT_EQ(f.Link.HostProgId, "ZWCAD.Application");
  EXPECT_EQ(f.PageControl1.ActivePageIndex(), 0);
  EXPECT_EQ(f.TabSheet1.Caption(), " ｻﾞﾋﾞﾝ ");
  EXPECT_EQ(f.RadioGroup1.ItemIndex(), 0);
  EXPECT_EQ(f.Edit8.Text(), "1000");
  EXPECT_EQ(f.Edit17.Text(), "1000");
  EXPECT_EQ(f.Edit16.Text(), "1");
  EXPECT_EQ(f.UpDown4.Position(), 1);
  EXPECT_EQ(f.Edit7.Text(), "2");
  EXPECT_EQ(f.Edit18.Text(), "4");
  EXPECT_EQ(f.Edit4.Text(), "2");
  EXPECT_TRUE(f.RadioButton2.Checked() && f.RadioButton5.Checked() && f.RadioButton8.Checked());
  EXPECT_EQ(f.Settings.LengthDigits, 2);
  EXPECT_EQ(f.Settings.AreaDigits, 4);
  EXPECT_EQ(f.Settings.TotalDigits, 2);
  EXPECT_EQ(f.Settings.LengthRounding, RoundingMode::HalfUp);
  EXPECT_EQ(f.Edit12.Text(), "H_TEXT");
  EXPECT_EQ(f.Edit14.Text(), "400");
  EXPECT_EQ(f.Edit13.Text(), "180.0");
  EXPECT_EQ(f.Edit1.Text(), "8.0");
  EXPECT_EQ(f.Edit2.Text(), "10.0");
  EXPECT_TRUE(f.CheckBox2.Checked() && f.CheckBox3.Checked() && f.CheckBox4.Checked());
  EXPECT_FALSE(f.CheckBox1.Checked());
  EXPECT_TRUE(f.Edit14.Enabled());
  EXPECT_TRUE(f.Edit11.Enabled() && f.Label10.Enabled());
  EXPECT_FALSE(f.Edit20.Enabled() || f.Label19.Enabled());
  EXPECT_FALSE(f.SpeedButton1.Visible() || f.SpeedButton2.Visible() || f.SpeedButton3.Visible());
  for (const Control* c : std::initializer_list<const Control*>{&f.Button7, &f.Button9, &f.Button14, &f.CheckBox1,
                                                                &f.CheckBox4, &f.Edit21, &f.Edit22}) {
    EXPECT_FALSE(c->Enabled()) << c->Name();
  }
  EXPECT_EQ(f.Button10.Hint(), "閉鎖領域内を１点指示すると、自動分割後、長さ、番号を記入");
}

TEST_F(ProgramFixture, StartRegistersFilterLastAndExitRevokesAfterSaving) {
  {
    auto program = MakeProgram();
    program->Start();
    program->Form1().FormDestroy();
    program->Form1().FormDestroy();  // a second close does nothing
  }
  EXPECT_THAT(events_, ElementsAre("register ■ [ BricsCAD ]", "revoke, settings saved: yes"));
}

TEST_F(ProgramFixture, Button9IsDisabledAtEveryStart) {
  {
    auto program = MakeProgram();
    program->Start();
    program->Form1().Button9.SetEnabled(true);  // a pending construction at exit
  }
  auto program = MakeProgram();
  program->Start();
  EXPECT_FALSE(program->Form1().Button9.Enabled());
}

TEST(TForm1, MethodSwitchFollowsRadioGroup) {
  TForm1 f;
  f.FormCreate();
  f.RadioGroup1.SetItemIndex(1);
  EXPECT_EQ(f.TabSheet1.Caption(), " 三斜");
  EXPECT_TRUE(f.Edit20.Enabled() && f.Label19.Enabled());
  EXPECT_FALSE(f.Edit11.Enabled() || f.Label10.Enabled());

  f.RadioGroup1.SetItemIndex(0);
  EXPECT_EQ(f.TabSheet1.Caption(), " ｻﾞﾋﾞﾝ");  // no trailing blank, unlike the start-up caption
  EXPECT_FALSE(f.Edit20.Enabled() || f.Label19.Enabled());
  EXPECT_TRUE(f.Edit11.Enabled() && f.Label10.Enabled());
}

TEST(TForm1, UpDownArrowsStayInRangeAndUpdateTheirFields) {
  TForm1 f;
  f.FormCreate();
  const std::vector<std::string> expect_scale = {"100", "10", "1", "1"};
  for (const std::string& want : expect_scale) {
    f.UpDown3.Click(UpDownButton::Down);
    EXPECT_EQ(f.Edit8.Text(), want);
  }
  EXPECT_EQ(f.UpDown3.Position(), 0);
  for (int i = 0; i < 5; ++i) f.UpDown3.Click(UpDownButton::Up);
  EXPECT_EQ(f.UpDown3.Position(), 3);
  EXPECT_EQ(f.Edit8.Text(), "1000");

  f.UpDown5.Click(UpDownButton::Down);
  EXPECT_EQ(f.Edit17.Text(), "100");

  struct Case {
    TUpDown* updown;
    int* setting;
    const TEdit* edit;
  } digits[] = {{&f.UpDown2, &f.Settings.LengthDigits, &f.Edit7},
                {&f.UpDown6, &f.Settings.AreaDigits, &f.Edit18},
                {&f.UpDown1, &f.Settings.TotalDigits, &f.Edit4}};
  for (const Case& c : digits) {
    SCOPED_TRACE(c.updown->Name());
    for (int i = 0; i < 10; ++i) c.updown->Click(UpDownButton::Up);
    EXPECT_EQ(*c.setting, 6);
    EXPECT_EQ(c.edit->Text(), "6");
    for (int i = 0; i < 10; ++i) c.updown->Click(UpDownButton::Down);
    EXPECT_EQ(*c.setting, 0);
    EXPECT_EQ(c.edit->Text(), "0");
  }
}

TEST(TForm1, TypedMultiplierStaysUntilTheNextArrowClick) {
  TForm1 f;
  f.FormCreate();
  f.Edit17.SetText("500");
  EXPECT_EQ(f.Edit17.Text(), "500");
  f.UpDown5.Click(UpDownButton::Up);  // already at 3
  EXPECT_EQ(f.Edit17.Text(), "1000");
}

TEST(TForm1, NumberFieldReadsTypedTextAndAdvancesWithinRange) {
  TForm1 f;
  f.FormCreate();
  f.Edit16.SetText("41");
  EXPECT_EQ(f.UpDown4.Position(), 41);
  f.UpDown4.SetPosition(f.UpDown4.Position() + 1);
  EXPECT_EQ(f.Edit16.Text(), "42");
  f.UpDown4.SetPosition(10000);
  EXPECT_EQ(f.Edit16.Text(), "9999");
  f.Edit16.SetText("abc");  // not a number: the last position stands
  EXPECT_EQ(f.UpDown4.Position(), 9999);
  f.UpDown4.Click(UpDownButton::Up);
  EXPECT_EQ(f.Edit16.Text(), "9999");
}

TEST(TForm1, RoundingButtonsSetTheirMode) {
  TForm1 f;
  f.FormCreate();
  struct Case {
    TRadioButton* button;
    RoundingMode* mode;
    RoundingMode want;
  } cases[] = {
      {&f.RadioButton1, &f.Settings.LengthRounding, RoundingMode::Truncate},
      {&f.RadioButton3, &f.Settings.LengthRounding, RoundingMode::Up},
      {&f.RadioButton6, &f.Settings.AreaRounding, RoundingMode::Up},
      {&f.RadioButton4, &f.Settings.AreaRounding, RoundingMode::Truncate},
      {&f.RadioButton9, &f.Settings.TotalRounding, RoundingMode::Up},
      {&f.RadioButton8, &f.Settings.TotalRounding, RoundingMode::HalfUp},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.button->Name());
    c.button->Click();
    EXPECT_EQ(*c.mode, c.want);
  }
  EXPECT_FALSE(f.RadioButton5.Checked());  // siblings are unchecked
  EXPECT_TRUE(f.RadioButton4.Checked());
}

TEST(TForm1, ArrowCheckBoxEnablesArrowSize) {
  TForm1 f;
  f.FormCreate();
  f.CheckBox3.Click();
  EXPECT_FALSE(f.Edit14.Enabled());
  f.CheckBox3.Click();
  EXPECT_TRUE(f.Edit14.Enabled());
}

TEST(TForm1, CommandSlotsRunWithTheirSender) {
  TForm1 f;
  f.FormCreate();
  std::vector<std::string> ran;
  f.Commands.Button10Click = [&](TForm1& form, TButton& sender) {
    EXPECT_EQ(&form, &f);
    ran.push_back("10 from " + sender.Name());
  };
  f.Commands.Button9Click = [&](TForm1&, TButton&) { ran.push_back("9"); };
  f.Button10.Click();
  f.Button12.Click();
  f.Button6.Click();
  f.Button9.Click();  // disabled: no click
  f.Button13.Click();  // empty slot: nothing
  f.Button9.SetEnabled(true);
  f.Button9.Click();
  EXPECT_THAT(ran, ElementsAre("10 from Button10", "10 from Button12", "10 from Button6", "9"));
}

TEST(TForm1, EnterInSideFieldsMovesFocusAndIsSwallowed) {
  TForm1 f;
  f.FormCreate();
  EXPECT_FALSE(f.Edit1.KeyPress(U'\r'));
  EXPECT_EQ(f.ActiveControl(), &f.Edit2);
  EXPECT_FALSE(f.Edit2.KeyPress(U'\r'));
  EXPECT_EQ(f.ActiveControl(), &f.Button1);
  EXPECT_TRUE(f.Edit1.KeyPress(U'x'));  // any other key is typed
  EXPECT_EQ(f.ActiveControl(), &f.Button1);
}

TEST(TForm1, ViewIsToldOfEveryChange) {
  TForm1 f;
  std::vector<std::string> changed;
  f.Changes().SetListener([&](const Control& c) { changed.push_back(c.Name()); });
  f.FormCreate();
  changed.clear();
  f.UpDown4.SetPosition(7);
  f.Button9.SetEnabled(true);
  EXPECT_THAT(changed, ElementsAre("Edit16", "UpDown4", "Button9"));
}

}  // namespace
}  // namespace zavin::shell

namespace zavin::shell {
namespace {

TEST(TForm1, FrameEndsAtF1WithoutHostAndItsF2DisablesButton9) {
  TForm1 f;
  f.FormCreate();
  f.Link.HostProgId = "NotInstalled.Application";
  int ended = 0;
  f.OnEndPendingConstruction = [&] { ++ended; };
  f.Button9.SetEnabled(true);
  bool body_ran = false;
  const host::FrameOutcome outcome = f.Frame.Run(host::FrameSteps().EndPendingConstruction(),
                                                 [&](const host::Document&, host::CommandContext&) { body_ran = true; });
  EXPECT_EQ(outcome, host::FrameOutcome::HostNotRunning);
  EXPECT_FALSE(body_ran);
  EXPECT_TRUE(f.Button9.Enabled());  // F1 ended it before F2

  f.EndPendingConstruction();
  EXPECT_FALSE(f.Button9.Enabled());
  EXPECT_EQ(ended, 1);
}

}  // namespace
}  // namespace zavin::shell
