#!/usr/bin/env bash
# main on the headless backend enters the task table's rows in order and tells the debugger each
# one: with no server line handed over, the account input shows its message, Enter dismisses it
# and the row's -1 ends the game with 0.
set -u
main=$1
source "$(dirname "$0")/game_dir.sh"
source "$(dirname "$0")/headless_main.sh"

# The account input waits 500 ms before it looks at the server lines.
printf '1500 KEYDOWN RETURN\n1560 KEYUP RETURN\n' > "$game_dir/keys.script"
run_headless VELDRA_DEBUG_OUT=1 VELDRA_EVENT_SCRIPT="$game_dir/keys.script" timeout 60 "$main" 2> "$game_dir/stderr.txt"
code=$?
if [ "$code" -ne 0 ]; then
  echo "main ended with $code, expected 0"
  cat "$game_dir/stderr.txt"
  exit 1
fi
task_enter_lines "$game_dir/stderr.txt" > "$game_dir/tasks.txt"
printf 'task enter 0 TASK_SYSTEM_INITIALIZE\ntask enter 5 TASK_ACCOUNT_INPUT\n' > "$game_dir/expected_tasks.txt"
same_lines "$game_dir/expected_tasks.txt" "$game_dir/tasks.txt" "the tasks entered differ:" || exit 1
tr -d '\r' < "$game_dir/error.txt" | sed -n '/^Game Start OK$/,/^Game Exit OK$/p' > "$game_dir/lines.txt"
{
  echo 'Game Start OK'
  echo 'Unable to connect to the designated server, please run update.exe'
  echo 'Game Exit OK'
} > "$game_dir/expected.txt"
same_lines "$game_dir/expected.txt" "$game_dir/lines.txt" "error.txt differs from the expected lines:" || exit 1
echo "main entered the task table's rows in order and exited 0"
