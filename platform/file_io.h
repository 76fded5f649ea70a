#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

namespace zavin::platform {

// The whole file as bytes; nothing when it does not exist or cannot be read.
std::optional<std::string> ReadFileBytes(const std::filesystem::path& file);

// Creates an empty file beside `file` under a name no other file has
// ("<name>.<random>.tmp"), for a writer that renames it over `file` later.
// Nothing when it cannot be created.
std::optional<std::filesystem::path> CreateSiblingTempFile(const std::filesystem::path& file);

// Renames `temp` over `file`. When `file` is a symbolic link, its target is
// replaced and the link stays; an existing target's permissions pass to the
// new file. `temp` is removed on failure. False on failure.
bool RenameOver(const std::filesystem::path& temp, const std::filesystem::path& file);

// Writes `bytes` to a temporary file beside `file` and renames it over
// `file` (see RenameOver), so that readers never see a half-written file.
// False on failure (the old file, if any, is left as it was).
bool ReplaceFileBytes(const std::filesystem::path& file, std::string_view bytes);

// Copies `file` to the first free name of "<name>.bak", "<name>.1.bak",
// "<name>.2.bak"... beside it. Nothing when no copy could be made.
std::optional<std::filesystem::path> BackUpFile(const std::filesystem::path& file);

// Whether two paths name one file: the same file when both exist, else the
// same normalised path. An empty path is no file.
bool SameFile(const std::filesystem::path& a, const std::filesystem::path& b);

}  // namespace zavin::platform
