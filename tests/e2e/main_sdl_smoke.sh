#!/usr/bin/env bash
# main on SDL's dummy video driver: the frame limit closes the window and main ends with 0.
set -u
main=$1
source "$(dirname "$0")/game_dir.sh"

env -u VELDRA_PLATFORM SDL_VIDEODRIVER=dummy SDL_AUDIODRIVER=dummy VELDRA_FRAME_LIMIT=30 \
  VELDRA_GAME_DIR="$game_dir" "$main"
code=$?
if [ "$code" -ne 0 ]; then
  echo "main ended with $code, expected 0"
  exit 1
fi
if ! grep -q '^Game Exit OK' "$game_dir/error.txt" || \
   [ "$(tail -c 26 "$game_dir/error.txt" | od -An -c | tr -s ' ')" != "$(printf 'SYSTEM module free OKay.\r\n' | od -An -c | tr -s ' ')" ]; then
  echo "error.txt does not end with the shutdown lines:"
  cat -A "$game_dir/error.txt"
  exit 1
fi
echo "main exited 0"
