#include "shell/host_list_file.h"

#include <system_error>

#include "platform/file_io.h"

namespace zavin::shell {

std::filesystem::path HostListPathFor(const std::filesystem::path& executable) {
  return executable.parent_path() / kHostListFileName;
}

HostListEntry SplitHostLine(std::string_view line) {
  const std::size_t tab = line.find('\t');
  if (tab == std::string_view::npos) return {{}, std::string(line)};
  return {std::string(line.substr(0, tab)), std::string(line.substr(tab + 1))};
}

std::string JoinHostLine(std::string_view name, std::string_view prog_id) {
  std::string line(name);
  line += '\t';
  line += prog_id;
  return line;
}

std::vector<std::string> SplitLines(std::string_view text) {
  std::vector<std::string> lines;
  std::size_t start = 0;
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] != '\r' && text[i] != '\n') continue;
    lines.emplace_back(text.substr(start, i - start));
    if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n') ++i;
    start = i + 1;
  }
  if (start < text.size()) lines.emplace_back(text.substr(start));
  return lines;
}

std::optional<HostListText> ReadHostList(const std::filesystem::path& file) {
  const std::optional<std::string> bytes = platform::ReadFileBytes(file);
  if (!bytes) return std::nullopt;
  platform::DecodedText text = platform::DecodeText(*bytes);
  return HostListText{SplitLines(text.utf8), text.encoding, text.lossless};
}

std::optional<platform::TextEncoding> WriteHostList(const std::filesystem::path& file, const std::vector<std::string>& lines,
                                          platform::TextEncoding encoding, bool back_up) {
  std::error_code ec;
  if (back_up && std::filesystem::exists(file, ec) && !platform::BackUpFile(file)) return std::nullopt;
  std::string text;
  for (const std::string& line : lines) {
    text += line;
    text += "\r\n";
  }
  std::string bytes;
  const platform::TextEncoding used = platform::EncodeText(text, encoding, bytes);
  if (!platform::ReplaceFileBytes(file, bytes)) return std::nullopt;
  return used;
}

}  // namespace zavin::shell
