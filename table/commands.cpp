#include "table/commands.h"

#include "platform/message_box.h"

namespace zavin::table {

host::FrameSteps AreaTableFrameSteps() { return host::FrameSteps().EndPendingConstruction(); }

host::FrameSteps HighestNumberFrameSteps() { return host::FrameSteps(); }

AreaTableEnd AreaTableCommand(const host::Document& document, host::CommandContext& context,
                              const AreaTableCommandParams& params) {
  // Settings that can make no table end the command before the user picks.
  CheckAreaTableParams(params.table);
  std::optional<RecordList> records = CollectTriangleRecords(document, params.all);
  if (!records) return AreaTableEnd::NothingSelected;
  if (records->empty()) {
    platform::MessageBoxW(params.owner, kNoRecordsText, kTableCaption, platform::MB_OK);
    host::BringHostToFront(context.link());
    return AreaTableEnd::NoRecords;
  }
  SortTriangleRecords(*records);
  return BuildAreaTable(document, context.link(), *records, params.table) ? AreaTableEnd::Placed
                                                                           : AreaTableEnd::Cancelled;
}

std::optional<int> HighestNumberCommand(const host::Document& document) {
  std::optional<RecordList> records = CollectTriangleRecords(document, true);
  if (!records || records->empty()) return std::nullopt;
  SortTriangleRecords(*records);
  const TriangleRecord& last = records->back();
  if (last.empty() || last.front() == ',') return std::nullopt;
  return NumberKey(last) + 1;
}

}  // namespace zavin::table
