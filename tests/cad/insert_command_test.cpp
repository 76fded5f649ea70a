// "_-INSERT" of a block by name, sent as a (command ...) expression, and of
// a DXF file, exploded or as a block reference.

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <numbers>

#include "cad/dxf/dxf_file.h"
#include "cad/commands/command_line.h"
#include "cad_fixture.h"

namespace zavin::cad::testing {
namespace {

namespace fs = std::filesystem;
using ::testing::Contains;
using ::testing::HasSubstr;

class InsertCommandTest : public CadTest {
 protected:
  InsertCommandTest() {
    Block& b = db().AddBlock("Zavin_3");
    db().Add(LineData{{0, 0, 0}, {100, 0, 0}}, "H_TEXT", b.id);
    db().AddLayer("H_TEXT");
    db().AddLayer("WORK");
    db().SetVar("CLAYER", Variant(std::string("WORK")));
  }
  std::vector<const Entity*> References() const { return host_->database().OfKind(EntityKind::BlockRef); }
};

TEST_F(InsertCommandTest, AsksThePointOnceTheTextRunsOut) {
  input_->PushPoint(500, -200);
  Send("(command \"_-INSERT\" \"Zavin_3\" \"S\" 1 \"R\" 0)(princ)\r");
  ASSERT_EQ(References().size(), 1u);
  const Entity& ref = *References()[0];
  const BlockRefData& r = *ref.as<BlockRefData>();
  EXPECT_EQ(r.name, "Zavin_3");
  EXPECT_EQ(r.insertion, (Point3{500, -200, 0}));
  EXPECT_EQ(r.scale, 1);
  EXPECT_EQ(r.rotation, 0);
  EXPECT_EQ(ref.layer, "WORK");
  EXPECT_EQ(input_->prompts(),
            std::vector<std::string>{"Specify insertion point or [Basepoint/Scale/Rotate]: "});
  EXPECT_EQ(db().LastEntity()->id, ref.id);
  EXPECT_EQ(LastPoint(db()), (Point3{500, -200, 0}));
}

TEST_F(InsertCommandTest, TakesEveryAnswerFromTheText) {
  Send("(command \"-insert\" \"zavin_3\" \"s\" 2 \"R\" 90 \"10,20\")\r");
  Send("_-INSERT Zavin_3 30,40 3 45\r");  // scale and rotation asked after the point
  ASSERT_EQ(References().size(), 2u);
  const BlockRefData& r = *References()[0]->as<BlockRefData>();
  EXPECT_EQ(r.name, "Zavin_3");  // the definition's own spelling
  EXPECT_EQ(r.insertion, (Point3{10, 20, 0}));
  EXPECT_EQ(r.scale, 2);
  EXPECT_DOUBLE_EQ(r.rotation, std::numbers::pi / 2);
  const BlockRefData& r2 = *References()[1]->as<BlockRefData>();
  EXPECT_EQ(r2.insertion, (Point3{30, 40, 0}));
  EXPECT_EQ(r2.scale, 3);
  EXPECT_DOUBLE_EQ(r2.rotation, std::numbers::pi / 4);
  EXPECT_TRUE(input_->prompts().empty());
}

TEST_F(InsertCommandTest, EndsWithNothingInsertedWhenItCannotGoOn) {
  struct Case {
    const char* name;
    const char* text;
    std::size_t asked;  // prompts that reached the user (answered with a cancel)
  };
  const Case cases[] = {
      {"point prompt cancelled", "(command \"_-INSERT\" \"Zavin_3\" \"S\" 1 \"R\" 0)(princ)\r", 1},
      {"no such block", "(command \"_-INSERT\" \"Other\" \"S\" 1 \"R\" 0)(princ)\r", 0},
      {"scale missing", "(command \"_-INSERT\" \"Zavin_3\" \"S\")\r", 1},
      {"scale 0 is asked again", "(command \"_-INSERT\" \"Zavin_3\" \"S\" 0 \"1,1\")\r", 1},
      {"not an answer", "(command \"_-INSERT\" \"Zavin_3\" \"X\")\r", 1},
      {"Enter at the point", "(command \"_-INSERT\" \"Zavin_3\" \"\")\r", 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const std::size_t before = db().model_space().size();
    const std::size_t asked = input_->prompts().size();
    Send(c.text);
    EXPECT_EQ(db().model_space().size(), before);
    EXPECT_EQ(input_->prompts().size() - asked, c.asked);
  }
  EXPECT_THAT(host_->command_line(), Contains(HasSubstr("Block \"Other\" is not defined")));
  EXPECT_THAT(host_->command_line(), Contains("Value must be nonzero."));
}

// A drawing file written by the saver: a number text with its record on its
// own layer and a line on another.
class InsertFileTest : public CadTest {
 protected:
  std::vector<const Entity*> References() const { return host_->database().OfKind(EntityKind::BlockRef); }
  void SetUp() override {
    dir_ = fs::path(::testing::TempDir()) / "zavin insert file";  // a blank in the path
    fs::remove_all(dir_);
    fs::create_directories(dir_);
    Database file;
    file.AddLayer("NUMBERS");
    file.AddLayer("EDGES");
    file.AddLine({0, 0, 0}, {10, 0, 0}, "EDGES");
    TextData t;
    t.text = "12";
    t.alignment = kAlignMiddleCenter;
    t.alignment_point = {1000, 1000, 0};
    t.height = 400;
    Entity& text = file.Add(t, "NUMBERS");
    text.xdata = {{1001, Variant("QM_ZAVIN")}, {1010, platform::MakePointArray(4000, 5000, 3000)}};
    path_ = dir_ / "ZAVIN_3.dxf";
    SaveDxf(file, path_);
  }
  void TearDown() override { fs::remove_all(dir_); }
  std::string FileCommand(const std::string& answers, bool exploded = true) const {
    return "_-INSERT\r\"" + std::string(exploded ? "*" : "") + path_.string() + "\"\r" + answers + "\r";
  }
  const Entity* Number() const {
    const auto texts = db_const().OfKind(EntityKind::Text);
    return texts.size() == 1 ? texts[0] : nullptr;
  }
  const Database& db_const() const { return host_->database(); }

  fs::path dir_, path_;
};

TEST_F(InsertFileTest, ExplodedInsertionPlacesTheFileWithLayersAndXdata) {
  Send(FileCommand("0.0,0.0 1.0 0.0"));
  ASSERT_NE(Number(), nullptr);
  const Entity& number = *Number();
  EXPECT_EQ(number.as<TextData>()->text, "12");
  EXPECT_EQ(number.as<TextData>()->alignment_point, (Point3{1000, 1000, 0}));
  EXPECT_EQ(number.layer, "NUMBERS");
  ASSERT_EQ(number.xdata.size(), 2u);
  EXPECT_EQ(number.xdata[0].value.ToText(), "QM_ZAVIN");
  EXPECT_TRUE(number.xdata[1].value == platform::MakePointArray(4000, 5000, 3000));
  EXPECT_EQ(db().LastEntity()->id, number.id) << "the file's entities keep their order";
  EXPECT_NE(db().FindLayer("EDGES"), nullptr);
  EXPECT_TRUE(References().empty());
  const Block* left = db().FindBlock("ZAVIN_3");
  ASSERT_NE(left, nullptr) << "a block named after the file stays behind";
  EXPECT_EQ(left->entities.size(), 2u);
  EXPECT_TRUE(input_->prompts().empty());

  // Placed by point, scale and rotation; the definition is reused.
  Send(FileCommand("100,50 2 90"));
  const auto lines = db().OfKind(EntityKind::Line);
  ASSERT_EQ(lines.size(), 2u);
  const LineData& placed = *lines[1]->as<LineData>();
  EXPECT_NEAR(placed.end.x, 100, 1e-9);
  EXPECT_NEAR(placed.end.y, 70, 1e-9);
  EXPECT_EQ(std::count_if(db().blocks().begin(), db().blocks().end(),
                          [](const Block& b) { return b.name == "ZAVIN_3"; }),
            1);

  // Saved again, the drawing carries the record's application.
  const fs::path saved = dir_ / "saved.dxf";
  SaveDxf(db(), saved);
  Database back;
  EXPECT_THAT(LoadDxf(saved, back).app_ids, Contains("QM_ZAVIN"));
}

TEST_F(InsertFileTest, WithoutTheAsteriskTheFileBecomesAReference) {
  input_->PushPoint(5, 5);
  Send(FileCommand("S 1 R 0", false));
  ASSERT_EQ(References().size(), 1u);
  EXPECT_EQ(References()[0]->as<BlockRefData>()->name, "ZAVIN_3");
  EXPECT_EQ(References()[0]->as<BlockRefData>()->insertion, (Point3{5, 5, 0}));
  EXPECT_EQ(Number(), nullptr);
}

TEST_F(InsertFileTest, AFileThatCannotBeReadIsReportedAndInsertsNothing) {
  std::ofstream(dir_ / "broken.dxf") << "  0\nSECTION\n  2\nENTITIES\n  0\nTEXT\n";
  for (const fs::path& p : {dir_ / "broken.dxf", dir_ / "missing.dxf"}) {
    SCOPED_TRACE(p.string());
    const std::size_t blocks = db().blocks().size(), entities = db().model_space().size();
    Send("_-INSERT\r\"*" + p.string() + "\"\r0.0,0.0 1.0 0.0\r");
    EXPECT_EQ(db().model_space().size(), entities);
    EXPECT_EQ(db().blocks().size(), blocks);
    EXPECT_THAT(host_->command_line(), Contains(HasSubstr("Cannot insert \"" + p.string())));
  }
  EXPECT_TRUE(input_->prompts().empty()) << "the answers left over are not read as a command";
}

}  // namespace
}  // namespace zavin::cad::testing
