// Polyline records to segments.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "capture/group_select.h"

namespace zavin::capture {
namespace {

using geometry::TAcadPoint;

void AddPolyline(GroupRecords& r, std::int32_t ihand, bool closed, std::vector<TAcadPoint> vertices) {
  TLwpBlk blk;
  blk.ihand = ihand;
  blk.code70 = closed ? 1 : 0;
  blk.layer = "L" + std::to_string(ihand);
  blk.color = static_cast<std::int16_t>(ihand + 1);
  r.polylines.push_back(blk);
  for (const TAcadPoint& p : vertices) r.vertices.push_back({ihand, p, 0, {}});
}

std::vector<std::string> Segments(const GroupRecords& r) {
  std::vector<std::string> out;
  for (const TAcadLineBlk& l : r.lines)
    out.push_back(std::to_string(static_cast<int>(l.st.x)) + "," + std::to_string(static_cast<int>(l.st.y)) +
                  "-" + std::to_string(static_cast<int>(l.ed.x)) + "," +
                  std::to_string(static_cast<int>(l.ed.y)) + (l.lwpflag ? " " + l.layer : ""));
  return out;
}

TEST(ExplodeLwPolylines, AppendsEachPolylinesSegmentsAfterTheLines) {
  GroupRecords r;
  r.lines.push_back({});
  r.lines.back().st = {0, 0, 0};
  r.lines.back().ed = {10, 10, 0};
  AddPolyline(r, 1, true, {{0, 0, 0}, {10, 0, 0}, {10, 10, 0}});
  AddPolyline(r, 3, false, {{20, 0, 0}, {30, 0, 0}, {30, 5, 0}});
  AddPolyline(r, 4, true, {{40, 0, 0}});  // one vertex closed on itself
  AddPolyline(r, 5, true, {});            // no vertex: no segment
  ExplodeLwPolylines(r);
  EXPECT_EQ(Segments(r), (std::vector<std::string>{"0,0-10,10", "0,0-10,0 L1", "10,0-10,10 L1",
                                                    "10,10-0,0 L1", "20,0-30,0 L3", "30,0-30,5 L3",
                                                    "40,0-40,0 L4"}));
  EXPECT_EQ(r.lines[1].color, 2);
  EXPECT_FALSE(r.lines[0].lwpflag);
}

TEST(ExplodeLwPolylines, OnlyTheLowestBitOfCode70Closes) {
  for (std::int16_t code70 : {0, 1, 2, 3, 128, 129}) {
    SCOPED_TRACE(code70);
    GroupRecords r;
    AddPolyline(r, 0, false, {{0, 0, 0}, {10, 0, 0}, {10, 10, 0}});
    r.polylines[0].code70 = code70;
    ExplodeLwPolylines(r);
    EXPECT_EQ(r.lines.size(), (code70 & 1) ? 3u : 2u);
  }
}

}  // namespace
}  // namespace zavin::capture
