#include "annotate/record.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <array>
#include <string>

#include "host/object_model.h"
#include "tests/annotate/annotate_fixture.h"

namespace zavin::annotate {
namespace {

using platform::MakeArray;
using platform::MakePointArray;
using platform::VarKind;
using platform::Variant;
using ::testing::ElementsAre;

class RecordTest : public testing::AnnotateTest {};

TEST_F(RecordTest, RecordHasTheTwoArrayShapeWithTheSidesInVertexOrder) {
  const TriangleSides sides = SidesOf({0, 0, 0}, {3000, 0, 0}, {0, 4000, 0});
  EXPECT_EQ(sides, (TriangleSides{3000, 5000, 4000}));

  const host::Xdata x = TriangleXdata(sides);
  ASSERT_TRUE(x.types.is_array());
  const platform::VariantArray& types = x.types.array();
  EXPECT_EQ(types.element, VarKind::Int16);
  EXPECT_EQ(types.lower, 0);
  EXPECT_EQ(types.upper(), 1);
  EXPECT_EQ(types.items[0], Variant(std::int16_t{1001}));
  EXPECT_EQ(types.items[1], Variant(std::int16_t{1010}));

  ASSERT_TRUE(x.values.is_array());
  const platform::VariantArray& values = x.values.array();
  EXPECT_EQ(values.element, VarKind::Variant);
  EXPECT_EQ(values.lower, 0);
  EXPECT_EQ(values.upper(), 1);
  EXPECT_EQ(values.items[0], Variant("QM_ZAVIN"));
  EXPECT_EQ(values.items[1], MakePointArray(3000, 5000, 4000));
}

TEST_F(RecordTest, RecordSurvivesTheHostAtFullPrecision) {
  const TriangleSides sides{3333.3333333333, 5000.000000001, 1e-9};
  const host::Text text = document().ModelSpace().AddText("7", {0, 0, 0}, 400);
  text.SetXdata(TriangleXdata(sides));

  const auto back = ParseTriangleXdata(text.GetXdata("QM_ZAVIN"));
  ASSERT_TRUE(back.has_value());
  EXPECT_EQ(*back, sides);  // bit for bit, not rounded
}

TEST_F(RecordTest, OnlyTheExactShapeReadsAsANumberText) {
  const std::array<std::int16_t, 2> codes{1001, 1010};
  const auto good_types = host::MakeXdata(codes, {"QM_ZAVIN", MakePointArray(1, 2, 3)}).types;
  const Variant variants_as_types(MakeArray(VarKind::Variant, {std::int16_t{1001}, std::int16_t{1010}}));
  const auto values = [](Variant item1) {
    return Variant(MakeArray(VarKind::Variant, {Variant("QM_ZAVIN"), std::move(item1)}));
  };
  const struct {
    const char* name;
    host::Xdata xdata;
  } rejected[] = {
      {"no data", {}},
      {"types not Int16", {variants_as_types, values(MakePointArray(1, 2, 3))}},
      {"values a double array",
       {good_types, Variant(MakeArray(VarKind::Double, {1.0, 2.0}))}},
      {"other application",
       {good_types, Variant(MakeArray(VarKind::Variant, {Variant("OTHER"), MakePointArray(1, 2, 3)}))}},
      {"item 1 not an array", {good_types, values(Variant(3.0))}},
      {"item 1 of two elements", {good_types, values(Variant(MakeArray(VarKind::Double, {1.0, 2.0})))}},
      {"upper bound 2 from lower bound 1",
       {good_types, values(Variant(MakeArray(VarKind::Double, {1.0, 2.0}, 1)))}},
      {"item 1 of texts",
       {good_types, values(Variant(MakeArray(VarKind::Text, {"a", "b", "c"})))}},
  };
  for (const auto& c : rejected) {
    SCOPED_TRACE(c.name);
    EXPECT_FALSE(ParseTriangleXdata(c.xdata).has_value());
  }
  EXPECT_TRUE(ParseTriangleXdata({good_types, values(MakePointArray(1, 2, 3))}).has_value());
}

TEST_F(RecordTest, CreatedObjectsAreListedOnlyWhileRecording) {
  const host::Line line = document().ModelSpace().AddLine({0, 0, 0}, {1, 0, 0});
  const std::int64_t calls = host().call_count();
  RecordCreatedObject(record_, line);
  EXPECT_TRUE(record_.CreatedObjectIds.empty());
  EXPECT_EQ(host().call_count(), calls);

  record_.RecordCreatedObjects = true;
  RecordCreatedObject(record_, line);
  EXPECT_THAT(record_.CreatedObjectIds, ElementsAre(line.ObjectID()));

  record_.Reset();
  EXPECT_FALSE(record_.RecordCreatedObjects);
  EXPECT_TRUE(record_.CreatedObjectIds.empty());
}

}  // namespace
}  // namespace zavin::annotate
