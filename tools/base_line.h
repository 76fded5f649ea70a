#pragma once

// The base-line construction: a triangle with two given sides on a picked
// line, on the side the user points at, and the exchange of those two sides.

#include <cstdint>
#include <functional>
#include <optional>
#include <span>

#include "annotate/driver.h"
#include "annotate/record.h"
#include "geometry/point.h"
#include "host/command_frame.h"
#include "host/object_model.h"

namespace zavin::tools {

// The two apexes at distance x from P and y from Q: C1 left of the direction
// P→Q, C2 right of it (counter-clockwise angles).
struct ApexPair {
  geometry::TAcadPoint C1;
  geometry::TAcadPoint C2;
};

// Empty when x, y and |PQ| form no triangle: the squared half-perimeter area
// product s(s-d)(s-x)(s-y) is at most 1e-5, a length is not positive, or a
// figure is not finite.
std::optional<ApexPair> ApexCandidates(const geometry::TAcadPoint& P, const geometry::TAcadPoint& Q,
                                       double x, double y);

// The candidate nearer `g`; C1 on equal distances.
geometry::TAcadPoint NearerCandidate(const ApexPair& apexes, const geometry::TAcadPoint& g);

// What outlives one command: the triangle of the last construction, P0 = base
// start, P1 = base end, P2 = apex. Empty until the first construction.
struct BaseLineState {
  std::optional<geometry::TAcadTriangle> LastTriangle;
};

// Parameters read from the tool window when the command starts.
struct BaseLineParams {
  double a = 0;  // side a (Edit1) times the multiplier (Edit17)
  double b = 0;  // side b (Edit2) times the multiplier
  annotate::AreaMethod method = annotate::AreaMethod::ThreeSide;
  annotate::AnnotationSettings settings;
  int number = 1;  // the No. field
};

enum class BaseLineEnd {
  NotRun,       // ended before it decided (pick not a segment, host gone, error)
  CannotForm,   // the lengths form no triangle on the base: the caller tells the user
  NumberExhausted,  // the No. field is at its top: the caller tells the user
  NoApex,       // no apex for the indicated side; nothing changed
  Built,        // the triangle was annotated
};

// What a run got to, filled as it goes so that the caller still sees it when
// a host error ends the run in the command frame.
struct BaseLineProgress {
  BaseLineEnd end = BaseLineEnd::NotRun;
  // A construction became pending (a-b反転 applies to it from now on).
  bool pending = false;
  // The No. field after the annotation; empty when no number was written.
  std::optional<int> next_number;
};

// Picks the base line ("基準線を選択 : ") and the side ("作成側を指示 : "),
// builds the apex so that side a starts at the end nearer the pick, stores
// the triangle in `state` and annotates it with recording on. Lengths that
// cannot form a triangle end with CannotForm before the side prompt and
// change nothing. Host errors and a cancelled prompt propagate to the frame.
void BaseLineConstruction(const host::Document& document, host::CommandContext& context,
                          const BaseLineParams& params, BaseLineState& state,
                          annotate::CreatedObjectRecord& record, BaseLineProgress& progress);

// Deletes the entities `ids` name, in order. An entity that no longer exists
// (erased by the user) counts as removed; true when every one is gone. A
// deletion that fails otherwise is noted and the next id is tried. Host
// errors do not propagate.
bool RemoveRecordedEntities(const host::Document& document, std::span<const std::int64_t> ids);

// Exchanges the sides at the apex of the last construction: the recorded
// entities are removed (when recording is on) and the mirrored variant on the
// same side of the base is annotated with `params.number` - 1, the number of
// the triangle it replaces. When a removal fails, recording stays off until
// the next exchange. Without a last triangle, or when the drawn lengths give
// no apex, nothing changes. `params.a` and `params.b` are not used: the
// lengths come from the drawn triangle.
void SwapSides(const host::Document& document, host::CommandContext& context,
               const BaseLineParams& params, BaseLineState& state,
               annotate::CreatedObjectRecord& record, BaseLineProgress& progress);

}  // namespace zavin::tools
