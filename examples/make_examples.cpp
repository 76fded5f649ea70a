// Writes the example lots of examples/ with the drawing saver: the outlines
// as lines (and one arc) on layer 0, drawing units of millimetres.
//
//   zavin-make-examples DIR

#include <cmath>
#include <iostream>
#include <string>
#include <utility>
#include <vector>

#include "cad/db/database.h"
#include "cad/dxf/dxf_file.h"

namespace {

using Outline = std::vector<std::pair<double, double>>;

void Closed(zavin::cad::Database& db, const Outline& o) {
  for (std::size_t i = 0; i < o.size(); ++i) {
    const auto& [x1, y1] = o[i];
    const auto& [x2, y2] = o[(i + 1) % o.size()];
    db.AddLine({x1, y1, 0}, {x2, y2, 0}, "0");
  }
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::cerr << "usage: zavin-make-examples DIR\n";
    return 2;
  }
  const std::string dir = argv[1];
  try {
    {
      zavin::cad::Database db;
      Closed(db, {{0, 0}, {24000, 0}, {21000, 15000}, {3000, 13000}});
      zavin::cad::SaveDxf(db, dir + "/convex_lot.dxf");
    }
    {
      zavin::cad::Database db;
      Closed(db, {{0, 0}, {20000, 0}, {20000, 8000}, {8000, 8000}, {8000, 18000}, {0, 18000}});
      zavin::cad::SaveDxf(db, dir + "/l_shaped_lot.dxf");
    }
    {
      // A pentagon divided by hand into three triangles by two diagonals.
      zavin::cad::Database db;
      Closed(db, {{0, 0}, {20000, 0}, {26000, 12000}, {12000, 20000}, {0, 14000}});
      db.AddLine({0, 0, 0}, {26000, 12000, 0}, "0");
      db.AddLine({0, 0, 0}, {12000, 20000, 0}, "0");
      zavin::cad::SaveDxf(db, dir + "/split_lot.dxf");
    }
    {
      // A lot fronting a curved road: its top side is an arc over the chord
      // from (24000,14000) to (0,14000), rising 2000 above it (radius 37000,
      // centre (12000,-21000)).
      zavin::cad::Database db;
      db.AddLine({0, 14000, 0}, {0, 0, 0}, "0");
      db.AddLine({0, 0, 0}, {24000, 0, 0}, "0");
      db.AddLine({24000, 0, 0}, {24000, 14000, 0}, "0");
      db.Add(zavin::cad::ArcData{{12000, -21000, 0}, 37000, std::atan2(35000.0, 12000.0),
                                 std::atan2(35000.0, -12000.0)},
             "0");
      zavin::cad::SaveDxf(db, dir + "/arc_lot.dxf");
    }
  } catch (const std::exception& e) {
    std::cerr << e.what() << '\n';
    return 1;
  }
  return 0;
}
