#pragma once

#include <cstdint>
#include <deque>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "platform/windows.h"

namespace zavin::platform {

// Stand-in for the platform's message box. MessageBoxW hands the box to a
// replaceable sink: the desktop program installs one that shows a dialog,
// tests a RecordingMessageBoxSink. Texts are UTF-8.

// Button sets (the low four bits of the flags).
inline constexpr std::uint32_t MB_OK = 0x0;
inline constexpr std::uint32_t MB_OKCANCEL = 0x1;
inline constexpr std::uint32_t MB_ABORTRETRYIGNORE = 0x2;
inline constexpr std::uint32_t MB_YESNOCANCEL = 0x3;
inline constexpr std::uint32_t MB_YESNO = 0x4;
inline constexpr std::uint32_t MB_RETRYCANCEL = 0x5;
inline constexpr std::uint32_t MB_CANCELTRYCONTINUE = 0x6;
// Icons.
inline constexpr std::uint32_t MB_ICONERROR = 0x10;
inline constexpr std::uint32_t MB_ICONQUESTION = 0x20;
inline constexpr std::uint32_t MB_ICONWARNING = 0x30;
inline constexpr std::uint32_t MB_ICONINFORMATION = 0x40;
// Default button: the first unless one of these says otherwise.
inline constexpr std::uint32_t MB_DEFBUTTON2 = 0x100;
inline constexpr std::uint32_t MB_DEFBUTTON3 = 0x200;

// Button ids, the result of MessageBoxW.
inline constexpr int IDOK = 1;
inline constexpr int IDCANCEL = 2;
inline constexpr int IDABORT = 3;
inline constexpr int IDRETRY = 4;
inline constexpr int IDIGNORE = 5;
inline constexpr int IDYES = 6;
inline constexpr int IDNO = 7;
inline constexpr int IDTRYAGAIN = 10;
inline constexpr int IDCONTINUE = 11;

// The buttons of a box with `flags`, left to right. An unknown button set
// shows OK alone.
std::vector<int> MessageBoxButtons(std::uint32_t flags);
// The button that Enter would press: the MB_DEFBUTTONn one, the first if the
// box has fewer buttons.
int DefaultMessageBoxButton(std::uint32_t flags);

class MessageBoxSink {
 public:
  virtual ~MessageBoxSink() = default;
  // Shows the box modally and returns the id of the button pressed.
  virtual int Show(Hwnd owner, const std::string& text, const std::string& caption,
                   std::uint32_t flags) = 0;
};

// Installs `sink` (nullptr restores the default, which writes the box to
// standard error and answers its default button); returns the previous one.
std::shared_ptr<MessageBoxSink> SetMessageBoxSink(std::shared_ptr<MessageBoxSink> sink);

// Logged as "MessageBoxW <owner> <caption>".
int MessageBoxW(Hwnd owner, std::string_view text, std::string_view caption, std::uint32_t flags);

// Records every box and answers from a script, then with the default button.
class RecordingMessageBoxSink : public MessageBoxSink {
 public:
  struct Box {
    Hwnd owner = kNoWindow;
    std::string text;
    std::string caption;
    std::uint32_t flags = 0;
  };

  int Show(Hwnd owner, const std::string& text, const std::string& caption,
           std::uint32_t flags) override;

  void PushAnswer(int button) { answers_.push_back(button); }
  const std::vector<Box>& boxes() const { return boxes_; }

 private:
  std::vector<Box> boxes_;
  std::deque<int> answers_;
};

}  // namespace zavin::platform
