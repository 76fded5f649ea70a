#include "shell/form1.h"

#include "annotate/driver.h"
#include "shell/settings_file.h"

namespace zavin::shell {

std::string MainCaption(const std::string& host_name) {
  return std::string(kApplicationTitle) + " [ " + host_name + " ]";
}

std::string PowerOfTen(int exponent) {
  std::string s = "1";
  for (int i = 0; i < exponent; ++i) s += '0';
  return s;
}

TForm1::TForm1(TForm1Environment env)
    : Frame(Link, [this] { EndPendingConstruction(); }),
      Window(hub_, "Form1", kApplicationTitle, kClientWidth, kClientHeight),
      TabSheet1(hub_, "TabSheet1", " ｻﾞﾋﾞﾝ "),
      TabSheet2(hub_, "TabSheet2", " 設定1"),
      TabSheet3(hub_, "TabSheet3", " 設定2"),
      TabSheet4(hub_, "TabSheet4", " ﾂｰﾙ"),
      TabSheet5(hub_, "TabSheet5", " 座標"),
      PageControl1(hub_, "PageControl1", {&TabSheet1, &TabSheet2, &TabSheet3, &TabSheet4, &TabSheet5}),
      RadioGroup1(hub_, "RadioGroup1", "求積", {"ｻﾞﾋﾞﾝ", "三斜"}, 0),
      SpeedButton4(hub_, "SpeedButton4", "CAD"),
      Edit16(hub_, "Edit16", "1"),
      UpDown4(hub_, "UpDown4", 1, annotate::kMaxNumber, 1, &Edit16),
      Button4(hub_, "Button4", "最大", "図面内の番号の最大値を得る"),
      Button12(hub_, "Button12", "分割", "閉鎖領域内を１点指示すると、三角形に自動分割"),
      Button13(hub_, "Button13", "群選択", "分割された線分をすべて選ぶと、三角形群を取得し、長さを記入"),
      Button10(hub_, "Button10", "自動", "閉鎖領域内を１点指示すると、自動分割後、長さ、番号を記入"),
      Button8(hub_, "Button8", "２辺指示", "線分を２本選ぶと、他の１辺を作成し、長さを記入"),
      Button6(hub_, "Button6", "１点指示", "三角形内の１点を指示すると、長さを記入"),
      Button3(hub_, "Button3", "作成", "求積表を作成する基点（左上）を指示"),
      Button15(hub_, "Button15", "座標求積",
               "閉鎖領域内を１点指示（Enter で閉じたポリラインを選択）すると、座標求積表を作成"),
      CheckBox2(hub_, "CheckBox2", "全ﾃﾞｰﾀｰ", true, "ﾁｪｯｸを外した時は、番号を選択"),
      SpeedButton1(hub_, "SpeedButton1", ""),
      SpeedButton2(hub_, "SpeedButton2", ""),
      SpeedButton3(hub_, "SpeedButton3", ""),
      Edit8(hub_, "Edit8", "1000"),
      UpDown3(hub_, "UpDown3", 0, 3, 3),
      Edit7(hub_, "Edit7", "2"),
      UpDown2(hub_, "UpDown2", 0, 6, 2, &Edit7),
      RadioButton1(hub_, "RadioButton1", "切捨", false),
      RadioButton2(hub_, "RadioButton2", "四捨", true),
      RadioButton3(hub_, "RadioButton3", "切上", false),
      Edit18(hub_, "Edit18", "4"),
      UpDown6(hub_, "UpDown6", 0, 6, 4, &Edit18),
      RadioButton4(hub_, "RadioButton4", "切捨", false),
      RadioButton5(hub_, "RadioButton5", "四捨", true),
      RadioButton6(hub_, "RadioButton6", "切上", false),
      Edit4(hub_, "Edit4", "2"),
      UpDown1(hub_, "UpDown1", 0, 6, 2, &Edit4),
      RadioButton7(hub_, "RadioButton7", "切捨", false),
      RadioButton8(hub_, "RadioButton8", "四捨", true),
      RadioButton9(hub_, "RadioButton9", "切上", false),
      Edit12(hub_, "Edit12", "H_TEXT"),
      Edit15(hub_, "Edit15", "H_HEN"),
      Edit19(hub_, "Edit19", "H_TAKASA"),
      Edit3(hub_, "Edit3", "300"),
      Edit5(hub_, "Edit5", "400"),
      Edit6(hub_, "Edit6", "500"),
      Edit9(hub_, "Edit9", "400"),
      Edit10(hub_, "Edit10", "800"),
      Label10(hub_, "Label10", "幅1"),
      Edit11(hub_, "Edit11", "1500,3000,3000,3000,4500"),
      Label19(hub_, "Label19", "幅2"),
      Edit20(hub_, "Edit20", "1500,3000,3000,4500"),
      CheckBox4(hub_, "CheckBox4", "現在の文字スタイルで作成", true),
      Button2(hub_, "Button2", "文字回転", "文字を回転"),
      Edit13(hub_, "Edit13", "180.0"),
      Button5(hub_, "Button5", "番号移動", "番号の文字と円を選んで移動"),
      CheckBox3(hub_, "CheckBox3", "矢印", true),
      Edit14(hub_, "Edit14", "400"),
      Button11(hub_, "Button11", "長さ記入", "線分に長さを記入"),
      Button14(hub_, "Button14", "番号更新"),
      Edit21(hub_, "Edit21", "1"),
      Edit22(hub_, "Edit22", "2"),
      Edit1(hub_, "Edit1", "8.0"),
      Edit2(hub_, "Edit2", "10.0"),
      CheckBox1(hub_, "CheckBox1", "作成側自動", false),
      Edit17(hub_, "Edit17", "1000"),
      UpDown5(hub_, "UpDown5", 0, 3, 3),
      Button1(hub_, "Button1", "基準線"),
      Button9(hub_, "Button9", "a-b反転"),
      Button7(hub_, "Button7", "戻す"),
      Edit23(hub_, "Edit23", "点名"),
      Edit24(hub_, "Edit24", "K"),
      Edit25(hub_, "Edit25", "1"),
      Edit26(hub_, "Edit26", "3"),
      UpDown7(hub_, "UpDown7", 0, 6, 3, &Edit26),
      RadioGroup2(hub_, "RadioGroup2", "地目", {"なし", "宅地", "鉱泉地", "その他"}, 0),
      Edit27(hub_, "Edit27", "1500,3500,3500,3500,5500"),
      CheckBox5(hub_, "CheckBox5", "辺長表", false, "座標求積表の右に辺長表を作成"),
      Edit28(hub_, "Edit28", "3000,3000"),
      Label20(hub_, "Label20", "m²: mm 図面で尺度 1000、m 図面で尺度 1"),
      env_(std::move(env)) {
  Window.SetPosition(kDesignLeft, kDesignTop);

  for (TEdit* e : {&Edit16, &Edit13, &Edit14, &Edit1, &Edit2, &Edit17}) e->SetImeClosed(true);
  for (TEdit* e : {&Edit8, &Edit7, &Edit18, &Edit4, &Edit26}) e->SetReadOnly(true);
  for (TButton* b : {&SpeedButton1, &SpeedButton2, &SpeedButton3}) b->SetVisible(false);
  Label19.SetEnabled(false);
  Edit20.SetEnabled(false);
  for (Control* c : std::initializer_list<Control*>{&CheckBox4, &Button14, &Edit21, &Edit22, &CheckBox1, &Button9,
                                                    &Button7}) {
    c->SetEnabled(false);
  }

  for (auto group : {std::vector<TRadioButton*>{&RadioButton1, &RadioButton2, &RadioButton3},
                     std::vector<TRadioButton*>{&RadioButton4, &RadioButton5, &RadioButton6},
                     std::vector<TRadioButton*>{&RadioButton7, &RadioButton8, &RadioButton9}}) {
    for (TRadioButton* r : group) r->SetSiblings(group);
  }

  RadioGroup1.OnClick = [this] { RadioGroup1Click(); };
  UpDown2.OnClick = [this](UpDownButton) { UpDown2Click(); };
  UpDown6.OnClick = [this](UpDownButton) { UpDown6Click(); };
  UpDown1.OnClick = [this](UpDownButton) { UpDown1Click(); };
  UpDown3.OnClick = [this](UpDownButton) { UpDown3Click(); };
  UpDown5.OnClick = [this](UpDownButton) { UpDown5Click(); };
  for (TRadioButton* r : {&RadioButton1, &RadioButton2, &RadioButton3}) r->OnClick = [this] { RadioButton1Click(); };
  for (TRadioButton* r : {&RadioButton4, &RadioButton5, &RadioButton6}) r->OnClick = [this] { RadioButton4Click(); };
  for (TRadioButton* r : {&RadioButton7, &RadioButton8, &RadioButton9}) r->OnClick = [this] { RadioButton7Click(); };
  CheckBox3.OnClick = [this] { CheckBox3Click(); };
  SpeedButton4.OnClick = [this] { SpeedButton4Click(); };
  Edit1.OnKeyPress = [this](char32_t& key) { Edit1KeyPress(key); };
  Edit2.OnKeyPress = [this](char32_t& key) { Edit2KeyPress(key); };

  WireCommand(Button1, &TForm1Commands::Button1Click);
  WireCommand(Button2, &TForm1Commands::Button2Click);
  WireCommand(Button3, &TForm1Commands::Button3Click);
  WireCommand(Button4, &TForm1Commands::Button4Click);
  WireCommand(Button5, &TForm1Commands::Button5Click);
  WireCommand(Button8, &TForm1Commands::Button8Click);
  WireCommand(Button9, &TForm1Commands::Button9Click);
  WireCommand(Button10, &TForm1Commands::Button10Click);
  WireCommand(Button12, &TForm1Commands::Button10Click);
  WireCommand(Button6, &TForm1Commands::Button10Click);
  WireCommand(Button11, &TForm1Commands::Button11Click);
  WireCommand(Button13, &TForm1Commands::Button13Click);
  WireCommand(Button15, &TForm1Commands::Button15Click);
}

void TForm1::WireCommand(TButton& button, CommandHandler TForm1Commands::*slot) {
  // The slot is looked up at click time, so commands may be filled in later.
  button.OnClick = [this, &button, slot] {
    if (const CommandHandler& handler = Commands.*slot) handler(*this, button);
  };
}

void TForm1::FormCreate() {
  if (created_) return;
  created_ = true;
  Link.HostProgId = "ZWCAD.Application";
  Settings.HostName = "BricsCAD";
  Settings.LengthDigits = 2;
  Settings.AreaDigits = 4;
  Settings.TotalDigits = 2;
  Settings.LengthRounding = RoundingMode::HalfUp;
  Settings.AreaRounding = RoundingMode::HalfUp;
  Settings.TotalRounding = RoundingMode::HalfUp;

  if (!env_.settings_file.empty()) {
    static const FixedScreens kDefaultScreens({});
    LoadSettings(*this, env_.settings_file, env_.screens ? *env_.screens : kDefaultScreens);
  }

  Edit8.SetText(PowerOfTen(UpDown3.Position()));
  Edit17.SetText(PowerOfTen(UpDown5.Position()));
  Window.SetCaption(MainCaption(Settings.HostName));
  handle_ = platform::CreateWindow(Window.Caption());
  if (env_.register_message_filter) env_.register_message_filter();
  PageControl1.SetActivePageIndex(0);
}

void TForm1::FormDestroy() {
  if (!created_ || destroyed_) return;
  destroyed_ = true;
  if (!env_.settings_file.empty()) SaveSettings(*this, env_.settings_file);
  if (env_.revoke_message_filter) env_.revoke_message_filter();
  platform::DestroyWindow(handle_);
  handle_ = platform::kNoWindow;
}

void TForm1::EndPendingConstruction() {
  Button9.SetEnabled(false);
  if (OnEndPendingConstruction) OnEndPendingConstruction();
}

void TForm1::RadioGroup1Click() {
  const bool base_height = RadioGroup1.ItemIndex() != 0;
  TabSheet1.SetCaption(base_height ? " 三斜" : " ｻﾞﾋﾞﾝ");
  Label19.SetEnabled(base_height);
  Edit20.SetEnabled(base_height);
  Label10.SetEnabled(!base_height);
  Edit11.SetEnabled(!base_height);
}

void TForm1::UpDown2Click() { Settings.LengthDigits = UpDown2.Position(); }
void TForm1::UpDown6Click() { Settings.AreaDigits = UpDown6.Position(); }
void TForm1::UpDown1Click() { Settings.TotalDigits = UpDown1.Position(); }

RoundingMode TForm1::CheckedMode(const TRadioButton& r0, const TRadioButton& r1, const TRadioButton& r2,
                                 RoundingMode current) {
  if (r0.Checked()) return RoundingMode::Truncate;
  if (r1.Checked()) return RoundingMode::HalfUp;
  if (r2.Checked()) return RoundingMode::Up;
  return current;
}

void TForm1::RadioButton1Click() {
  Settings.LengthRounding = CheckedMode(RadioButton1, RadioButton2, RadioButton3, Settings.LengthRounding);
}
void TForm1::RadioButton4Click() {
  Settings.AreaRounding = CheckedMode(RadioButton4, RadioButton5, RadioButton6, Settings.AreaRounding);
}
void TForm1::RadioButton7Click() {
  Settings.TotalRounding = CheckedMode(RadioButton7, RadioButton8, RadioButton9, Settings.TotalRounding);
}

void TForm1::UpDown3Click() { Edit8.SetText(PowerOfTen(UpDown3.Position())); }
void TForm1::UpDown5Click() { Edit17.SetText(PowerOfTen(UpDown5.Position())); }

void TForm1::CheckBox3Click() { Edit14.SetEnabled(CheckBox3.Checked()); }

void TForm1::SpeedButton4Click() {
  if (env_.show_target_cad) env_.show_target_cad();
}

void TForm1::Edit1KeyPress(char32_t& key) {
  if (key != U'\r') return;
  key = 0;
  SetActiveControl(Edit2);
}

void TForm1::Edit2KeyPress(char32_t& key) {
  if (key != U'\r') return;
  key = 0;
  SetActiveControl(Button1);
}

void TForm1::SetActiveControl(Control& c) {
  active_ = &c;
  if (OnFocusRequest) OnFocusRequest(c);
}

}  // namespace zavin::shell
