#pragma once

// SIMA data into and out of the host's drawing, through its object model
// only. Survey axes: X is north = drawing y, Y is east = drawing x; a metre
// is `scale` drawing units (the scale denominator, so that metres land in
// millimetres at 1000).

#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "geometry/coordinate_area.h"
#include "geometry/point.h"
#include "host/link.h"
#include "host/object_model.h"
#include "survey/sima.h"

namespace zavin::survey {

inline constexpr std::string_view kDefaultPointNameLayer = "点名";
inline constexpr std::string_view kDefaultParcelLayer = "画地";

struct SimaDrawingStyle {
  double scale = 1000;        // drawing units per metre
  double text_height = 300;   // point and parcel names
  std::string point_layer{kDefaultPointNameLayer};
  std::string parcel_layer{kDefaultParcelLayer};
  // Names of vertices that have no name text, in the order of the list.
  std::string name_prefix = "K";
  int first_number = 1;
};

// The drawing point of a survey point, and back.
geometry::TAcadPoint DrawingPoint(double north, double east, double scale);

struct SimaDrawn {
  int points = 0;
  int parcels = 0;
};

// Draws every point (a POINT entity and its name, on the point-name layer,
// the name left-aligned half a text height east and below the point) and
// every parcel (a closed lightweight polyline on the parcel layer, its name
// centred at its centroid). The current layer (CLAYER) is the same after.
// Raises SimaError for a scale or text height that is not a positive number.
// When the host fails, what this call drew is erased again and the error
// passes on.
SimaDrawn DrawSima(const host::Document& document, const SimaData& data, const SimaDrawingStyle& style);

// The parcel of a closed outline (drawing units) as SIMA data, as the
// coordinate table lists it: the vertices clockwise from the northernmost,
// numbered from 1 and named by their point-name texts or generated names,
// coordinates rounded to the millimetre; one parcel of them all, named by a
// text of the parcel layer inside the outline (else "1"). An arc side is
// written as its chord. Raises SimaError for an outline the table refuses
// (crossing, fewer than 3 vertices, no area).
struct ParcelExport {
  SimaData data;
  std::size_t arc_sides = 0;  // written as chords
};
ParcelExport ParcelData(const host::Document& document, const std::vector<geometry::OutlineVertex>& outline,
                        const SimaDrawingStyle& style);

// The outline of the region around `point`, built by the host's boundary
// command and erased again; nothing when the host builds no polyline there.
std::optional<std::vector<geometry::OutlineVertex>> BoundaryAround(const host::Document& document,
                                                                   const host::Application& application,
                                                                   host::HostKind kind,
                                                                   const geometry::TAcadPoint& point);

}  // namespace zavin::survey
