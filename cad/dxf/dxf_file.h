#pragma once

// Drawing files: DXF open and save for the embedded host's database.
//
// Saved files are release AC1021, UTF-8 throughout, so Japanese texts and
// layer names survive in any reader. Reading accepts what the saver writes
// and the common subset other writers produce: lines, lightweight and 2D
// polylines with bulges, circles, arcs, single-line texts, leaders, block
// definitions and references, layers, application ids, extended data and the
// header variables in kHeaderVars. Arc angles are degrees in the file and
// radians in the database; a leader's arrow size travels as its own
// dimension-style override (DIMASZ, with DIMSCALE 1) in "ACAD" xdata.

#include <filesystem>
#include <map>
#include <stdexcept>
#include <string>
#include <vector>

#include "cad/db/database.h"

namespace zavin::cad {

// A file that cannot be read or written. `line` is the 1-based line of the
// fault, 0 when the fault concerns the whole file.
class DxfError : public std::runtime_error {
 public:
  DxfError(std::filesystem::path file, int line, const std::string& what);
  const std::filesystem::path& file() const { return file_; }
  int line() const { return line_; }

 private:
  std::filesystem::path file_;
  int line_;
};

// Header variables carried between the file and the database.
inline constexpr const char* kHeaderVars[] = {"AUNITS", "ANGBASE", "ANGDIR",
                                              "DIMASZ", "DIMLDRBLK", "DIMSCALE"};

struct DxfLoadReport {
  // Entity kinds the database does not model, by DXF name, with counts; they
  // are left out of the loaded drawing.
  std::map<std::string, int> skipped;
  // Names in the APPID table.
  std::vector<std::string> app_ids;
  // "skipped entities: ARC 2, HATCH 1", empty when nothing was skipped.
  std::string Warning() const;
};

// Replaces the contents of `db` with the drawing in `file`. The whole file is
// checked and read into a fresh database first, so a malformed or truncated
// file raises DxfError and leaves `db` untouched. Releases before AC1021 are
// read in their $DWGCODEPAGE.
DxfLoadReport LoadDxf(const std::filesystem::path& file, Database& db);

struct DxfSaveOptions {
  // The file the drawing was opened from; saving onto it is refused unless
  // `overwrite_opened` is set.
  std::filesystem::path opened;
  bool overwrite_opened = false;
};

// Writes model space, block definitions, layers, the application ids used by
// extended data (plus "ACAD"), the header variables and the extents. A
// drawing holding a NaN or infinite number raises DxfError and writes nothing.
// Leaders with fewer than two vertices draw nothing and are left out. The file is written
// beside the target and renamed into place, so a failed save leaves an
// existing file as it was.
void SaveDxf(const Database& db, const std::filesystem::path& file,
             const DxfSaveOptions& options = {});

}  // namespace zavin::cad
