#include "tools/text_rotation.h"

#include <gtest/gtest.h>

#include "cad/db/database.h"
#include "tests/host/test_host.h"

namespace zavin::tools {
namespace {

using TextRotationTest = host::testing::HostTest;

// A text turns about the point that keeps it in place: the insertion point
// only for left alignment, the alignment point for all others.
TEST_F(TextRotationTest, BaseIsTheInsertionPointOnlyForLeftAlignment) {
  for (const std::int32_t alignment :
       {cad::kAlignLeft, cad::kAlignCenter, cad::kAlignRight, cad::kAlignMiddle,
        cad::kAlignMiddleCenter, cad::kAlignBottomCenter, cad::kAlignTopRight}) {
    SCOPED_TRACE(alignment);
    const host::Text text = document().ModelSpace().AddText("ABCD", {100, 200, 0}, 50);
    if (alignment != cad::kAlignLeft) {
      text.SetAlignment(alignment);
      text.SetTextAlignmentPoint({300, 400, 0});
    }
    const geometry::TAcadPoint base = TextRotationBase(text);
    const geometry::TAcadPoint expected =
        alignment == cad::kAlignLeft ? text.InsertionPoint() : text.TextAlignmentPoint();
    EXPECT_EQ(base.x, expected.x);
    EXPECT_EQ(base.y, expected.y);
    if (alignment != cad::kAlignLeft) {
      EXPECT_EQ(base.x, 300);
      EXPECT_EQ(base.y, 400);
    }
  }
}

TEST_F(TextRotationTest, OnlySingleLineTextsAreTurned) {
  const std::int64_t text = db().AddText("A", {0, 0, 0}, 10);
  const std::int64_t line = db().AddLine({0, 0, 0}, {10, 0, 0});
  t_.input->PushEntity(text, 0, 0);
  EXPECT_EQ(RotatePickedText(document(), 90), TextRotationResult::Rotated);
  t_.input->PushEntity(line, 0, 0);
  EXPECT_EQ(RotatePickedText(document(), 90), TextRotationResult::NotAText);
  EXPECT_EQ(db().Find(line)->as<cad::LineData>()->end, (cad::Point3{10, 0, 0}));
  t_.input->PushCancel();
  EXPECT_THROW(RotatePickedText(document(), 90), platform::HostError);
}

}  // namespace
}  // namespace zavin::tools
