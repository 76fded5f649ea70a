#pragma once

#include <vector>

namespace zavin::shell {

struct ScreenRect {
  int left = 0;
  int top = 0;
  int width = 0;
  int height = 0;
};

// The screens of the desktop, so that window placement is decided without a
// window toolkit.
class ScreenGeometry {
 public:
  virtual ~ScreenGeometry() = default;
  // The primary screen first. An empty list counts as one 1920 x 1080 screen.
  virtual std::vector<ScreenRect> Screens() const = 0;
};

// A fixed set of screens (tests, and the program before a toolkit runs).
class FixedScreens : public ScreenGeometry {
 public:
  explicit FixedScreens(std::vector<ScreenRect> screens) : screens_(std::move(screens)) {}
  std::vector<ScreenRect> Screens() const override { return screens_; }

 private:
  std::vector<ScreenRect> screens_;
};

// Minimum part of the window, in pixels each way, that must lie on one screen
// for a saved position to be used: enough of the title bar to grab it.
inline constexpr int kMinVisiblePixels = 32;

// True when the window at (left, top) of the given size shows at least
// kMinVisiblePixels each way on one of `screens`.
bool IsOnSomeScreen(const std::vector<ScreenRect>& screens, int left, int top, int width, int height);

}  // namespace zavin::shell
