#include "table/records.h"

#include <charconv>
#include <cstdint>

#include "annotate/record.h"
#include "host/database.h"
#include "platform/number_text.h"

namespace zavin::table {

namespace {

void AppendFixed8(std::string& out, double v) { out += platform::FixedText(v, 8); }

// TEXT entities only: group code 0, value "TEXT".
host::SelectFilter TextFilter() {
  static constexpr std::int16_t kCodes[] = {0};
  return host::MakeFilter(kCodes, {platform::Variant(std::string("TEXT"))});
}

// TEXT entities that carry a triangle's record.
host::SelectFilter RecordTextFilter() {
  static constexpr std::int16_t kCodes[] = {0, annotate::kXdataAppCode};
  return host::MakeFilter(kCodes, {platform::Variant(std::string("TEXT")),
                                   platform::Variant(std::string(annotate::kXdataApp))});
}

// Mode 5 takes every entity; its two points are left out.
std::int32_t SelectAll(const host::SelectionSet& set, const host::SelectFilter& filter) {
  platform::Call(set.ref(), "Select",
                 {platform::Variant(host::kSelectAll), platform::Variant(), platform::Variant(),
                  filter.types, filter.data});
  return set.Count();
}

}  // namespace

TriangleRecord MakeTriangleRecord(std::string_view number_text, double a, double b, double c) {
  TriangleRecord r(number_text);
  for (double v : {a, b, c}) {
    r += ',';
    AppendFixed8(r, v);
  }
  return r;
}

int NumberKey(std::string_view record) {
  std::string_view text = record.substr(0, record.find(','));
  if (text.starts_with('+')) {
    text.remove_prefix(1);
    if (text.starts_with('-')) return 0;
  }
  std::int32_t value = 0;
  const char* end = text.data() + text.size();
  auto [ptr, ec] = std::from_chars(text.data(), end, value);
  if (ec != std::errc() || ptr != end) return 0;
  return value;
}

std::optional<RecordList> CollectTriangleRecords(const host::Document& document, bool all,
                                                 std::vector<geometry::TAcadPoint>* where) {
  const host::ScopedTempSelectionSet set(document);
  set->Clear();
  std::int32_t count = 0;
  if (all && document.memory()) {
    // Only the number texts cost calls; texts without a record are counted
    // only when there is none, to tell "no texts" from "no records".
    count = SelectAll(set.get(), RecordTextFilter());
    if (count <= 0) {
      set->Clear();
      return SelectAll(set.get(), TextFilter()) > 0 ? std::optional<RecordList>(RecordList{}) : std::nullopt;
    }
  } else if (all) {
    count = SelectAll(set.get(), TextFilter());
  } else {
    set->SelectOnScreen(TextFilter());
    count = set->Count();
  }
  if (count <= 0) return std::nullopt;
  RecordList records;
  for (std::int32_t i = 0; i < count; ++i) {
    const host::Text text(set->Item(i));
    const std::string number = text.TextString();
    const std::optional<annotate::TriangleSides> sides =
        annotate::ParseTriangleXdata(text.GetXdata(annotate::kXdataApp));
    if (!sides || number.find(',') != std::string::npos) continue;
    records.push_back(MakeTriangleRecord(number, sides->a, sides->b, sides->c));
    if (where) where->push_back(text.InsertionPoint());
  }
  return records;
}

void SortTriangleRecords(RecordList& records) {
  // The exchanges run on the keys, parsed once, and the records' places;
  // the records move once at the end.
  const std::size_t n = records.size();
  std::vector<std::pair<int, std::uint32_t>> keyed(n);
  for (std::size_t i = 0; i < n; ++i) keyed[i] = {NumberKey(records[i]), static_cast<std::uint32_t>(i)};
  for (std::size_t i = 0; i + 1 < n; ++i)
    for (std::size_t j = i + 1; j < n; ++j)
      if (keyed[j].first < keyed[i].first) std::swap(keyed[i], keyed[j]);
  RecordList sorted;
  sorted.reserve(n);
  for (const auto& [key, from] : keyed) sorted.push_back(std::move(records[from]));
  records = std::move(sorted);
}

}  // namespace zavin::table
