#include "host/object_model.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "tests/host/test_host.h"

namespace zavin::host {
namespace {

using geometry::TAcadPoint;
using platform::MakeArray;
using platform::VarKind;
using ::testing::ElementsAre;

MATCHER_P3(IsPoint, x, y, z, "") {
  return static_cast<double>(arg.x) == x && static_cast<double>(arg.y) == y &&
         static_cast<double>(arg.z) == z;
}

TEST(PointConversionTest, HostPointsHaveBoundsZeroToTwo) {
  const Variant v = PointToVariant({1.5L, -2, 3});
  ASSERT_TRUE(v.is_array());
  EXPECT_EQ(v.array().element, VarKind::Double);
  EXPECT_EQ(v.array().lower, 0);
  EXPECT_EQ(v.array().upper(), 2);
  EXPECT_THAT(PointFromVariant(v), IsPoint(1.5, -2, 3));
  EXPECT_THAT(PointFromVariant(MakeArray(VarKind::Double, {4.0, 5.0})), IsPoint(4, 5, 0));
}

TEST(PointConversionTest, AnythingButTwoOrThreeNumbersIsATypeMismatch) {
  const struct {
    const char* name;
    Variant value;
  } cases[] = {
      {"empty", Variant()},
      {"number", Variant(1.0)},
      {"text", Variant("1,2,3")},
      {"one number", Variant(MakeArray(VarKind::Double, {1.0}))},
      {"four numbers", Variant(MakeArray(VarKind::Double, {1.0, 2.0, 3.0, 4.0}))},
      {"a text element", Variant(MakeArray(VarKind::Variant, {1.0, Variant("y"), 3.0}))},
      {"no elements", Variant(MakeArray(VarKind::Double, {}))},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    try {
      PointFromVariant(c.value);
      ADD_FAILURE() << "no error";
    } catch (const platform::HostError& e) {
      EXPECT_EQ(e.code(), platform::hr::kTypeMismatch);
    }
  }
}

class ObjectModelTest : public testing::HostTest {};

// The facade's member names and value shapes against the embedded host.
TEST_F(ObjectModelTest, WrittenEntitiesReadBackThroughTheirAccessors) {
  const Document doc = document();
  const Block space = doc.ModelSpace();

  const Line line = space.AddLine({1, 2, 0}, {4, 6, 0});
  line.SetLayer("0");
  line.Update();
  EXPECT_EQ(line.EntityName(), kLineClass);
  EXPECT_THAT(line.StartPoint(), IsPoint(1, 2, 0));
  EXPECT_THAT(line.EndPoint(), IsPoint(4, 6, 0));
  // Ids are 64-bit and find the same entity again.
  const ObjectId id = line.ObjectID();
  EXPECT_GT(id, std::int64_t{1} << 32);
  EXPECT_THAT(Line(doc.ObjectIdToObject(id)).EndPoint(), IsPoint(4, 6, 0));

  const Text text = space.AddText("12", {10, 10, 0}, 2.5);
  text.SetAlignment(cad::kAlignMiddleCenter);
  text.SetTextAlignmentPoint({20, 30, 0});
  text.SetRotation(0.5);
  EXPECT_EQ(text.EntityName(), kTextClass);
  EXPECT_EQ(text.TextString(), "12");
  EXPECT_EQ(text.Alignment(), cad::kAlignMiddleCenter);
  EXPECT_THAT(text.TextAlignmentPoint(), IsPoint(20, 30, 0));
  EXPECT_DOUBLE_EQ(text.Rotation(), 0.5);

  const Circle circle = space.AddCircle({5, 5, 0}, 1.25);
  EXPECT_EQ(circle.EntityName(), kCircleClass);
  EXPECT_THAT(circle.Center(), IsPoint(5, 5, 0));
  EXPECT_DOUBLE_EQ(circle.Radius(), 1.25);

  const Polyline poly(doc.ObjectIdToObject(db().AddPolyline({{0, 0}, {3, 0}, {3, 4}}, true)));
  EXPECT_EQ(poly.EntityName(), kPolylineClass);
  EXPECT_THAT(poly.Coordinates(), ElementsAre(0, 0, 3, 0, 3, 4));
  EXPECT_TRUE(poly.Closed());

  db().AddBlock("B");
  db().Add(cad::LineData{{0, 0, 0}, {1, 0, 0}}, {}, db().FindBlock("B")->id);
  const BlockReference ref(doc.ObjectIdToObject(db().InsertBlock("B", {7, 8, 0})));
  EXPECT_EQ(ref.EntityName(), kBlockReferenceClass);
  EXPECT_EQ(ref.Name(), "B");
  EXPECT_THAT(ref.InsertionPoint(), IsPoint(7, 8, 0));
  EXPECT_EQ(ref.Explode().size(), 1u);
}

TEST_F(ObjectModelTest, XdataRoundTripsInTheTwoArrayShape) {
  const Text text = document().ModelSpace().AddText("7", {0, 0, 0}, 2.5);
  const std::int16_t codes[] = {1001, 1010};
  text.SetXdata(MakeXdata(codes, {"QM_ZAVIN", PointToVariant({3000, 5000, 3333.3333333333L})}));

  const Xdata back = text.GetXdata("QM_ZAVIN");
  ASSERT_TRUE(back.types.is_array());
  ASSERT_TRUE(back.values.is_array());
  EXPECT_EQ(back.types.array().element, VarKind::Int16);
  EXPECT_EQ(back.types.array().items, (std::vector<Variant>{std::int16_t{1001}, std::int16_t{1010}}));
  const auto& values = back.values.array().items;
  ASSERT_EQ(values.size(), 2u);
  EXPECT_EQ(values[0].text(), "QM_ZAVIN");
  EXPECT_THAT(PointFromVariant(values[1]), IsPoint(3000, 5000, 3333.3333333333));
}

TEST_F(ObjectModelTest, PicksReturnTheEntityAndPointOrRaiseOnCancel) {
  const std::int64_t id = db().AddLine({0, 0, 0}, {10, 0, 0});
  t_.input->PushEntity(id, 5, 0);
  t_.input->PushPoint(1, 2);
  t_.input->PushCancel();
  const Utility utility = document().GetUtility();

  const EntityPick pick = utility.GetEntity("Side: ");
  EXPECT_EQ(pick.entity.ObjectID(), id);
  EXPECT_THAT(pick.point, IsPoint(5, 0, 0));
  EXPECT_THAT(utility.GetPoint({0, 0, 0}, "Point: "), IsPoint(1, 2, 0));
  EXPECT_THROW(utility.GetPoint("Point: "), platform::HostError);
  EXPECT_THAT(t_.input->prompts(), ElementsAre("Side: ", "Point: ", "Point: "));
}

TEST_F(ObjectModelTest, SelectionFilterKeepsOnlyTheNamedType) {
  db().AddLine({0, 0, 0}, {10, 0, 0});
  const std::int64_t text = db().AddText("1", {2, 2, 0}, 2.5);
  const SelectionSet set = document().GetSelectionSets().Add("PICK");
  const std::int16_t codes[] = {0};

  set.Select(kSelectAll, {}, {}, MakeFilter(codes, {"TEXT"}));
  ASSERT_EQ(set.Count(), 1);
  EXPECT_EQ(set.Item(0).ObjectID(), text);

  set.Clear();
  set.Select(kSelectCrossing, {-1, -1, 0}, {11, 1, 0});
  EXPECT_EQ(set.Count(), 1);
  EXPECT_EQ(set.Item(0).EntityName(), kLineClass);
}

}  // namespace
}  // namespace zavin::host
