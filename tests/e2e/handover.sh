#!/usr/bin/env bash
# tools/handover plays the updater's last step: three server lines through the hand-over pipe
# into main on the headless backend, which says "server lines: 3" and ends with 0.
set -u
handover=$1
main=$2
source "$(dirname "$0")/game_dir.sh"

# Closed after 300 pumps, so the reader has long read the block.
printf '# the player closes the window\n@300 WM_CLOSE\n' > "$game_dir/close.script"
env -u VELDRA_REGISTRY -u VELDRA_FRAME_LIMIT -u VELDRA_STARTUP_X -u VELDRA_STARTUP_Y \
  LANG=C VELDRA_PLATFORM=headless VELDRA_GAME_DIR="$game_dir" VELDRA_EVENT_SCRIPT="$game_dir/close.script" \
  VELDRA_DEBUG_OUT=1 timeout 60 "$handover" --lines 3 -- "$main" 2> "$game_dir/stderr.txt"
code=$?
if [ "$code" -ne 0 ]; then
  echo "handover ended with $code, expected 0"
  cat "$game_dir/stderr.txt"
  exit 1
fi
if ! grep -qx 'server lines: 3' "$game_dir/stderr.txt"; then
  echo "no \"server lines: 3\" on stderr:"
  cat "$game_dir/stderr.txt"
  exit 1
fi
grep -q '^Game Exit OK' "$game_dir/error.txt" || { echo "main did not end normally"; exit 1; }
echo "handover exited 0 and main read 3 server lines"
