#!/usr/bin/env bash
# build_res.sh <bin-dir> <game-dir>: the res tables (<game-dir>/res/*.res) from the manifests in
# res/ beside this script, written by <bin-dir>/reswrite.
set -eu
bin=$1
game=$2
here=$(cd "$(dirname "$0")" && pwd)
[ -x "$bin/reswrite" ] || { echo "build_res.sh: $bin/reswrite is missing (build the reswrite target)" >&2; exit 1; }
mkdir -p "$game/res"
for manifest in "$here"/res/*.txt; do
  name=$(basename "$manifest" .txt)
  "$bin/reswrite" "$manifest" "$game/res/$name.res"
done
