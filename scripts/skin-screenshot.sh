#!/usr/bin/env bash
# Builds skin-demo and saves a picture of it, drawn on a virtual screen.
#   scripts/skin-screenshot.sh [output.png] [build-dir] [extra skin-demo options]
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
out=${1:-$here/build-skin/skin-demo.png}
build=${2:-$here/build-skin}
shift $(( $# > 2 ? 2 : $# )) || true

if [ ! -f "$build/CMakeCache.txt" ]; then
  cmake -S "$here" -B "$build" >/dev/null
fi
cmake --build "$build" --target skin-demo tarvo_skin_pictures -j2 >/dev/null

demo=$(find "$build" -name skin-demo -type f -perm -u+x | head -n1)
skin=$(find "$build" -type d -path '*programma/shpix' | head -n1)
xvfb-run -a -s "-screen 0 1280x800x24" "$demo" --skin "$skin" --shot "$out" "$@"
echo "$out"
