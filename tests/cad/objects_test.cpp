// Entities, collections, system variables and the utility's prompts, through
// automation.

#include <gtest/gtest.h>

#include <cmath>
#include <numbers>

#include "cad_fixture.h"

namespace zavin::cad::testing {
namespace {

using ObjectsTest = CadTest;
using platform::HostError;

Variant Codes(std::vector<std::int16_t> codes) {
  std::vector<Variant> v(codes.begin(), codes.end());
  return Variant(platform::MakeArray(VarKind::Int16, std::move(v)));
}
Variant Values(std::vector<Variant> values) {
  return Variant(platform::MakeArray(VarKind::Variant, std::move(values)));
}

Point3 AsPoint(const Variant& v) {
  const auto& a = v.array();
  EXPECT_EQ(a.element, VarKind::Double);
  EXPECT_EQ(a.lower, 0);
  EXPECT_EQ(a.upper(), 2);
  return {a.items[0].ToDouble(), a.items[1].ToDouble(), a.items[2].ToDouble()};
}

TEST_F(ObjectsTest, XdataRoundTripKeepsTheRecordShapeAndFullPrecision) {
  auto text = Call(ModelSpace(), "AddText", {Variant("7"), Pt(0, 0), Variant(400.0)}).object();
  const double a = 3333.3333333333, b = 5000, c = 4000;
  Call(text, "SetXdata", {Codes({1001, 1010}), Values({Variant("QM_ZAVIN"), Pt(a, b, c)})});

  std::vector<Variant> out{Variant("qm_zavin"), Variant(), Variant()};
  CallOut(text, "GetXdata", out);
  const auto& types = out[1].array();
  const auto& values = out[2].array();
  EXPECT_EQ(types.element, VarKind::Int16);
  EXPECT_EQ(values.element, VarKind::Variant);
  ASSERT_EQ(types.upper(), 1);
  ASSERT_EQ(values.upper(), 1);
  EXPECT_EQ(types.lower, 0);
  EXPECT_EQ(types.items[0].ToInt32(), 1001);
  EXPECT_EQ(types.items[1].ToInt32(), 1010);
  EXPECT_EQ(values.items[0].text(), "QM_ZAVIN");
  EXPECT_EQ(AsPoint(values.items[1]), (Point3{a, b, c}));

  // Another application's data stays apart; asking for a missing one gives Empty.
  Call(text, "SetXdata", {Codes({1001, 1000}), Values({Variant("OTHER"), Variant("x")})});
  out = {Variant("QM_ZAVIN"), Variant(), Variant()};
  CallOut(text, "GetXdata", out);
  EXPECT_EQ(out[1].array().items.size(), 2u);
  out = {Variant("NOPE"), Variant(1), Variant(1)};
  CallOut(text, "GetXdata", out);
  EXPECT_TRUE(out[1].empty());
  EXPECT_TRUE(out[2].empty());
}

TEST_F(ObjectsTest, SetXdataRejectsMalformedRecordsAndKeepsTheOldOne) {
  auto text = Call(ModelSpace(), "AddText", {Variant("7"), Pt(0, 0), Variant(400.0)}).object();
  Call(text, "SetXdata", {Codes({1001, 1040}), Values({Variant("QM_ZAVIN"), Variant(1.5)})});
  const std::vector<std::pair<Variant, Variant>> bad = {
      {Codes({1010}), Values({Pt(1, 2, 3)})},                                   // no application name
      {Codes({1001, 1010}), Values({Variant("QM_ZAVIN")})},                     // lengths differ
      {Codes({1001, 1010}), Values({Variant("QM_ZAVIN"), Variant("1,2,3")})},   // point is a text
      {Codes({1001, 1999}), Values({Variant("QM_ZAVIN"), Variant(1)})},         // unknown code
      {Variant(), Variant()},
  };
  for (std::size_t i = 0; i < bad.size(); ++i) {
    SCOPED_TRACE(i);
    EXPECT_THROW(Call(text, "SetXdata", {bad[i].first, bad[i].second}), HostError);
  }
  std::vector<Variant> out{Variant("QM_ZAVIN"), Variant(), Variant()};
  CallOut(text, "GetXdata", out);
  EXPECT_DOUBLE_EQ(out[2].array().items[1].ToDouble(), 1.5);
}

TEST_F(ObjectsTest, TextAlignmentPointIsTheAnchorForNonLeftAlignments) {
  auto text = Call(ModelSpace(), "AddText", {Variant("10.00"), Pt(5000, 0), Variant(300.0)}).object();
  Put(text, "Rotation", Variant(std::numbers::pi / 2));
  Put(text, "Alignment", Variant(std::int32_t{13}));
  Put(text, "TextAlignmentPoint", Pt(5000, 0));
  // 1200 wide, centred: the baseline starts 600 below the anchor along the rotation.
  const Point3 ins = AsPoint(Get(text, "InsertionPoint"));
  EXPECT_NEAR(ins.x, 5000, 1e-9);
  EXPECT_NEAR(ins.y, -600, 1e-9);
  Put(text, "TextString", Variant("1.0"));  // narrower: the anchor stays, the start moves
  EXPECT_NEAR(AsPoint(Get(text, "InsertionPoint")).y, -360, 1e-9);
  EXPECT_EQ(AsPoint(Get(text, "TextAlignmentPoint")), (Point3{5000, 0, 0}));

  // Rotate about a point turns the anchor and adds to the rotation.
  Call(text, "Rotate", {Pt(0, 0), Variant(std::numbers::pi / 2)});
  const Point3 anchor = AsPoint(Get(text, "TextAlignmentPoint"));
  EXPECT_NEAR(anchor.x, 0, 1e-9);
  EXPECT_NEAR(anchor.y, 5000, 1e-9);
  EXPECT_NEAR(Get(text, "Rotation").ToDouble(), std::numbers::pi, 1e-12);
  EXPECT_THROW(Put(text, "Alignment", Variant(std::int32_t{15})), HostError);
}

// Text Rotation goes through the drawing's angle frame: ANGBASE (degrees) is
// added, and ANGDIR 1 measures clockwise. The database keeps the absolute
// counter-clockwise angle, so a label on a side at 45 degrees given -pi/4 in a
// clockwise frame still lies along the side.
TEST_F(ObjectsTest, TextRotationIsTakenAndReportedInTheDrawingsAngleFrame) {
  constexpr double kPi = std::numbers::pi;
  const struct {
    const char* name;
    double angbase_deg;
    std::int16_t angdir;
    double value, absolute;
  } cases[] = {
      {"default frame", 0, 0, kPi / 6, kPi / 6},
      {"clockwise, side at 45", 0, 1, -kPi / 4, kPi / 4},
      {"base 90", 90, 0, -kPi / 2, 0},
      {"clockwise, base 90", 90, 1, kPi / 2, 0},
      {"clockwise, base 30", 30, 1, -kPi / 3, kPi / 2},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    db().SetVar("ANGBASE", Variant(c.angbase_deg));
    db().SetVar("ANGDIR", Variant(c.angdir));
    auto text = Call(ModelSpace(), "AddText", {Variant("7.07"), Pt(0, 0), Variant(300.0)}).object();
    const std::int64_t id = Get(text, "ObjectID").ToInt64();
    Put(text, "Rotation", Variant(c.value));
    EXPECT_NEAR(db().Find(id)->as<TextData>()->rotation, c.absolute, 1e-12);
    EXPECT_NEAR(Get(text, "Rotation").ToDouble(), c.value, 1e-12);

    // Rotate turns counter-clockwise in absolute terms whatever the frame.
    Call(text, "Rotate", {Pt(0, 0), Variant(kPi / 2)});
    EXPECT_NEAR(db().Find(id)->as<TextData>()->rotation, c.absolute + kPi / 2, 1e-12);
    EXPECT_NEAR(Get(text, "Rotation").ToDouble(), c.angdir == 1 ? c.value - kPi / 2 : c.value + kPi / 2,
                1e-12);
  }
}

TEST_F(ObjectsTest, EntitiesReportTheirKindsAndErasedOnesRaise) {
  auto ms = ModelSpace();
  struct Case {
    ObjectRef e;
    const char* name;
  } cases[] = {
      {Call(ms, "AddLine", {Pt(0, 0), Pt(1, 1)}).object(), "AcDbLine"},
      {Call(ms, "AddText", {Variant("a"), Pt(0, 0), Variant(1.0)}).object(), "AcDbText"},
      {Call(ms, "AddCircle", {Pt(0, 0), Variant(2.0)}).object(), "AcDbCircle"},
      {Call(ms, "AddLightWeightPolyline",
            {Variant(platform::MakeArray(VarKind::Double, {Variant(0.0), Variant(0.0), Variant(4.0),
                                                           Variant(0.0)}))})
           .object(),
       "AcDbPolyline"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(Get(c.e, "EntityName").text(), c.name);
    const Variant id = Get(c.e, "ObjectID");
    EXPECT_EQ(id.kind(), VarKind::Int64);
    EXPECT_GT(id.ToInt64(), std::int64_t{1} << 32) << "ids need all 64 bits";
    Call(c.e, "Delete");
    EXPECT_THROW(Get(c.e, "EntityName"), HostError);
    EXPECT_THROW(Call(Doc(), "ObjectIdToObject", {id}), HostError);
  }
  EXPECT_THROW(Call(ms, "AddCircle", {Pt(0, 0), Variant(0.0)}), HostError);
  EXPECT_THROW(Call(ms, "AddLine", {Pt(0, 0), Variant(platform::MakeArray(VarKind::Double, {Variant(1.0)}))}),
               HostError);
  EXPECT_THROW(Call(ms, "AddLine", {Pt(0, 0), Pt(std::nan(""), 0)}), HostError);
}

TEST_F(ObjectsTest, LayerWritesNeedAnExistingLayerAndKeepItsSpelling) {
  auto line = Call(ModelSpace(), "AddLine", {Pt(0, 0), Pt(1, 1)}).object();
  EXPECT_THROW(Put(line, "Layer", Variant("H_HEN")), HostError);
  auto layers = Get(Doc(), "Layers").object();
  Call(layers, "Add", {Variant("H_HEN")});
  Call(layers, "Add", {Variant("h_hen")});  // an existing name adds nothing
  EXPECT_EQ(Get(layers, "Count").ToInt32(), 2);
  Put(line, "Layer", Variant("h_hen"));
  EXPECT_EQ(Get(line, "Layer").text(), "H_HEN");
  EXPECT_THROW(Call(layers, "Add", {Variant("a*b")}), HostError);
}

TEST_F(ObjectsTest, BlockDeleteIsRefusedWhileReferencesExist) {
  auto blocks = Get(Doc(), "Blocks").object();
  auto block = Call(blocks, "Add", {Pt(0, 0), Variant("Zavin_1")}).object();
  Call(block, "AddLine", {Pt(0, 0), Pt(10, 0)});
  Call(block, "AddText", {Variant("No."), Pt(1, -1), Variant(1.0)});
  EXPECT_EQ(Get(block, "Count").ToInt32(), 2);
  const std::int64_t ref = db().InsertBlock("Zavin_1", {100, 200, 0});

  EXPECT_THROW(Call(block, "Delete"), HostError);
  ASSERT_NE(db().FindBlock("zavin_1"), nullptr);

  // Exploding places copies in model space; the reference itself stays.
  auto reference = Call(Doc(), "ObjectIdToObject", {Variant(ref)}).object();
  EXPECT_EQ(Get(reference, "EntityName").text(), "AcDbBlockReference");
  EXPECT_EQ(Get(reference, "Name").text(), "Zavin_1");
  Call(reference, "Explode");
  const auto lines = db().OfKind(EntityKind::Line);
  ASSERT_EQ(lines.size(), 1u);
  EXPECT_EQ(lines[0]->as<LineData>()->end, (Point3{110, 200, 0}));
  EXPECT_THROW(Call(block, "Delete"), HostError);

  Call(reference, "Delete");
  EXPECT_NO_THROW(Call(block, "Delete"));
  EXPECT_EQ(db().FindBlock("Zavin_1"), nullptr);
  EXPECT_THROW(Get(block, "Name"), HostError);
}

TEST_F(ObjectsTest, BlocksCollectionListsLayoutsThenDefinitionsByIndexOrName) {
  auto blocks = Get(Doc(), "Blocks").object();
  Call(blocks, "Add", {Pt(0, 0), Variant("Zavin_7")});
  EXPECT_EQ(Get(blocks, "Count").ToInt32(), 3);
  EXPECT_EQ(Get(Call(blocks, "Item", {Variant(0)}).object(), "Name").text(), "*Model_Space");
  EXPECT_EQ(Get(Call(blocks, "Item", {Variant(2)}).object(), "Name").text(), "Zavin_7");
  EXPECT_EQ(Get(Call(blocks, "Item", {Variant("ZAVIN_7")}).object(), "Name").text(), "Zavin_7");
  EXPECT_THROW(Call(blocks, "Item", {Variant(3)}), HostError);
  EXPECT_THROW(Call(Call(blocks, "Item", {Variant(0)}).object(), "Delete"), HostError);
}

TEST_F(ObjectsTest, SystemVariablesHaveDefaultsAndTypeChecks) {
  auto doc = Doc();
  auto get = [&](const char* n) { return Call(doc, "GetVariable", {Variant(n)}); };
  struct Default {
    const char* name;
    Variant value;
  } defaults[] = {
      {"SNAPMODE", Variant(std::int16_t{0})}, {"AUNITS", Variant(std::int16_t{0})},
      {"ANGBASE", Variant(0.0)},              {"ANGDIR", Variant(std::int16_t{0})},
      {"PICKBOX", Variant(std::int16_t{3})},  {"DIMSCALE", Variant(1.0)},
      {"DIMLDRBLK", Variant("")},             {"LASTPOINT", Pt(0, 0, 0)},
  };
  for (const auto& d : defaults) {
    SCOPED_TRACE(d.name);
    EXPECT_EQ(get(d.name), d.value);
  }
  EXPECT_GT(get("VIEWSIZE").ToDouble(), 0);

  // Extents follow the drawing.
  db().AddCircle({100, 100, 0}, 50);
  EXPECT_EQ(AsPoint(get("EXTMIN")), (Point3{50, 50, 0}));
  EXPECT_EQ(AsPoint(get("EXTMAX")), (Point3{150, 150, 0}));

  auto set = [&](const char* n, Variant v) { Call(doc, "SetVariable", {Variant(n), std::move(v)}); };
  set("SNAPMODE", Variant(std::int32_t{1}));
  EXPECT_EQ(get("SNAPMODE").ToInt32(), 1);
  set("DIMLDRBLK", Variant("."));  // the default arrowhead reads back empty
  EXPECT_EQ(get("DIMLDRBLK").text(), "");
  set("DIMASZ", Variant(std::int32_t{4}));
  EXPECT_EQ(get("DIMASZ").kind(), VarKind::Double);

  EXPECT_THROW(get("NOSUCHVAR"), HostError);
  EXPECT_THROW(set("NOSUCHVAR", Variant(1)), HostError);
  EXPECT_THROW(set("SNAPMODE", Variant("1")), HostError);
  EXPECT_THROW(set("SNAPMODE", Variant(std::int32_t{2})), HostError);
  EXPECT_THROW(set("AUNITS", Variant(std::int32_t{6})), HostError);
  EXPECT_THROW(set("DIMASZ", Variant("big")), HostError);
  EXPECT_THROW(set("DIMLDRBLK", Variant(0)), HostError);
  EXPECT_THROW(set("VIEWSIZE", Variant(1.0)), HostError);
  EXPECT_THROW(set("CLAYER", Variant("missing")), HostError);
}

TEST_F(ObjectsTest, UtilityPromptsAnswerFromTheInputSourceAndCancelRaises) {
  const auto line = db().AddLine({0, 0, 0}, {100, 0, 0});
  auto utility = Get(Doc(), "Utility").object();

  input_->PushPoint(12, 34);
  const Point3 p = AsPoint(Call(utility, "GetPoint", {Variant(), Variant("領域内の１点を指示 : ")}));
  EXPECT_EQ(p, (Point3{12, 34, 0}));
  EXPECT_EQ(input_->prompts().back(), "領域内の１点を指示 : ");
  EXPECT_EQ(AsPoint(Call(Doc(), "GetVariable", {Variant("LASTPOINT")})), p);

  input_->PushPick(50, 2);  // an entity pick without an id picks under the pick box
  std::vector<Variant> out{Variant(), Variant(), Variant("pick")};
  CallOut(utility, "GetEntity", out);
  EXPECT_EQ(Get(out[0].object(), "ObjectID").ToInt64(), line);
  EXPECT_EQ(AsPoint(out[1]), (Point3{50, 2, 0}));

  struct Case {
    const char* what;
    UserAnswer answer;
  } failing[] = {
      {"cancel", {UserAnswer::Kind::Cancel}},
      {"empty pick", {UserAnswer::Kind::Entity, 5000, 5000, 0, 0}},
      {"erased id", {UserAnswer::Kind::Entity, 0, 0, 0, 12345}},
      {"enter", {UserAnswer::Kind::Empty}},
  };
  for (const auto& c : failing) {
    SCOPED_TRACE(c.what);
    input_->Push(c.answer);
    out = {Variant(), Variant(), Variant("pick")};
    EXPECT_THROW(CallOut(utility, "GetEntity", out), HostError);
  }
  EXPECT_THROW(Call(utility, "GetPoint", {Variant(), Variant("queue is empty")}), HostError);
  Call(utility, "Prompt", {Variant("\r\n点が指示されました.\r\n")});
  EXPECT_EQ(host_->prompts().back(), "\r\n点が指示されました.\r\n");
}

}  // namespace
}  // namespace zavin::cad::testing
