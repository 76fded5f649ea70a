// The number text file of "PCAD" hosts: its bytes, its name, the insert
// command and what is left in the drawing afterwards.

#include "annotate/number_file.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <clocale>
#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <limits>
#include <random>
#include <sstream>
#include <stdexcept>
#include <string>
#include <vector>

#include "cad/embedded_host.h"
#include "host/database.h"
#include "platform/call_log.h"
#include "tests/annotate/annotate_fixture.h"
#include "tests/cad/host_probe.h"

namespace zavin::annotate {
namespace {

using ::testing::ElementsAre;
using ::testing::IsEmpty;
using testing::kPi;

constexpr char kPcadProgId[] = "PCAD.Application";

std::string ReadAll(const std::filesystem::path& file) {
  std::ifstream in(file, std::ios::binary);
  return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

// The file split at CR LF; a line break of any other form fails the test.
std::vector<std::string> CrLfLines(const std::string& bytes) {
  std::vector<std::string> lines;
  std::size_t start = 0;
  while (start < bytes.size()) {
    const std::size_t end = bytes.find("\r\n", start);
    if (end == std::string::npos) {
      ADD_FAILURE() << "last line not ended by CR LF";
      break;
    }
    const std::string line = bytes.substr(start, end - start);
    EXPECT_EQ(line.find_first_of("\r\n"), std::string::npos) << "stray line break in " << line;
    lines.push_back(line);
    start = end + 2;
  }
  return lines;
}

// The file of the worked example: number 12 at (1000, 1000), height 400,
// rotation 0, layer H_TEXT, sides 4000, 5000, 3000.
const std::vector<std::string> kWorkedExample = {
    "  0", "SECTION", "  2", "HEADER", "  9", "$ACADVER", "  1", "AC1009", "  0", "ENDSEC",
    "  0", "SECTION", "  2", "TABLES", "  0", "TABLE", "  2", "APPID", "  0", "APPID",
    "  2", "QM_ZAVIN", " 70", "0", "  0", "ENDTAB", "  0", "ENDSEC", "  0", "SECTION",
    "  2", "ENTITIES", "  0", "TEXT", "  8", "H_TEXT", "  6", "BYLAYER", " 62", "256",
    " 48", "1.0", " 10", "1000", " 20", "1000", " 11", "1000", " 21", "1000",
    "  1", "12", " 40", "400", " 41", "1.0", " 50", "0", " 72", "1",
    " 73", "2", "1001", "QM_ZAVIN", "1010", "4000", "1020", "5000", "1030", "3000",
    "  0", "ENDSEC", "  0", "EOF"};

class TempDirectory {
 public:
  TempDirectory() {
    std::random_device rd;
    path_ = std::filesystem::temp_directory_path() /
            ("zavin_number_file_" + std::to_string(rd()) + std::to_string(rd()));
    std::filesystem::create_directories(path_);
  }
  ~TempDirectory() {
    std::error_code ec;
    std::filesystem::remove_all(path_, ec);
  }
  const std::filesystem::path& path() const { return path_; }

 private:
  std::filesystem::path path_;
};

// A PCAD host; the files go to a temporary directory.
class NumberFileTest : public testing::AnnotateTest {
 protected:
  NumberFileTest() {
    Restart(kPcadProgId);  // with the H_TEXT layer
    SetNumberFileDirectory(dir_.path());
    file_.hostProgId = kPcadProgId;
  }
  ~NumberFileTest() override { SetNumberFileDirectory({}); }

  // A stand-in for the host's insert command: what it was given, and an
  // exploded insertion of a file named `block` (its block and one text).
  void FakeInsert(bool inserts = true) {
    cad::testing::Probe(host()).DefineCommand(
        "INSERT", [this, inserts](cad::EmbeddedHost& h, const std::vector<std::string>& inputs) {
          ++inserts_run_;
          if (!inserts) return;
          for (std::string input : inputs) {
            std::erase(input, '"');
            std::erase(input, '*');
            if (input.ends_with(".dxf"))
              h.database().AddBlock(std::filesystem::path(input).stem().string());
          }
          inserted_ = h.database().AddText("12", {1000, 1000, 0}, 400, "H_TEXT");
        });
  }

  NumberTextFile file_{12, {1000, 1000, 0}, 400, 0, "H_TEXT", {4000, 5000, 3000}, {}, {}};
  TempDirectory dir_;
  int inserts_run_ = 0;
  std::int64_t inserted_ = 0;
};

TEST_F(NumberFileTest, WorkedExampleIsWrittenLineByLine) {
  FakeInsert();
  InsertNumberTextFile(document(), file_, record_);
  const std::string bytes = ReadAll(dir_.path() / "ZAVIN_1.dxf");
  EXPECT_EQ(CrLfLines(bytes), kWorkedExample);
  EXPECT_EQ(bytes.substr(0, 3), "  0");  // no byte-order mark
}

TEST_F(NumberFileTest, FileIsNamedAfterTheNextZavinBlockWhichIsGoneAfterTheInsertion) {
  db().AddBlock("ZAVIN_1");
  db().AddBlock("zavin_2");
  FakeInsert();
  const std::filesystem::path path = dir_.path() / "ZAVIN_3.dxf";
  std::ofstream(path) << "an older file of the same name";

  InsertNumberTextFile(document(), file_, record_);
  EXPECT_EQ(CrLfLines(ReadAll(path)).size(), 74u);  // overwritten
  EXPECT_THAT(host().sent_commands(),
              ElementsAre("_-INSERT\r\"*" + path.string() + "\"\r0.0,0.0 1.0 0.0\r"));
  EXPECT_EQ(inserts_run_, 1);
  EXPECT_EQ(db().FindBlock("ZAVIN_3"), nullptr);
  EXPECT_NE(db().FindBlock("zavin_2"), nullptr);
  EXPECT_EQ(host::NextNumberedName(document(), kNumberFilePrefix), "ZAVIN_3");
  EXPECT_TRUE(std::filesystem::exists(path));  // kept after the insertion
  // The wait after the insertion polls at 100 ms.
  for (const std::string& entry : platform::PlatformCallLog()) {
    if (entry.starts_with("Sleep")) {
      EXPECT_EQ(entry, "Sleep 100");
    }
  }
  EXPECT_GE(clock_->sleep_count(), 2);
}

TEST_F(NumberFileTest, InsertedTextIsRecordedOnlyWhileRecording) {
  FakeInsert();
  InsertNumberTextFile(document(), file_, record_);
  EXPECT_THAT(record_.CreatedObjectIds, IsEmpty());

  record_.RecordCreatedObjects = true;
  InsertNumberTextFile(document(), file_, record_);
  EXPECT_THAT(record_.CreatedObjectIds, ElementsAre(inserted_));
}

TEST_F(NumberFileTest, HostThatInsertsNothingLeavesTheCircleRecordedOnce) {
  FakeInsert(/*inserts=*/false);
  record_.RecordCreatedObjects = true;
  ThreeSideNumberMarker(document(), {0, 0, 0}, {4000, 0, 0}, {0, 3000, 0}, 12,
                        {500, 400, "H_TEXT", kPcadProgId}, {}, record_);
  ASSERT_EQ(Of(cad::EntityKind::Circle).size(), 1u);
  EXPECT_THAT(Texts(), IsEmpty());
  EXPECT_THAT(record_.CreatedObjectIds, ElementsAre(Of(cad::EntityKind::Circle).front()->id));
  EXPECT_EQ(inserts_run_, 1);
}

TEST_F(NumberFileTest, TextAngleIsTheAbsoluteOneInDegreesWhateverTheAngleFrame) {
  const struct {
    host::AngleSettings angles;
  } cases[] = {{{0, 0}}, {{kPi / 2, 1}}, {{kPi / 2, 0}}, {{0.3, 1}}};
  FakeInsert(/*inserts=*/false);
  for (const auto& c : cases) {
    SCOPED_TRACE(c.angles.angle_base);
    ThreeSideNumberMarker(document(), {0, 0, 0}, {4000, 0, 0}, {0, 3000, 0}, 12,
                          {500, 400, "H_TEXT", kPcadProgId}, c.angles, record_);
    const std::vector<std::string> lines = CrLfLines(ReadAll(dir_.path() / "ZAVIN_1.dxf"));
    ASSERT_EQ(lines.size(), 74u);
    EXPECT_EQ(lines[56], " 50");
    EXPECT_EQ(lines[57], "0");
  }
  // A text turned in the frame gets the frame's base added back.
  file_.rotation = -kPi / 2;
  file_.angles = {kPi, 0};
  EXPECT_EQ(CrLfLines(NumberTextDxf(file_))[57], "90");
}

TEST_F(NumberFileTest, LayerOrPathTheFileCannotCarryIsRefusedBeforeAnythingIsWritten) {
  FakeInsert();
  for (const char* layer : {"H\nTEXT", "H\rTEXT", "H\"TEXT", "H\tTEXT", "", "\x7f"}) {
    SCOPED_TRACE(::testing::PrintToString(std::string(layer)));
    file_.layer = layer;
    EXPECT_THROW(InsertNumberTextFile(document(), file_, record_), std::invalid_argument);
  }
  file_.layer = "H_TEXT";
  const std::filesystem::path quoted = dir_.path() / "a\"b";
  std::filesystem::create_directories(quoted);
  SetNumberFileDirectory(quoted);
  EXPECT_THROW(InsertNumberTextFile(document(), file_, record_), std::invalid_argument);

  EXPECT_THAT(host().sent_commands(), IsEmpty());
  EXPECT_FALSE(std::filesystem::exists(dir_.path() / "ZAVIN_1.dxf"));
  EXPECT_FALSE(std::filesystem::exists(quoted / "ZAVIN_1.dxf"));
}

TEST_F(NumberFileTest, UnwritableFileEndsTheCallBeforeTheHostIsAsked) {
  SetNumberFileDirectory(dir_.path() / "missing");
  EXPECT_THROW(InsertNumberTextFile(document(), file_, record_), std::runtime_error);
  EXPECT_THAT(host().sent_commands(), IsEmpty());
}

TEST(DxfRealTest, ShortestGeneralFormWithFifteenDigitsAndAPointInAnyLocale) {
  // A comma-decimal locale where one is installed; the form must not follow it.
  const std::string before = std::setlocale(LC_ALL, nullptr);
  for (const char* name : {"de_DE.UTF-8", "fr_FR.UTF-8", "de_DE"})
    if (std::setlocale(LC_ALL, name)) break;
  const struct {
    double value;
    const char* text;
  } cases[] = {
      {3000, "3000"},
      {1440.5, "1440.5"},
      {1.0 / 3, "0.333333333333333"},
      {-0.0, "0"},
      {-12.25, "-12.25"},
      {3333.3333333333, "3333.3333333333"},
      {123456789012345678.0, "1.23456789012346e+17"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.text);
    EXPECT_EQ(DxfReal(c.value), c.text);
  }
  std::setlocale(LC_ALL, before.c_str());
  for (const double broken : {std::nan(""), std::numeric_limits<double>::infinity()})
    EXPECT_THROW(DxfReal(broken), std::invalid_argument);
}

TEST_F(NumberFileTest, StrictReaderOpensTheFileWithoutErrors) {
  if (std::system("/usr/bin/python3 -c 'import ezdxf' > /dev/null 2>&1") != 0)
    GTEST_SKIP() << "python3 with ezdxf is not installed";
  FakeInsert();
  file_.centre = {1440.5, -0.25, 0};
  file_.sides = {1.0 / 3, 5000, 3000};
  InsertNumberTextFile(document(), file_, record_);
  const std::filesystem::path script = dir_.path() / "check.py";
  std::ofstream(script) << "import sys, ezdxf\n"
                           "d = ezdxf.readfile(sys.argv[1])\n"
                           "a = d.audit()\n"
                           "for e in a.errors: print('error', e)\n"
                           "t = d.modelspace().query('TEXT')[0]\n"
                           "print(d.dxfversion, len(a.errors), t.dxf.text, t.dxf.layer,\n"
                           "      (t.dxf.align_point.x, t.dxf.align_point.y), t.dxf.halign, t.dxf.valign,\n"
                           "      t.get_xdata('QM_ZAVIN'))\n";
  const std::filesystem::path out = dir_.path() / "out.txt";
  const std::string cmd = "/usr/bin/python3 " + script.string() + " " +
                          (dir_.path() / "ZAVIN_1.dxf").string() + " > " + out.string() + " 2>&1";
  ASSERT_EQ(std::system(cmd.c_str()), 0) << ReadAll(out);
  EXPECT_EQ(ReadAll(out),
            "AC1009 0 12 H_TEXT (1440.5, -0.25) 1 2 "
            "[DXFVertex(1010, (0.333333333333333, 5000.0, 3000.0))]\n");
}

}  // namespace
}  // namespace zavin::annotate
