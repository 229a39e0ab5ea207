#!/usr/bin/env bash
# A record file of Enter and Backspace presses made by the recorder, given to main on its command
# line: the replay steps through the same placeholder screens as the presses would and ends the
# process with 0 after its last entry. A name that does not open replays nothing.
set -u
make_record=$1
main=$2
source "$(dirname "$0")/game_dir.sh"
source "$(dirname "$0")/headless_main.sh"

record=$("$make_record" "$game_dir" 13 15 13) || { echo "e2e_make_record failed"; exit 1; }
[ "$record" = "record/rd2026-12-10-4-15-7.rec" ] || { echo "unexpected record name $record"; exit 1; }
size=$(stat -c %s "$game_dir/$record")
[ "$size" -eq $((588 + 3 * 48)) ] || { echo "record file has $size bytes"; exit 1; }

# No event script: only the replay can move the screens on.
run_headless timeout 60 "$main" "$record"
code=$?
if [ "$code" -ne 0 ]; then
  echo "main ended with $code, expected 0"
  exit 1
fi
tr -d '\r' < "$game_dir/error.txt" | grep '^placeholder task ' > "$game_dir/lines.txt"
placeholder_walk_lines > "$game_dir/expected.txt"
same_lines "$game_dir/expected.txt" "$game_dir/lines.txt" "the replay's placeholder lines differ:" || exit 1
# The replay ends the process itself: no shutdown line.
if tr -d '\r' < "$game_dir/error.txt" | grep -q '^Game Exit OK$'; then
  echo "the replay did not end the process"
  exit 1
fi

# An argument that names no file replays nothing: Esc ends the game as usual.
rm -f "$game_dir/error.txt"
printf '300 KEYDOWN ESCAPE\n360 KEYUP ESCAPE\n' > "$game_dir/esc.script"
run_headless VELDRA_EVENT_SCRIPT="$game_dir/esc.script" timeout 60 "$main" -steam
code=$?
[ "$code" -eq 0 ] || { echo "main -steam ended with $code"; exit 1; }
tr -d '\r' < "$game_dir/error.txt" | grep -qx 'Game Exit OK' || { echo "main -steam did not end normally"; exit 1; }
echo "main replayed the record file and exited 0"
