#!/usr/bin/env bash
# build_game_dir.sh <bin-dir> <game-dir>: fills a game folder with the files the client opens at
# start-up, made by our own writers (found in <bin-dir>) from the manifests beside this script.
# Each build_<kind>.sh here adds one kind of file.
set -eu
bin=$1
game=$2
here=$(cd "$(dirname "$0")" && pwd)
mkdir -p "$game"
for step in "$here"/build_*.sh; do
  [ "$step" = "$here/build_game_dir.sh" ] && continue
  bash "$step" "$bin" "$game"
done
