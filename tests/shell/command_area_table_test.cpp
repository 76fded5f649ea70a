// 作成 and 最大 end to end: the tool window, the embedded host and its drawing.

#include "shell/command_area_table.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "annotate/driver.h"
#include "annotate/marker.h"
#include "annotate/number_file.h"
#include "annotate/record.h"
#include "cad/db/database.h"
#include "platform/message_box.h"
#include "platform/windows.h"
#include "shell/command_support.h"
#include "shell/form1.h"
#include "table/commands.h"
#include "tests/host/fault_sweep.h"
#include "tests/host/test_host.h"
#include "tests/shell/temp_dir.h"

namespace zavin::shell {
namespace {

using ::testing::Contains;
using ::testing::ElementsAre;
using ::testing::IsEmpty;

// Records the box; the modal box takes the foreground, as on the desktop.
class ForegroundTakingSink : public platform::RecordingMessageBoxSink {
 public:
  int Show(platform::Hwnd owner, const std::string& text, const std::string& caption,
           std::uint32_t flags) override {
    platform::SetForegroundWindow(owner);
    return RecordingMessageBoxSink::Show(owner, text, caption, flags);
  }
};

std::int64_t NumberText(cad::Database& db, const host::Document& document, const std::string& text,
                        annotate::TriangleSides sides, double x = 0, double y = 0) {
  const std::int64_t id = db.AddText(text, {x, y, 0}, 400, "H_TEXT");
  document.ObjectIdToObject(id).SetXdata(annotate::TriangleXdata(sides));
  return id;
}

std::vector<std::string> BlockNames(const cad::Database& db) {
  std::vector<std::string> names;
  for (const cad::Block& b : db.blocks()) names.push_back(b.name);
  return names;
}

class AreaTableCommandTest : public host::testing::HostTest {
 protected:
  AreaTableCommandTest() {
    InstallAreaTableCommands(form_, state_);
    InstallCommands(form_, state_);
    form_.FormCreate();
    previous_sink_ = platform::SetMessageBoxSink(boxes_);
  }
  ~AreaTableCommandTest() override { platform::SetMessageBoxSink(previous_sink_); }

  std::int64_t Number(const std::string& text, annotate::TriangleSides sides, double x = 0) {
    return NumberText(db(), document(), text, sides, x);
  }

  // 作成 with the table's corner picked at (x, y).
  void Create(double x, double y) {
    t_.input->PushPoint(x, y);
    form_.Button3.Click();
  }

  // "text@(x,y)" of every model-space text on `layer`, in creation order.
  std::vector<std::string> Texts(const std::string& layer = "H_TEXT") const {
    std::vector<std::string> out;
    for (const cad::Entity* e : db().OfKind(cad::EntityKind::Text)) {
      if (e->layer != layer || !e->xdata.empty()) continue;
      const cad::TextData& t = *e->as<cad::TextData>();
      char buf[160];
      std::snprintf(buf, sizeof buf, "%s@(%g,%g)/%d", t.text.c_str(), t.alignment_point.x,
                    t.alignment_point.y, t.alignment);
      out.push_back(buf);
    }
    return out;
  }
  std::vector<std::string> Lines() const {
    std::vector<std::string> out;
    for (const cad::Entity* e : db().OfKind(cad::EntityKind::Line)) {
      const cad::LineData& l = *e->as<cad::LineData>();
      char buf[128];
      std::snprintf(buf, sizeof buf, "(%g,%g)-(%g,%g) %s", l.start.x, l.start.y, l.end.x, l.end.y,
                    e->layer.c_str());
      out.push_back(buf);
    }
    return out;
  }

  TForm1 form_;
  CommandState state_;
  std::shared_ptr<ForegroundTakingSink> boxes_ = std::make_shared<ForegroundTakingSink>();
  std::shared_ptr<platform::MessageBoxSink> previous_sink_;
};

TEST_F(AreaTableCommandTest, DefaultTableStandsAtThePickedCornerAsPlainEntities) {
  Number("2", {2000, 2000, 2000}, 5000);
  Number("1", {3000, 4000, 5000});
  Create(1000, 2000);

  EXPECT_THAT(host().sent_commands(),
              ElementsAre("(command \"_-INSERT\" \"Zavin_1\" \"S\" 1 \"R\" 0)(princ)\r"));
  EXPECT_THAT(Lines(), ElementsAre(
      "(1000,2000)-(16000,2000) H_TEXT", "(1000,1200)-(16000,1200) H_TEXT",
      "(1000,400)-(16000,400) H_TEXT", "(1000,-400)-(16000,-400) H_TEXT",
      "(1000,-1200)-(16000,-1200) H_TEXT", "(1000,-2000)-(16000,-2000) H_TEXT",
      "(1000,2000)-(1000,-2000) H_TEXT", "(2500,2000)-(2500,-400) H_TEXT",
      "(5500,2000)-(5500,-400) H_TEXT", "(8500,2000)-(8500,-400) H_TEXT",
      "(11500,2000)-(11500,-2000) H_TEXT", "(16000,2000)-(16000,-2000) H_TEXT"));
  EXPECT_THAT(Texts(), ElementsAre(
      "No.@(1750,1600)/10", "a@(4000,1600)/10", "b@(7000,1600)/10", "c@(10000,1600)/10",
      "面積@(13750,1600)/10",
      "1@(2100,800)/11", "3.00@(5100,800)/11", "4.00@(8100,800)/11", "5.00@(11100,800)/11",
      "6.0000@(15600,800)/11",
      "2@(2100,0)/11", "2.00@(5100,0)/11", "2.00@(8100,0)/11", "2.00@(11100,0)/11",
      "1.7321@(15600,0)/11",
      "合計@(11100,-800)/11", "7.7321@(15600,-800)/11",
      "面積@(11100,-1600)/11", "7.73  @(15600,-1600)/11"));
  for (const cad::Entity* e : db().OfKind(cad::EntityKind::Text))
    EXPECT_EQ(e->as<cad::TextData>()->height, 400);
  EXPECT_THAT(db().OfKind(cad::EntityKind::BlockRef), IsEmpty());
  EXPECT_THAT(BlockNames(db()), IsEmpty());
  EXPECT_THAT(host::testing::TempSelectionSetNames(document()), IsEmpty());
  EXPECT_THAT(boxes_->boxes(), IsEmpty());
}

TEST_F(AreaTableCommandTest, BaseHeightTableFromAnAnnotatedTriangle) {
  annotate::CreatedObjectRecord record;
  annotate::AnnotationSettings settings;
  annotate::AnnotateTriangle(document(), {0, 0, 0}, {3000, 0, 0}, {0, 4000, 0},
                             annotate::AreaMethod::BaseHeight, {}, settings, 4, record);
  form_.RadioGroup1.SetItemIndex(1);
  Create(0, 0);
  const std::vector<std::string> texts = Texts();
  // The annotation's own labels come first; the table's texts follow.
  ASSERT_GE(texts.size(), 14u);
  EXPECT_THAT(std::vector<std::string>(texts.end() - 10, texts.end()), ElementsAre(
      "4@(1100,-1200)/11", "5.00@(4100,-1200)/11", "2.40@(7100,-1200)/11",
      "12.0000@(11600,-1200)/11",
      "合計@(7100,-2000)/11", "12.0000@(11600,-2000)/11",
      "1/2@(7100,-2800)/11", "6.0000@(11600,-2800)/11",
      "面積@(7100,-3600)/11", "6.00  @(11600,-3600)/11"));
}

TEST_F(AreaTableCommandTest, RowsAreInNumericOrder) {
  Number("12", {3000, 4000, 5000});
  Number("3", {3000, 4000, 5000});
  Number("A1", {3000, 4000, 5000});
  Number("7", {3000, 4000, 5000});
  Create(0, 0);
  std::vector<std::string> first_column;
  for (const std::string& t : Texts())
    if (t.find("@(1100,") != std::string::npos) first_column.push_back(t.substr(0, t.find('@')));
  EXPECT_THAT(first_column, ElementsAre("A1", "3", "7", "12"));
}

TEST_F(AreaTableCommandTest, BlockNameContinuesTheDrawingsNumbering) {
  db().AddBlock("Zavin_1");
  db().AddBlock("zavin_7");
  Number("1", {3000, 4000, 5000});
  Create(0, 0);
  EXPECT_THAT(host().sent_commands(),
              ElementsAre("(command \"_-INSERT\" \"Zavin_8\" \"S\" 1 \"R\" 0)(princ)\r"));
  EXPECT_THAT(BlockNames(db()), ElementsAre("Zavin_1", "zavin_7"));
  EXPECT_EQ(Lines().size(), 11u);
}

TEST_F(AreaTableCommandTest, CancelledInsertionLeavesTheDrawingButForTheLayer) {
  const std::int64_t number = NumberText(db(), document(), "1", {3000, 4000, 5000});
  db().Find(number)->layer = "0";
  ASSERT_FALSE(db().FindLayer("H_TEXT"));
  std::set<std::int64_t> before;
  for (const auto& [id, e] : db().model_space()) before.insert(id);

  t_.input->PushCancel();
  form_.Button3.Click();

  std::set<std::int64_t> after;
  for (const auto& [id, e] : db().model_space()) after.insert(id);
  EXPECT_EQ(after, before);
  EXPECT_THAT(BlockNames(db()), IsEmpty());
  EXPECT_TRUE(db().FindLayer("H_TEXT"));
  EXPECT_EQ(db().GetVar("CLAYER").ToText(), "0");
  EXPECT_THAT(host::testing::TempSelectionSetNames(document()), IsEmpty());
  EXPECT_THAT(boxes_->boxes(), IsEmpty());
}

TEST_F(AreaTableCommandTest, NoNumberTextAmongTheTextsShowsTheMessage) {
  struct Case {
    const char* name;
    bool all;
  };
  for (const Case c : {Case{"every text", true}, Case{"picked texts", false}}) {
    SCOPED_TRACE(c.name);
    Restart();
    boxes_ = std::make_shared<ForegroundTakingSink>();
    platform::SetMessageBoxSink(boxes_);
    Number("1", {3000, 4000, 5000}, 9000);
    const std::int64_t label = db().AddText("5.00", {0, 0, 0}, 300, "H_TEXT");
    if (c.all) db().Erase(db().model_space().begin()->first);  // the number text
    form_.CheckBox2.SetChecked(c.all);
    t_.input->PushEntity(label);
    t_.input->PushEnter();
    const std::size_t entities = db().model_space().size();
    form_.Button3.Click();

    EXPECT_EQ(db().model_space().size(), entities);
    ASSERT_EQ(boxes_->boxes().size(), 1u);
    EXPECT_EQ(boxes_->boxes()[0].text, "求積データが見つかりません．");
    EXPECT_EQ(boxes_->boxes()[0].caption, "Acad_Zavin");
    EXPECT_EQ(boxes_->boxes()[0].owner, form_.Handle());
    EXPECT_EQ(boxes_->boxes()[0].flags, platform::MB_OK);
    EXPECT_EQ(platform::GetForegroundWindow(), host().hwnd());
    EXPECT_THAT(host().sent_commands(), IsEmpty());
    EXPECT_THAT(host::testing::TempSelectionSetNames(document()), IsEmpty());
  }
}

TEST_F(AreaTableCommandTest, NothingSelectedEndsWithoutAMessage) {
  db().AddLine({0, 0, 0}, {100, 0, 0});
  form_.Button3.Click();  // no text in the drawing
  form_.CheckBox2.SetChecked(false);
  t_.input->PushEnter();  // picks nothing
  form_.Button3.Click();
  EXPECT_THAT(boxes_->boxes(), IsEmpty());
  EXPECT_EQ(db().model_space().size(), 1u);
  EXPECT_THAT(host::testing::TempSelectionSetNames(document()), IsEmpty());
}

TEST_F(AreaTableCommandTest, BadSettingEndsBeforeAnythingIsWrittenOrPicked) {
  struct Case {
    TEdit* field;
    const char* text;
  };
  const Case cases[] = {{&form_.Edit8, "x"},        {&form_.Edit9, ""},
                        {&form_.Edit10, "8OO"},     {&form_.Edit11, "1500,3000,3000,3000"},
                        {&form_.Edit11, "1500,3000,3000,3000,4500,100"},
                        {&form_.Edit11, "1500,3000,,3000,4500"}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.field->Name() + " " + c.text);
    Restart();
    Number("1", {3000, 4000, 5000});
    const std::string kept = c.field->Text();
    c.field->SetText(c.text);
    t_.input->PushPoint(0, 0);
    form_.CheckBox2.SetChecked(false);  // a prompt would show in the input's log
    form_.Button3.Click();
    c.field->SetText(kept);
    form_.CheckBox2.SetChecked(true);
    EXPECT_EQ(db().model_space().size(), 1u);
    EXPECT_THAT(BlockNames(db()), IsEmpty());
    EXPECT_THAT(t_.input->prompts(), IsEmpty());
    EXPECT_THAT(host().sent_commands(), IsEmpty());
  }
}

TEST_F(AreaTableCommandTest, CreateEndsThePendingBaseLineConstruction) {
  state_.Created.RecordCreatedObjects = true;
  state_.Created.CreatedObjectIds = {1, 2};
  form_.Button9.SetEnabled(true);
  form_.Button4.Click();  // 最大 leaves it alone
  EXPECT_TRUE(state_.Created.RecordCreatedObjects);
  EXPECT_TRUE(form_.Button9.Enabled());
  form_.Button3.Click();
  EXPECT_FALSE(state_.Created.RecordCreatedObjects);
  EXPECT_THAT(state_.Created.CreatedObjectIds, IsEmpty());
  EXPECT_FALSE(form_.Button9.Enabled());
}

TEST_F(AreaTableCommandTest, HighestSetsTheNumberFieldPastTheHighestNumberText) {
  struct Case {
    const char* name;
    std::vector<std::string> numbers;
    int expected;
  };
  const Case cases[] = {
      {"highest 7", {"3", "7", "5"}, 8},
      {"no number texts", {}, 1},
      {"highest 0", {"0"}, 1},
      {"only non-integers", {"A1", "x"}, 1},
      {"empty highest text", {""}, 1},
      {"numeric, not textual", {"9", "10"}, 11},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    Restart();
    db().AddText("12.00", {0, 0, 0}, 300);  // a label: no record
    for (const std::string& n : c.numbers) Number(n, {3000, 4000, 5000});
    form_.UpDown4.SetPosition(40);
    form_.Button4.Click();
    EXPECT_EQ(form_.UpDown4.Position(), c.expected);
    EXPECT_EQ(form_.Edit16.Text(), std::to_string(c.expected));
    EXPECT_THAT(boxes_->boxes(), IsEmpty());
    EXPECT_THAT(host::testing::TempSelectionSetNames(document()), IsEmpty());
  }
}

TEST_F(AreaTableCommandTest, WithoutAHostBothEndAtOnceAndHighestResetsTheField) {
  Number("7", {3000, 4000, 5000});
  host().Unregister();
  form_.UpDown4.SetPosition(40);
  form_.Button4.Click();
  EXPECT_EQ(form_.UpDown4.Position(), 1);
  t_.input->PushPoint(0, 0);
  form_.Button3.Click();
  EXPECT_EQ(t_.input->pending(), 1u);
  EXPECT_EQ(db().model_space().size(), 1u);
}

// Whichever host call fails: no table block definition, no block reference
// and no temporary selection set is left, the number texts are kept, and the
// table is either placed whole or not at all.
TEST(AreaTableFaultSweep, EveryFailureCleansUp) {
  for (annotate::AreaMethod method : {annotate::AreaMethod::ThreeSide, annotate::AreaMethod::BaseHeight}) {
    SCOPED_TRACE(static_cast<int>(method));
    auto ids = std::make_shared<std::vector<std::int64_t>>();
    host::testing::SweepCommand command;
    command.steps = table::AreaTableFrameSteps();
    // Two failures at the explosion of the inserted table, or a host that dies
    // after the insertion, leave the reference and its block: not yet mended.
    command.multiple_faults = false;
    command.body = [method](const host::Document& document, host::CommandContext& context) {
      table::AreaTableCommandParams params;
      params.table.method = method;
      params.table.widths = method == annotate::AreaMethod::BaseHeight
                                ? std::vector<double>{1500, 3000, 3000, 4500}
                                : std::vector<double>{1500, 3000, 3000, 3000, 4500};
      table::AreaTableCommand(document, context, params);
    };
    command.setup = [ids](host::testing::TestHost& t) {
      platform::SetMessageBoxSink(std::make_shared<platform::RecordingMessageBoxSink>());
      t.db().AddBlock("Zavin_2");
      *ids = {NumberText(t.db(), t.document(), "2", {3000, 4000, 5000}, 0),
              NumberText(t.db(), t.document(), "1", {2000, 2000, 2000}, 5000)};
      t.input->PushPoint(100, 100);
    };
    const std::size_t table_entities = method == annotate::AreaMethod::BaseHeight ? 12 + 18 : 12 + 19;
    command.check = [ids, table_entities](host::testing::TestHost& t) -> std::string {
      for (std::int64_t id : *ids)
        if (!t.db().Find(id)) return "number text " + std::to_string(id) + " lost";
      if (BlockNames(t.db()) != std::vector<std::string>{"Zavin_2"}) return "table block left behind";
      if (!t.db().OfKind(cad::EntityKind::BlockRef).empty()) return "block reference left behind";
      const std::size_t added = t.db().model_space().size() - ids->size();
      if (added != 0 && added != table_entities)
        return "table of " + std::to_string(added) + " entities";
      return "";
    };
    const host::testing::SweepReport report = host::testing::RunFaultSweep(command);
    platform::SetMessageBoxSink(nullptr);
    EXPECT_EQ(report.clean_outcome, host::FrameOutcome::Completed);
    EXPECT_GT(report.clean_calls, 100);
    EXPECT_THAT(report.faults, IsEmpty());
  }
}

TEST(HighestNumberFaultSweep, EveryFailureLeavesNoSelectionSet) {
  host::testing::SweepCommand command;
  command.steps = table::HighestNumberFrameSteps();
  auto next = std::make_shared<std::optional<int>>();
  command.body = [next](const host::Document& document, host::CommandContext&) {
    *next = table::HighestNumberCommand(document);
  };
  command.setup = [next](host::testing::TestHost& t) {
    next->reset();
    NumberText(t.db(), t.document(), "7", {3000, 4000, 5000});
    NumberText(t.db(), t.document(), "3", {3000, 4000, 5000});
    t.db().AddText("5.00", {0, 0, 0}, 300);
  };
  command.check = [next](host::testing::TestHost&) -> std::string {
    if (next->has_value() && **next != 8) return "next number " + std::to_string(**next);
    return "";
  };
  const host::testing::SweepReport report = host::testing::RunFaultSweep(command);
  EXPECT_EQ(report.clean_outcome, host::FrameOutcome::Completed);
  EXPECT_THAT(report.faults, IsEmpty());
}

// A host whose ProgID contains "PCAD" takes the three-side number text from
// the file; the text it inserts carries the record the table looks for.
class PcadAreaTableTest : public AreaTableCommandTest {
 protected:
  PcadAreaTableTest() {
    Restart(kPcadProgId);
    form_.Link.HostProgId = kPcadProgId;
    annotate::SetNumberFileDirectory(files_.path());
  }
  ~PcadAreaTableTest() override { annotate::SetNumberFileDirectory({}); }

  static constexpr char kPcadProgId[] = "PCAD.Application";
  testing::TempDir files_;
};

TEST_F(PcadAreaTableTest, NumberFromTheFileIsFoundByTheAreaTable) {
  annotate::CreatedObjectRecord record;
  record.RecordCreatedObjects = true;
  annotate::ThreeSideNumberMarker(document(), {0, 0, 0}, {4000, 0, 0}, {0, 3000, 0}, 12,
                                  {500, 400, "H_TEXT", kPcadProgId}, {}, record);
  const auto texts = db().OfKind(cad::EntityKind::Text);
  ASSERT_EQ(texts.size(), 1u);
  const cad::TextData& number = *texts.front()->as<cad::TextData>();
  EXPECT_EQ(number.text, "12");
  EXPECT_EQ(number.alignment, cad::kAlignMiddleCenter);
  EXPECT_NEAR(number.alignment_point.x, 1000, 1e-9);
  EXPECT_NEAR(number.alignment_point.y, 1000, 1e-9);
  EXPECT_DOUBLE_EQ(number.height, 400);
  EXPECT_NEAR(number.rotation, 0, 1e-12);
  EXPECT_EQ(texts.front()->layer, "H_TEXT");
  EXPECT_EQ(annotate::ParseTriangleXdata(
                document().ObjectIdToObject(texts.front()->id).GetXdata("QM_ZAVIN")),
            (annotate::TriangleSides{4000, 5000, 3000}));
  EXPECT_THAT(record.CreatedObjectIds,
              ElementsAre(db().OfKind(cad::EntityKind::Circle).front()->id, texts.front()->id));
  EXPECT_THAT(BlockNames(db()), IsEmpty());  // no ZAVIN_1 left
  EXPECT_TRUE(std::filesystem::exists(files_.path() / "ZAVIN_1.dxf"));

  Create(1000, 2000);
  EXPECT_THAT(Texts(), ::testing::IsSupersetOf({"12@(2100,800)/11", "4.00@(5100,800)/11",
                                                "5.00@(8100,800)/11", "3.00@(11100,800)/11",
                                                "6.0000@(15600,800)/11"}));
  EXPECT_THAT(BlockNames(db()), IsEmpty());
  EXPECT_THAT(boxes_->boxes(), IsEmpty());
}

}  // namespace
}  // namespace zavin::shell
