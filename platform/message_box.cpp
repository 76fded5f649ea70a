#include "platform/message_box.h"

#include <iostream>

#include "platform/call_log.h"

namespace zavin::platform {

namespace {

class StderrSink : public MessageBoxSink {
 public:
  int Show(Hwnd /*owner*/, const std::string& text, const std::string& caption,
           std::uint32_t flags) override {
    std::cerr << "[" << caption << "] " << text << "\n";
    return DefaultMessageBoxButton(flags);
  }
};

std::shared_ptr<MessageBoxSink>& Installed() {
  static std::shared_ptr<MessageBoxSink> sink = std::make_shared<StderrSink>();
  return sink;
}

}  // namespace

std::vector<int> MessageBoxButtons(std::uint32_t flags) {
  switch (flags & 0xF) {
    case MB_OKCANCEL: return {IDOK, IDCANCEL};
    case MB_ABORTRETRYIGNORE: return {IDABORT, IDRETRY, IDIGNORE};
    case MB_YESNOCANCEL: return {IDYES, IDNO, IDCANCEL};
    case MB_YESNO: return {IDYES, IDNO};
    case MB_RETRYCANCEL: return {IDRETRY, IDCANCEL};
    case MB_CANCELTRYCONTINUE: return {IDCANCEL, IDTRYAGAIN, IDCONTINUE};
    default: return {IDOK};
  }
}

int DefaultMessageBoxButton(std::uint32_t flags) {
  const std::vector<int> buttons = MessageBoxButtons(flags);
  const std::size_t index = (flags >> 8) & 0xF;
  return index < buttons.size() ? buttons[index] : buttons.front();
}

std::shared_ptr<MessageBoxSink> SetMessageBoxSink(std::shared_ptr<MessageBoxSink> sink) {
  auto previous = Installed();
  Installed() = sink ? std::move(sink) : std::make_shared<StderrSink>();
  return previous;
}

int MessageBoxW(Hwnd owner, std::string_view text, std::string_view caption, std::uint32_t flags) {
  LogPlatformCall("MessageBoxW " + std::to_string(owner) + " " + std::string(caption));
  // Keep the sink alive even if it installs another one while it shows.
  std::shared_ptr<MessageBoxSink> sink = Installed();
  return sink->Show(owner, std::string(text), std::string(caption), flags);
}

int RecordingMessageBoxSink::Show(Hwnd owner, const std::string& text, const std::string& caption,
                                  std::uint32_t flags) {
  boxes_.push_back({owner, text, caption, flags});
  if (answers_.empty()) return DefaultMessageBoxButton(flags);
  const int answer = answers_.front();
  answers_.pop_front();
  return answer;
}

}  // namespace zavin::platform
