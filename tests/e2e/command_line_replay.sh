#!/usr/bin/env bash
# A record file of Enter and Backspace presses made by the recorder, given to main on its command
# line: the account input, the server select and the character select give way to the replay at
# once, the game login waits for a scene entry that the record does not hold, and the replay ends
# the process with 0 after its last entry. A name that does not open replays nothing.
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
run_headless VELDRA_DEBUG_OUT=1 timeout 60 "$main" "$record" 2> "$game_dir/stderr.txt"
code=$?
if [ "$code" -ne 0 ]; then
  echo "main ended with $code, expected 0"
  exit 1
fi
task_enter_lines "$game_dir/stderr.txt" > "$game_dir/tasks.txt"
printf 'task enter %s\n' '0 TASK_SYSTEM_INITIALIZE' '5 TASK_ACCOUNT_INPUT' '4 TASK_SERVER_SELECT' \
  '7 TASK_SELECT_CHARACTER_IN' '6 TASK_SELECT_CHARACTER' '10 TASK_GAME_LOGIN' \
  > "$game_dir/expected_tasks.txt"
same_lines "$game_dir/expected_tasks.txt" "$game_dir/tasks.txt" "the replay's tasks differ:" || exit 1
# The replay ends the process itself: no shutdown line.
if tr -d '\r' < "$game_dir/error.txt" | grep -q '^Game Exit OK$'; then
  echo "the replay did not end the process"
  exit 1
fi

# An argument that names no file replays nothing: the account input's message (no server lines)
# is dismissed with Esc and the game ends as usual.
rm -f "$game_dir/error.txt"
printf '1500 KEYDOWN ESCAPE\n1560 KEYUP ESCAPE\n' > "$game_dir/esc.script"
run_headless VELDRA_EVENT_SCRIPT="$game_dir/esc.script" timeout 60 "$main" -steam
code=$?
[ "$code" -eq 0 ] || { echo "main -steam ended with $code"; exit 1; }
tr -d '\r' < "$game_dir/error.txt" | grep -qx 'Game Exit OK' || { echo "main -steam did not end normally"; exit 1; }
echo "main replayed the record file and exited 0"
