// "_-INSERT" of a block by name, sent as a (command ...) expression.

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <numbers>

#include "cad_fixture.h"

namespace zavin::cad::testing {
namespace {

class InsertCommandTest : public CadTest {
 protected:
  InsertCommandTest() {
    Block& b = db().AddBlock("Zavin_3");
    db().Add(LineData{{0, 0, 0}, {100, 0, 0}}, "H_TEXT", b.id);
    db().AddLayer("H_TEXT");
    db().AddLayer("WORK");
    db().SetVar("CLAYER", Variant(std::string("WORK")));
  }
  void Send(const std::string& text) {
    Call(Doc(), "SendCommand", {Variant(text)});
    host_->RunPendingCommands();
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
  EXPECT_EQ(input_->prompts().size(), 1u);
  EXPECT_EQ(db().LastEntity()->id, ref.id);
}

TEST_F(InsertCommandTest, TakesEveryAnswerFromTheText) {
  Send("(command \"-insert\" \"zavin_3\" \"s\" 2 \"R\" 90 \"10,20\")\r");
  ASSERT_EQ(References().size(), 1u);
  const BlockRefData& r = *References()[0]->as<BlockRefData>();
  EXPECT_EQ(r.name, "Zavin_3");  // the definition's own spelling
  EXPECT_EQ(r.insertion, (Point3{10, 20, 0}));
  EXPECT_EQ(r.scale, 2);
  EXPECT_DOUBLE_EQ(r.rotation, std::numbers::pi / 2);
  EXPECT_TRUE(input_->prompts().empty());
}

TEST_F(InsertCommandTest, EndsWithNothingInsertedWhenItCannotGoOn) {
  struct Case {
    const char* name;
    const char* text;
    bool cancel;
  };
  const Case cases[] = {
      {"point prompt cancelled", "(command \"_-INSERT\" \"Zavin_3\" \"S\" 1 \"R\" 0)(princ)\r", true},
      {"no such block", "(command \"_-INSERT\" \"Other\" \"S\" 1 \"R\" 0)(princ)\r", false},
      {"scale missing", "(command \"_-INSERT\" \"Zavin_3\" \"S\")\r", false},
      {"scale 0", "(command \"_-INSERT\" \"Zavin_3\" \"S\" 0 \"1,1\")\r", false},
      {"not an answer", "(command \"_-INSERT\" \"Zavin_3\" \"X\")\r", false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const std::size_t before = db().model_space().size();
    if (c.cancel) input_->PushCancel();
    Send(c.text);
    EXPECT_EQ(db().model_space().size(), before);
    EXPECT_EQ(input_->pending(), 0u);
  }
  EXPECT_EQ(input_->prompts().size(), 1u);  // only the cancelled one asked
}

}  // namespace
}  // namespace zavin::cad::testing
