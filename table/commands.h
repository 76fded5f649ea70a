#pragma once

// 作成 (Button3) and 最大 (Button4): the bodies the tool window runs in the
// command frame.

#include <optional>
#include <string_view>

#include "host/command_frame.h"
#include "platform/windows.h"
#include "table/area_table.h"

namespace zavin::table {

inline constexpr std::string_view kNoRecordsText = "求積データが見つかりません．";
inline constexpr std::string_view kTableCaption = "Acad_Zavin";

// 作成 ends a pending base-line construction (F2); no snap guard.
host::FrameSteps AreaTableFrameSteps();
// 最大 runs neither F2 nor the snap guard.
host::FrameSteps HighestNumberFrameSteps();

struct AreaTableCommandParams {
  AreaTableParams table;
  bool all = true;                          // CheckBox2: every text, else the user picks
  platform::Hwnd owner = platform::kNoWindow;  // of the message box
};

enum class AreaTableEnd {
  NothingSelected,  // no text selected: ends without a message
  NoRecords,        // texts selected, none a number text: message shown
  Cancelled,        // the user cancelled the insertion
  Placed,
};

// Checks the settings (CheckAreaTableParams), then collects, sorts and builds
// the table. Host errors and refused settings pass on as exceptions (the frame
// ends the command silently).
AreaTableEnd AreaTableCommand(const host::Document& document, host::CommandContext& context,
                              const AreaTableCommandParams& params);

// The number for the next triangle: one more than the highest number text of
// the drawing. Nothing when no number text was found or the highest one is
// empty, so the field keeps the 1 it was reset to.
std::optional<int> HighestNumberCommand(const host::Document& document);

}  // namespace zavin::table
