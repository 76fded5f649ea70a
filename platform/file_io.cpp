#include "platform/file_io.h"

#include <cstdio>
#include <fstream>
#include <iterator>
#include <random>
#include <system_error>

namespace zavin::platform {

namespace fs = std::filesystem;

namespace {

// The file a write to `file` must replace: the final target of a link.
fs::path WriteTarget(const fs::path& file) {
  std::error_code ec;
  fs::path target = file;
  for (int hops = 0; hops < 40 && fs::is_symlink(target, ec); ++hops) {
    const fs::path link = fs::read_symlink(target, ec);
    if (ec) break;
    target = link.is_absolute() ? link : target.parent_path() / link;
  }
  return target;
}

}  // namespace

std::optional<std::string> ReadFileBytes(const fs::path& file) {
  std::error_code ec;
  if (!fs::is_regular_file(file, ec)) return std::nullopt;
  std::ifstream in(file, std::ios::binary);
  if (!in) return std::nullopt;
  std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  if (in.bad()) return std::nullopt;
  return bytes;
}

std::optional<fs::path> CreateSiblingTempFile(const fs::path& file) {
  const fs::path target = WriteTarget(file);
  std::random_device seed;
  std::mt19937_64 random(seed());
  for (int attempt = 0; attempt < 100; ++attempt) {
    char suffix[32];
    std::snprintf(suffix, sizeof suffix, ".%012llx.tmp", static_cast<unsigned long long>(random() & 0xFFFFFFFFFFFFull));
    fs::path temp = target;
    temp += suffix;
    // "x": fails when the name exists, so no other file is ever taken over.
    if (std::FILE* f = std::fopen(temp.c_str(), "wbx")) {
      std::fclose(f);
      return temp;
    }
  }
  return std::nullopt;
}

bool RenameOver(const fs::path& temp, const fs::path& file) {
  const fs::path target = WriteTarget(file);
  std::error_code ec;
  const fs::file_status old = fs::status(target, ec);
  if (!ec && fs::exists(old)) fs::permissions(temp, old.permissions(), ec);
  fs::rename(temp, target, ec);
  if (ec) {
    std::error_code ignored;
    fs::remove(temp, ignored);
    return false;
  }
  return true;
}

bool ReplaceFileBytes(const fs::path& file, std::string_view bytes) {
  const std::optional<fs::path> temp = CreateSiblingTempFile(file);
  if (!temp) return false;
  {
    std::ofstream out(*temp, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    out.flush();
    if (!out) {
      out.close();
      std::error_code ignored;
      fs::remove(*temp, ignored);
      return false;
    }
  }
  return RenameOver(*temp, file);
}

std::optional<fs::path> BackUpFile(const fs::path& file) {
  for (int n = 0; n < 100; ++n) {
    fs::path backup = file;
    backup += n == 0 ? std::string(".bak") : "." + std::to_string(n) + ".bak";
    std::error_code ec;
    if (fs::exists(backup, ec) || ec) continue;
    if (fs::copy_file(file, backup, fs::copy_options::none, ec)) return backup;
  }
  return std::nullopt;
}

bool SameFile(const fs::path& a, const fs::path& b) {
  if (a.empty() || b.empty()) return false;
  std::error_code ec;
  if (fs::exists(a, ec) && fs::exists(b, ec)) return fs::equivalent(a, b, ec);
  return fs::weakly_canonical(a, ec) == fs::weakly_canonical(b, ec);
}

}  // namespace zavin::platform
