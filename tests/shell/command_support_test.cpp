#include "shell/command_support.h"

#include <gtest/gtest.h>

#include <stdexcept>

namespace zavin::shell {
namespace {

TEST(FieldNumberTest, ReadsDecimalNumbersAndRejectsEverythingElse) {
  const struct {
    const char* text;
    double value;
  } good[] = {{"300", 300}, {" 12.5 ", 12.5}, {"-3", -3}, {"0.001", 0.001}};
  for (const auto& c : good) {
    SCOPED_TRACE(c.text);
    EXPECT_DOUBLE_EQ(FieldNumber(c.text), c.value);
  }
  for (const char* bad : {"", "  ", "abc", "1,5", "12a", "nan", "inf", "1e999"}) {
    SCOPED_TRACE(bad);
    EXPECT_THROW(FieldNumber(bad), std::invalid_argument);
  }
}

TEST(CommandSupportTest, AnnotationSettingsFollowTheFieldsWhenRead) {
  TForm1 form;
  form.FormCreate();
  form.Edit3.SetText("250");
  form.Edit12.SetText("文字");
  form.RadioGroup1.SetItemIndex(1);
  const annotate::AnnotationSettings s = ReadAnnotationSettings(form);
  EXPECT_DOUBLE_EQ(s.labelHeight, 250);
  EXPECT_DOUBLE_EQ(s.scale, 1000);
  EXPECT_DOUBLE_EQ(s.numberHeight, 400);
  EXPECT_DOUBLE_EQ(s.markerRadius, 500);
  EXPECT_EQ(s.textLayer, "文字");
  EXPECT_EQ(s.sideLayer, "H_HEN");
  EXPECT_EQ(s.heightLayer, "H_TAKASA");
  EXPECT_EQ(s.length.digits, 2);
  EXPECT_EQ(AreaMethodOf(form), annotate::AreaMethod::BaseHeight);
  form.Edit5.SetText("x");
  EXPECT_THROW(ReadAnnotationSettings(form), std::invalid_argument);
}

TEST(CommandSupportTest, EndingAPendingConstructionEmptiesTheCreatedRecord) {
  TForm1 form;
  CommandState state;
  InstallCommands(form, state);
  form.FormCreate();
  state.Created.RecordCreatedObjects = true;
  state.Created.CreatedObjectIds = {7, 8};
  form.Button9.SetEnabled(true);
  form.EndPendingConstruction();
  EXPECT_FALSE(state.Created.RecordCreatedObjects);
  EXPECT_TRUE(state.Created.CreatedObjectIds.empty());
  EXPECT_FALSE(form.Button9.Enabled());
}

TEST(CommandSupportTest, EveryCommandButtonHasAHandler) {
  TForm1 form;
  CommandState state;
  InstallCommands(form, state);
  const auto& c = form.Commands;
  for (const CommandHandler* slot :
       {&c.Button1Click, &c.Button2Click, &c.Button3Click, &c.Button4Click, &c.Button5Click,
        &c.Button8Click, &c.Button9Click, &c.Button10Click, &c.Button11Click, &c.Button13Click})
    EXPECT_TRUE(static_cast<bool>(*slot));
}

}  // namespace
}  // namespace zavin::shell
