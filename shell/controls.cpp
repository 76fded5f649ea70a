#include "shell/controls.h"

#include <algorithm>
#include <charconv>

namespace zavin::shell {

void Control::SetEnabled(bool on) {
  if (enabled_ == on) return;
  enabled_ = on;
  Changed();
}

void Control::SetVisible(bool on) {
  if (visible_ == on) return;
  visible_ = on;
  Changed();
}

void TWindow::SetCaption(std::string caption) {
  if (caption_ == caption) return;
  caption_ = std::move(caption);
  Changed();
}

void TWindow::SetPosition(int left, int top) {
  if (minimized_ || (left_ == left && top_ == top)) return;
  left_ = left;
  top_ = top;
  Changed();
}

void TWindow::SetMinimized(bool on) {
  if (minimized_ == on) return;
  minimized_ = on;
  Changed();
}

void TLabel::SetCaption(std::string caption) {
  if (caption_ == caption) return;
  caption_ = std::move(caption);
  Changed();
}

void TEdit::SetText(std::string text) {
  std::erase_if(text, [](char c) { return c == '\r' || c == '\n'; });
  if (text_ == text) return;
  text_ = std::move(text);
  Changed();
}

bool TEdit::KeyPress(char32_t key) {
  if (OnKeyPress) OnKeyPress(key);
  return key != 0;
}

TUpDown::TUpDown(ChangeHub& hub, std::string name, int min, int max, int position, TEdit* buddy)
    : Control(hub, std::move(name)), min_(min), max_(max), position_(std::clamp(position, min, max)), buddy_(buddy) {
  if (buddy_) buddy_->SetText(std::to_string(position_));
}

int TUpDown::Position() const {
  if (!buddy_) return position_;
  const std::string& t = buddy_->Text();
  int v = 0;
  auto [end, ec] = std::from_chars(t.data(), t.data() + t.size(), v);
  if (ec != std::errc{} || end != t.data() + t.size() || t.empty()) return position_;
  return std::clamp(v, min_, max_);
}

void TUpDown::SetPosition(int position) {
  position = std::clamp(position, min_, max_);
  const bool moved = position != position_;
  position_ = position;
  if (buddy_) buddy_->SetText(std::to_string(position_));
  if (moved) Changed();
}

void TUpDown::Click(UpDownButton button) {
  if (!Enabled()) return;
  const int from = Position();
  // Step in 64 bits so that no range end can overflow.
  const long long to = static_cast<long long>(from) + (button == UpDownButton::Up ? Increment() : -Increment());
  SetPosition(static_cast<int>(std::clamp<long long>(to, min_, max_)));
  if (OnClick) OnClick(button);
}

TButton::TButton(ChangeHub& hub, std::string name, std::string caption, std::string hint)
    : Control(hub, std::move(name)), caption_(std::move(caption)) {
  SetHint(std::move(hint));
}

void TButton::Click() {
  if (Enabled() && Visible() && OnClick) OnClick();
}

TCheckBox::TCheckBox(ChangeHub& hub, std::string name, std::string caption, bool checked, std::string hint)
    : Control(hub, std::move(name)), caption_(std::move(caption)), checked_(checked) {
  SetHint(std::move(hint));
}

void TCheckBox::SetChecked(bool on) {
  if (checked_ == on) return;
  checked_ = on;
  Changed();
  if (OnClick) OnClick();
}

void TCheckBox::Click() {
  if (Enabled()) SetChecked(!checked_);
}

void TRadioButton::SetChecked(bool on) {
  if (checked_ == on) return;
  checked_ = on;
  if (on) {
    for (TRadioButton* other : group_) {
      if (other != this && other->checked_) {
        other->checked_ = false;
        other->Changed();
      }
    }
  }
  Changed();
  if (on && OnClick) OnClick();
}

void TRadioGroup::SetItemIndex(int index) {
  if (index < 0 || index >= static_cast<int>(items_.size())) index = -1;
  if (index_ == index) return;
  index_ = index;
  Changed();
  if (OnClick) OnClick();
}

void TPageControl::SetActivePageIndex(int index) {
  if (index < 0 || index >= static_cast<int>(tabs_.size()) || index == active_) return;
  active_ = index;
  Changed();
}

void TListBox::SetItemIndex(int index) {
  if (index < 0 || index >= Count()) index = -1;
  if (index_ == index) return;
  index_ = index;
  Changed();
}

void TListBox::Clear() {
  items_.clear();
  index_ = -1;
  Changed();
}

int TListBox::Add(std::string line) {
  auto at = items_.end();
  if (sorted_) at = std::upper_bound(items_.begin(), items_.end(), line, Less);
  const int index = static_cast<int>(at - items_.begin());
  items_.insert(at, std::move(line));
  if (index_ >= index) ++index_;
  Changed();
  return index;
}

void TListBox::SetItems(std::vector<std::string> lines) {
  if (sorted_) std::stable_sort(lines.begin(), lines.end(), Less);
  items_ = std::move(lines);
  index_ = -1;
  Changed();
}

void TListBox::Delete(int index) {
  if (index < 0 || index >= Count()) return;
  items_.erase(items_.begin() + index);
  if (index_ == index) {
    index_ = -1;
  } else if (index_ > index) {
    --index_;
  }
  Changed();
}

void TListBox::Replace(int index, std::string line) {
  if (index < 0 || index >= Count()) return;
  items_[static_cast<std::size_t>(index)] = std::move(line);
  Changed();
}

int TListBox::IndexOf(const std::string& line) const {
  auto it = std::find(items_.begin(), items_.end(), line);
  return it == items_.end() ? -1 : static_cast<int>(it - items_.begin());
}

void TListBox::Click(int index) {
  SetItemIndex(index);
  if (index_ >= 0 && OnClick) OnClick();
}

bool TListBox::Less(const std::string& a, const std::string& b) {
  auto fold = [](unsigned char c) { return (c >= 'A' && c <= 'Z') ? static_cast<unsigned char>(c + 32) : c; };
  const std::size_t n = std::min(a.size(), b.size());
  for (std::size_t i = 0; i < n; ++i) {
    const unsigned char x = fold(static_cast<unsigned char>(a[i]));
    const unsigned char y = fold(static_cast<unsigned char>(b[i]));
    if (x != y) return x < y;
  }
  if (a.size() != b.size()) return a.size() < b.size();
  return a < b;
}

}  // namespace zavin::shell
