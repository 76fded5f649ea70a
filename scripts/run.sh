#!/usr/bin/env bash
# The main job: installs what the build needs, builds the zavin executable
# (Release, in build-release/), annotates the example L-shaped lot in batch
# mode, draws a picture of the result and prints where both are.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
"$root/scripts/setup.sh"

build="${ZAVIN_RELEASE_DIR:-$root/build-release}"
out="${ZAVIN_OUT_DIR:-$root/out}"
cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build "$build" --parallel "$(nproc)" --target zavin

mkdir -p "$out"
drawing="$out/l_shaped_lot_annotated.dxf"
picture="$out/l_shaped_lot_annotated.png"
"$build/app/zavin" batch \
  --drawing "$root/examples/l_shaped_lot.dxf" \
  --script "$root/examples/l_shaped_lot.zvs" \
  --out "$drawing" \
  --render "$picture" | tee "$out/l_shaped_lot.log"

echo
echo "Annotated drawing: $drawing"
echo "Picture of it:     $picture"
echo "Run log:           $out/l_shaped_lot.log"
