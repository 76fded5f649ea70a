#!/usr/bin/env bash
# The main job: installs what the build needs, builds the zavin executable
# (Release, in build-release/), annotates the example L-shaped lot in batch
# mode and prints where the annotated drawing is.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
"$root/scripts/setup.sh"

build="${ZAVIN_RELEASE_DIR:-$root/build-release}"
out="${ZAVIN_OUT_DIR:-$root/out}"
cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build "$build" --parallel "$(nproc)" --target zavin

mkdir -p "$out"
drawing="$out/l_shaped_lot_annotated.dxf"
"$build/app/zavin" batch \
  --drawing "$root/examples/l_shaped_lot.dxf" \
  --script "$root/examples/l_shaped_lot.zvs" \
  --out "$drawing" | tee "$out/l_shaped_lot.log"

echo
echo "Annotated drawing: $drawing"
echo "Run log:           $out/l_shaped_lot.log"
