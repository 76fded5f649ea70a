#!/usr/bin/env bash
# Cross-builds Zavin for 64-bit Windows into build-windows/ (or
# $ZAVIN_WINDOWS_BUILD_DIR): installs MinGW-w64 and Wine when missing, builds
# GoogleTest for Windows once from Debian's sources (kept in the build
# folder's deps/), then the project. Extra arguments go to the project's cmake
# configure step.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build="${ZAVIN_WINDOWS_BUILD_DIR:-$root/build-windows}"
deps="$build/deps"
prefix="$deps/prefix"
toolchain="$root/cmake/mingw-w64.cmake"
jobs=$(nproc)

packages=(
  cmake ninja-build
  g++-mingw-w64-x86-64-posix wine wine64
  googletest
)
# shellcheck source=install-missing.sh
source "$root/scripts/install-missing.sh"
install_missing "${packages[@]}"

launcher=()
if command -v ccache >/dev/null; then
  launcher=(-DCMAKE_C_COMPILER_LAUNCHER=ccache -DCMAKE_CXX_COMPILER_LAUNCHER=ccache)
fi

mkdir -p "$prefix"

if [ ! -f "$prefix/googletest.done" ]; then
  cmake -S /usr/src/googletest -B "$deps/build/googletest" -G Ninja \
    -DCMAKE_TOOLCHAIN_FILE="$toolchain" -DCMAKE_BUILD_TYPE=Release \
    -DCMAKE_INSTALL_PREFIX="$prefix" "${launcher[@]}" >/dev/null
  cmake --build "$deps/build/googletest" --parallel "$jobs"
  cmake --install "$deps/build/googletest" >/dev/null
  touch "$prefix/googletest.done"
fi

cmake -S "$root" -B "$build" -G Ninja -DCMAKE_TOOLCHAIN_FILE="$toolchain" \
  -DZAVIN_WINDOWS_DEPS="$prefix" -DZAVIN_BUILD_UI=OFF -DZAVIN_BUILD_BENCH=OFF \
  -DCMAKE_BUILD_TYPE=RelWithDebInfo "$@" -DZAVIN_SANITIZE=OFF >/dev/null
cmake --build "$build" --parallel "$jobs"
