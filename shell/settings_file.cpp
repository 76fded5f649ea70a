#include "shell/settings_file.h"

// UTF-8 in, UTF-8 out: no wide-character converter is needed.
#define SI_NO_CONVERSION
#include <SimpleIni.h>

#include <algorithm>
#include <cctype>
#include <cstdint>
#include <charconv>
#include <string>

#include "geometry/land_area.h"
#include "platform/file_io.h"
#include "platform/text_encoding.h"
#include "shell/form1.h"

namespace zavin::shell {
namespace {

constexpr char kForm[] = "Form";
constexpr char kMain[] = "QM_Zavin";

void Configure(CSimpleIniA& ini) {
  ini.SetUnicode(true);
  ini.SetMultiKey(false);
  // A value that begins with "<<<" is an ordinary value here, not the start
  // of a multi-line block that would swallow the lines after it.
  ini.SetMultiLine(false);
  ini.SetSpaces(false);
}

class Reader {
 public:
  explicit Reader(const CSimpleIniA& ini) : ini_(ini) {}

  std::string String(const char* section, const char* key, const std::string& def) const {
    const char* v = ini_.GetValue(section, key, nullptr);
    return v ? std::string(v) : def;
  }
  int Int(const char* section, const char* key, int def) const {
    const char* v = ini_.GetValue(section, key, nullptr);
    if (!v) return def;
    return ParseSettingsInt(v).value_or(def);
  }
  bool Bool(const char* section, const char* key, bool def) const { return Int(section, key, def ? 1 : 0) != 0; }
  bool Has(const char* section, const char* key) const { return ini_.GetValue(section, key, nullptr) != nullptr; }

 private:
  const CSimpleIniA& ini_;
};

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
  CSimpleIniA ini;
  Configure(ini);
  if (ini.LoadData(platform::DecodeText(*bytes).utf8) < 0) return;
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
  CSimpleIniA ini;
  Configure(ini);
  bool bom = false;
  if (const std::optional<std::string> bytes = platform::ReadFileBytes(file)) {
    platform::DecodedText text = platform::DecodeText(*bytes);
    bom = text.encoding == platform::TextEncoding::Utf8Bom;
    if (ini.LoadData(text.utf8) < 0) ini.Reset();
  }
  auto str = [&](const char* section, const char* key, const std::string& v) {
    ini.SetValue(section, key, v.c_str());
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
  if (ini.Save(out, bom) < 0) return false;
  return platform::ReplaceFileBytes(file, out);
}

}  // namespace zavin::shell
