#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "platform/text_encoding.h"
#include "shell/form1.h"
#include "shell/host_list_file.h"
#include "shell/target_cad_form.h"
#include "tests/shell/temp_dir.h"

namespace zavin::shell {
namespace {

using testing::ReadBytes;
using testing::TempDir;
using testing::WriteBytes;
using ::testing::ElementsAre;
using ::testing::UnorderedElementsAre;
using namespace std::string_literals;

std::string Encoded(std::string_view utf8, platform::TextEncoding e) {
  std::string bytes;
  platform::EncodeText(utf8, e, bytes);
  return bytes;
}

TEST(HostListFile, LinesSplitOnEveryLineEnd) {
  EXPECT_THAT(SplitLines("a\r\nb\rc\nd"), ElementsAre("a", "b", "c", "d"));
  EXPECT_THAT(SplitLines("a\r\n\r\nb\r\n"), ElementsAre("a", "", "b"));
  EXPECT_THAT(SplitLines(""), ElementsAre());
  EXPECT_THAT(SplitLines("a\n\r"), ElementsAre("a", ""));  // LF then a lone CR
}

TEST(HostListFile, NameEndsAtTheFirstTab) {
  struct {
    const char* line;
    const char* name;
    const char* prog_id;
  } cases[] = {{"ZW\tZWCAD.Application", "ZW", "ZWCAD.Application"},
               {"\tX.Application", "", "X.Application"},
               {"A\tB\tC", "A", "B\tC"},
               {"NoTab.Application", "", "NoTab.Application"}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.line);
    const HostListEntry e = SplitHostLine(c.line);
    EXPECT_EQ(e.name, c.name);
    EXPECT_EQ(e.prog_id, c.prog_id);
  }
  EXPECT_EQ(HostListPathFor("/opt/zavin/zavin"), "/opt/zavin/TargetCAD_APIVersion.txt");
}

class DialogFixture : public ::testing::Test {
 protected:
  DialogFixture() { main_.FormCreate(); }

  void WriteList(std::string_view utf8, platform::TextEncoding e = platform::TextEncoding::Utf8) { WriteBytes(file_, Encoded(utf8, e)); }
  std::string FileText() { return platform::DecodeText(ReadBytes(file_)).utf8; }
  std::string Selected() const {
    const int i = dialog_.ListBox1.ItemIndex();
    return i < 0 ? "<none>" : dialog_.ListBox1.Items()[static_cast<std::size_t>(i)];
  }
  void Type(const std::string& name, const std::string& prog_id) {
    dialog_.Edit1.SetText(name);
    dialog_.Edit2.SetText(prog_id);
  }

  TempDir dir_;
  std::filesystem::path file_ = dir_ / kHostListFileName;
  TForm1 main_;
  TTargetCADForm dialog_{main_, file_};
};

TEST_F(DialogFixture, ShowSelectsTheCurrentHostInEveryEncoding) {
  const std::string list = "ＢｒｉｃｓＣＡＤ\tBricscadApp.AcadApplication\r\nZW 日本語\tZWCAD.Application\nGcad\tGcad.Application\r";
  for (platform::TextEncoding e : {platform::TextEncoding::Utf8, platform::TextEncoding::Utf8Bom, platform::TextEncoding::Utf16LE, platform::TextEncoding::Utf16BE,
                         platform::TextEncoding::SystemCodePage}) {
    SCOPED_TRACE(static_cast<int>(e));
    WriteList(list, e);
    dialog_.FormShow();
    EXPECT_EQ(dialog_.FileEncoding(), e);
    EXPECT_THAT(dialog_.ListBox1.Items(), ElementsAre("Gcad\tGcad.Application", "ZW 日本語\tZWCAD.Application",
                                                      "ＢｒｉｃｓＣＡＤ\tBricscadApp.AcadApplication"));
    EXPECT_EQ(Selected(), "ZW 日本語\tZWCAD.Application");
    EXPECT_EQ(dialog_.Edit1.Text(), "ZW 日本語");
    EXPECT_EQ(dialog_.Edit2.Text(), "ZWCAD.Application");

    Type("Another", "Another.Application");
    dialog_.SpeedButton1.Click();
    const std::string bytes = ReadBytes(file_);
    const platform::DecodedText back = platform::DecodeText(bytes);
    EXPECT_EQ(back.encoding, e);  // written back as it was read
    EXPECT_EQ(back.utf8,
              "Another\tAnother.Application\r\nGcad\tGcad.Application\r\nZW 日本語\tZWCAD.Application\r\n"
              "ＢｒｉｃｓＣＡＤ\tBricscadApp.AcadApplication\r\n");
  }
}

TEST_F(DialogFixture, ExactProgIdWinsOverAnEarlierEntryContainingIt) {
  WriteList("AAA\tAutoCAD.Application.24\r\nBBB\tAutoCAD.Application\r\n");
  main_.Link.HostProgId = "AutoCAD.Application";
  dialog_.FormShow();
  EXPECT_EQ(Selected(), "BBB\tAutoCAD.Application");

  main_.Link.HostProgId = "AutoCAD";  // no exact entry: the first containing TAB + it
  dialog_.FormShow();
  EXPECT_EQ(Selected(), "AAA\tAutoCAD.Application.24");

  main_.Link.HostProgId = "autocad.application";  // letter case counts
  Type("kept", "kept too");
  dialog_.FormShow();
  EXPECT_EQ(Selected(), "<none>");
  EXPECT_EQ(dialog_.Edit1.Text(), "kept");
}

TEST_F(DialogFixture, MissingFileKeepsListAndEditsAndFirstAddCreatesIt) {
  dialog_.FormShow();
  EXPECT_EQ(dialog_.ListBox1.Count(), 0);
  Type("図研", "Zuken.Application");
  dialog_.SpeedButton1.Click();
  std::filesystem::remove(file_);
  dialog_.FormShow();  // file gone again: the list stands
  EXPECT_THAT(dialog_.ListBox1.Items(), ElementsAre("図研\tZuken.Application"));

  dialog_.SpeedButton1.Click();
  const std::string bytes = ReadBytes(file_);
  EXPECT_EQ(platform::DecodeText(bytes).encoding, platform::TextEncoding::SystemCodePage);  // no mark
  EXPECT_EQ(platform::DecodeText(bytes).utf8, "図研\tZuken.Application\r\n図研\tZuken.Application\r\n");
}

// A UTF-8 list with a line another program wrote in code page 932, and a
// NUL byte: every entry is shown as it reads, the file is copied aside
// before the first rewrite, and a symbolic link and the mode stay.
TEST_F(DialogFixture, ListThatIsNotReadExactlyIsBackedUpBeforeItIsRewritten) {
  std::string sjis;
  ASSERT_TRUE(platform::Utf8ToCodePage("他社\tOther.Application\r\n", platform::kSystemCodePage, sjis));
  const std::string nul = "Nul\0\tX.Application"s;
  const std::string original = "自社\tOwn.Application\r\n" + sjis + nul + "\r\n";
  const std::filesystem::path real = dir_ / "real.txt";
  WriteBytes(real, original);
  std::filesystem::permissions(real, std::filesystem::perms::owner_read | std::filesystem::perms::owner_write |
                                         std::filesystem::perms::group_read);
  std::filesystem::create_symlink("real.txt", file_);
  dialog_.FormShow();
  EXPECT_THAT(dialog_.ListBox1.Items(), UnorderedElementsAre("自社\tOwn.Application", "他社\tOther.Application", nul));
  Type("新", "New.Application");
  dialog_.SpeedButton1.Click();
  dialog_.SpeedButton1.Click();  // a second write makes no second copy
  EXPECT_EQ(ReadBytes(dir_ / (std::string(kHostListFileName) + ".bak")), original);
  EXPECT_FALSE(std::filesystem::exists(dir_ / (std::string(kHostListFileName) + ".1.bak")));
  EXPECT_TRUE(std::filesystem::is_symlink(file_));
  EXPECT_EQ(std::filesystem::status(real).permissions() & std::filesystem::perms::all,
            std::filesystem::perms::owner_read | std::filesystem::perms::owner_write |
                std::filesystem::perms::group_read);
  const platform::DecodedText written = platform::DecodeText(ReadBytes(real));
  EXPECT_TRUE(written.lossless);
  EXPECT_THAT(SplitLines(written.utf8), UnorderedElementsAre("自社\tOwn.Application", "他社\tOther.Application", nul,
                                                             "新\tNew.Application", "新\tNew.Application"));
}

TEST_F(DialogFixture, AddWithEmptyNameAndDuplicates) {
  Type("", "X.Application");
  dialog_.SpeedButton1.Click();
  Type("A", "A.App");
  dialog_.SpeedButton1.Click();
  dialog_.SpeedButton1.Click();
  EXPECT_THAT(dialog_.ListBox1.Items(), ElementsAre("\tX.Application", "A\tA.App", "A\tA.App"));
  EXPECT_EQ(dialog_.ListBox1.ItemIndex(), 1);  // the first of the equal lines

  dialog_.ListBox1.Click(0);
  EXPECT_EQ(dialog_.Edit1.Text(), "");
  EXPECT_EQ(dialog_.Edit2.Text(), "X.Application");
}

TEST_F(DialogFixture, DeleteSelectsTheFollowingEntryElseThePreceding) {
  struct {
    int remove;
    std::vector<std::string> left;
    std::string selected;
  } cases[] = {
      {2, {"a\tA", "b\tB"}, "b\tB"},
      {1, {"a\tA", "c\tC"}, "c\tC"},
      {0, {"b\tB", "c\tC"}, "b\tB"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.remove);
    WriteList("c\tC\r\na\tA\r\nb\tB\r\n");
    dialog_.FormShow();
    dialog_.ListBox1.Click(c.remove);
    dialog_.SpeedButton2.Click();
    EXPECT_EQ(dialog_.ListBox1.Items(), c.left);
    EXPECT_EQ(Selected(), c.selected);
    EXPECT_EQ(dialog_.Edit1.Text() + "\t" + dialog_.Edit2.Text(), c.selected);
    EXPECT_EQ(FileText(), c.left[0] + "\r\n" + c.left[1] + "\r\n");
  }
  dialog_.SpeedButton2.Click();
  dialog_.SpeedButton2.Click();
  EXPECT_EQ(dialog_.ListBox1.Count(), 0);
  EXPECT_EQ(dialog_.Edit1.Text(), "");
  EXPECT_EQ(FileText(), "");
}

TEST_F(DialogFixture, DeleteAndChangeWithoutSelectionDoNothing) {
  const std::string list = "a\tA\r\nb\tB\r\n";
  WriteList(list);
  main_.Link.HostProgId = "none";
  dialog_.FormShow();
  Type("typed", "Typed.App");
  dialog_.SpeedButton2.Click();
  dialog_.SpeedButton3.Click();
  EXPECT_FALSE(dialog_.Edit2.KeyPress(U'\r'));
  EXPECT_THAT(dialog_.ListBox1.Items(), ElementsAre("a\tA", "b\tB"));
  EXPECT_EQ(dialog_.Edit1.Text(), "typed");
  EXPECT_EQ(ReadBytes(file_), list);
}

TEST_F(DialogFixture, ChangeStaysInPlaceUntilTheFileIsReadAgain) {
  WriteList("a\tA\r\nb\tB\r\nc\tC\r\n");
  dialog_.FormShow();
  dialog_.ListBox1.Click(0);
  Type("z", "Z");
  EXPECT_FALSE(dialog_.Edit1.KeyPress(U'\r'));  // Enter runs 変更
  EXPECT_THAT(dialog_.ListBox1.Items(), ElementsAre("z\tZ", "b\tB", "c\tC"));
  EXPECT_EQ(dialog_.ListBox1.ItemIndex(), 0);
  EXPECT_EQ(FileText(), "z\tZ\r\nb\tB\r\nc\tC\r\n");

  dialog_.FormShow();
  EXPECT_THAT(dialog_.ListBox1.Items(), ElementsAre("b\tB", "c\tC", "z\tZ"));
}

TEST_F(DialogFixture, ListSortsIgnoringLetterCase) {
  WriteList("beta\tB\r\nAlpha\tA\r\nalpha\tA\r\nGamma\tG\r\n");
  dialog_.FormShow();
  EXPECT_THAT(dialog_.ListBox1.Items(), ElementsAre("Alpha\tA", "alpha\tA", "beta\tB", "Gamma\tG"));
}

TEST_F(DialogFixture, OkTakesTheEditsAndCancelChangesNothing) {
  const std::string list = "a\tA\r\n";
  WriteList(list);
  std::vector<ModalResult> closed;
  dialog_.OnClose = [&](ModalResult r) { closed.push_back(r); };

  dialog_.FormShow();
  Type("Typed", "Typed.Application");
  dialog_.Button2.Click();
  EXPECT_EQ(main_.Window.Caption(), "■ [ BricsCAD ]");
  EXPECT_EQ(main_.Link.HostProgId, "ZWCAD.Application");

  dialog_.FormShow();
  dialog_.Button1.Click();
  EXPECT_EQ(main_.Window.Caption(), "■ [ Typed ]");
  EXPECT_EQ(main_.Link.HostProgId, "Typed.Application");
  EXPECT_EQ(main_.Settings.HostName, "Typed");
  EXPECT_EQ(dialog_.Result(), ModalResult::Ok);
  EXPECT_THAT(closed, ElementsAre(ModalResult::Cancel, ModalResult::Ok));
  EXPECT_EQ(ReadBytes(file_), list);
}

}  // namespace
}  // namespace zavin::shell
