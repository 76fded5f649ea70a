#include "shell/screen.h"

#include <algorithm>

namespace zavin::shell {

bool IsOnSomeScreen(const std::vector<ScreenRect>& screens, int left, int top, int width, int height) {
  const long long l = left, t = top, r = l + width, b = t + height;
  for (const ScreenRect& s : screens) {
    const long long sl = s.left, st = s.top, sr = sl + s.width, sb = st + s.height;
    const long long overlap_w = std::min(r, sr) - std::max(l, sl);
    const long long overlap_h = std::min(b, sb) - std::max(t, st);
    const long long need_w = std::min<long long>(kMinVisiblePixels, width);
    const long long need_h = std::min<long long>(kMinVisiblePixels, height);
    if (overlap_w >= need_w && overlap_h >= need_h && overlap_w > 0 && overlap_h > 0) return true;
  }
  return false;
}

}  // namespace zavin::shell
