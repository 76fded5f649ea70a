// zavin sima-import and sima-export end to end: a hand-written Shift_JIS
// parcel into a drawing and back out, usage, and faulty files.

#include "app/sima_cli.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "cad/db/database.h"
#include "cad/dxf/dxf_file.h"
#include "survey/sima.h"

namespace zavin::app {
namespace {

namespace fs = std::filesystem;
using ::testing::HasSubstr;

const fs::path kParcel = fs::path(ZAVIN_SOURCE_DIR) / "tests/survey/data/parcel6_sjis.sim";

class SimaCliTest : public ::testing::Test {
 protected:
  void SetUp() override {
    dir_ = fs::temp_directory_path() /
           ("zavin_sima_" + std::string(::testing::UnitTest::GetInstance()->current_test_info()->name()));
    fs::remove_all(dir_);
    fs::create_directories(dir_);
  }
  void TearDown() override { fs::remove_all(dir_); }

  int Import(std::vector<std::string> args) { return SimaImportMain(args, out_, err_); }
  int Export(std::vector<std::string> args) { return SimaExportMain(args, out_, err_); }
  std::string P(const std::string& name) const { return (dir_ / name).string(); }

  fs::path dir_;
  std::ostringstream out_, err_;
};

TEST_F(SimaCliTest, HandWrittenShiftJisParcelComesBackWithItsNamesAndCoordinates) {
  ASSERT_EQ(Import({kParcel.string(), "--out", P("in.dxf")}), 0) << err_.str();
  EXPECT_THAT(out_.str(), HasSubstr("imported: 6 points, 1 parcels"));
  EXPECT_THAT(out_.str(), HasSubstr("sima: G00,01,練習現場"));
  // The point inside the parcel, in drawing units (millimetres).
  ASSERT_EQ(Export({"--drawing", P("in.dxf"), "--point", "2005000,1005000", "--out", P("back.sim")}), 0)
      << err_.str();

  const survey::SimaReadResult original = survey::ReadSimaFile(kParcel);
  const survey::SimaReadResult back = survey::ReadSimaFile(P("back.sim"));
  EXPECT_EQ(back.encoding, survey::SimaEncoding::ShiftJis);
  EXPECT_TRUE(back.diagnostics.empty());
  ASSERT_EQ(back.data.points.size(), original.data.points.size());
  for (std::size_t i = 0; i < back.data.points.size(); ++i) {
    const survey::SimaPoint &a = original.data.points[i], &b = back.data.points[i];
    EXPECT_EQ(b.number, a.number);
    EXPECT_EQ(b.name, a.name);
    EXPECT_NEAR(b.x, a.x, 5e-4) << a.name;
    EXPECT_NEAR(b.y, a.y, 5e-4) << a.name;
  }
  ASSERT_EQ(back.data.parcels.size(), 1u);
  EXPECT_EQ(back.data.parcels[0].name, "宅地一");
  EXPECT_EQ(back.data.parcels[0].vertices, original.data.parcels[0].vertices);
}

TEST_F(SimaCliTest, HelpExitsZero) {
  EXPECT_EQ(Import({"--help"}), 0);
  EXPECT_THAT(out_.str(), HasSubstr("usage: zavin sima-import IN.sim"));
  EXPECT_EQ(Export({"--help"}), 0);
  EXPECT_THAT(out_.str(), HasSubstr("usage: zavin sima-export --drawing IN.dxf --point X,Y"));
  EXPECT_TRUE(err_.str().empty());
}

TEST_F(SimaCliTest, FaultyRecordsAreReportedByLineAndTheRestIsImported) {
  std::ofstream(P("bad.sim"), std::ios::binary) << "A00,\r\nA01,1,a,1.5,2.5,\r\nA01,2,b,one,2,\r\nA01,1,c,3,3,\r\n";
  EXPECT_EQ(Import({P("bad.sim"), "--out", P("out.dxf"), "--scale", "1"}), 3);
  EXPECT_THAT(err_.str(), HasSubstr(P("bad.sim") + ":3: A01: X and Y must be numbers"));
  EXPECT_THAT(err_.str(), HasSubstr(P("bad.sim") + ":4: point number 1 was already given on line 2"));
  cad::Database db;
  cad::LoadDxf(P("out.dxf"), db);
  ASSERT_EQ(db.OfKind(cad::EntityKind::Point).size(), 1u);
  EXPECT_DOUBLE_EQ(db.OfKind(cad::EntityKind::Point)[0]->as<cad::PointData>()->position.x, 2.5);
}

TEST_F(SimaCliTest, NothingIsWrittenWhenNothingCanBeDone) {
  struct Case {
    std::vector<std::string> args;
    int exit;
    const char* message;
  };
  std::ofstream(P("mixed.sim"), std::ios::binary) << "A00,\r\nA01,1,\x82,1,2,\r\n";
  std::ofstream(P("empty.sim"), std::ios::binary) << "hello\n";
  ASSERT_EQ(Import({kParcel.string(), "--out", P("in.dxf")}), 0);
  const Case cases[] = {
      {{P("mixed.sim"), "--out", P("out.x")}, 1, ":2: neither UTF-8 nor Shift_JIS"},
      {{P("empty.sim"), "--out", P("out.x")}, 1, "no point or parcel to import"},
      {{P("missing.sim"), "--out", P("out.x")}, 1, "cannot open"},
      {{kParcel.string(), "--out", P("out.x"), "--scale", "0"}, 2, "--scale takes a positive number"},
      {{kParcel.string()}, 2, "--out is required"},
      {{kParcel.string(), "--out", kParcel.string()}, 2, "another file than the SIMA file"},
      {{"--drawing", P("in.dxf"), "--point", "0,0", "--out", P("out.x")}, 1, "no closed region around 0,0"},
      {{"--drawing", P("in.dxf"), "--point", "1;2", "--out", P("out.x")}, 2, "--point takes X,Y"},
      {{"--drawing", P("in.dxf"), "--out", P("out.x")}, 2, "--point and --out are required"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.message);
    err_.str("");
    const bool import = !c.args.empty() && c.args[0] != "--drawing";
    EXPECT_EQ(import ? Import(c.args) : Export(c.args), c.exit);
    EXPECT_THAT(err_.str(), HasSubstr(c.message));
    EXPECT_FALSE(fs::exists(P("out.x")));
  }
}

}  // namespace
}  // namespace zavin::app
