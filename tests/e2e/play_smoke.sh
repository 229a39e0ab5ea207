#!/usr/bin/env bash
# play_smoke.sh BIN: scripts/play --no-build on SDL's dummy drivers, into a temporary build folder.
# The frame limit closes the window after the account screen came up; the command exits 0 and the
# test server whose id build/play.pid holds is gone.
set -u
bin=$1
source "$(dirname "$0")/game_dir.sh"
repo=$(cd "$(dirname "$0")/../.." && pwd)

env -u VELDRA_PLATFORM -u VELDRA_FIRST_TASK -u DISPLAY -u WAYLAND_DISPLAY SDL_VIDEODRIVER=dummy SDL_AUDIODRIVER=dummy \
  VELDRA_FRAME_LIMIT=300 VELDRA_PLAY_BIN="$bin" VELDRA_PLAY_OUT="$game_dir" \
  timeout 150 bash "$repo/scripts/play" --no-build > "$game_dir/stdout.txt" 2>&1
code=$?
fail=0
[ "$code" -eq 0 ] || { echo "scripts/play ended with $code, expected 0"; fail=1; }
grep -q '^task enter 5' "$game_dir/play.log" 2>/dev/null || { echo "the account screen was not reached"; fail=1; }
server=$(cat "$game_dir/play.pid" 2>/dev/null)
[ -n "$server" ] || { echo "no build/play.pid"; fail=1; }
if [ -n "$server" ] && kill -0 "$server" 2>/dev/null; then
  echo "the test server $server still runs"
  kill "$server"
  fail=1
fi
if [ "$fail" -ne 0 ]; then
  echo "--- scripts/play"; tail -n 40 "$game_dir/stdout.txt"
  echo "--- debugger output"; tail -n 40 "$game_dir/play.log"
  exit 1
fi
echo "scripts/play reached the account screen and stopped its server"
