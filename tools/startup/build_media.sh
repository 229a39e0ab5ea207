#!/usr/bin/env bash
# build_media.sh <bin-dir> <game-dir>: every media manifest under media/ (media/<folder>/<name>.txt)
# packed with <bin-dir>/mdapack into <game-dir>/<folder>/<name>.mda.
set -eu
bin=$(cd "$1" && pwd)
mkdir -p "$2"
game=$(cd "$2" && pwd)
here=$(cd "$(dirname "$0")" && pwd)
[ -x "$bin/mdapack" ] || { echo "build_media.sh: no mdapack in $bin" >&2; exit 1; }
cd "$here/media"
find . -name '*.txt' | sort | while read -r manifest; do
  rel=${manifest#./}
  out="$game/${rel%.txt}.mda"
  mkdir -p "$(dirname "$out")"
  "$bin/mdapack" "$manifest" "$out"
done
