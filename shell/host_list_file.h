#pragma once

// The host list file "TargetCAD_APIVersion.txt" beside the executable: one
// host per line, display name, TAB, ProgID.
//
// Reading accepts CR, LF and CR LF line ends and takes the encoding from the
// byte-order mark (UTF-8, UTF-16 LE/BE); without one the bytes are UTF-8 when
// valid, else code page 932. Writing ends every line with CR LF and uses the
// encoding the file was read with (see platform::EncodeText for text code
// page 932 cannot hold).

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/text_encoding.h"

namespace zavin::shell {

inline constexpr char kHostListFileName[] = "TargetCAD_APIVersion.txt";

// The executable's full path with its file name replaced.
std::filesystem::path HostListPathFor(const std::filesystem::path& executable);

struct HostListEntry {
  std::string name;     // up to the first TAB; empty when the line has none
  std::string prog_id;  // everything after the first TAB, or the whole line
};

HostListEntry SplitHostLine(std::string_view line);
std::string JoinHostLine(std::string_view name, std::string_view prog_id);

// Lines of a text; a line end at the very end opens no further line.
std::vector<std::string> SplitLines(std::string_view text);

struct HostListText {
  std::vector<std::string> lines;
  platform::TextEncoding encoding = platform::TextEncoding::SystemCodePage;
  // False when the lines are not exactly what the file holds (see
  // platform::DecodedText): writing them back would change the file.
  bool exact = true;
};

// Nothing when the file does not exist or cannot be read.
std::optional<HostListText> ReadHostList(const std::filesystem::path& file);

// Writes the lines in their order, each ending with CR LF. With `back_up`
// the old file is first copied aside (platform::BackUpFile), and nothing is
// written when that fails. Returns the encoding written, nothing when the
// file could not be written.
std::optional<platform::TextEncoding> WriteHostList(const std::filesystem::path& file, const std::vector<std::string>& lines,
                                          platform::TextEncoding encoding, bool back_up = false);

}  // namespace zavin::shell
