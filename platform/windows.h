#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

namespace zavin::platform {

// Stand-in for the platform's windows: handles, the minimized state, the one
// foreground window and keyboard input sent to it. Process-wide state for
// the one user-interface thread; not thread-safe.

// A window handle; 0 is no window. Handles count up from 1 and are never
// reused, not even after ResetWindows.
using Hwnd = std::int64_t;
inline constexpr Hwnd kNoWindow = 0;

inline constexpr std::uint8_t VK_ESCAPE = 0x1B;
inline constexpr std::uint32_t KEYEVENTF_KEYUP = 0x0002;

// Receives the keys sent while its window is the foreground window.
using KeyHandler = std::function<void(std::uint8_t vk, bool down)>;

// A new window: shown, not minimized, not the foreground window.
Hwnd CreateWindow(std::string_view title);
// Also drops the messages queued for it. False for no window.
bool DestroyWindow(Hwnd window);
bool IsWindow(Hwnd window);
// "" for no window.
std::string WindowTitle(Hwnd window);
// Replaces the window's key handler (an empty one removes it).
bool SetKeyHandler(Hwnd window, KeyHandler handler);
// Minimizes the window; a minimized window is not the foreground window.
bool MinimizeWindow(Hwnd window);

// What the desktop shows of a window.
struct WindowState {
  bool minimized = false;
  bool foreground = false;
  friend bool operator==(const WindowState&, const WindowState&) = default;
};
// Hears each change of the window's state, whoever made it: the platform
// functions, MinimizeWindow, UserActivateWindow, the foreground moving to
// another window. A toolkit window showing the handle keeps itself in step
// with it. Replaces the observer before; an empty one removes it.
using WindowStateObserver = std::function<void(const WindowState&)>;
bool SetWindowStateObserver(Hwnd window, WindowStateObserver observer);
// The state as the toolkit sees it; not logged. All false for no window.
WindowState GetWindowState(Hwnd window);
// The user brought the window up (a click on it, a restore from the task
// bar): not minimized and the foreground window, whatever the refusal switch
// says. kNoWindow: the user went to another program. Not logged.
bool UserActivateWindow(Hwnd window);

// The platform functions. Each is written to the platform call log with its
// handle ("IsIconic 7", "GetForegroundWindow").
bool IsIconic(Hwnd window);
// Restores a minimized window and activates it (it becomes the foreground
// window unless foreground changes are refused). False for no window.
bool OpenIcon(Hwnd window);
// True when `window` is the foreground window afterwards. While foreground
// changes are refused it stays where it was and the result is false.
bool SetForegroundWindow(Hwnd window);
Hwnd GetForegroundWindow();
// Sends a key down (or up with KEYEVENTF_KEYUP) to the key handler of the
// foreground window; lost when there is none. Logged as "keybd_event 27 down".
// What the handler throws stays with the receiver, as with a real input queue.
void keybd_event(std::uint8_t vk, std::uint32_t flags = 0);
void keybd_event(std::uint8_t vk, std::uint8_t scan, std::uint32_t flags, std::uintptr_t extra);

// Test switch: another program holds the foreground, so SetForegroundWindow
// and OpenIcon do not change the foreground window.
void SetForegroundRefused(bool refuse);

// Destroys every window, clears the foreground, the refusal switch and the
// message queue.
void ResetWindows();

}  // namespace zavin::platform
