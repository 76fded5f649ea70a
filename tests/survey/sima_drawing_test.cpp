// SIMA data drawn into the embedded host and read back out of it, through the
// host's object model.

#include "survey/sima_drawing.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "cad/db/database.h"
#include "cad/dxf/dxf_file.h"
#include "tests/cad/host_probe.h"
#include "geometry/rounding.h"
#include "tests/host/test_host.h"

namespace zavin::survey {
namespace {

namespace fs = std::filesystem;
using geometry::TAcadPoint;
using ::testing::ElementsAre;

const fs::path kData = fs::path(ZAVIN_SOURCE_DIR) / "tests/survey/data";

// "name X Y" with the coordinates as written, 3 decimals.
std::vector<std::string> Listing(const SimaData& d) {
  std::vector<std::string> out;
  for (const SimaPoint& p : d.points)
    out.push_back(p.name + " " + geometry::RoundToText(3, geometry::RoundingMode::HalfUp, p.x) + " " +
                  geometry::RoundToText(3, geometry::RoundingMode::HalfUp, p.y));
  return out;
}

class SimaDrawingTest : public host::testing::HostTest {
 protected:
  std::vector<const cad::Entity*> OnLayer(std::string_view layer) const {
    std::vector<const cad::Entity*> out;
    for (const auto& [id, e] : db().model_space())
      if (e.layer == layer) out.push_back(&e);
    return out;
  }
};

TEST_F(SimaDrawingTest, PointsNamesAndParcelsAreDrawnInDrawingUnits) {
  const SimaReadResult file = ReadSimaFile(kData / "parcel6_sjis.sim");
  const SimaDrawn drawn = DrawSima(document(), file.data, SimaDrawingStyle{});
  EXPECT_EQ(drawn.points, 6);
  EXPECT_EQ(drawn.parcels, 1);

  const auto names = OnLayer("点名");
  ASSERT_EQ(names.size(), 12u);  // a point and its name each
  const auto* mark = names[0]->as<cad::PointData>();
  ASSERT_NE(mark, nullptr);
  // X north = drawing y, Y east = drawing x, metres times 1000.
  EXPECT_DOUBLE_EQ(mark->position.x, 2000250);
  EXPECT_DOUBLE_EQ(mark->position.y, 1020500);
  const auto* label = names[1]->as<cad::TextData>();
  ASSERT_NE(label, nullptr);
  EXPECT_EQ(label->text, "北杭");
  EXPECT_DOUBLE_EQ(label->insertion.x, 2000250 + 150);
  EXPECT_DOUBLE_EQ(label->insertion.y, 1020500 - 150);
  EXPECT_EQ(db().GetVar("CLAYER").ToText(), "0");

  const auto parcel = OnLayer("画地");
  ASSERT_EQ(parcel.size(), 2u);
  const auto* ring = parcel[0]->as<cad::PolylineData>();
  ASSERT_NE(ring, nullptr);
  EXPECT_TRUE(ring->closed);
  EXPECT_EQ(ring->vertices.size(), 6u);
  EXPECT_EQ(parcel[1]->as<cad::TextData>()->text, "宅地一");

  // Points survive the drawing file.
  const fs::path saved = fs::temp_directory_path() / "zavin_sima_points.dxf";
  cad::SaveDxf(db(), saved, {});
  cad::Database reread;
  cad::LoadDxf(saved, reread);
  EXPECT_EQ(reread.OfKind(cad::EntityKind::Point).size(), 6u);
  fs::remove(saved);
}

TEST_F(SimaDrawingTest, RoundTripKeepsEveryNameAndCoordinate) {
  const SimaReadResult file = ReadSimaFile(kData / "parcel6_sjis.sim");
  DrawSima(document(), file.data, SimaDrawingStyle{});
  const auto outline = BoundaryAround(document(), t_.application(), host::HostKind::Zcad,
                                      {2005000, 1005000, 0});
  ASSERT_TRUE(outline.has_value());
  const SimaData back = ParcelData(document(), *outline, SimaDrawingStyle{}).data;
  EXPECT_EQ(Listing(back), Listing(file.data));
  ASSERT_EQ(back.parcels.size(), 1u);
  EXPECT_EQ(back.parcels[0].name, "宅地一");
  EXPECT_THAT(back.parcels[0].vertices, ElementsAre("1", "2", "3", "4", "5", "6"));
  // The boundary was erased again; nothing else changed.
  EXPECT_EQ(db().model_space().size(), 14u);
  EXPECT_TRUE(host::testing::TempSelectionSetNames(document()).empty());
}

TEST_F(SimaDrawingTest, VerticesWithoutNamesGetGeneratedOnes) {
  // Counter-clockwise from the south-west corner; a name text on another
  // layer and one too far away do not count.
  db().AddText("遠い", {1000 + 400, 2000, 0}, 300, "点名");
  db().AddText("別層", {1000, 1000, 0}, 300, "0");
  const std::vector<geometry::OutlineVertex> ccw{{{0, 0, 0}}, {{1000, 0, 0}}, {{1000, 2000, 0}}, {{0, 2000, 0}}};
  SimaDrawingStyle style;
  style.first_number = 7;
  const SimaData d = ParcelData(document(), ccw, style).data;
  EXPECT_THAT(Listing(d), ElementsAre("K7 2.000 0.000", "K8 2.000 1.000", "K9 0.000 1.000", "K10 0.000 0.000"));
  EXPECT_EQ(d.parcels[0].name, "1");
}

TEST(SimaDrawingFaultTest, AFailingHostLeavesNothingHalfImportedAndTheLayerAsItWas) {
  const SimaReadResult file = ReadSimaFile(kData / "parcel6_sjis.sim");
  std::int64_t calls = 0;
  {
    auto t = host::testing::StartTestHost();
    const host::Document doc = t.document();
    const std::int64_t start = t.host->call_count();
    DrawSima(doc, file.data, SimaDrawingStyle{});
    calls = t.host->call_count() - start;
  }
  ASSERT_GT(calls, 12);
  for (std::int64_t k = 1; k <= calls; ++k) {
    auto t = host::testing::StartTestHost();
    const host::Document doc = t.document();
    cad::testing::Probe(*t.host).faults().fail_call = t.host->call_count() + k;
    bool failed = false;
    try {
      DrawSima(doc, file.data, SimaDrawingStyle{});
    } catch (const platform::HostError&) {
      failed = true;
    }
    cad::testing::Probe(*t.host).faults().fail_call = 0;
    // All or nothing; only setting the current layer back is tried twice.
    EXPECT_EQ(t.db().model_space().size(), failed ? 0u : 14u) << "call " << k;
    EXPECT_TRUE(failed || k == calls) << "call " << k;
    EXPECT_EQ(t.db().GetVar("CLAYER").ToText(), "0") << "call " << k;
  }
  platform::ResetPlatform();
}

}  // namespace
}  // namespace zavin::survey
