#!/usr/bin/env bash
# Cross-builds for Windows (scripts/build-windows.sh, same arguments) and runs
# the tests of that build under Wine: a prefix made once in the build folder,
# one wineserver kept up for the whole run and shut down at the end, a time
# limit on every step.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build="${ZAVIN_WINDOWS_BUILD_DIR:-$root/build-windows}"
export ZAVIN_WINDOWS_BUILD_DIR="$build"
"$root/scripts/build-windows.sh" "$@"

export WINEPREFIX="$build/wine" WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
unset DISPLAY WAYLAND_DISPLAY
if [ ! -f "$WINEPREFIX/system.reg" ]; then
  rm -rf "$WINEPREFIX"
  timeout 600 wineboot --init
fi
trap 'timeout 60 wineserver -k >/dev/null 2>&1 || true' EXIT
# Keeps one server up for the whole run; one still running (from wineboot)
# is taken over.
timeout 60 wineserver -p || true
cd "$build"
ctest --output-on-failure --parallel "$(nproc)" --timeout 300
