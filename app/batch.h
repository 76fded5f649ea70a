#pragma once

// Batch runs: the tool window driven by a script against the embedded host,
// without a display.
//
//   zavin batch [--drawing IN.dxf] --script FILE --out OUT.dxf
//               [--settings FILE.ini] [--host-progid ID] [--render OUT.png] [--stats]
//
// --render writes a picture of the saved drawing; it needs the renderer the
// desktop executable passes in (zavin-batch has none and says so). --stats
// prints after each click the host calls it made:
//   stats: CONTROL N calls
//   stats:   MEMBER N        one line per member, by name
//
// Script statements, one a line, `#` starts a comment:
//   set CONTROL TEXT        text of an edit field
//   updown CONTROL N        arrow clicks until the position is N
//   check CONTROL on|off
//   radio CONTROL [ITEM]    a radio button, or a radio group's item (index or caption)
//   click CONTROL           a button, by name or caption
// Answers to the host's prompts follow their click and are queued before it runs:
//   point X,Y               a point
//   pick X,Y                the entity under that point, picked there
//   select X1,Y1 X2,Y2      a crossing window, then Enter
//   enter                   Enter, nothing typed
//   cancel                  ESC

#include <filesystem>
#include <functional>
#include <iosfwd>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

namespace zavin::cad {
class Database;
}

namespace zavin::app {

// Writes a picture of the drawing to the path; throws std::exception on failure.
using DrawingRenderer = std::function<void(const cad::Database&, const std::filesystem::path&)>;

struct BatchOptions {
  std::optional<std::filesystem::path> drawing;
  std::filesystem::path script;
  std::filesystem::path out;
  std::optional<std::filesystem::path> settings;
  std::optional<std::string> host_progid;
  std::optional<std::filesystem::path> render;
  bool stats = false;
  DrawingRenderer renderer;  // for `render`; set by the caller, not by the arguments
};

// A usage or script fault; what() names the file and line where there is one.
class BatchError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// The arguments after "batch"; throws BatchError.
BatchOptions ParseBatchArgs(const std::vector<std::string>& args);

// Runs the script and saves the drawing, then writes its picture when
// `render` is given. Prompts, message boxes and notes go to `out`; throws
// BatchError or cad::DxfError and then saves nothing, except that a picture
// that cannot be written is a BatchError after the drawing was saved.
void RunBatch(const BatchOptions& options, std::ostream& out);

// The "batch" subcommand: 0 on success, 1 on a script or file fault, 2 on a
// usage fault (--render without a `renderer` among them); errors go to `err`.
int BatchMain(const std::vector<std::string>& args, std::ostream& out, std::ostream& err,
              DrawingRenderer renderer = {});

}  // namespace zavin::app
