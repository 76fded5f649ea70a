#pragma once

// Triangle records: the number texts of the drawing, found again by their
// extended data, as "number,a,b,c" texts for the area table.

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "geometry/point.h"
#include "host/object_model.h"

namespace zavin::table {

// "%s,%.8f,%.8f,%.8f" of the number text and the three side lengths, always
// with "." as the decimal separator so the fields stay apart in any locale.
using TriangleRecord = std::string;
using RecordList = std::vector<TriangleRecord>;

TriangleRecord MakeTriangleRecord(std::string_view number_text, double a, double b, double c);

// The text before the first comma as a signed 32-bit integer (optional sign,
// digits only); 0 when it is empty or not such an integer.
int NumberKey(std::string_view record);

// Records of the number texts among the selected texts (every text of the
// drawing when `all`, else the user's pick), in selection order. Nothing when
// nothing was selected; an empty list when texts were selected but none
// carries a triangle. When `all` and the document remembers for its command,
// the host selects only texts with the record. A number text containing a comma is skipped: the tool
// never writes one, and it would not split into the record's four fields.
// The temporary selection set is deleted on every path; host errors pass on.
// With `where`, the insertion point of each record's number text is added
// to it, in the same order.
std::optional<RecordList> CollectTriangleRecords(const host::Document& document, bool all,
                                                 std::vector<geometry::TAcadPoint>* where = nullptr);

// In place by NumberKey, with the exchange sort whose order of equal keys the
// table relies on (not stable).
void SortTriangleRecords(RecordList& records);

}  // namespace zavin::table
