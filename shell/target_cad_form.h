#pragma once

// The target CAD dialog as a toolkit-free model: the host list, the two
// edits, add, delete, change and OK. Created once and reused; the list and
// the edits keep their contents between showings.

#include <filesystem>
#include <functional>

#include "platform/text_encoding.h"
#include "shell/controls.h"

namespace zavin::shell {

class TForm1;

enum class ModalResult { None, Ok, Cancel };

class TTargetCADForm {
 public:
  // `list_file`: the host list file beside the executable.
  TTargetCADForm(TForm1& main, std::filesystem::path list_file);
  TTargetCADForm(const TTargetCADForm&) = delete;
  TTargetCADForm& operator=(const TTargetCADForm&) = delete;

  ChangeHub& Changes() { return hub_; }

  // Every time the dialog opens: reloads the list from the file when it
  // exists and selects the current host's entry.
  void FormShow();
  void ListBox1Click();
  // 追加: adds name TAB ProgID, selects it, writes the file.
  void SpeedButton1Click();
  // 削除: removes the selected entry, selects its successor (else its
  // predecessor), writes the file. Without a selection nothing happens.
  void SpeedButton2Click();
  // 変更: replaces the selected entry in place, writes the file. Without a
  // selection nothing happens.
  void SpeedButton3Click();
  // Enter in Edit1 or Edit2: swallowed, then 変更.
  void Edit1KeyPress(char32_t& key);
  // OK: caption, HostProgId and HostName from the edits, then closes.
  void Button1Click();
  // 取り消し: closes, nothing else.
  void Button2Click();

  ModalResult Result() const { return result_; }
  // Runs when a button closes the dialog; the view ends its modal loop.
  std::function<void(ModalResult)> OnClose;

  // The encoding the list file is written in: the one it was last read
  // with, code page 932 for a file the dialog creates.
  platform::TextEncoding FileEncoding() const { return encoding_; }
  const std::filesystem::path& ListFile() const { return list_file_; }

 private:
  ChangeHub hub_;

 public:
  TWindow Window;
  TListBox ListBox1;
  TLabel Label1;
  TEdit Edit1;
  TLabel Label2;
  TEdit Edit2;
  TButton SpeedButton1, SpeedButton2, SpeedButton3;
  TButton Button1, Button2;

  static constexpr int kClientWidth = 315;
  static constexpr int kClientHeight = 307;

 private:
  void FillEditsFromSelection();
  void WriteList();
  void Close(ModalResult r);

  TForm1& main_;
  std::filesystem::path list_file_;
  platform::TextEncoding encoding_ = platform::TextEncoding::SystemCodePage;
  bool back_up_ = false;
  ModalResult result_ = ModalResult::None;
};

}  // namespace zavin::shell
