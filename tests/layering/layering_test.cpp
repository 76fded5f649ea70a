// Every project include of every folder against the table of allowed
// dependencies in docs/layers.md: a file may include its own row's files and
// those of the rows its row lists. <windows.h> is for platform/ backends only.

#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <filesystem>
#include <fstream>
#include <map>
#include <optional>
#include <sstream>
#include <string>
#include <vector>

namespace {

namespace fs = std::filesystem;

const fs::path kRoot = ZAVIN_SOURCE_DIR;

struct Row {
  std::vector<std::string> allowed;  // row names; "*" allows everything
};

using Table = std::map<std::string, Row>;

std::string Trim(const std::string& s) {
  const auto b = s.find_first_not_of(" \t");
  if (b == std::string::npos) return {};
  return s.substr(b, s.find_last_not_of(" \t") - b + 1);
}

// The rows of the first markdown table: "| folder | may include | why |".
Table ReadTable(const fs::path& file) {
  std::ifstream in(file);
  Table table;
  std::string line;
  int seen = 0;
  while (std::getline(in, line)) {
    if (line.empty() || line[0] != '|') {
      if (seen > 0) break;
      continue;
    }
    if (seen++ < 2) continue;  // the header and the |---| line
    std::vector<std::string> cells;
    std::stringstream cols(line.substr(1));
    for (std::string cell; std::getline(cols, cell, '|');) cells.push_back(Trim(cell));
    if (cells.size() < 2) continue;
    Row row;
    std::stringstream names(cells[1]);
    for (std::string name; names >> name;)
      if (name != "—") row.allowed.push_back(name);
    table[cells[0]] = row;
  }
  return table;
}

// The longest row that `path` ("cad/db/database.h") falls under: a folder
// ("cad/db"), or the start of file names in one ("ui/drawing_*").
std::optional<std::string> RowOf(const Table& table, const std::string& path) {
  std::optional<std::string> best;
  for (const auto& [name, row] : table) {
    const bool names = name.back() == '*';
    const std::string stem = names ? name.substr(0, name.size() - 1) : name;
    if (path.compare(0, stem.size(), stem) != 0) continue;
    const bool match = names ? path.find('/', stem.size()) == std::string::npos
                             : path.size() > stem.size() && path[stem.size()] == '/';
    if (match && (!best || stem.size() > best->size())) best = name;
  }
  return best;
}

// The folders of the tree whose sources the table covers.
bool IsProjectFolder(const std::string& first) {
  for (const char* f : {"geometry", "platform", "host", "annotate", "capture", "table", "survey", "tools",
                        "shell", "cad", "ui", "app", "tests", "bench", "examples"})
    if (first == f) return true;
  return false;
}

bool IsSource(const fs::path& p) {
  const auto ext = p.extension();
  return ext == ".h" || ext == ".cpp";
}

// Whether the line includes <windows.h>, in any letter case.
bool IncludesWindowsHeader(const std::string& line) {
  std::string lower = line;
  std::transform(lower.begin(), lower.end(), lower.begin(),
                 [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
  const auto hash = lower.find_first_not_of(" \t");
  return hash != std::string::npos && lower[hash] == '#' &&
         lower.find("include", hash) != std::string::npos &&
         lower.find("<windows.h>", hash) != std::string::npos;
}

// The path in `#include "path"`, nullopt for other lines.
std::optional<std::string> IncludeOf(const std::string& line) {
  const auto hash = line.find_first_not_of(" \t");
  if (hash == std::string::npos || line[hash] != '#') return std::nullopt;
  const auto word = line.find_first_not_of(" \t", hash + 1);
  if (word == std::string::npos || line.compare(word, 7, "include") != 0) return std::nullopt;
  const auto open = line.find('"', word + 7);
  if (open == std::string::npos) return std::nullopt;
  const auto close = line.find('"', open + 1);
  if (close == std::string::npos) return std::nullopt;
  return line.substr(open + 1, close - open - 1);
}

struct Violation {
  std::string file;
  int line;
  std::string message;
};

std::vector<Violation> Check(const Table& table) {
  std::vector<Violation> out;
  std::vector<fs::path> files;
  for (const auto& entry : fs::recursive_directory_iterator(kRoot)) {
    const std::string rel = fs::relative(entry.path(), kRoot).generic_string();
    const std::string first = rel.substr(0, rel.find('/'));
    if (entry.is_regular_file() && IsProjectFolder(first) && IsSource(entry.path()))
      files.push_back(entry.path());
  }
  std::sort(files.begin(), files.end());
  for (const fs::path& file : files) {
    const std::string rel = fs::relative(file, kRoot).generic_string();
    const auto from = RowOf(table, rel);
    if (!from) {
      out.push_back({rel, 1, "its folder has no row in docs/layers.md"});
      continue;
    }
    const Row& row = table.at(*from);
    const bool any = std::find(row.allowed.begin(), row.allowed.end(), "*") != row.allowed.end();
    std::ifstream in(file);
    std::string line;
    // Only the backend files of platform/ see the Windows API.
    const bool backend = rel.starts_with("platform/") && file.extension() == ".cpp";
    for (int n = 1; std::getline(in, line); ++n) {
      if (!backend && IncludesWindowsHeader(line))
        out.push_back({rel, n, "includes <windows.h>, which only platform/ backend files do"});
      const auto inc = IncludeOf(line);
      if (!inc || !IsProjectFolder(inc->substr(0, inc->find('/'))) ||
          inc->find('/') == std::string::npos)
        continue;
      const auto to = RowOf(table, *inc);
      if (!to) {
        out.push_back({rel, n, "includes " + *inc + ", whose folder has no row in docs/layers.md"});
        continue;
      }
      if (any || *to == *from ||
          std::find(row.allowed.begin(), row.allowed.end(), *to) != row.allowed.end())
        continue;
      out.push_back({rel, n, "includes " + *inc + ": " + *from + " may not include " + *to});
    }
  }
  return out;
}

TEST(LayeringTest, EveryIncludeFollowsTheTable) {
  const Table table = ReadTable(kRoot / "docs" / "layers.md");
  ASSERT_GT(table.size(), 10u) << "docs/layers.md has no table of layers";
  for (const auto& [name, row] : table)
    for (const auto& to : row.allowed)
      EXPECT_TRUE(to == "*" || table.count(to)) << name << " lists " << to << ", which has no row";
  for (const Violation& v : Check(table))
    ADD_FAILURE_AT((kRoot / v.file).string().c_str(), v.line) << v.message;
}

}  // namespace
