#pragma once

// The tool window as a toolkit-free model: every control of the form, the
// unit-level settings, start-up and shut-down. Commands receive the form and
// read their parameters from its controls at the moment they run.

#include <filesystem>
#include <functional>
#include <memory>
#include <string>

#include "geometry/rounding.h"
#include "host/command_frame.h"
#include "host/link.h"
#include "platform/windows.h"
#include "shell/controls.h"
#include "shell/screen.h"

namespace zavin::shell {

// The application title; every window caption begins with it.
inline constexpr char kApplicationTitle[] = "■";

// Title + " [ " + host name + " ]".
std::string MainCaption(const std::string& host_name);

// "1", "10", "100", "1000" for exponents 0..3.
std::string PowerOfTen(int exponent);

using geometry::RoundingMode;

// The unit-level settings of the main window. `HostProgId` lives in the host
// link (TForm1::Link), the one place commands reach the host through.
struct UnitSettings {
  std::string HostName = "BricsCAD";
  int LengthDigits = 2;
  int AreaDigits = 4;
  int TotalDigits = 2;
  RoundingMode LengthRounding = RoundingMode::HalfUp;
  RoundingMode AreaRounding = RoundingMode::HalfUp;
  RoundingMode TotalRounding = RoundingMode::HalfUp;
};

class TForm1;

// A command button handler; `sender` tells buttons that share a handler apart.
using CommandHandler = std::function<void(TForm1& form, TButton& sender)>;

// Slots of the command handlers, filled by the command modules. An empty
// slot makes its button do nothing.
struct TForm1Commands {
  CommandHandler Button1Click;   // 基準線
  CommandHandler Button2Click;   // 文字回転
  CommandHandler Button3Click;   // 作成
  CommandHandler Button4Click;   // 最大
  CommandHandler Button5Click;   // 番号移動
  CommandHandler Button8Click;   // ２辺指示
  CommandHandler Button9Click;   // a-b反転
  CommandHandler Button10Click;  // 自動, and 分割 (Button12) and １点指示 (Button6)
  CommandHandler Button11Click;  // 長さ記入
  CommandHandler Button13Click;  // 群選択
  CommandHandler Button15Click;  // 座標求積
};

// What the form needs from the program around it.
struct TForm1Environment {
  // The settings file; empty for none (nothing loaded or saved).
  std::filesystem::path settings_file;
  // Screens for placing the window; nullptr counts as one 1920 x 1080 screen.
  std::shared_ptr<const ScreenGeometry> screens;
  // Start-up step 6 and the end of shut-down: the host link's message filter.
  std::function<void()> register_message_filter;
  std::function<void()> revoke_message_filter;
  // SpeedButton4: shows the target CAD dialog modally.
  std::function<void()> show_target_cad;
};

class TForm1 {
 public:
  explicit TForm1(TForm1Environment env = {});
  TForm1(const TForm1&) = delete;
  TForm1& operator=(const TForm1&) = delete;

  // The view's listener for control changes.
  ChangeHub& Changes() { return hub_; }

  // --- lifecycle
  // Defaults, settings file, scale fields, caption, message filter, tab 0.
  void FormCreate();
  // Saves the settings file, then revokes the message filter. Runs once.
  void FormDestroy();
  bool Created() const { return created_; }
  // The platform window handle of the tool window (owner of message boxes),
  // from FormCreate to FormDestroy.
  platform::Hwnd Handle() const { return handle_; }

  // --- handlers of the form
  void RadioGroup1Click();
  void UpDown2Click();
  void UpDown6Click();
  void UpDown1Click();
  void RadioButton1Click();
  void RadioButton4Click();
  void RadioButton7Click();
  void UpDown3Click();
  void UpDown5Click();
  void CheckBox3Click();
  void SpeedButton4Click();
  void Edit1KeyPress(char32_t& key);
  void Edit2KeyPress(char32_t& key);

  // Focus: the control that should have the keyboard focus; the view follows.
  const Control* ActiveControl() const { return active_; }
  void SetActiveControl(Control& c);
  std::function<void(const Control&)> OnFocusRequest;

  UnitSettings Settings;
  // The host link: HostProgId and the application object of the last
  // connect. Frame runs commands in F1..F8 over it; its F2 disables Button9
  // and then runs OnEndPendingConstruction (the base-line construction's
  // record of created objects).
  host::HostLink Link;
  host::CommandFrame Frame;
  std::function<void()> OnEndPendingConstruction;
  // F2 of the command frame, for commands that run it themselves.
  void EndPendingConstruction();

  TForm1Commands Commands;
  TForm1Environment& Environment() { return env_; }

 private:
  ChangeHub hub_;

 public:
  // --- the window and its tabs
  TWindow Window;
  TLabel TabSheet1, TabSheet2, TabSheet3, TabSheet4, TabSheet5;
  TPageControl PageControl1;

  // --- tab 0
  TRadioGroup RadioGroup1;
  TButton SpeedButton4;
  TEdit Edit16;
  TUpDown UpDown4;
  TButton Button4, Button12, Button13, Button10, Button8, Button6, Button3, Button15;
  TCheckBox CheckBox2;
  TButton SpeedButton1, SpeedButton2, SpeedButton3;

  // --- tab 1
  TEdit Edit8;
  TUpDown UpDown3;
  TEdit Edit7;
  TUpDown UpDown2;
  TRadioButton RadioButton1, RadioButton2, RadioButton3;
  TEdit Edit18;
  TUpDown UpDown6;
  TRadioButton RadioButton4, RadioButton5, RadioButton6;
  TEdit Edit4;
  TUpDown UpDown1;
  TRadioButton RadioButton7, RadioButton8, RadioButton9;
  TEdit Edit12, Edit15, Edit19;

  // --- tab 2
  TEdit Edit3, Edit5, Edit6, Edit9, Edit10;
  TLabel Label10;
  TEdit Edit11;
  TLabel Label19;
  TEdit Edit20;
  TCheckBox CheckBox4;

  // --- tab 3
  TButton Button2;
  TEdit Edit13;
  TButton Button5;
  TCheckBox CheckBox3;
  TEdit Edit14;
  TButton Button11;
  TButton Button14;
  TEdit Edit21, Edit22;
  TEdit Edit1, Edit2;
  TCheckBox CheckBox1;
  TEdit Edit17;
  TUpDown UpDown5;
  TButton Button1, Button9, Button7;

  // --- tab 4: the coordinate table and the land category
  TEdit Edit23;  // point-name layer
  TEdit Edit24;  // prefix of generated point names
  TEdit Edit25;  // number of the first generated name
  TEdit Edit26;
  TUpDown UpDown7;  // coordinate digits
  TRadioGroup RadioGroup2;  // 地目
  TEdit Edit27;  // column widths of the coordinate table
  TCheckBox CheckBox5;  // 辺長表
  TEdit Edit28;  // column widths of the side-length table
  TLabel Label20;  // the unit the figures are in

  // Design position, used when no settings file exists.
  static constexpr int kDesignLeft = 589;
  static constexpr int kDesignTop = 336;
  static constexpr int kClientWidth = 185;
  static constexpr int kClientHeight = 266;

 private:
  void WireCommand(TButton& button, CommandHandler TForm1Commands::*slot);
  // The rounding mode of the first checked button of a group of three.
  static RoundingMode CheckedMode(const TRadioButton& r0, const TRadioButton& r1, const TRadioButton& r2,
                                  RoundingMode current);

  TForm1Environment env_;
  Control* active_ = nullptr;
  platform::Hwnd handle_ = platform::kNoWindow;
  bool created_ = false;
  bool destroyed_ = false;
};

}  // namespace zavin::shell
