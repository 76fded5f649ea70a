#pragma once

// The SIMA subcommands, run against the embedded host without a display:
//
//   zavin sima-import IN.sim [--drawing IN.dxf] --out OUT.dxf [STYLE]
//   zavin sima-export --drawing IN.dxf --point X,Y --out OUT.sim [--title T] [STYLE]
//
// STYLE: [--scale N] [--text-height H] [--point-layer L] [--parcel-layer L]
// (defaults 1000, 300, 点名, 画地 as in the tool window). Import draws the
// file's points and parcels into the drawing and saves it; export writes the
// parcel around the point (the region the boundary command finds there).
//
// Exit status: 0 done; 1 nothing done (a file that cannot be read or
// written, no region at the point); 2 a usage fault; 3 imported and saved,
// but some records were skipped (each reported as FILE:LINE: why).

#include <iosfwd>
#include <string>
#include <vector>

namespace zavin::app {

// The arguments after the subcommand's name; messages go to `out`, faults
// to `err`.
int SimaImportMain(const std::vector<std::string>& args, std::ostream& out, std::ostream& err);
int SimaExportMain(const std::vector<std::string>& args, std::ostream& out, std::ostream& err);

}  // namespace zavin::app
