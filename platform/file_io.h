#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

namespace zavin::platform {

// The whole file as bytes; nothing when it does not exist or cannot be read.
std::optional<std::string> ReadFileBytes(const std::filesystem::path& file);

// Writes `bytes` to a temporary file beside `file` and renames it over
// `file`, so that readers never see a half-written file. False on failure
// (the old file, if any, is left as it was).
bool ReplaceFileBytes(const std::filesystem::path& file, std::string_view bytes);

// Whether two paths name one file: the same file when both exist, else the
// same normalised path. An empty path is no file.
bool SameFile(const std::filesystem::path& a, const std::filesystem::path& b);

}  // namespace zavin::platform
