// Area table layout: lines, text positions and figures, without a host.

#include "table/area_table.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <stdexcept>
#include <string>
#include <vector>

#include "table/records.h"

namespace zavin::table {
namespace {

using ::testing::ElementsAre;
using ::testing::ElementsAreArray;

std::vector<std::string> Split(std::string_view text) {
  std::vector<std::string> list{"stale"};
  SplitCommaList(text, list);
  return list;
}

TEST(SplitCommaListTest, PiecesBetweenCommasUntrimmed) {
  EXPECT_THAT(Split("1500,3000, 4500"), ElementsAre("1500", "3000", " 4500"));
  EXPECT_THAT(Split(""), ElementsAre(""));
  EXPECT_THAT(Split("a,"), ElementsAre("a", ""));
  EXPECT_THAT(Split(",,"), ElementsAre("", "", ""));
  EXPECT_THAT(Split("\"a,b\""), ElementsAre("\"a", "b\""));
}

TEST(BaseAndHeightTextsTest, LongestSideIsTheBase) {
  struct Case {
    const char *a, *b, *c;
    const char *base, *height;
  };
  const Case cases[] = {
      {"3000", "4000", "5000", "5.00", "2.40"},
      {"5000", "3000", "4000", "5.00", "2.40"},
      {"5000", "5000", "6000", "6.00", "4.00"},
      {"5000", "5000", "5000", "5.00", "4.33"},  // equal: a, the same figure
      {"0", "4000", "4000", "4.00", "0.00"},     // a zero side: no height
      {" ", "3000", "4000", "4.00", "0.00"},     // blank counts as 0
      {"1000", "2000", "3000", "3.00", "0.00"},  // collinear
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.a) + "," + c.b + "," + c.c);
    const BaseHeightTexts t = BaseAndHeightTexts(c.a, c.b, c.c, 2, geometry::RoundingMode::HalfUp, 1000);
    EXPECT_EQ(t.base, c.base);
    EXPECT_EQ(t.height, c.height);
  }
  EXPECT_THROW(BaseAndHeightTexts("3x", "4", "5", 2, geometry::RoundingMode::HalfUp, 1), std::invalid_argument);
}

AreaTableParams ThreeSide() {
  AreaTableParams p;
  p.widths = {1500, 3000, 3000, 3000, 4500};
  return p;
}

AreaTableParams BaseHeight() {
  AreaTableParams p;
  p.method = annotate::AreaMethod::BaseHeight;
  p.widths = {1500, 3000, 3000, 4500};
  return p;
}

std::string L(const TableLine& l) {
  char buf[96];
  std::snprintf(buf, sizeof buf, "(%g,%g)-(%g,%g)", double(l.start.x), double(l.start.y), double(l.end.x),
                double(l.end.y));
  return buf;
}

std::string T(const TableText& t) {
  char buf[160];
  std::snprintf(buf, sizeof buf, "%s@(%g,%g)/%d", t.text.c_str(), double(t.at.x), double(t.at.y),
                t.alignment);
  return buf;
}

std::vector<std::string> Texts(const AreaTableLayout& layout) {
  std::vector<std::string> out;
  for (const TableText& t : layout.texts) out.push_back(T(t));
  return out;
}

TEST(AreaTableLayoutTest, DefaultThreeSideTableOfTwoTriangles) {
  const RecordList records{MakeTriangleRecord("1", 3000, 4000, 5000),
                           MakeTriangleRecord("2", 2000, 2000, 2000)};
  const AreaTableLayout t = LayoutAreaTable(records, ThreeSide());
  std::vector<std::string> lines;
  for (const TableLine& l : t.lines) lines.push_back(L(l));
  EXPECT_THAT(lines, ElementsAre("(0,0)-(15000,0)", "(0,-800)-(15000,-800)",
                                 "(0,-1600)-(15000,-1600)", "(0,-2400)-(15000,-2400)",
                                 "(0,-3200)-(15000,-3200)", "(0,-4000)-(15000,-4000)",
                                 "(0,0)-(0,-4000)", "(1500,0)-(1500,-2400)", "(4500,0)-(4500,-2400)",
                                 "(7500,0)-(7500,-2400)", "(10500,0)-(10500,-4000)",
                                 "(15000,0)-(15000,-4000)"));
  EXPECT_THAT(Texts(t), ElementsAre(
      "No.@(750,-400)/10", "a@(3000,-400)/10", "b@(6000,-400)/10", "c@(9000,-400)/10",
      "面積@(12750,-400)/10",
      "1@(1100,-1200)/11", "3.00@(4100,-1200)/11", "4.00@(7100,-1200)/11", "5.00@(10100,-1200)/11",
      "6.0000@(14600,-1200)/11",
      "2@(1100,-2000)/11", "2.00@(4100,-2000)/11", "2.00@(7100,-2000)/11", "2.00@(10100,-2000)/11",
      "1.7321@(14600,-2000)/11",
      "合計@(10100,-2800)/11", "7.7321@(14600,-2800)/11",
      "面積@(10100,-3600)/11", "7.73  @(14600,-3600)/11"));
}

TEST(AreaTableLayoutTest, BaseHeightTableHasTheHalfRow) {
  const AreaTableLayout t = LayoutAreaTable({MakeTriangleRecord("1", 3000, 4000, 5000)}, BaseHeight());
  // R = 1 + 4 rows; inner lines stop below the triangle row.
  EXPECT_EQ(t.lines.size(), 6u + 5u);
  EXPECT_EQ(L(t.lines[5]), "(0,-4000)-(12000,-4000)");
  EXPECT_EQ(L(t.lines[7]), "(1500,0)-(1500,-1600)");
  EXPECT_EQ(L(t.lines[9]), "(7500,0)-(7500,-4000)");
  EXPECT_THAT(Texts(t), ElementsAre(
      "No.@(750,-400)/10", "底辺@(3000,-400)/10", "高さ@(6000,-400)/10", "面積@(9750,-400)/10",
      "1@(1100,-1200)/11", "5.00@(4100,-1200)/11", "2.40@(7100,-1200)/11", "12.0000@(11600,-1200)/11",
      "合計@(7100,-2000)/11", "12.0000@(11600,-2000)/11",
      "1/2@(7100,-2800)/11", "6.0000@(11600,-2800)/11",
      "面積@(7100,-3600)/11", "6.00  @(11600,-3600)/11"));
}

TEST(AreaTableLayoutTest, TotalSumsTheWrittenFigures) {
  // Areas 0.99995 and 1.99995 are written 1.0000 and 2.0000 (half up); the
  // unrounded sum 2.9999 would read 2.9999.
  auto equilateral_of_area = [](double area) {  // side in drawing units for s = 1000
    return std::sqrt(4 * area / std::sqrt(3.0)) * 1000;
  };
  AreaTableParams p = ThreeSide();
  p.length.digits = 6;
  const RecordList records{
      MakeTriangleRecord("1", equilateral_of_area(0.99996), equilateral_of_area(0.99996),
                         equilateral_of_area(0.99996)),
      MakeTriangleRecord("2", equilateral_of_area(1.99996), equilateral_of_area(1.99996),
                         equilateral_of_area(1.99996))};
  const AreaTableLayout t = LayoutAreaTable(records, p);
  ASSERT_EQ(t.texts.size(), 5u + 10u + 4u);
  EXPECT_EQ(t.texts[9].text, "1.0000");
  EXPECT_EQ(t.texts[14].text, "2.0000");
  EXPECT_EQ(t.texts[16].text, "3.0000");
}

TEST(AreaTableLayoutTest, FinalValueGetsOneBlankPerMissingDigit) {
  struct Case {
    int area_digits, total_digits;
    const char* final_text;
  };
  const Case cases[] = {{4, 2, "6.00  "}, {4, 4, "6.0000"}, {4, 5, "6.00000"}, {2, 0, "6  "}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.final_text);
    AreaTableParams p = ThreeSide();
    p.area.digits = c.area_digits;
    p.total.digits = c.total_digits;
    const AreaTableLayout t = LayoutAreaTable({MakeTriangleRecord("1", 3000, 4000, 5000)}, p);
    EXPECT_EQ(t.texts.back().text, c.final_text);
  }
}

TEST(AreaTableLayoutTest, LandCategoryCutsTheLastRowAsTheLawDoes) {
  // Base-and-height triangles with a written double area of exactly twice
  // 100.053245 and 9.053245 m² (six digits everywhere).
  auto record = [](double base, double height) {
    const double side = std::hypot(base / 2, height);
    return MakeTriangleRecord("1", base, side, side);
  };
  const struct {
    geometry::Chimoku chimoku;
    double base, height;
    const char* half;
    const char* label;
    const char* last;
  } cases[] = {
      {geometry::Chimoku::None, 20010.649, 10000, "100.053245", "面積", "100.05    "},
      {geometry::Chimoku::Takuchi, 20010.649, 10000, "100.053245", "地積", "100.05    "},
      {geometry::Chimoku::Kousenchi, 20010.649, 10000, "100.053245", "地積", "100.05    "},
      {geometry::Chimoku::Other, 20010.649, 10000, "100.053245", "地積", "100      "},
      {geometry::Chimoku::Takuchi, 18106.49, 1000, "9.053245", "地積", "9.05    "},
      {geometry::Chimoku::Other, 18106.49, 1000, "9.053245", "地積", "9.05    "},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.last);
    AreaTableParams p = BaseHeight();
    p.length.digits = 6;
    p.area.digits = 6;
    p.total = {2, geometry::RoundingMode::HalfUp};
    p.chimoku = c.chimoku;
    const AreaTableLayout t = LayoutAreaTable({record(c.base, c.height)}, p);
    ASSERT_GE(t.texts.size(), 4u);
    EXPECT_EQ(t.texts[t.texts.size() - 3].text, c.half);
    EXPECT_EQ(t.texts[t.texts.size() - 2].text, c.label);
    EXPECT_EQ(t.texts.back().text, c.last);
  }
}

TEST(AreaTableLayoutTest, DegenerateTriangleShowsZeroArea) {
  const AreaTableLayout three = LayoutAreaTable({MakeTriangleRecord("1", 0, 4000, 4000)}, ThreeSide());
  EXPECT_EQ(three.texts[9].text, "0.0000");
  const AreaTableLayout bh = LayoutAreaTable({MakeTriangleRecord("1", 1000, 2000, 3000)}, BaseHeight());
  EXPECT_EQ(bh.texts[6].text, "0.00");
  EXPECT_EQ(bh.texts[7].text, "0.0000");
}

TEST(AreaTableLayoutTest, RefusesWhatWouldMakeNoTable) {
  const RecordList one{MakeTriangleRecord("1", 3000, 4000, 5000)};
  struct Case {
    const char* name;
    AreaTableParams params;
    RecordList records;
  };
  AreaTableParams four_widths = ThreeSide();
  four_widths.widths.pop_back();
  AreaTableParams six_widths = BaseHeight();
  six_widths.widths.push_back(1000);
  AreaTableParams zero_scale = ThreeSide();
  zero_scale.scale = 0;
  AreaTableParams no_height = ThreeSide();
  no_height.textHeight = -1;
  const Case cases[] = {
      {"four widths for five columns", four_widths, one},
      {"five widths for four columns", six_widths, one},
      {"scale 0", zero_scale, one},
      {"negative text height", no_height, one},
      {"record with a comma in its number", ThreeSide(), {"1,2,3000.0,4000.0,5000.0"}},
      {"record that is not a number", ThreeSide(), {"1,nan,4000.0,5000.0"}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_THROW(LayoutAreaTable(c.records, c.params), std::invalid_argument);
  }
}

TEST(AreaTableLayoutTest, InsertCommandText) {
  const std::string text = InsertCommandText("Zavin_3");
  EXPECT_EQ(text, "(command \"_-INSERT\" \"Zavin_3\" \"S\" 1 \"R\" 0)(princ)\r");
  EXPECT_EQ(text.size(), 21u + 7u + 21u + 1u);
}

}  // namespace
}  // namespace zavin::table
