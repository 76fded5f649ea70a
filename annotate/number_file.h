#pragma once

// The number text of a three-side marker as a release-12 DXF file that the
// host inserts exploded at the origin, for hosts that take it from a file
// (InsertNumberTextFile, declared in annotate/marker.h).

#include <filesystem>
#include <string>
#include <string_view>

#include "annotate/marker.h"

namespace zavin::annotate {

// Block names (and file names) of the number files: "ZAVIN_" and a number.
inline constexpr std::string_view kNumberFilePrefix = "ZAVIN_";
// Polling interval of the idle wait after the insertion.
inline constexpr std::int64_t kNumberFileWaitMs = 100;

// Where the files are written: the directory of the running program unless
// SetNumberFileDirectory chose another one.
std::filesystem::path NumberFileDirectory();
// Redirects the files to `directory`; an empty path restores the program
// directory. Process-wide, for the tool's one UI thread (and tests).
void SetNumberFileDirectory(std::filesystem::path directory);

// Shortest general form with at most 15 significant digits and '.' whatever
// the locale ("3000", "1440.5", "0.333333333333333"); a negative zero is
// written "0". NaN and infinities raise std::invalid_argument: they would
// make the file unreadable.
std::string DxfReal(double value);

// Raises std::invalid_argument for a name that cannot stand on one value
// line of the file: empty, or holding a control character (line breaks
// included) or a double quote.
void CheckNumberFileLayer(std::string_view layer);

// The 74 lines of the file, each ended by CR LF. Group 50 holds the text's
// absolute angle in degrees, the one the automation path gives the text for
// `file.rotation` in `file.angles`. Raises std::invalid_argument for a layer
// CheckNumberFileLayer refuses or a value DxfReal refuses.
std::string NumberTextDxf(const NumberTextFile& file);

// The insert command for `path`: "_-INSERT", CR, a double quote and '*'
// (exploded), the path, a double quote, CR, "0.0,0.0 1.0 0.0", CR. A path
// holding a double quote or a control character raises
// std::invalid_argument, since it would end the quoted name early.
std::string InsertNumberFileCommand(const std::filesystem::path& path);

}  // namespace zavin::annotate
