#include "platform/windows.h"

#include <map>
#include <utility>
#include <vector>

#include "platform/call_log.h"
#include "platform/message_queue.h"

namespace zavin::platform {

namespace {

struct Window {
  std::string title;
  bool minimized = false;
  KeyHandler on_key;
  WindowStateObserver on_state;
};

struct Desktop {
  std::map<Hwnd, Window> windows;
  Hwnd next = 1;
  Hwnd foreground = kNoWindow;
  bool refuse_foreground = false;
};

Desktop& TheDesktop() {
  static Desktop desktop;
  return desktop;
}

Window* Find(Hwnd window) {
  auto& windows = TheDesktop().windows;
  auto it = windows.find(window);
  return it == windows.end() ? nullptr : &it->second;
}

void Log(const char* name, Hwnd window) { LogPlatformCall(std::string(name) + " " + std::to_string(window)); }

WindowState StateOf(Hwnd h, const Window& w) {
  return {w.minimized, TheDesktop().foreground == h};
}

// Tells the observers whose window changed state while it lived.
class StateChange {
 public:
  StateChange() {
    for (const auto& [h, w] : TheDesktop().windows)
      if (w.on_state) before_.emplace_back(h, StateOf(h, w));
  }
  ~StateChange() {
    for (const auto& [h, old] : before_) {
      const Window* w = Find(h);
      if (!w || !w->on_state) continue;
      const WindowState now = StateOf(h, *w);
      if (now == old) continue;
      // A copy: the observer may replace itself or change other windows.
      WindowStateObserver observer = w->on_state;
      observer(now);
    }
  }
  StateChange(const StateChange&) = delete;
  StateChange& operator=(const StateChange&) = delete;

 private:
  std::vector<std::pair<Hwnd, WindowState>> before_;
};

// Makes `window` the foreground window unless another program holds it.
bool Activate(Hwnd window) {
  Desktop& d = TheDesktop();
  if (d.foreground != window && !d.refuse_foreground) d.foreground = window;
  return d.foreground == window;
}

}  // namespace

Hwnd CreateWindow(std::string_view title) {
  Desktop& d = TheDesktop();
  Hwnd h = d.next++;
  d.windows[h].title = std::string(title);
  return h;
}

bool DestroyWindow(Hwnd window) {
  Desktop& d = TheDesktop();
  if (d.windows.erase(window) == 0) return false;
  if (d.foreground == window) d.foreground = kNoWindow;
  DiscardWindowMessages(window);
  return true;
}

bool IsWindow(Hwnd window) { return Find(window) != nullptr; }

std::string WindowTitle(Hwnd window) {
  const Window* w = Find(window);
  return w ? w->title : std::string();
}

bool SetKeyHandler(Hwnd window, KeyHandler handler) {
  Window* w = Find(window);
  if (!w) return false;
  w->on_key = std::move(handler);
  return true;
}

bool MinimizeWindow(Hwnd window) {
  Window* w = Find(window);
  if (!w) return false;
  StateChange change;
  w->minimized = true;
  if (TheDesktop().foreground == window) TheDesktop().foreground = kNoWindow;
  return true;
}

bool IsIconic(Hwnd window) {
  Log("IsIconic", window);
  const Window* w = Find(window);
  return w && w->minimized;
}

bool OpenIcon(Hwnd window) {
  Log("OpenIcon", window);
  Window* w = Find(window);
  if (!w) return false;
  StateChange change;
  w->minimized = false;
  Activate(window);
  return true;
}

bool SetForegroundWindow(Hwnd window) {
  Log("SetForegroundWindow", window);
  if (!Find(window)) return false;
  StateChange change;
  return Activate(window);
}

bool SetWindowStateObserver(Hwnd window, WindowStateObserver observer) {
  Window* w = Find(window);
  if (!w) return false;
  w->on_state = std::move(observer);
  return true;
}

WindowState GetWindowState(Hwnd window) {
  const Window* w = Find(window);
  return w ? StateOf(window, *w) : WindowState{};
}

bool UserActivateWindow(Hwnd window) {
  Window* w = window == kNoWindow ? nullptr : Find(window);
  if (window != kNoWindow && !w) return false;
  StateChange change;
  if (w) w->minimized = false;
  TheDesktop().foreground = window;
  return true;
}

Hwnd GetForegroundWindow() {
  LogPlatformCall("GetForegroundWindow");
  return TheDesktop().foreground;
}

void keybd_event(std::uint8_t vk, std::uint32_t flags) {
  const bool down = (flags & KEYEVENTF_KEYUP) == 0;
  LogPlatformCall("keybd_event " + std::to_string(vk) + (down ? " down" : " up"));
  const Window* w = Find(TheDesktop().foreground);
  if (!w || !w->on_key) return;
  // A copy: the handler may replace itself or destroy its window.
  KeyHandler handler = w->on_key;
  try {
    handler(vk, down);
  } catch (...) {
    // The sender of a key never learns what the receiver made of it.
  }
}

void keybd_event(std::uint8_t vk, std::uint8_t /*scan*/, std::uint32_t flags,
                 std::uintptr_t /*extra*/) {
  keybd_event(vk, flags);
}

void SetForegroundRefused(bool refuse) { TheDesktop().refuse_foreground = refuse; }

void ResetWindows() {
  // Handles are never reused, not even across a reset: an object that outlives
  // the reset must not close a window created after it.
  const Hwnd next = TheDesktop().next;
  TheDesktop() = Desktop{};
  TheDesktop().next = next;
  DiscardWindowMessages(kNoWindow);
}

}  // namespace zavin::platform
