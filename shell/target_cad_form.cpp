#include "shell/target_cad_form.h"

#include "shell/form1.h"
#include "shell/host_list_file.h"

namespace zavin::shell {

TTargetCADForm::TTargetCADForm(TForm1& main, std::filesystem::path list_file)
    : Window(hub_, "TargetCADForm", "ターゲット CAD", kClientWidth, kClientHeight),
      ListBox1(hub_, "ListBox1", true),
      Label1(hub_, "Label1", "名称 （説明）"),
      Edit1(hub_, "Edit1", ""),
      Label2(hub_, "Label2", "ProgID （クラス文字列）"),
      Edit2(hub_, "Edit2", ""),
      SpeedButton1(hub_, "SpeedButton1", "追加"),
      SpeedButton2(hub_, "SpeedButton2", "削除"),
      SpeedButton3(hub_, "SpeedButton3", "変更"),
      Button1(hub_, "Button1", "OK"),
      Button2(hub_, "Button2", "取り消し"),
      main_(main),
      list_file_(std::move(list_file)) {
  Edit1.SetImeClosed(true);
  Edit2.SetImeClosed(true);
  ListBox1.OnClick = [this] { ListBox1Click(); };
  Edit1.OnKeyPress = [this](char32_t& key) { Edit1KeyPress(key); };
  Edit2.OnKeyPress = [this](char32_t& key) { Edit1KeyPress(key); };
  SpeedButton1.OnClick = [this] { SpeedButton1Click(); };
  SpeedButton2.OnClick = [this] { SpeedButton2Click(); };
  SpeedButton3.OnClick = [this] { SpeedButton3Click(); };
  Button1.OnClick = [this] { Button1Click(); };
  Button2.OnClick = [this] { Button2Click(); };
}

void TTargetCADForm::FormShow() {
  result_ = ModalResult::None;
  std::optional<HostListText> file = ReadHostList(list_file_);
  if (!file) return;
  encoding_ = file->encoding;
  back_up_ = !file->exact;
  ListBox1.SetItems(std::move(file->lines));

  const std::string& prog_id = main_.Link.HostProgId;
  const std::vector<std::string>& items = ListBox1.Items();
  int found = -1;
  // An entry whose ProgID is exactly the current one wins over one that
  // merely contains it ("AutoCAD.Application.24" for "AutoCAD.Application").
  for (int i = 0; i < ListBox1.Count() && found < 0; ++i) {
    if (SplitHostLine(items[static_cast<std::size_t>(i)]).prog_id == prog_id) found = i;
  }
  const std::string needle = "\t" + prog_id;
  for (int i = 0; i < ListBox1.Count() && found < 0; ++i) {
    if (items[static_cast<std::size_t>(i)].find(needle) != std::string::npos) found = i;
  }
  if (found >= 0) {
    ListBox1.SetItemIndex(found);
    FillEditsFromSelection();
  }
}

void TTargetCADForm::FillEditsFromSelection() {
  const int i = ListBox1.ItemIndex();
  if (i < 0) return;
  HostListEntry e = SplitHostLine(ListBox1.Items()[static_cast<std::size_t>(i)]);
  Edit1.SetText(std::move(e.name));
  Edit2.SetText(std::move(e.prog_id));
}

void TTargetCADForm::ListBox1Click() { FillEditsFromSelection(); }

void TTargetCADForm::SpeedButton1Click() {
  const std::string line = JoinHostLine(Edit1.Text(), Edit2.Text());
  ListBox1.Add(line);
  ListBox1.SetItemIndex(ListBox1.IndexOf(line));
  FillEditsFromSelection();
  WriteList();
}

void TTargetCADForm::SpeedButton2Click() {
  const int i = ListBox1.ItemIndex();
  if (i < 0) return;
  ListBox1.Delete(i);
  Edit1.SetText("");
  Edit2.SetText("");
  if (i < ListBox1.Count()) {
    ListBox1.SetItemIndex(i);
  } else if (i - 1 >= 0) {
    ListBox1.SetItemIndex(i - 1);
  }
  FillEditsFromSelection();
  WriteList();
}

void TTargetCADForm::SpeedButton3Click() {
  const int i = ListBox1.ItemIndex();
  if (i < 0) return;
  ListBox1.Replace(i, JoinHostLine(Edit1.Text(), Edit2.Text()));
  WriteList();
}

void TTargetCADForm::Edit1KeyPress(char32_t& key) {
  if (key != U'\r') return;
  key = 0;
  SpeedButton3Click();
}

void TTargetCADForm::Button1Click() {
  main_.Window.SetCaption(MainCaption(Edit1.Text()));
  main_.Link.HostProgId = Edit2.Text();
  main_.Settings.HostName = Edit1.Text();
  Close(ModalResult::Ok);
}

void TTargetCADForm::Button2Click() { Close(ModalResult::Cancel); }

void TTargetCADForm::Close(ModalResult r) {
  result_ = r;
  if (OnClose) OnClose(r);
}

void TTargetCADForm::WriteList() {
  // A failed write keeps the list shown; the next change tries again.
  // A file that was not read exactly is copied aside before its first rewrite.
  if (std::optional<platform::TextEncoding> used = WriteHostList(list_file_, ListBox1.Items(), encoding_, back_up_)) {
    encoding_ = *used;
    back_up_ = false;
  }
}

}  // namespace zavin::shell
