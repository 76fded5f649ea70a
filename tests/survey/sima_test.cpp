// SIMA files: reading in both encodings, records that are skipped and why,
// and writing in Shift_JIS.

#include "survey/sima.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

namespace zavin::survey {
namespace {

namespace fs = std::filesystem;
using ::testing::ElementsAre;
using ::testing::HasSubstr;

const fs::path kData = fs::path(ZAVIN_SOURCE_DIR) / "tests/survey/data";

std::string Bytes(const fs::path& p) {
  std::ifstream in(p, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

std::vector<std::string> Names(const SimaData& d) {
  std::vector<std::string> out;
  for (const SimaPoint& p : d.points) out.push_back(p.name);
  return out;
}

std::vector<std::string> Messages(const SimaReadResult& r) {
  std::vector<std::string> out;
  for (const SimaDiagnostic& d : r.diagnostics) out.push_back(Located("f.sim", d));
  return out;
}

TEST(SimaReadTest, ShiftJisWithCrlfAndUtf8WithLfReadAlike) {
  const std::string utf8 = Bytes(kData / "parcel6_utf8.sim");
  const SimaReadResult sjis = ReadSimaFile(kData / "parcel6_sjis.sim");
  const SimaReadResult plain = ParseSima(utf8, "u.sim");
  const SimaReadResult marked = ParseSima("\xEF\xBB\xBF" + utf8, "b.sim");
  EXPECT_EQ(sjis.encoding, SimaEncoding::ShiftJis);
  EXPECT_EQ(plain.encoding, SimaEncoding::Utf8);
  EXPECT_EQ(marked.encoding, SimaEncoding::Utf8Bom);
  for (const SimaReadResult* r : {&sjis, &plain, &marked}) {
    EXPECT_TRUE(r->diagnostics.empty());
    // Blanks around fields are dropped; 表 and ソ end in the byte of '\'.
    EXPECT_THAT(Names(r->data), ElementsAre("北杭", "東の鋲", "ソ表3", "コンクリート杭", "ﾌﾟﾚｰﾄ５", "角６"));
    EXPECT_THAT(r->data.info, ElementsAre("G00,01,練習現場", "Z00,座標ﾃﾞｰﾀ", "Z00,区画ﾃﾞｰﾀ"));
    ASSERT_EQ(r->data.parcels.size(), 1u);
    EXPECT_EQ(r->data.parcels[0].name, "宅地一");
    EXPECT_THAT(r->data.parcels[0].vertices, ElementsAre("1", "2", "3", "4", "5", "6"));
    const SimaPoint& p2 = r->data.points[1];
    EXPECT_EQ(p2.number, "2");
    EXPECT_DOUBLE_EQ(p2.x, 1015.123);
    EXPECT_DOUBLE_EQ(p2.y, 2018.764);
    EXPECT_FALSE(p2.z.has_value());
    EXPECT_DOUBLE_EQ(*r->data.points[0].z, 12.3);
  }
}

TEST(SimaReadTest, FaultyRecordsAreSkippedWithTheirLine) {
  const std::string text =
      "A00,\n"
      "A01,1,a,10.0,20.0,\n"
      "A01,2,b,11,21\n"              // no closing comma: fine
      "A01,3,c,x1,22,\n"             // 4: X not a number
      "A01,4,d,12\n"                 // 5: too few fields
      "A01,,e,1,2,\n"                // 6: no number
      "A01,1,again,5,5,\n"           // 7: duplicate
      "hello\n"                      // 8: not a record
      "A01,5,f,1,2,zz,\n"            // 9: Z not a number
      "A99,\n"
      "B01,1,a,\n"                   // 11: outside a parcel
      "D00,1,p,\n"
      "B01,1,a,\n"
      "B01,2,b,\n"
      "B01,9,nine,\n"                // 15: missing point
      "D99,\n"
      "D00,2,two,\n"                 // 17: too few vertices
      "B01,1,\nB01,2,\nB01,1,\n"     // closing repeat of the first is dropped
      "D99,\n"
      "D99,\n"                       // 22: no parcel
      "D00,3,q,\nB01,1,\nB01,2,\nB01,6,\n"
      "A01,6,g,13,23,\n";            // points may follow the parcel; no D99: a note
  const SimaReadResult r = ParseSima(text, "f.sim");
  EXPECT_THAT(Names(r.data), ElementsAre("a", "b", "g"));
  ASSERT_EQ(r.data.parcels.size(), 1u);
  EXPECT_EQ(r.data.parcels[0].number, "3");
  EXPECT_THAT(Messages(r),
              ElementsAre(HasSubstr("f.sim:4: A01: X and Y must be numbers"),
                          HasSubstr("f.sim:5: A01 needs point number"), HasSubstr("f.sim:6: A01 without a point number"),
                          HasSubstr("f.sim:7: point number 1 was already given on line 2"),
                          HasSubstr("f.sim:8: not a SIMA record"), HasSubstr("f.sim:9: A01: Z must be"),
                          HasSubstr("f.sim:11: B01 outside a parcel"), HasSubstr("f.sim:22: D99 without a parcel"),
                          HasSubstr("f.sim:23: parcel 3 has no D99"),
                          HasSubstr("f.sim:15: parcel 1 names point 9"),
                          HasSubstr("f.sim:17: parcel 2 has fewer than 3 vertices")));
}

TEST(SimaReadTest, UnreadableFilesRaiseWithTheirLine) {
  // 0x82 followed by a comma is no Shift_JIS character and no UTF-8.
  EXPECT_THAT([] { ParseSima("A00,\r\nA01,1,\x82,1,2,\r\n", "bad.sim"); },
              ::testing::ThrowsMessage<SimaError>(HasSubstr("bad.sim:2: neither UTF-8 nor Shift_JIS")));
  EXPECT_THAT([] { ParseSima("\xEF\xBB\xBF" "A01,1,\x93\x8C,1,2,\n", "m.sim"); },
              ::testing::ThrowsMessage<SimaError>(HasSubstr("m.sim: marked as UTF-8")));
  EXPECT_THROW(ReadSimaFile(kData / "no such file.sim"), SimaError);
}

SimaData SmallParcel() {
  SimaData d;
  d.points = {{"1", "北杭", 1020.5, 2000.25, 12.3},
              {"2", "K2", -0.0004, 0.0005, std::nullopt},
              {"3", "ｶﾅ", 1.23449999, -7.5, std::nullopt}};
  d.parcels = {{"1", "宅地一", {"1", "2", "3"}}};
  return d;
}

TEST(SimaWriteTest, RecordsInMetresWithThreeDecimalsAndCrlf) {
  EXPECT_EQ(FormatSima(SmallParcel(), "現場"),
            "G00,04,現場,\r\n"
            "Z00,座標ﾃﾞｰﾀ,\r\n"
            "A00,\r\n"
            "A01,1,北杭,1020.500,2000.250,12.300,\r\n"
            "A01,2,K2,0.000,0.001,,\r\n"
            "A01,3,ｶﾅ,1.234,-7.500,,\r\n"
            "A99,\r\n"
            "Z00,区画ﾃﾞｰﾀ,\r\n"
            "D00,1,宅地一,\r\n"
            "B01,1,北杭,\r\n"
            "B01,2,K2,\r\n"
            "B01,3,ｶﾅ,\r\n"
            "D99,\r\n");
}

TEST(SimaWriteTest, ShiftJisBytesReadBackToTheSameData) {
  const std::string bytes = EncodeSimaShiftJis(SmallParcel(), "現場");
  EXPECT_NE(bytes.find("\x96\x6B\x8D\x59"), std::string::npos);  // 北杭 in Shift_JIS
  const SimaReadResult r = ParseSima(bytes, "w.sim");
  EXPECT_EQ(r.encoding, SimaEncoding::ShiftJis);
  EXPECT_TRUE(r.diagnostics.empty());
  EXPECT_THAT(Names(r.data), ElementsAre("北杭", "K2", "ｶﾅ"));
  EXPECT_DOUBLE_EQ(r.data.points[2].x, 1.234);
  EXPECT_EQ(r.data.parcels[0].vertices.size(), 3u);
}

TEST(SimaWriteTest, TextsARecordOrShiftJisCannotHoldAreRefused) {
  const fs::path out = fs::temp_directory_path() / "zavin_sima_refused.sim";
  fs::remove(out);
  SimaData d = SmallParcel();
  d.points[1].name = "𠮷野";  // beyond code page 932
  EXPECT_THAT([&] { WriteSimaFile(out, d, "t"); },
              ::testing::ThrowsMessage<SimaError>(HasSubstr("the name of point 2 \"𠮷野\" holds a character")));
  EXPECT_FALSE(fs::exists(out));
  d = SmallParcel();
  d.points[0].name = "a,b";
  EXPECT_THAT([&] { FormatSima(d, "t"); }, ::testing::ThrowsMessage<SimaError>(HasSubstr("\"a,b\" holds a comma")));
  d = SmallParcel();
  d.points[0].x = std::numeric_limits<double>::infinity();
  EXPECT_THROW(FormatSima(d, "t"), SimaError);
}

}  // namespace
}  // namespace zavin::survey
