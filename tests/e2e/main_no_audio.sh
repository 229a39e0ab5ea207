#!/usr/bin/env bash
# main on SDL with an audio driver that does not exist: the SOUND module logs its two lines, its
# install is refused and ignored, the game runs silent and ends with 0 (no SOUND free line).
set -u
main=$1
source "$(dirname "$0")/game_dir.sh"

env -u VELDRA_PLATFORM SDL_VIDEODRIVER=dummy SDL_AUDIODRIVER=no-such-driver VELDRA_FRAME_LIMIT=30 \
  VELDRA_GAME_DIR="$game_dir" "$main"
code=$?
if [ "$code" -ne 0 ]; then
  echo "main ended with $code, expected 0"
  exit 1
fi
log=$(tr -d '\r' < "$game_dir/error.txt")
expected=$(printf 'INPUT module initialized OKay.\n\nSOUND module initialize starting...\n       Sound Play : DirectSound\nGame Start OK')
if [[ "$log" != *"$expected"* ]]; then
  echo "error.txt lacks the two SOUND lines between INPUT and the game's start:"
  cat -A "$game_dir/error.txt"
  exit 1
fi
if grep -q 'SOUND module free OKay\|Wave format' <<< "$log"; then
  echo "a refused SOUND install left more lines:"
  cat -A "$game_dir/error.txt"
  exit 1
fi
if [ "$(tail -n 1 <<< "$log")" != "SYSTEM module free OKay." ]; then
  echo "error.txt does not end with the shutdown lines"
  exit 1
fi
echo "main ran silent and exited 0"
