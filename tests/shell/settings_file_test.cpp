#include "shell/settings_file.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "platform/text_encoding.h"
#include "shell/form1.h"
#include "tests/shell/temp_dir.h"

namespace zavin::shell {
namespace {

using testing::ReadBytes;
using testing::TempDir;
using testing::WriteBytes;
using ::testing::HasSubstr;
using ::testing::Not;
using namespace std::string_literals;

constexpr ScreenRect kScreen{0, 0, 1920, 1080};
// (1920 - 185) div 2 and (1080 - 266) div 2.
constexpr int kCentredLeft = 867;
constexpr int kCentredTop = 407;

std::string WithoutBlankLines(std::string s) {
  for (std::size_t at; (at = s.find("\n\n")) != std::string::npos;) s.erase(at, 1);
  return s;
}

class SettingsFixture : public ::testing::Test {
 protected:
  std::unique_ptr<TForm1> Start(std::vector<ScreenRect> screens = {kScreen}) {
    TForm1Environment env;
    env.settings_file = ini_;
    env.screens = std::make_shared<FixedScreens>(std::move(screens));
    auto f = std::make_unique<TForm1>(std::move(env));
    f->FormCreate();
    return f;
  }
  std::unique_ptr<TForm1> StartWith(std::string_view file_text) {
    WriteBytes(ini_, file_text);
    return Start();
  }

  TempDir dir_;
  std::filesystem::path ini_ = dir_ / "zavin.ini";
};

TEST(SettingsPath, ReplacesTheExtension) {
  EXPECT_EQ(SettingsPathFor("/opt/zavin/zavin2023U.exe"), "/opt/zavin/zavin2023U.ini");
  EXPECT_EQ(SettingsPathFor("/opt/zavin/zavin"), "/opt/zavin/zavin.ini");
}

TEST(SettingsInt, ReadsDecimalAndHexAndRejectsTheRest) {
  struct {
    const char* text;
    std::optional<int> want;
  } cases[] = {
      {"12", 12},      {" -3 ", -3},   {"0x1F", 31},    {"0X10", 16},          {"+7", 7},
      {"", {}},        {"abc", {}},    {"12abc", {}},   {"0x", {}},            {"1.5", {}},
      {"--1", {}},     {"- 1", {}},    {"2147483647", 2147483647}, {"2147483648", {}},
      {"-2147483648", -2147483647 - 1},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.text);
    EXPECT_EQ(ParseSettingsInt(c.text), c.want);
  }
}

TEST_F(SettingsFixture, FormSectionAloneCentresLeftAndDefaultsTheRest) {
  auto f = StartWith("[Form]\nTop=10\n");
  EXPECT_EQ(f->Window.Top(), 10);
  EXPECT_EQ(f->Window.Left(), kCentredLeft);
  EXPECT_EQ(f->Edit14.Text(), "400.0");  // the file's default, not the design text
  EXPECT_EQ(f->Edit12.Text(), "H_TEXT");
  EXPECT_EQ(f->Link.HostProgId, "ZWCAD.Application");
  EXPECT_EQ(f->Window.Caption(), "■ [ BricsCAD ]");
  EXPECT_TRUE(f->CheckBox1.Checked());  // "AutoCheck" defaults to true
}

TEST_F(SettingsFixture, PositionOnNoScreenLoadsCentred) {
  struct {
    const char* file;
    int left, top;
  } cases[] = {
      {"[Form]\nLeft=100\nTop=200\n", 100, 200},
      {"[Form]\nLeft=2500\nTop=200\n", kCentredLeft, kCentredTop},   // the second screen is gone
      {"[Form]\nLeft=-180\nTop=200\n", kCentredLeft, kCentredTop},   // 5 pixels showing
      {"[Form]\nLeft=-32000\nTop=-32000\n", kCentredLeft, kCentredTop},
      {"[Form]\nLeft=1800\nTop=1000\n", 1800, 1000},                 // a corner still to grab
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.file);
    auto f = StartWith(c.file);
    EXPECT_EQ(f->Window.Left(), c.left);
    EXPECT_EQ(f->Window.Top(), c.top);
  }
}

TEST_F(SettingsFixture, PositionOnASecondScreenIsKept) {
  WriteBytes(ini_, "[Form]\nLeft=2500\nTop=200\n");
  auto f = Start({kScreen, {1920, 0, 1280, 1024}});
  EXPECT_EQ(f->Window.Left(), 2500);
}

TEST_F(SettingsFixture, ValuesAreClampedAndNormalised) {
  auto f = StartWith(
      "[QM_Zavin]\nKeta1=-4\nKeta2=9\nKeta3=0x3\nSyakudo=7\nJouritu=-1\n"
      "Nagasa=5\nMenseki=2\nGoukei=abc\nKyuuseki=-2\nLeader=0\nAllData=2\nUseTextStyle=x\n"
      "Keta4=8\nChimoku=4\n");
  EXPECT_EQ(f->UpDown7.Position(), 6);
  EXPECT_EQ(f->RadioGroup2.ItemIndex(), 0);  // an unknown land category is none
  EXPECT_EQ(f->Settings.LengthDigits, 0);
  EXPECT_EQ(f->Settings.AreaDigits, 6);
  EXPECT_EQ(f->Settings.TotalDigits, 3);
  EXPECT_EQ(f->Edit18.Text(), "6");
  EXPECT_EQ(f->UpDown3.Position(), 3);
  EXPECT_EQ(f->Edit8.Text(), "1000");
  EXPECT_EQ(f->Edit17.Text(), "1");
  EXPECT_TRUE(f->RadioButton1.Checked());
  EXPECT_FALSE(f->RadioButton2.Checked());
  EXPECT_EQ(f->Settings.LengthRounding, RoundingMode::Truncate);
  EXPECT_TRUE(f->RadioButton6.Checked());
  EXPECT_EQ(f->Settings.AreaRounding, RoundingMode::Up);
  EXPECT_TRUE(f->RadioButton8.Checked());  // unreadable: the default 1
  EXPECT_EQ(f->Settings.TotalRounding, RoundingMode::HalfUp);
  EXPECT_EQ(f->RadioGroup1.ItemIndex(), 0);  // negative: the three-side method
  EXPECT_FALSE(f->CheckBox3.Checked());
  EXPECT_FALSE(f->Edit14.Enabled());
  EXPECT_TRUE(f->CheckBox2.Checked());
  EXPECT_TRUE(f->CheckBox4.Checked());

  f->FormDestroy();
  const std::string saved = ReadBytes(ini_);
  for (const char* line : {"Keta1=0\n", "Keta2=6\n", "Keta3=3\n", "Syakudo=3\n", "Jouritu=0\n", "Nagasa=0\n",
                           "Menseki=2\n", "Goukei=1\n", "Kyuuseki=0\n", "Leader=0\n", "AllData=1\n",
                           "UseTextStyle=1\n"}) {
    EXPECT_THAT(saved, HasSubstr(line));
  }
}

TEST_F(SettingsFixture, BaseAndHeightMethodIsShownRightAfterStart) {
  for (const char* value : {"1", "5"}) {
    SCOPED_TRACE(value);
    auto f = StartWith(std::string("[QM_Zavin]\nKyuuseki=") + value + "\n");
    EXPECT_EQ(f->RadioGroup1.ItemIndex(), 1);
    EXPECT_EQ(f->TabSheet1.Caption(), " 三斜");
    EXPECT_TRUE(f->Edit20.Enabled());
    EXPECT_FALSE(f->Edit11.Enabled());
  }
}

TEST_F(SettingsFixture, LoadThenSaveWritesTheSameValuesAndKeepsUnknownKeys) {
  const std::string original =
      "; kept comment\n"
      "[Form]\nTop=120\nLeft=300\nWidth=999\n"
      "[QM_Zavin]\nKakudo=90\nYajirusi=250\nLeader=1\nKyuuseki=1\nAllData=0\nA_Hen=12.5\nB_Hen=7\n"
      "AutoCheck=0\nJouritu=2\nSyakudo=1\nKeta1=3\nKeta2=5\nKeta3=1\nM_Layer=文字層\nH_Layer=辺\n"
      "T_Layer=高さ\nNagasa=0\nMenseki=2\nGoukei=1\nM_Taka1=2.5\nN_Taka1=abc\nHankei1=5\nM_Taka2=3\n"
      "G_Taka=6\nHaba1=1,2,3,4,5\nHaba2=1,2,3,4\nUseTextStyle=0\nProgId=Gcad.Application\n"
      "cadName=ＧＣＡＤ（試用）\nTen_Layer=境界点\nSettou=P\nKaishi=100\nKeta4=2\nChimoku=3\n"
      "Haba3=1,2,3,4,5\nHenchou=1\nHaba4=7,8\nFutureKey=keep me\n"
      "[Other]\nx=1\n";
  {
    auto f = StartWith(original);
    EXPECT_EQ(f->Window.Caption(), "■ [ ＧＣＡＤ（試用） ]");
    EXPECT_EQ(f->Edit12.Text(), "文字層");
    EXPECT_EQ(f->Edit5.Text(), "abc");  // not a number, loaded unchanged
    EXPECT_EQ(f->UpDown7.Position(), 2);
    EXPECT_EQ(f->RadioGroup2.ItemIndex(), 3);
    EXPECT_TRUE(f->CheckBox5.Checked());
    f->FormDestroy();
  }
  const std::string first = ReadBytes(ini_);
  // The writer puts blank lines between sections; nothing else differs.
  EXPECT_EQ(WithoutBlankLines(first), original);
  Start()->FormDestroy();
  EXPECT_EQ(ReadBytes(ini_), first);  // and a second round trip changes nothing
}

TEST_F(SettingsFixture, FreshFileHoldsEveryKeyInOrder) {
  {
    auto f = Start();
    f->Window.SetPosition(40, 50);
    f->FormDestroy();
  }
  EXPECT_EQ(WithoutBlankLines(ReadBytes(ini_)),
            "[Form]\nTop=50\nLeft=40\n"
            "[QM_Zavin]\nKakudo=180.0\nYajirusi=400\nLeader=1\nKyuuseki=0\nAllData=1\nA_Hen=8.0\nB_Hen=10.0\n"
            "AutoCheck=0\nJouritu=3\nSyakudo=3\nKeta1=2\nKeta2=4\nKeta3=2\nM_Layer=H_TEXT\nH_Layer=H_HEN\n"
            "T_Layer=H_TAKASA\nNagasa=1\nMenseki=1\nGoukei=1\nM_Taka1=300\nN_Taka1=400\nHankei1=500\n"
            "M_Taka2=400\nG_Taka=800\nHaba1=1500,3000,3000,3000,4500\nHaba2=1500,3000,3000,4500\n"
            "UseTextStyle=1\nProgId=ZWCAD.Application\ncadName=BricsCAD\nTen_Layer=点名\nSettou=K\nKaishi=1\n"
            "Keta4=3\nChimoku=0\nHaba3=1500,3500,3500,3500,5500\nHenchou=0\nHaba4=3000,3000\n");
}

TEST_F(SettingsFixture, SavedPositionIsTheNormalOne) {
  {
    auto f = Start();
    f->Window.SetPosition(700, 400);
    f->Window.SetMinimized(true);
    f->Window.SetPosition(-32000, -32000);  // where a minimized window is reported
    f->FormDestroy();
  }
  auto f = Start();
  EXPECT_EQ(f->Window.Left(), 700);
  EXPECT_EQ(f->Window.Top(), 400);
}

TEST_F(SettingsFixture, TypedValuesSurviveARoundTrip) {
  {
    auto f = Start();
    f->Edit12.SetText("<<<END");        // no multi-line block on reading back
    f->Edit15.SetText("辺;線 = #1");
    f->Edit19.SetText("a\nFutureKey=b");  // a line break cannot split the value
    f->Edit13.SetText("");
    f->FormDestroy();
  }
  auto f = Start();
  EXPECT_EQ(f->Edit12.Text(), "<<<END");
  EXPECT_EQ(f->Edit15.Text(), "辺;線 = #1");
  EXPECT_EQ(f->Edit19.Text(), "aFutureKey=b");
  EXPECT_EQ(f->Edit13.Text(), "");
  EXPECT_EQ(f->Edit16.Text(), "1");  // not stored
}

TEST_F(SettingsFixture, CodePageFileStaysInTheCodePage) {
  std::string legacy;
  ASSERT_TRUE(platform::Utf8ToCodePage("[Other]\nName=他\n[QM_Zavin]\nM_Layer=文字\ncadName=ＺＷ（日本）\n",
                                       platform::kSystemCodePage, legacy));
  ASSERT_FALSE(platform::IsValidUtf8(legacy));
  {
    auto f = StartWith(legacy);
    EXPECT_EQ(f->Edit12.Text(), "文字");
    EXPECT_EQ(f->Settings.HostName, "ＺＷ（日本）");
    f->Edit15.SetText("辺");
    f->Edit19.SetText("\xF0\x9F\x98\x80");  // no code page 932 character
    f->FormDestroy();
  }
  const std::string saved = ReadBytes(ini_);
  EXPECT_EQ(saved.rfind(legacy, 0), 0u) << "the lines the tool did not change keep their bytes";
  std::string side;
  ASSERT_TRUE(platform::Utf8ToCodePage("H_Layer=辺\n", platform::kSystemCodePage, side));
  EXPECT_THAT(saved, HasSubstr(side));
  auto f = Start();
  EXPECT_EQ(f->Edit15.Text(), "辺");
  EXPECT_EQ(f->Edit19.Text(), "\xF0\x9F\x98\x80");
  EXPECT_EQ(f->Settings.HostName, "ＺＷ（日本）");
}

// What once made the file decay at every exit: each case is saved three
// times, with one value changed, and must keep every other line's bytes.
TEST_F(SettingsFixture, FilesDoNotDecay) {
  std::string sjis_line;
  ASSERT_TRUE(platform::Utf8ToCodePage("Name=他社\n", platform::kSystemCodePage, sjis_line));
  const struct {
    const char* name;
    std::string before, after;  // the file around the tool's section
  } cases[] = {
      {"a NUL byte", "[Other]\nA=1\0B=2\nC=3\n"s, "[Last]\nZ=9\n"},
      {"a code page line in a UTF-8 file", "[Other]\n" + sjis_line + "Own=自社\n", ""},
      {"a header without its ]", "[Other\nA=1\n", "[Broken\n"},
      {"CR LF lines and a comment", "; note\r\n[Other]\r\nA = 1\r\n", "[Last]\r\nB=2\r\n"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    const std::string original = c.before + "[QM_Zavin]\nM_Layer=文字\n" + c.after;
    WriteBytes(ini_, original);
    std::string first;
    for (int exit = 0; exit < 3; ++exit) {
      auto f = Start();
      EXPECT_EQ(f->Edit12.Text(), "文字");
      f->FormDestroy();
      if (exit == 0) first = ReadBytes(ini_);
      EXPECT_EQ(ReadBytes(ini_), first) << "exit " << exit;
    }
    EXPECT_EQ(first.rfind(c.before + "[QM_Zavin]\nM_Layer=文字\n", 0), 0u);
    EXPECT_NE(first.find(c.after), std::string::npos);
  }
}

TEST_F(SettingsFixture, LinkAndModeAreKept) {
  const std::filesystem::path real = dir_ / "real.ini";
  WriteBytes(real, "[QM_Zavin]\nM_Layer=L\n");
  std::filesystem::permissions(real, std::filesystem::perms::owner_read | std::filesystem::perms::owner_write |
                                         std::filesystem::perms::group_read);
  std::filesystem::create_symlink("real.ini", ini_);
  {
    auto f = Start();
    f->Edit12.SetText("M");
    f->FormDestroy();
  }
  EXPECT_TRUE(std::filesystem::is_symlink(ini_));
  EXPECT_THAT(ReadBytes(real), HasSubstr("M_Layer=M\n"));
  EXPECT_EQ(std::filesystem::status(real).permissions() & std::filesystem::perms::all,
            std::filesystem::perms::owner_read | std::filesystem::perms::owner_write |
                std::filesystem::perms::group_read);
}

TEST_F(SettingsFixture, FileThatCannotBeReadExactlyIsLeftAsItIs) {
  // UTF-16 with a lone surrogate: writing it back would change it.
  const std::string broken = "\xFF\xFE[\0Q\0M\0_\0Z\0a\0v\0i\0n\0]\0\n\0\x00\xD8\n\0"s;
  auto f = StartWith(broken);
  EXPECT_FALSE(SaveSettings(*f, ini_));
  EXPECT_EQ(ReadBytes(ini_), broken);
}

TEST_F(SettingsFixture, Utf8MarkIsKept) {
  {
    auto f = StartWith("\xEF\xBB\xBF[QM_Zavin]\nM_Layer=層\n");
    EXPECT_EQ(f->Edit12.Text(), "層");
    f->FormDestroy();
  }
  const std::string saved = ReadBytes(ini_);
  EXPECT_EQ(saved.rfind("\xEF\xBB\xBF[QM_Zavin]\nM_Layer=層\n", 0), 0u);
  EXPECT_THAT(saved, Not(HasSubstr("\xEF\xBB\xBF\xEF\xBB\xBF")));
}

TEST_F(SettingsFixture, MissingFileLoadsNothingAndIsCreatedAtExit) {
  auto f = Start();
  EXPECT_EQ(f->Window.Left(), TForm1::kDesignLeft);
  EXPECT_FALSE(std::filesystem::exists(ini_));
  f->FormDestroy();
  EXPECT_TRUE(std::filesystem::exists(ini_));
  for (const auto& entry : std::filesystem::directory_iterator(dir_.path()))
    EXPECT_EQ(entry.path().filename(), "zavin.ini") << "no temporary file is left";
}

TEST_F(SettingsFixture, UnwritableFileIsReportedAndLeftAlone) {
  std::filesystem::create_directory(ini_);  // a directory where the file should be
  auto f = Start();
  EXPECT_FALSE(SaveSettings(*f, ini_));
  EXPECT_TRUE(std::filesystem::is_directory(ini_));
}

}  // namespace
}  // namespace zavin::shell
