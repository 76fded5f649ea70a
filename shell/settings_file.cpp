#include "shell/settings_file.h"

#include <algorithm>
#include <cctype>
#include <cstdint>
#include <charconv>
#include <optional>
#include <string>
#include <string_view>
#include <system_error>
#include <vector>

#include "geometry/land_area.h"
#include "platform/file_io.h"
#include "platform/text_encoding.h"
#include "shell/form1.h"

namespace zavin::shell {
namespace {

constexpr char kForm[] = "Form";
constexpr char kMain[] = "QM_Zavin";

// The settings file as lines, edited in place: a line the tool does not
// change keeps its bytes (NUL bytes, other encodings, odd lines included).
// The structure read is SimpleIni's: "[name]" opens a section (a line
// without its "]" opens none), ';' and '#' start comments, "key = value"
// with keys matched without regard to ASCII case and blanks trimmed; of
// repeated keys the last counts. Only '[', ']', '=', ';', '#', blanks and
// line ends are looked at, none of which is ever a trail byte of code page
// 932 where it matters ('=' and ';' and '#' never are; '[' is never a lead).
class IniLines {
 public:
  explicit IniLines(std::string_view text) {
    for (std::size_t start = 0; start < text.size();) {
      std::size_t end = text.find('\n', start);
      end = end == std::string_view::npos ? text.size() : end + 1;
      lines_.emplace_back(text.substr(start, end - start));
      start = end;
    }
    std::size_t crlf = 0;
    for (const std::string& l : lines_) crlf += l.ends_with("\r\n");
    if (crlf * 2 > lines_.size()) eol_ = "\r\n";
  }

  // The value of the last `key` in every `section`.
  std::optional<std::string> Get(std::string_view section, std::string_view key) const {
    std::optional<std::string> value;
    ForEachKey(section, key, [&](std::size_t i, std::size_t eq) { value = Value(lines_[i], eq); });
    return value;
  }

  // Sets every `key` of `section` to `value` (a line whose value is already
  // that is left alone); appends the key to the section's last block, or the
  // section to the file, when it has none.
  void Set(std::string_view section, std::string_view key, std::string_view value) {
    bool found = false;
    ForEachKey(section, key, [&](std::size_t i, std::size_t eq) {
      found = true;
      if (Value(lines_[i], eq) == value) return;
      const std::string& line = lines_[i];
      const std::string ending = line.ends_with("\r\n") ? "\r\n" : line.ends_with("\n") ? "\n" : "";
      lines_[i] = line.substr(0, eq + 1) + std::string(value) + ending;
    });
    if (found) return;
    std::string entry = std::string(key) + "=" + std::string(value) + eol_;
    std::optional<std::size_t> end = SectionEnd(section);
    if (!end) {
      if (!lines_.empty() && !lines_.back().ends_with("\n")) lines_.back() += eol_;
      if (!lines_.empty()) lines_.push_back(eol_);
      lines_.push_back("[" + std::string(section) + "]" + eol_);
      end = lines_.size();
    } else if (*end > 0 && !lines_[*end - 1].ends_with("\n")) {
      lines_[*end - 1] += eol_;
    }
    lines_.insert(lines_.begin() + static_cast<std::ptrdiff_t>(*end), std::move(entry));
  }

  std::string Text() const {
    std::string out;
    for (const std::string& l : lines_) out += l;
    return out;
  }

 private:
  static std::string_view Trim(std::string_view s) {
    const auto blank = [](char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; };
    while (!s.empty() && blank(s.front())) s.remove_prefix(1);
    while (!s.empty() && blank(s.back())) s.remove_suffix(1);
    return s;
  }
  static bool SameName(std::string_view a, std::string_view b) {
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
             return std::tolower(static_cast<unsigned char>(x)) == std::tolower(static_cast<unsigned char>(y));
           });
  }
  // The section a header line opens, nothing for any other line.
  static std::optional<std::string_view> Header(std::string_view line) {
    line = Trim(line);
    if (line.size() < 2 || line.front() != '[' || line.back() != ']') return std::nullopt;
    return Trim(line.substr(1, line.size() - 2));
  }
  static std::string Value(std::string_view line, std::size_t eq) { return std::string(Trim(line.substr(eq + 1))); }

  // Calls f(line index, offset of '=') for every line of `key` in `section`.
  template <typename F>
  void ForEachKey(std::string_view section, std::string_view key, F f) const {
    bool inside = false;
    for (std::size_t i = 0; i < lines_.size(); ++i) {
      const std::string_view line = lines_[i];
      if (const auto name = Header(line)) {
        inside = SameName(*name, section);
        continue;
      }
      if (!inside) continue;
      const std::string_view t = Trim(line);
      if (t.empty() || t.front() == ';' || t.front() == '#') continue;
      const std::size_t eq = line.find('=');
      if (eq == std::string_view::npos || !SameName(Trim(line.substr(0, eq)), key)) continue;
      f(i, eq);
    }
  }
  // Where a key is appended: after the last key or comment line of the
  // section's last block; nothing when the file has no such section.
  std::optional<std::size_t> SectionEnd(std::string_view section) const {
    std::optional<std::size_t> end;
    bool inside = false;
    for (std::size_t i = 0; i < lines_.size(); ++i) {
      if (const auto name = Header(lines_[i])) {
        inside = SameName(*name, section);
        if (inside) end = i + 1;
        continue;
      }
      const std::string_view t = Trim(lines_[i]);
      if (inside && !t.empty() && (t.front() == ';' || t.front() == '#' || t.find('=') != std::string_view::npos))
        end = i + 1;
    }
    return end;
  }

  std::vector<std::string> lines_;
  std::string eol_ = "\n";
};

class Reader {
 public:
  explicit Reader(const IniLines& ini) : ini_(ini) {}

  std::string String(const char* section, const char* key, const std::string& def) const {
    return ini_.Get(section, key).value_or(def);
  }
  int Int(const char* section, const char* key, int def) const {
    const std::optional<std::string> v = ini_.Get(section, key);
    if (!v) return def;
    return ParseSettingsInt(*v).value_or(def);
  }
  bool Bool(const char* section, const char* key, bool def) const { return Int(section, key, def ? 1 : 0) != 0; }
  bool Has(const char* section, const char* key) const { return ini_.Get(section, key).has_value(); }

 private:
  const IniLines& ini_;
};

// A value as one line: line breaks would split it, and the blanks around it
// would not read back.
std::string OneLineValue(std::string_view value) {
  std::string out;
  for (char c : value)
    if (c != '\r' && c != '\n') out += c;
  return out;
}

void CheckRounding(int stored, TRadioButton& truncate, TRadioButton& half_up, TRadioButton& up) {
  TRadioButton& target = stored == 1 ? half_up : stored == 2 ? up : truncate;
  target.SetChecked(true);
}

int RoundingValue(RoundingMode m) { return static_cast<int>(m); }

void LoadPosition(TForm1& form, const Reader& r, const ScreenGeometry& screens) {
  std::vector<ScreenRect> all = screens.Screens();
  if (all.empty()) all.push_back({0, 0, 1920, 1080});
  const ScreenRect& primary = all.front();
  const int w = form.Window.ClientWidth();
  const int h = form.Window.ClientHeight();
  const int centre_top = primary.top + (primary.height - h) / 2;
  const int centre_left = primary.left + (primary.width - w) / 2;
  int top = r.Int(kForm, "Top", centre_top);
  int left = r.Int(kForm, "Left", centre_left);
  // A position saved on a screen that is no longer attached would open the
  // window where nobody can see it.
  if (!IsOnSomeScreen(all, left, top, w, h)) {
    top = centre_top;
    left = centre_left;
  }
  form.Window.SetPosition(left, top);
}

}  // namespace

std::filesystem::path SettingsPathFor(const std::filesystem::path& executable) {
  std::filesystem::path p = executable;
  p.replace_extension(".ini");
  return p;
}

std::optional<int> ParseSettingsInt(std::string_view text) {
  while (!text.empty() && std::isspace(static_cast<unsigned char>(text.front()))) text.remove_prefix(1);
  while (!text.empty() && std::isspace(static_cast<unsigned char>(text.back()))) text.remove_suffix(1);
  bool negative = false;
  if (!text.empty() && (text.front() == '-' || text.front() == '+')) {
    negative = text.front() == '-';
    text.remove_prefix(1);
  }
  int base = 10;
  if (text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X')) {
    base = 16;
    text.remove_prefix(2);
  }
  if (text.empty() || !std::isxdigit(static_cast<unsigned char>(text.front()))) return std::nullopt;
  long long magnitude = 0;
  auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), magnitude, base);
  if (ec != std::errc{} || end != text.data() + text.size()) return std::nullopt;
  const long long value = negative ? -magnitude : magnitude;
  if (value < INT32_MIN || value > INT32_MAX) return std::nullopt;
  return static_cast<int>(value);
}

void LoadSettings(TForm1& f, const std::filesystem::path& file, const ScreenGeometry& screens) {
  const std::optional<std::string> bytes = platform::ReadFileBytes(file);
  if (!bytes) return;
  const IniLines ini(platform::DecodeText(*bytes).utf8);
  const Reader r(ini);

  LoadPosition(f, r, screens);

  f.Edit13.SetText(r.String(kMain, "Kakudo", "180.0"));
  f.Edit14.SetText(r.String(kMain, "Yajirusi", "400.0"));
  f.CheckBox3.SetChecked(r.Bool(kMain, "Leader", true));
  f.Edit14.SetEnabled(f.CheckBox3.Checked());
  // No method selected is not a state the commands agree on: below 0 reads as
  // the three-side method, above 1 as base-and-height.
  f.RadioGroup1.SetItemIndex(std::clamp(r.Int(kMain, "Kyuuseki", 0), 0, 1));
  f.CheckBox2.SetChecked(r.Bool(kMain, "AllData", true));
  f.Edit1.SetText(r.String(kMain, "A_Hen", "8.0"));
  f.Edit2.SetText(r.String(kMain, "B_Hen", "10.0"));
  f.CheckBox1.SetChecked(r.Bool(kMain, "AutoCheck", true));
  f.UpDown5.SetPosition(r.Int(kMain, "Jouritu", 3));
  f.UpDown3.SetPosition(r.Int(kMain, "Syakudo", 3));
  f.Edit8.SetText(PowerOfTen(f.UpDown3.Position()));
  f.UpDown2.SetPosition(r.Int(kMain, "Keta1", 2));
  f.UpDown6.SetPosition(r.Int(kMain, "Keta2", 4));
  f.UpDown1.SetPosition(r.Int(kMain, "Keta3", 2));
  f.Settings.LengthDigits = f.UpDown2.Position();
  f.Settings.AreaDigits = f.UpDown6.Position();
  f.Settings.TotalDigits = f.UpDown1.Position();
  f.Edit12.SetText(r.String(kMain, "M_Layer", "H_TEXT"));
  f.Edit15.SetText(r.String(kMain, "H_Layer", "H_HEN"));
  f.Edit19.SetText(r.String(kMain, "T_Layer", "H_TAKASA"));
  CheckRounding(r.Int(kMain, "Nagasa", 1), f.RadioButton1, f.RadioButton2, f.RadioButton3);
  f.RadioButton1Click();
  CheckRounding(r.Int(kMain, "Menseki", 1), f.RadioButton4, f.RadioButton5, f.RadioButton6);
  f.RadioButton4Click();
  CheckRounding(r.Int(kMain, "Goukei", 1), f.RadioButton7, f.RadioButton8, f.RadioButton9);
  f.RadioButton7Click();
  f.Edit3.SetText(r.String(kMain, "M_Taka1", "300"));
  f.Edit5.SetText(r.String(kMain, "N_Taka1", "400"));
  f.Edit6.SetText(r.String(kMain, "Hankei1", "500"));
  f.Edit9.SetText(r.String(kMain, "M_Taka2", "400"));
  f.Edit10.SetText(r.String(kMain, "G_Taka", "800"));
  f.Edit11.SetText(r.String(kMain, "Haba1", "1500,3000,3000,3000,4500"));
  f.Edit20.SetText(r.String(kMain, "Haba2", "1500,3000,3000,4500"));
  f.CheckBox4.SetChecked(r.Bool(kMain, "UseTextStyle", true));
  f.Link.HostProgId = r.String(kMain, "ProgId", f.Link.HostProgId);
  f.Settings.HostName = r.String(kMain, "cadName", f.Settings.HostName);
  f.Edit23.SetText(r.String(kMain, "Ten_Layer", "点名"));
  f.Edit24.SetText(r.String(kMain, "Settou", "K"));
  f.Edit25.SetText(r.String(kMain, "Kaishi", "1"));
  f.UpDown7.SetPosition(r.Int(kMain, "Keta4", 3));
  f.RadioGroup2.SetItemIndex(static_cast<int>(geometry::ChimokuFromInt(r.Int(kMain, "Chimoku", 0))));
  f.Edit27.SetText(r.String(kMain, "Haba3", "1500,3500,3500,3500,5500"));
  f.CheckBox5.SetChecked(r.Bool(kMain, "Henchou", false));
  f.Edit28.SetText(r.String(kMain, "Haba4", "3000,3000"));
}

bool SaveSettings(const TForm1& f, const std::filesystem::path& file) {
  // The file's own bytes are edited: its encoding and mark stay, and so does
  // every line the tool does not change.
  std::string bytes;
  std::error_code ec;
  if (std::filesystem::exists(file, ec)) {
    std::optional<std::string> read = platform::ReadFileBytes(file);
    if (!read) return false;  // a file that cannot be read is not replaced
    bytes = std::move(*read);
  }
  const platform::DecodedText decoded = platform::DecodeText(bytes);
  std::string_view mark;
  std::string_view body = bytes;
  const bool utf16 = decoded.encoding == platform::TextEncoding::Utf16LE ||
                     decoded.encoding == platform::TextEncoding::Utf16BE;
  std::string utf16_text;
  if (utf16) {
    // Lines of UTF-16 come back as they were only when all of it decoded.
    if (!decoded.lossless) return false;
    utf16_text = decoded.utf8;
    body = utf16_text;
  } else if (decoded.encoding == platform::TextEncoding::Utf8Bom) {
    mark = std::string_view(bytes).substr(0, 3);
    body.remove_prefix(3);
  }
  const bool code_page = decoded.encoding == platform::TextEncoding::SystemCodePage;
  IniLines ini(body);

  auto str = [&](const char* section, const char* key, const std::string& v) {
    std::string value = OneLineValue(v);
    // In a code page file a value goes in the code page when it can; else
    // in UTF-8, which the file's reader takes line by line.
    std::string encoded;
    if (code_page && platform::Utf8ToCodePage(value, platform::kSystemCodePage, encoded) &&
        (encoded == value || !platform::IsValidUtf8(encoded)))
      value = std::move(encoded);
    ini.Set(section, key, value);
  };
  auto num = [&](const char* section, const char* key, int v) { str(section, key, std::to_string(v)); };
  auto flag = [&](const char* key, bool v) { num(kMain, key, v ? 1 : 0); };

  num(kForm, "Top", f.Window.Top());
  num(kForm, "Left", f.Window.Left());
  str(kMain, "Kakudo", f.Edit13.Text());
  str(kMain, "Yajirusi", f.Edit14.Text());
  flag("Leader", f.CheckBox3.Checked());
  num(kMain, "Kyuuseki", f.RadioGroup1.ItemIndex());
  flag("AllData", f.CheckBox2.Checked());
  str(kMain, "A_Hen", f.Edit1.Text());
  str(kMain, "B_Hen", f.Edit2.Text());
  flag("AutoCheck", f.CheckBox1.Checked());
  num(kMain, "Jouritu", f.UpDown5.Position());
  num(kMain, "Syakudo", f.UpDown3.Position());
  num(kMain, "Keta1", f.UpDown2.Position());
  num(kMain, "Keta2", f.UpDown6.Position());
  num(kMain, "Keta3", f.UpDown1.Position());
  str(kMain, "M_Layer", f.Edit12.Text());
  str(kMain, "H_Layer", f.Edit15.Text());
  str(kMain, "T_Layer", f.Edit19.Text());
  num(kMain, "Nagasa", RoundingValue(f.Settings.LengthRounding));
  num(kMain, "Menseki", RoundingValue(f.Settings.AreaRounding));
  num(kMain, "Goukei", RoundingValue(f.Settings.TotalRounding));
  str(kMain, "M_Taka1", f.Edit3.Text());
  str(kMain, "N_Taka1", f.Edit5.Text());
  str(kMain, "Hankei1", f.Edit6.Text());
  str(kMain, "M_Taka2", f.Edit9.Text());
  str(kMain, "G_Taka", f.Edit10.Text());
  str(kMain, "Haba1", f.Edit11.Text());
  str(kMain, "Haba2", f.Edit20.Text());
  flag("UseTextStyle", f.CheckBox4.Checked());
  str(kMain, "ProgId", f.Link.HostProgId);
  str(kMain, "cadName", f.Settings.HostName);
  str(kMain, "Ten_Layer", f.Edit23.Text());
  str(kMain, "Settou", f.Edit24.Text());
  str(kMain, "Kaishi", f.Edit25.Text());
  num(kMain, "Keta4", f.UpDown7.Position());
  num(kMain, "Chimoku", f.RadioGroup2.ItemIndex());
  str(kMain, "Haba3", f.Edit27.Text());
  flag("Henchou", f.CheckBox5.Checked());
  str(kMain, "Haba4", f.Edit28.Text());

  std::string out;
  if (utf16)
    platform::EncodeText(ini.Text(), decoded.encoding, out);
  else
    out = std::string(mark) + ini.Text();
  if (out == bytes) return true;
  return platform::ReplaceFileBytes(file, out);
}

}  // namespace zavin::shell
