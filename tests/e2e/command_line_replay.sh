#!/usr/bin/env bash
# A record file of Enter and Backspace presses made by the recorder, given to main on its command
# line: the replay steps through the same placeholder screens as the presses would and ends the
# process with 0 after its last entry. A name that does not open replays nothing.
set -u
make_record=$1
main=$2
source "$(dirname "$0")/game_dir.sh"

record=$("$make_record" "$game_dir" 13 15 13 13 13 13 13 13) || { echo "e2e_make_record failed"; exit 1; }
[ "$record" = "record/rd2026-12-10-4-15-7.rec" ] || { echo "unexpected record name $record"; exit 1; }
size=$(stat -c %s "$game_dir/$record")
[ "$size" -eq $((588 + 8 * 48)) ] || { echo "record file has $size bytes"; exit 1; }

run_main() {
  env -u VELDRA_REGISTRY -u VELDRA_FRAME_LIMIT -u VELDRA_PIXEL_FORMAT -u VELDRA_STARTUP_X -u VELDRA_STARTUP_Y \
    LANG=C VELDRA_PLATFORM=headless VELDRA_GAME_DIR="$game_dir" "$@"
}

# No event script: only the replay can move the screens on.
run_main timeout 60 "$main" "$record"
code=$?
if [ "$code" -ne 0 ]; then
  echo "main ended with $code, expected 0"
  exit 1
fi
tr -d '\r' < "$game_dir/error.txt" | grep '^placeholder task ' > "$game_dir/lines.txt"
cat > "$game_dir/expected.txt" <<'LINES'
placeholder task TASK_ACCOUNT_INPUT
placeholder task TASK_SERVER_SELECT
placeholder task TASK_ACCOUNT_INPUT
placeholder task TASK_SERVER_SELECT
placeholder task TASK_SELECT_CHARACTER_IN
placeholder task TASK_SELECT_CHARACTER
placeholder task TASK_GAME_LOGIN
placeholder task TASK_GAME_MAIN
placeholder task TASK_ACCOUNT_INPUT
LINES
if ! cmp -s "$game_dir/expected.txt" "$game_dir/lines.txt"; then
  echo "the replay's placeholder lines differ:"
  diff "$game_dir/expected.txt" "$game_dir/lines.txt"
  exit 1
fi
# The replay ends the process itself: no shutdown line.
if tr -d '\r' < "$game_dir/error.txt" | grep -q '^Game Exit OK$'; then
  echo "the replay did not end the process"
  exit 1
fi

# An argument that names no file replays nothing: Esc ends the game as usual.
rm -f "$game_dir/error.txt"
printf '300 KEYDOWN ESCAPE\n360 KEYUP ESCAPE\n' > "$game_dir/esc.script"
run_main VELDRA_EVENT_SCRIPT="$game_dir/esc.script" timeout 60 "$main" -steam
code=$?
[ "$code" -eq 0 ] || { echo "main -steam ended with $code"; exit 1; }
tr -d '\r' < "$game_dir/error.txt" | grep -qx 'Game Exit OK' || { echo "main -steam did not end normally"; exit 1; }
echo "main replayed the record file and exited 0"
