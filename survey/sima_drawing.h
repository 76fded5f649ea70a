#pragma once

// SIMA data into and out of the host's drawing, through its object model
// only. Survey axes: X is north = drawing y, Y is east = drawing x; a metre
// is `scale` drawing units (the scale denominator, so that metres land in
// millimetres at 1000).

#include <filesystem>
#include <optional>
#include <string>
#include <vector>

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

// The outline listed clockwise as seen on the drawing, starting at the
// northernmost vertex (largest y; on a tie the westernmost).
std::vector<geometry::TAcadPoint> ClockwiseFromNorth(std::vector<geometry::TAcadPoint> outline);

// The parcel of a closed outline (drawing units) as SIMA data: its vertices
// in ClockwiseFromNorth order as points numbered from 1, each named by the
// nearest text on the point-name layer whose alignment point lies within one
// text height of it, else by the prefix and the next number; one parcel of
// them all, named by a text of the parcel layer inside the outline (else
// "1"). Raises SimaError for fewer than 3 distinct vertices.
SimaData ParcelData(const host::Document& document, const std::vector<geometry::TAcadPoint>& outline,
                    const SimaDrawingStyle& style);

// The outline of the region around `point`, built by the host's boundary
// command and erased again; nothing when the host builds no polyline there.
std::optional<std::vector<geometry::TAcadPoint>> BoundaryAround(const host::Document& document,
                                                                const host::Application& application,
                                                                host::HostKind kind,
                                                                const geometry::TAcadPoint& point);

// The vertices of a closed polyline; raises SimaError for any other entity.
std::vector<geometry::TAcadPoint> ClosedPolylineOutline(const host::Entity& entity);

}  // namespace zavin::survey
