#include "survey/sima.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <fstream>
#include <iterator>
#include <map>
#include <random>
#include <system_error>

#include "geometry/rounding.h"
#include "platform/text_encoding.h"

namespace zavin::survey {

namespace {

namespace fs = std::filesystem;

constexpr std::string_view kBom = "\xEF\xBB\xBF";

std::string_view Trim(std::string_view s) {
  const auto b = s.find_first_not_of(" \t");
  if (b == std::string_view::npos) return {};
  const auto e = s.find_last_not_of(" \t");
  return s.substr(b, e - b + 1);
}

std::vector<std::string_view> Fields(std::string_view line) {
  std::vector<std::string_view> out;
  for (std::size_t at = 0;;) {
    const auto comma = line.find(',', at);
    out.push_back(Trim(line.substr(at, comma == std::string_view::npos ? line.npos : comma - at)));
    if (comma == std::string_view::npos) break;
    at = comma + 1;
  }
  // The record's closing comma leaves one empty field.
  if (out.size() > 1 && out.back().empty()) out.pop_back();
  return out;
}

// A decimal number, '.' whatever the locale; nothing for anything else.
std::optional<double> Number(std::string_view s) {
  const char* first = s.data();
  const char* last = s.data() + s.size();
  if (first != last && *first == '+') ++first;
  double v = 0;
  const auto [end, ec] = std::from_chars(first, last, v, std::chars_format::fixed);
  if (ec != std::errc() || end != last || first == last || !std::isfinite(v)) return std::nullopt;
  return v;
}

bool IsRecordKind(std::string_view k) {
  return k.size() == 3 && k[0] >= 'A' && k[0] <= 'Z' && k[1] >= '0' && k[1] <= '9' && k[2] >= '0' &&
         k[2] <= '9';
}

std::string Join(const std::vector<std::string_view>& fields) {
  std::string s;
  for (std::size_t i = 0; i < fields.size(); ++i) {
    if (i) s += ',';
    s += fields[i];
  }
  return s;
}

std::optional<std::string> ToShiftJis(std::string_view utf8) {
  std::string out;
  if (!platform::Utf8ToCodePage(utf8, platform::kSystemCodePage, out)) return std::nullopt;
  return out;
}

struct OpenParcel {
  SimaParcel parcel;
  int line = 0;
  std::vector<int> vertex_lines;
};

class Parser {
 public:
  SimaReadResult Run(std::string_view text) {
    int line = 0;
    for (std::size_t at = 0; at <= text.size();) {
      auto nl = text.find('\n', at);
      if (nl == std::string_view::npos) nl = text.size();
      std::string_view l = text.substr(at, nl - at);
      if (!l.empty() && l.back() == '\r') l.remove_suffix(1);
      ++line;
      Record(l, line);
      at = nl + 1;
    }
    if (parcel_) {
      Note(parcel_->line, "parcel " + parcel_->parcel.number + " has no D99; it ends with the file");
      CloseParcel();
    }
    // Parcels are checked last: a file may list its points after them.
    for (OpenParcel& p : parcels_) Check(p);
    return std::move(result_);
  }

 private:
  void Note(int line, std::string message) { result_.diagnostics.push_back({line, std::move(message)}); }

  void Record(std::string_view l, int line) {
    if (Trim(l).empty()) return;
    const std::vector<std::string_view> f = Fields(l);
    const std::string_view kind = f[0];
    if (!IsRecordKind(kind)) {
      Note(line, "not a SIMA record (a record starts with its kind, such as A01)");
      return;
    }
    if (kind == "G00" || kind == "Z00") {
      result_.data.info.push_back(Join(f));
    } else if (kind == "A01") {
      Point(f, line);
    } else if (kind == "D00") {
      if (parcel_) {
        Note(parcel_->line, "parcel " + parcel_->parcel.number + " has no D99; it ends at line " +
                                std::to_string(line));
        CloseParcel();
      }
      parcel_ = OpenParcel{};
      parcel_->line = line;
      parcel_->parcel.number = f.size() > 1 ? std::string(f[1]) : std::string();
      parcel_->parcel.name = f.size() > 2 ? std::string(f[2]) : std::string();
    } else if (kind == "B01") {
      if (!parcel_) {
        Note(line, "B01 outside a parcel (no D00 before it)");
      } else if (f.size() < 2 || f[1].empty()) {
        Note(line, "B01 without a point number");
      } else {
        parcel_->parcel.vertices.emplace_back(f[1]);
        parcel_->vertex_lines.push_back(line);
      }
    } else if (kind == "D99") {
      if (!parcel_) Note(line, "D99 without a parcel (no D00 before it)");
      else CloseParcel();
    }
    // A00, A99 and every other kind: nothing to read.
  }

  void Point(const std::vector<std::string_view>& f, int line) {
    if (f.size() < 5) {
      Note(line, "A01 needs point number, name, X and Y");
      return;
    }
    if (f[1].empty()) {
      Note(line, "A01 without a point number");
      return;
    }
    const std::optional<double> x = Number(f[3]), y = Number(f[4]);
    if (!x || !y) {
      Note(line, "A01: X and Y must be numbers (\"" + std::string(f[3]) + "\", \"" + std::string(f[4]) + "\")");
      return;
    }
    std::optional<double> z;
    if (f.size() > 5 && !f[5].empty()) {
      z = Number(f[5]);
      if (!z) {
        Note(line, "A01: Z must be a number or empty (\"" + std::string(f[5]) + "\")");
        return;
      }
    }
    const auto [it, fresh] = point_lines_.try_emplace(std::string(f[1]), line);
    if (!fresh) {
      Note(line, "point number " + std::string(f[1]) + " was already given on line " +
                     std::to_string(it->second) + "; this one is skipped");
      return;
    }
    result_.data.points.push_back({std::string(f[1]), std::string(f[2]), *x, *y, z});
  }

  void CloseParcel() {
    parcels_.push_back(std::move(*parcel_));
    parcel_.reset();
  }

  void Check(OpenParcel& p) {
    SimaParcel& parcel = p.parcel;
    for (std::size_t i = 0; i < parcel.vertices.size(); ++i)
      if (!point_lines_.contains(parcel.vertices[i])) {
        Note(p.vertex_lines[i], "parcel " + parcel.number + " names point " + parcel.vertices[i] +
                                    ", which the file does not give; the parcel is skipped");
        return;
      }
    // Some writers close the ring by repeating the first vertex.
    if (parcel.vertices.size() > 1 && parcel.vertices.front() == parcel.vertices.back())
      parcel.vertices.pop_back();
    if (parcel.vertices.size() < 3) {
      Note(p.line, "parcel " + parcel.number + " has fewer than 3 vertices; it is skipped");
      return;
    }
    result_.data.parcels.push_back(std::move(parcel));
  }

  SimaReadResult result_;
  std::map<std::string, int, std::less<>> point_lines_;
  std::optional<OpenParcel> parcel_;
  std::vector<OpenParcel> parcels_;
};

// Fields a record cannot hold.
void CheckField(std::string_view what, std::string_view text) {
  if (text.find_first_of(",\r\n") != std::string_view::npos)
    throw SimaError(std::string(what) + " \"" + std::string(text) +
                    "\" holds a comma or a line break, which a SIMA record cannot hold");
}

std::string Metres(std::string_view what, double v) {
  if (!std::isfinite(v)) throw SimaError(std::string(what) + " is not a finite number");
  return geometry::RoundToText(3, geometry::RoundingMode::HalfUp, v);
}

}  // namespace

const SimaPoint* SimaData::FindPoint(std::string_view number) const {
  for (const SimaPoint& p : points)
    if (p.number == number) return &p;
  return nullptr;
}

std::string Located(std::string_view file, const SimaDiagnostic& d) {
  return std::string(file) + ":" + std::to_string(d.line) + ": " + d.message;
}

SimaReadResult ParseSima(std::string_view bytes, std::string_view file) {
  SimaEncoding encoding = SimaEncoding::Utf8;
  std::string text;
  if (bytes.starts_with(kBom)) {
    bytes.remove_prefix(kBom.size());
    encoding = SimaEncoding::Utf8Bom;
    if (!platform::IsValidUtf8(bytes)) throw SimaError(std::string(file) + ": marked as UTF-8 but is not UTF-8");
    text = bytes;
  } else if (platform::IsValidUtf8(bytes)) {
    text = bytes;
  } else {
    encoding = SimaEncoding::ShiftJis;
    const std::optional<std::size_t> read = platform::CodePageToUtf8(bytes, platform::kSystemCodePage, text);
    if (read != bytes.size()) {
      const std::size_t bad = read.value_or(0);
      const auto line = 1 + std::count(bytes.begin(), bytes.begin() + static_cast<std::ptrdiff_t>(bad), '\n');
      throw SimaError(std::string(file) + ":" + std::to_string(line) +
                      ": neither UTF-8 nor Shift_JIS; nothing was read");
    }
  }
  SimaReadResult result = Parser().Run(text);
  result.encoding = encoding;
  return result;
}

SimaReadResult ReadSimaFile(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  if (!in) throw SimaError(path.string() + ": cannot open the file");
  std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  if (in.bad()) throw SimaError(path.string() + ": cannot read the file");
  return ParseSima(bytes, path.string());
}

std::string FormatSima(const SimaData& data, std::string_view title) {
  CheckField("the title", title);
  std::string s;
  auto record = [&s](std::initializer_list<std::string_view> fields) {
    for (std::string_view f : fields) {
      s += f;
      s += ',';
    }
    s += "\r\n";
  };
  record({"G00", "04", title});
  record({"Z00", "座標ﾃﾞｰﾀ"});
  record({"A00"});
  for (const SimaPoint& p : data.points) {
    CheckField("the point number", p.number);
    CheckField("the point name", p.name);
    const std::string what = "point " + p.number;
    record({"A01", p.number, p.name, Metres(what + " X", p.x), Metres(what + " Y", p.y),
            p.z ? Metres(what + " Z", *p.z) : std::string()});
  }
  record({"A99"});
  for (const SimaParcel& parcel : data.parcels) {
    CheckField("the parcel number", parcel.number);
    CheckField("the parcel name", parcel.name);
    record({"Z00", "区画ﾃﾞｰﾀ"});
    record({"D00", parcel.number, parcel.name});
    for (const std::string& v : parcel.vertices) {
      const SimaPoint* p = data.FindPoint(v);
      if (!p) throw SimaError("parcel " + parcel.number + " names point " + v + ", which is not in the list");
      record({"B01", p->number, p->name});
    }
    record({"D99"});
  }
  return s;
}

std::string EncodeSimaShiftJis(const SimaData& data, std::string_view title) {
  const std::string text = FormatSima(data, title);
  if (std::optional<std::string> bytes = ToShiftJis(text)) return std::move(*bytes);
  // Name the text that cannot be written.
  auto check = [](const std::string& what, std::string_view t) {
    if (!ToShiftJis(t))
      throw SimaError(what + " \"" + std::string(t) +
                      "\" holds a character that Shift_JIS cannot hold; nothing was written");
  };
  check("the title", title);
  for (const SimaPoint& p : data.points) {
    check("the number of point " + p.number, p.number);
    check("the name of point " + p.number, p.name);
  }
  for (const SimaParcel& p : data.parcels) {
    check("the number of parcel " + p.number, p.number);
    check("the name of parcel " + p.number, p.name);
  }
  throw SimaError("the file holds a character that Shift_JIS cannot hold; nothing was written");
}

void WriteSimaFile(const fs::path& path, const SimaData& data, std::string_view title) {
  const std::string bytes = EncodeSimaShiftJis(data, title);
  // Same folder, so the rename replaces in one step; a name no file has.
  fs::path temp;
  std::random_device random;
  do {
    temp = path;
    temp += ".part" + std::to_string(random());
  } while (fs::exists(temp));
  {
    std::ofstream out(temp, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    out.close();
    if (!out) {
      std::error_code ignored;
      fs::remove(temp, ignored);
      throw SimaError(path.string() + ": cannot write the file");
    }
  }
  std::error_code ec;
  fs::rename(temp, path, ec);
  if (ec) {
    std::error_code ignored;
    fs::remove(temp, ignored);
    throw SimaError(path.string() + ": cannot write the file (" + ec.message() + ")");
  }
}

}  // namespace zavin::survey
