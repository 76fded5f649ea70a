#pragma once

// Toolkit-free models of the window controls. A control holds what the user
// sees (caption, text, position, checked state, enabled, visible) and runs
// its handler the way the window toolkit of the original form did. Views
// bind to these objects and hold no state of their own.

#include <functional>
#include <string>
#include <vector>

namespace zavin::shell {

class Control;

// Tells the bound view which control changed. One listener per form.
class ChangeHub {
 public:
  void SetListener(std::function<void(const Control&)> listener) { listener_ = std::move(listener); }
  void Notify(const Control& c) const {
    if (listener_) listener_(c);
  }

 private:
  std::function<void(const Control&)> listener_;
};

class Control {
 public:
  Control(ChangeHub& hub, std::string name) : hub_(&hub), name_(std::move(name)) {}
  virtual ~Control() = default;
  Control(const Control&) = delete;
  Control& operator=(const Control&) = delete;

  const std::string& Name() const { return name_; }
  bool Enabled() const { return enabled_; }
  void SetEnabled(bool on);
  bool Visible() const { return visible_; }
  void SetVisible(bool on);
  const std::string& Hint() const { return hint_; }
  void SetHint(std::string hint) { hint_ = std::move(hint); }

 protected:
  void Changed() const { hub_->Notify(*this); }

 private:
  ChangeHub* hub_;
  std::string name_;
  std::string hint_;
  bool enabled_ = true;
  bool visible_ = true;
};

// A top-level window: caption, position of its normal (not minimized) state
// and client size.
class TWindow : public Control {
 public:
  TWindow(ChangeHub& hub, std::string name, std::string caption, int client_width, int client_height)
      : Control(hub, std::move(name)), caption_(std::move(caption)), width_(client_width), height_(client_height) {}
  const std::string& Caption() const { return caption_; }
  void SetCaption(std::string caption);
  int Left() const { return left_; }
  int Top() const { return top_; }
  int ClientWidth() const { return width_; }
  int ClientHeight() const { return height_; }
  // Moves the normal position. Ignored while minimized: the position a
  // platform reports for a minimized window is not where it comes back.
  void SetPosition(int left, int top);
  bool Minimized() const { return minimized_; }
  void SetMinimized(bool on);

 private:
  std::string caption_;
  int width_;
  int height_;
  int left_ = 0;
  int top_ = 0;
  bool minimized_ = false;
};

// Label, group caption or tab caption.
class TLabel : public Control {
 public:
  TLabel(ChangeHub& hub, std::string name, std::string caption)
      : Control(hub, std::move(name)), caption_(std::move(caption)) {}
  const std::string& Caption() const { return caption_; }
  void SetCaption(std::string caption);

 private:
  std::string caption_;
};

class TEdit : public Control {
 public:
  TEdit(ChangeHub& hub, std::string name, std::string text) : Control(hub, std::move(name)), text_(std::move(text)) {}
  const std::string& Text() const { return text_; }
  // Line breaks cannot be typed into a one-line edit; they are dropped so
  // that no stored value can split into several lines of a file.
  void SetText(std::string text);
  bool ReadOnly() const { return read_only_; }
  void SetReadOnly(bool on) { read_only_ = on; }
  // Input method closed: the edit takes direct (half-width) input.
  bool ImeClosed() const { return ime_closed_; }
  void SetImeClosed(bool on) { ime_closed_ = on; }

  // Key press handler: receives the typed character and may swallow it by
  // setting it to 0.
  std::function<void(char32_t& key)> OnKeyPress;
  // Runs the key press handler; returns false when the key was swallowed.
  bool KeyPress(char32_t key);

 private:
  std::string text_;
  bool read_only_ = false;
  bool ime_closed_ = false;
};

enum class UpDownButton { Up, Down };

// Up-down arrows. With an associated edit (buddy) the position is shown in
// the edit as a decimal integer and is read back from the edit's text, as the
// user may type into an editable buddy.
class TUpDown : public Control {
 public:
  TUpDown(ChangeHub& hub, std::string name, int min, int max, int position, TEdit* buddy = nullptr);
  int Min() const { return min_; }
  int Max() const { return max_; }
  int Increment() const { return 1; }
  TEdit* Associate() const { return buddy_; }
  // The buddy's text when it holds an integer in range, else the last position set.
  int Position() const;
  // Clamps to [Min, Max] and updates the buddy.
  void SetPosition(int position);
  // One click on an arrow: step, held in range, then OnClick.
  void Click(UpDownButton button);
  std::function<void(UpDownButton)> OnClick;

 private:
  int min_;
  int max_;
  int position_;
  TEdit* buddy_;
};

// Push button or flat (speed) button.
class TButton : public Control {
 public:
  TButton(ChangeHub& hub, std::string name, std::string caption, std::string hint = {});
  const std::string& Caption() const { return caption_; }
  // Runs OnClick when the button is enabled and visible, as a click can.
  void Click();
  std::function<void()> OnClick;

 private:
  std::string caption_;
};

class TCheckBox : public Control {
 public:
  TCheckBox(ChangeHub& hub, std::string name, std::string caption, bool checked, std::string hint = {});
  const std::string& Caption() const { return caption_; }
  bool Checked() const { return checked_; }
  // Setting a different state runs OnClick, as the toolkit does.
  void SetChecked(bool on);
  // A user click: toggles the state.
  void Click();
  std::function<void()> OnClick;

 private:
  std::string caption_;
  bool checked_;
};

// Radio buttons in one group box are mutually exclusive.
class TRadioButton : public Control {
 public:
  TRadioButton(ChangeHub& hub, std::string name, std::string caption, bool checked)
      : Control(hub, std::move(name)), caption_(std::move(caption)), checked_(checked) {}
  const std::string& Caption() const { return caption_; }
  bool Checked() const { return checked_; }
  // Checking a button unchecks its siblings and runs OnClick; unchecking
  // only clears it.
  void SetChecked(bool on);
  void Click() { SetChecked(true); }
  std::function<void()> OnClick;
  void SetSiblings(std::vector<TRadioButton*> group) { group_ = std::move(group); }

 private:
  std::string caption_;
  bool checked_;
  std::vector<TRadioButton*> group_;
};

class TRadioGroup : public Control {
 public:
  TRadioGroup(ChangeHub& hub, std::string name, std::string caption, std::vector<std::string> items, int index)
      : Control(hub, std::move(name)), caption_(std::move(caption)), items_(std::move(items)), index_(index) {}
  const std::string& Caption() const { return caption_; }
  const std::vector<std::string>& Items() const { return items_; }
  // -1 when no item is selected.
  int ItemIndex() const { return index_; }
  // Out-of-range values select nothing. A change of the selection runs OnClick.
  void SetItemIndex(int index);
  std::function<void()> OnClick;

 private:
  std::string caption_;
  std::vector<std::string> items_;
  int index_;
};

class TPageControl : public Control {
 public:
  TPageControl(ChangeHub& hub, std::string name, std::vector<TLabel*> tabs)
      : Control(hub, std::move(name)), tabs_(std::move(tabs)) {}
  const std::vector<TLabel*>& Tabs() const { return tabs_; }
  int ActivePageIndex() const { return active_; }
  void SetActivePageIndex(int index);

 private:
  std::vector<TLabel*> tabs_;
  int active_ = 0;
};

// List box. With Sorted, every added line goes to its sorted place.
class TListBox : public Control {
 public:
  TListBox(ChangeHub& hub, std::string name, bool sorted) : Control(hub, std::move(name)), sorted_(sorted) {}
  const std::vector<std::string>& Items() const { return items_; }
  int Count() const { return static_cast<int>(items_.size()); }
  int ItemIndex() const { return index_; }
  void SetItemIndex(int index);  // out of range selects nothing
  void Clear();
  // Returns the index where the line went.
  int Add(std::string line);
  void SetItems(std::vector<std::string> lines);
  void Delete(int index);
  // Replaces a line in place; a sorted list does not move it.
  void Replace(int index, std::string line);
  // First index holding exactly `line`, or -1.
  int IndexOf(const std::string& line) const;
  std::function<void()> OnClick;
  // A user click on an entry.
  void Click(int index);

  // Alphabetical order of the list: letter case ignored for ASCII letters,
  // then by code point, exact text breaking ties.
  static bool Less(const std::string& a, const std::string& b);

 private:
  bool sorted_;
  std::vector<std::string> items_;
  int index_ = -1;
};

}  // namespace zavin::shell
