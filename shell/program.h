#pragma once

// Program start and end: the application title, the main window and then the
// hidden target CAD dialog, and the shut-down of the main window.

#include <filesystem>
#include <functional>
#include <memory>

#include "shell/form1.h"
#include "shell/screen.h"
#include "shell/target_cad_form.h"

namespace zavin::shell {

struct ProgramOptions {
  // The running executable; the settings file and the host list file lie
  // beside it.
  std::filesystem::path executable;
  std::shared_ptr<const ScreenGeometry> screens;
  std::function<void()> register_message_filter;
  std::function<void()> revoke_message_filter;
};

class TZavinProgram {
 public:
  explicit TZavinProgram(ProgramOptions options);
  ~TZavinProgram();
  TZavinProgram(const TZavinProgram&) = delete;
  TZavinProgram& operator=(const TZavinProgram&) = delete;

  const char* Title() const { return kApplicationTitle; }
  TForm1& Form1() { return *form1_; }
  // Exists from Start on.
  TTargetCADForm& TargetCADForm() { return *target_cad_; }

  // Creates the main window (its FormCreate), then the target CAD dialog.
  // SpeedButton4 shows the dialog through `show_target_cad` of the form's
  // environment; until a view replaces it, that only runs the dialog's
  // FormShow.
  void Start();
  // The main window's FormDestroy; runs once, also from the destructor.
  void Shutdown();

 private:
  std::unique_ptr<TForm1> form1_;
  std::unique_ptr<TTargetCADForm> target_cad_;
  std::filesystem::path executable_;
};

}  // namespace zavin::shell
