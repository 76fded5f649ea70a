// Batch runs end to end: the example lot through the tool window and the
// embedded host into a saved drawing, and the script faults that stop a run.

#include "app/batch.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "cad/db/database.h"
#include "cad/dxf/dxf_file.h"

namespace zavin::app {
namespace {

namespace fs = std::filesystem;
using ::testing::HasSubstr;

class BatchTest : public ::testing::Test {
 protected:
  void SetUp() override {
    examples_ = ZAVIN_EXAMPLES_DIR;
    dir_ = fs::temp_directory_path() /
           ("zavin_batch_" + std::string(::testing::UnitTest::GetInstance()->current_test_info()->name()));
    fs::remove_all(dir_);
    fs::create_directories(dir_);
  }
  void TearDown() override { fs::remove_all(dir_); }

  fs::path Write(const std::string& name, const std::string& text) const {
    std::ofstream(dir_ / name, std::ios::binary) << text;
    return dir_ / name;
  }
  static std::string Read(const fs::path& p) {
    std::ifstream in(p, std::ios::binary);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
  }
  BatchOptions Options(const fs::path& script, const std::string& drawing = "l_shaped_lot.dxf") const {
    BatchOptions o;
    if (!drawing.empty()) o.drawing = examples_ / drawing;
    o.script = script;
    o.out = dir_ / "out.dxf";
    return o;
  }
  // Number text -> its QM_ZAVIN sides, of the saved drawing.
  static std::map<std::string, std::vector<double>> Records(const cad::Database& db) {
    std::map<std::string, std::vector<double>> out;
    for (const cad::Entity* e : db.OfKind(cad::EntityKind::Text))
      if (e->xdata.size() == 2 && e->xdata[0].value == platform::Variant("QM_ZAVIN")) {
        std::vector<double> sides;
        for (const auto& v : e->xdata[1].value.array().items) sides.push_back(v.ToDouble());
        out[e->as<cad::TextData>()->text] = sides;
      }
    return out;
  }

  fs::path examples_;
  fs::path dir_;
};

TEST_F(BatchTest, MainExampleAnnotatesTheLotAndSavesTheDrawing) {
  const std::string original = Read(examples_ / "l_shaped_lot.dxf");
  std::ostringstream out;
  RunBatch(Options(examples_ / "l_shaped_lot.zvs"), out);

  EXPECT_THAT(out.str(), HasSubstr("prompt: 領域内の１点を指示 :\n"));
  EXPECT_THAT(out.str(), HasSubstr("saved: " + (dir_ / "out.dxf").string()));
  EXPECT_EQ(Read(examples_ / "l_shaped_lot.dxf"), original) << "the opened drawing stays as it was";

  cad::Database db;
  const cad::DxfLoadReport report = cad::LoadDxf(dir_ / "out.dxf", db);
  EXPECT_EQ(report.Warning(), "");
  EXPECT_THAT(report.app_ids, ::testing::Contains("QM_ZAVIN"));
  // The four triangles of the L, numbered from 1, each with its three sides.
  const auto records = Records(db);
  ASSERT_EQ(records.size(), 4u);
  double area = 0;
  for (const auto& [number, s] : records) {
    SCOPED_TRACE(number);
    ASSERT_EQ(s.size(), 3u);
    const double p = (s[0] + s[1] + s[2]) / 2;
    area += std::sqrt(p * (p - s[0]) * (p - s[1]) * (p - s[2]));
  }
  EXPECT_EQ(records.begin()->first, "1");
  EXPECT_NEAR(area, 20000.0 * 8000 + 8000.0 * 10000, 1.0);
  // The outline is kept; the table with its total was placed.
  int outline = 0;
  bool total = false;
  for (const auto& [id, e] : db.model_space()) {
    outline += e.kind() == cad::EntityKind::Line && e.layer == "0";
    if (auto* t = e.as<cad::TextData>()) total = total || t->text == "合計";
  }
  EXPECT_EQ(outline, 6);
  EXPECT_TRUE(total);

  // Another strict reader takes the annotated drawing as it is.
  const std::string cmd =
      "/usr/bin/python3 -c \"import sys, ezdxf; d = ezdxf.readfile(sys.argv[1]); a = d.audit(); "
      "n = sum(1 for e in d.modelspace().query('TEXT') if e.has_xdata('QM_ZAVIN')); "
      "print(len(a.errors), len(a.fixes), d.appids.has_entry('QM_ZAVIN'), n)\" " +
      (dir_ / "out.dxf").string() + " > " + (dir_ / "check.txt").string() + " 2>&1";
  ASSERT_EQ(std::system(cmd.c_str()), 0) << Read(dir_ / "check.txt");
  EXPECT_EQ(Read(dir_ / "check.txt"), "0 0 True 4\n");
}

TEST_F(BatchTest, EveryExampleRunsClean) {
  for (const char* name : {"convex_lot", "split_lot", "l_shaped_lot_two_side", "convex_lot_two_side",
                           "split_lot_two_side", "split_lot_group"}) {
    SCOPED_TRACE(name);
    std::string base = name;
    for (const char* variant : {"_two_side", "_group"})
      if (const auto cut = base.find(variant); cut != std::string::npos) base.erase(cut);
    std::ostringstream out;
    RunBatch(Options(examples_ / (std::string(name) + ".zvs"), base + ".dxf"), out);
    EXPECT_THAT(out.str(), ::testing::Not(HasSubstr("note:")));
    cad::Database db;
    cad::LoadDxf(dir_ / "out.dxf", db);
    const std::size_t expected = base == "convex_lot" ? 2 : base == "split_lot" ? 3 : 4;
    EXPECT_EQ(Records(db).size(), expected);
  }
}

TEST_F(BatchTest, CoordinateTableByCaptionOnTheArcLot) {
  // Answers as for 自動: a point inside, then the table's corner. Then the
  // same lot once more as the closed polyline picked after Enter.
  const fs::path script = Write("coordinates.zvs",
                                "radio RadioGroup2 宅地\n"
                                "click 座標求積\npoint 12000,7000\npoint 30000,16000\n");
  std::ostringstream out;
  RunBatch(Options(script, "arc_lot.dxf"), out);
  EXPECT_THAT(out.str(), HasSubstr("prompt: 領域内の１点を指示 [Enter: 閉じたポリラインを選択] :\n"));
  EXPECT_THAT(out.str(), HasSubstr("座標求積 面積 368.177079 m²"));

  cad::Database db;
  cad::LoadDxf(dir_ / "out.dxf", db);
  std::vector<std::string> texts;
  for (const cad::Entity* e : db.OfKind(cad::EntityKind::Text))
    if (e->layer == "H_TEXT") texts.push_back(e->as<cad::TextData>()->text);
  ASSERT_GE(texts.size(), 8u);
  // The saved drawing keeps no trailing blanks.
  EXPECT_THAT(std::vector<std::string>(texts.end() - 8, texts.end()),
              ::testing::ElementsAre("倍面積", "672.000000", "弓形 K1–K2 R=37.000 θ=37°50′57″", "32.177079",
                                     "面積", "368.177079", "地積", "368.17"));
  const double theta = 2 * std::asin(12.0 / 37.0);
  EXPECT_NEAR(std::stod(texts[texts.size() - 3]), 336 + 37.0 * 37.0 * (theta - std::sin(theta)) / 2, 0.01);
  int names = 0;
  for (const cad::Entity* e : db.OfKind(cad::EntityKind::Text)) names += e->layer == "点名";
  EXPECT_EQ(names, 4);
}

TEST_F(BatchTest, UnansweredPromptIsEscapedAndMessagesArePrinted) {
  const fs::path script = Write("s.zvs",
                                "click Button10\n"
                                "click ２辺指示   # the same side twice\n"
                                "pick 5000,0\n"
                                "pick 5000,0\n");
  std::ostringstream out;
  RunBatch(Options(script), out);
  EXPECT_THAT(out.str(), HasSubstr("prompt: 領域内の１点を指示 :\nnote: no answer queued, answered by ESC\n"));
  EXPECT_THAT(out.str(), HasSubstr("message: Acad_Zavin: 2 線分の端点がつながっていません．\n"));
  EXPECT_TRUE(fs::exists(dir_ / "out.dxf"));
}

TEST_F(BatchTest, StatsCountTheHostCallsOfEachClickByMember) {
  const fs::path script = Write("s.zvs",
                                "click Button10\n"
                                "point 15000,3000\n"
                                "click ２辺指示\n"
                                "cancel\n");
  BatchOptions o = Options(script, "split_lot.dxf");
  o.stats = true;
  std::ostringstream out;
  RunBatch(o, out);
  // Per click: the total, then one line per member that adds up to it.
  std::istringstream lines(out.str());
  std::vector<std::pair<std::string, long>> totals;
  long members = 0;
  for (std::string line; std::getline(lines, line);) {
    if (!line.starts_with("stats: ")) continue;
    std::istringstream words(line.substr(7));
    std::string name;
    long n = 0;
    words >> name >> n;
    if (line.starts_with("stats:   ")) {
      members += n;
    } else {
      if (!totals.empty()) {
        EXPECT_EQ(members, totals.back().second) << totals.back().first;
      }
      totals.emplace_back(name, n);
      members = 0;
      EXPECT_THAT(line, ::testing::EndsWith(" calls"));
    }
  }
  ASSERT_EQ(totals.size(), 2u);
  EXPECT_EQ(members, totals.back().second);
  EXPECT_EQ(totals[0].first, "Button10");
  EXPECT_EQ(totals[1].first, "２辺指示");
  EXPECT_GT(totals[0].second, totals[1].second);
  EXPECT_THAT(out.str(), HasSubstr("stats:   AddCircle 1\n"));
  EXPECT_THAT(out.str(), HasSubstr("prompt: 点が指示されました.\nstats: Button10 "));

  EXPECT_TRUE(ParseBatchArgs({"--script", "s", "--out", "o", "--stats"}).stats);
  EXPECT_FALSE(ParseBatchArgs({"--script", "s", "--out", "o"}).stats);
}

TEST_F(BatchTest, ScriptFaultsStopWithTheLineAndSaveNothing) {
  struct Case {
    const char* name;
    std::string script;
    std::string says;
  } cases[] = {
      {"unknown statement", "updown UpDown4 1\npush Button8\n", ":2: unknown statement \"push\""},
      {"unknown control", "set Edit99 5\n", ":1: unknown control \"Edit99\""},
      {"wrong kind", "set Button8 5\n", ":1: Button8 is not an edit field"},
      {"malformed point", "click Button10\npoint 4000;4000\n", ":2: malformed point \"4000;4000\""},
      {"malformed number", "updown UpDown4 two\n", ":1: updown takes a whole number"},
      {"out of range", "updown UpDown4 0\n", ":1: UpDown4 goes from 1 to"},
      {"answer left over", "# answers\nclick Button10\npoint 4000,4000\npoint 1,1\n",
       ":4: answer left unused when the click of line 2 ended"},
      {"answer without click", "point 1,1\n", ":1: answer \"point\" without a click"},
      {"bad check", "check CheckBox2 yes\n", ":1: check takes on or off"},
      {"no item", "radio RadioGroup1 7\n", ":1: no item \"7\" in RadioGroup1"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    const fs::path script = Write("s.zvs", c.script);
    std::ostringstream out, err;
    EXPECT_EQ(BatchMain({"--drawing", (examples_ / "l_shaped_lot.dxf").string(), "--script",
                         script.string(), "--out", (dir_ / "out.dxf").string()},
                        out, err),
              1);
    EXPECT_THAT(err.str(), HasSubstr(script.string() + c.says));
    EXPECT_FALSE(fs::exists(dir_ / "out.dxf"));
  }
  std::ostringstream out, err;
  EXPECT_EQ(BatchMain({"--script", (dir_ / "missing.zvs").string(), "--out", "x.dxf"}, out, err), 1);
  EXPECT_THAT(err.str(), HasSubstr("missing.zvs: cannot read the script"));
  EXPECT_EQ(BatchMain({"--script", "s.zvs"}, out, err), 2);
  EXPECT_EQ(BatchMain({"--script", "s.zvs", "--out", "o.dxf", "--bogus"}, out, err), 2);
}

TEST_F(BatchTest, SettingsAreLoadedNeverWrittenAndTheOpenedDrawingIsKept) {
  const fs::path ini = Write("zavin.ini", "[QM_Zavin]\nM_Layer=文字\nProgId=Other.Application\n");
  const std::string before = Read(ini);
  const fs::path script = Write("s.zvs", "click Button10\npoint 4000,4000\n");
  BatchOptions o = Options(script);
  o.settings = ini;
  std::ostringstream out;
  RunBatch(o, out);
  EXPECT_EQ(Read(ini), before);
  cad::Database db;
  cad::LoadDxf(o.out, db);
  ASSERT_EQ(Records(db).size(), 4u) << "the host registered under the settings' ProgId answers";
  for (const cad::Entity* e : db.OfKind(cad::EntityKind::Text)) EXPECT_EQ(e->layer, "文字");

  // --host-progid wins over the settings; saving onto the opened drawing is refused.
  o.host_progid = "ZWCAD.Application";
  o.out = *o.drawing;
  const std::string original = Read(*o.drawing);
  EXPECT_THROW(RunBatch(o, out), BatchError);
  EXPECT_EQ(Read(*o.drawing), original);
}

// An output named like an input is refused before anything runs; the
// drawing is written under a name no other file has, so a file beside the
// output named like a writer's temporary survives.
TEST_F(BatchTest, OutputsNeverReplaceInputsOrFilesBesideThem) {
  const fs::path script = Write("s.zvs", "click Button10\npoint 4000,4000\n");
  const fs::path ini = Write("zavin.ini", "[QM_Zavin]\nM_Layer=L\n");
  const fs::path drawing = examples_ / "l_shaped_lot.dxf";
  const std::string kept_script = Read(script), kept_ini = Read(ini);
  const struct {
    std::vector<std::string> args;
    const char* says;
  } cases[] = {
      {{"--out", script.string()}, "--out must name another file than --script"},
      {{"--out", ini.string()}, "--out must name another file than --settings"},
      {{"--out", (dir_ / "." / "zavin.ini").string()}, "--out must name another file than --settings"},
      {{"--out", drawing.string()}, "--out must name another file than --drawing"},
      {{"--out", (dir_ / "o.dxf").string(), "--render", script.string()}, "--render must name another file than --script"},
      {{"--out", (dir_ / "o.dxf").string(), "--render", (dir_ / "o.dxf").string()}, "--render must name another file than --out"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.says);
    std::vector<std::string> args = {"--drawing", drawing.string(), "--script", script.string(), "--settings", ini.string()};
    args.insert(args.end(), c.args.begin(), c.args.end());
    std::ostringstream out, err;
    EXPECT_EQ(BatchMain(args, out, err, [](const cad::Database&, const fs::path&) {}), 2);
    EXPECT_THAT(err.str(), HasSubstr(c.says));
  }
  EXPECT_EQ(Read(script), kept_script);
  EXPECT_EQ(Read(ini), kept_ini);

  const fs::path part = Write("out.dxf.part", "the user's own file");
  BatchOptions o = Options(script);
  std::ostringstream out;
  RunBatch(o, out);
  EXPECT_EQ(Read(part), "the user's own file");
  cad::Database db;
  cad::LoadDxf(o.out, db);
  EXPECT_EQ(Records(db).size(), 4u);
  std::vector<std::string> left;
  for (const auto& e : fs::directory_iterator(dir_)) left.push_back(e.path().filename().string());
  std::sort(left.begin(), left.end());
  EXPECT_THAT(left, ::testing::ElementsAre("out.dxf", "out.dxf.part", "s.zvs", "zavin.ini"));
}

}  // namespace
}  // namespace zavin::app
