#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

namespace zavin::shell {

// The whole file as bytes; nothing when it does not exist or cannot be read.
std::optional<std::string> ReadFileBytes(const std::filesystem::path& file);

// Writes `bytes` to a temporary file beside `file` and renames it over
// `file`, so that readers never see a half-written file. False on failure
// (the old file, if any, is left as it was).
bool ReplaceFileBytes(const std::filesystem::path& file, std::string_view bytes);

}  // namespace zavin::shell
