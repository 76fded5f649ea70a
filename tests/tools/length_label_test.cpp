#include "tools/length_label.h"

#include <gtest/gtest.h>

#include "cad/db/database.h"
#include "tests/host/test_host.h"

namespace zavin::tools {
namespace {

using LengthLabelTest = host::testing::HostTest;

TEST_F(LengthLabelTest, OutcomesOfAPick) {
  const std::int64_t line = db().AddLine({0, 0, 0}, {10000, 0, 0});
  const std::int64_t circle = db().AddCircle({0, 5000, 0}, 100);
  annotate::LabelStyle style;
  style.layer = "寸法";
  annotate::CreatedObjectRecord record;
  const struct {
    const char* name;
    std::int64_t id;
    LengthLabelResult expected;
  } cases[] = {
      {"a circle is no segment", circle, LengthLabelResult::NotASegment},
      {"a line", line, LengthLabelResult::Labelled},
      {"the same line again", line, LengthLabelResult::AlreadyLabelled},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    t_.input->PushEntity(c.id, 5000, 0);
    EXPECT_EQ(LabelPickedSegment(document(), style, record), c.expected);
    // The layer is only added once there is a segment to label.
    EXPECT_EQ(db().FindLayer("寸法") != nullptr, c.expected != LengthLabelResult::NotASegment);
  }
  const auto texts = db().OfKind(cad::EntityKind::Text);
  ASSERT_EQ(texts.size(), 1u);
  EXPECT_EQ(texts.front()->layer, "寸法");
  EXPECT_EQ(texts.front()->as<cad::TextData>()->text, "10.00");
}

}  // namespace
}  // namespace zavin::tools
