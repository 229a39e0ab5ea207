#!/usr/bin/env bash
# build_game_dir.sh <bin-dir> <game-dir>: fills a game folder with the sample game files that
# <bin-dir>/mkgame writes: the files the client opens at start-up, from the manifests beside this
# script (build_media.sh and build_res.sh make the same from them one kind at a time), the
# cursors and the front-end screens' art.
set -eu
bin=$1
game=$2
here=$(cd "$(dirname "$0")" && pwd)
[ -x "$bin/mkgame" ] || { echo "build_game_dir.sh: $bin/mkgame is missing (build the mkgame target)" >&2; exit 1; }
mkdir -p "$game"
"$bin/mkgame" "$game" --startup "$here" > /dev/null
