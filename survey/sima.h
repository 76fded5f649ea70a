#pragma once

// SIMA coordinate and parcel files (the survey instruments' common text
// format): comma-separated records, one a line, each led by its kind.
//
//   G00,01,現場名,          header (kept as information)
//   Z00,座標ﾃﾞｰﾀ,           section title (kept as information)
//   A00,                    coordinate block
//   A01,点番号,点名,X,Y,Z,  one point; X north, Y east, in metres; Z may be empty
//   A99,                    end of the block (optional)
//   D00,画地番号,画地名,    parcel
//   B01,点番号,点名,        one vertex per record, by point number
//   D99,                    end of the parcel
//
// Fields may be padded with blanks and the record may end in a comma. Other
// record kinds (traverse, route, observation data) are skipped.
//
// Files are Shift_JIS (code page 932) with CRLF or UTF-8 with or without a
// byte-order mark and LF; the reader tells them apart, the writer always
// writes Shift_JIS with CRLF. Inside the program every text is UTF-8.

#include <filesystem>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

namespace zavin::survey {

struct SimaPoint {
  std::string number;  // 点番号, the key parcels refer to
  std::string name;    // 点名
  double x = 0;        // north, metres
  double y = 0;        // east, metres
  std::optional<double> z;
};

struct SimaParcel {
  std::string number;                // 画地番号
  std::string name;                  // 画地名
  std::vector<std::string> vertices;  // point numbers, in the file's order
};

struct SimaData {
  // G00 and Z00 records as read (without the trailing comma), for the user.
  std::vector<std::string> info;
  std::vector<SimaPoint> points;
  std::vector<SimaParcel> parcels;

  // The point numbered `number`; null when there is none.
  const SimaPoint* FindPoint(std::string_view number) const;
};

enum class SimaEncoding { ShiftJis, Utf8, Utf8Bom };

// A record that was skipped, and why; lines count from 1.
struct SimaDiagnostic {
  int line = 0;
  std::string message;
};

struct SimaReadResult {
  SimaData data;
  SimaEncoding encoding = SimaEncoding::ShiftJis;
  // Malformed records, duplicate point numbers, parcels naming a missing
  // point: each skipped with the reason, the rest of the file read.
  std::vector<SimaDiagnostic> diagnostics;
};

// A file that cannot be read at all, or data that cannot be written;
// what() names the file and, where there is one, the line.
class SimaError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// "FILE:LINE: message".
std::string Located(std::string_view file, const SimaDiagnostic& d);

// Reads the bytes of a SIMA file. `file` names it in errors. Raises
// SimaError when the bytes are neither UTF-8 nor Shift_JIS.
SimaReadResult ParseSima(std::string_view bytes, std::string_view file);

// Reads a SIMA file; raises SimaError when it cannot be read or decoded.
SimaReadResult ReadSimaFile(const std::filesystem::path& path);

// The file's text in UTF-8 with CRLF line ends: G00 with `title`, Z00, the
// coordinate block, then one Z00 and D00..D99 block per parcel. Coordinates
// with 3 decimals. Raises SimaError for a number or name a record cannot hold
// (a comma or a line break in it, a coordinate that is not finite).
std::string FormatSima(const SimaData& data, std::string_view title);

// FormatSima in Shift_JIS. Raises SimaError naming the first text Shift_JIS
// cannot hold; nothing is ever replaced by "?".
std::string EncodeSimaShiftJis(const SimaData& data, std::string_view title);

// Writes EncodeSimaShiftJis to `path` through a temporary file beside it, so
// a failed write leaves what was there. Raises SimaError.
void WriteSimaFile(const std::filesystem::path& path, const SimaData& data, std::string_view title);

}  // namespace zavin::survey
