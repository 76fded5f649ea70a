#pragma once

// The number marker of a triangle: a circle and, at its centre, the number
// text that carries the triangle's record.

#include <optional>
#include <string>
#include <string_view>

#include "annotate/record.h"
#include "geometry/area.h"
#include "geometry/point.h"
#include "host/link.h"
#include "host/object_model.h"

namespace zavin::annotate {

struct MarkerStyle {
  double radius = 500;       // circle radius, drawing units (never scaled)
  double textHeight = 400;   // number text height, drawing units
  std::string layer = "H_TEXT";
  // Hosts whose ProgID contains "PCAD" take the three-side number text from a file.
  std::string hostProgId;
};

// Host alignment code of the number text: middle centre.
inline constexpr std::int32_t kNumberAlignment = 10;

// True when `prog_id` contains "PCAD" (case-sensitive, anywhere).
bool TakesNumberTextFromFile(std::string_view prog_id);

// What the file path needs to write one number text.
struct NumberTextFile {
  int number = 0;
  geometry::TAcadPoint centre;
  double textHeight = 0;
  double rotation = 0;  // as given to the text's Rotation, in the angle frame
  std::string layer;
  TriangleSides sides;
  host::AngleSettings angles;  // the frame `rotation` is measured in
  // The running host, whose idle state is polled after the insertion.
  std::string hostProgId;
};

// The number text on "PCAD" hosts (annotate/number_file.h): writes
// NumberFileDirectory() / NextNumberedName(document, "ZAVIN_") + ".dxf",
// has the host insert it exploded at the origin, waits until the host is
// idle (100 ms polls), deletes the block definition the insertion leaves and
// records the new last entity when recording is on and the insertion added
// one. A layer or path the file or command cannot carry raises
// std::invalid_argument before anything is written; a file that cannot be
// written raises std::runtime_error; host errors pass on.
void InsertNumberTextFile(const host::Document& document, const NumberTextFile& file,
                          CreatedObjectRecord& record);

// Circle and number at the incenter of P0, P1, P2, the record holding the
// sides P0P1, P1P2, P2P0. The layer is made sure to exist first. A triangle
// without an incenter (collinear vertices) raises std::invalid_argument before
// anything is written.
void ThreeSideNumberMarker(const host::Document& document, const geometry::TAcadPoint& p0,
                           const geometry::TAcadPoint& p1, const geometry::TAcadPoint& p2,
                           int number, const MarkerStyle& style,
                           const host::AngleSettings& angles, CreatedObjectRecord& record);

// Circle and number at the incenter of the larger of the right triangles
// A-C-H and B-C-H (the B side on equal areas), clear of the height line; the
// record still holds the sides of P0, P1, P2. The text is always written
// through the host, on "PCAD" hosts too.
void BaseHeightNumberMarker(const host::Document& document, const geometry::TAcadPoint& p0,
                            const geometry::TAcadPoint& p1, const geometry::TAcadPoint& p2,
                            const geometry::TBaseAndFoot& decomposition, int number,
                            const MarkerStyle& style, const host::AngleSettings& angles,
                            CreatedObjectRecord& record);

// Where BaseHeightNumberMarker puts its marker; empty for a degenerate half.
std::optional<geometry::TAcadPoint> BaseHeightMarkerCentre(const geometry::TBaseAndFoot& d);

}  // namespace zavin::annotate
