#!/usr/bin/env bash
# main on the headless backend steps through the placeholder screens of the task table with
# Enter and Backspace: error.txt holds their lines in table order, then "Game Exit OK".
set -u
main=$1
source "$(dirname "$0")/game_dir.sh"
source "$(dirname "$0")/headless_main.sh"

# Enter on the account input, Backspace on the server select, Enter on the account input, Enter
# on the server select; the character screens open on the sample folder's art, and the player
# closes the window there.
keys=(RETURN BACKSPACE RETURN RETURN)
: > "$game_dir/keys.script"
t=300
for k in "${keys[@]}"; do
  printf '%d KEYDOWN %s\n%d KEYUP %s\n' "$t" "$k" $((t + 60)) "$k" >> "$game_dir/keys.script"
  t=$((t + 300))
done
printf '%d WM_CLOSE\n' $((t + 2000)) >> "$game_dir/keys.script"
run_headless VELDRA_EVENT_SCRIPT="$game_dir/keys.script" timeout 60 "$main"
code=$?
if [ "$code" -ne 0 ]; then
  echo "main ended with $code, expected 0"
  exit 1
fi
tr -d '\r' < "$game_dir/error.txt" | sed -n '/^Game Start OK$/,/^Game Exit OK$/p' > "$game_dir/lines.txt"
{
  echo 'Game Start OK'
  placeholder_walk_lines
  echo 'Game Exit OK'
} > "$game_dir/expected.txt"
same_lines "$game_dir/expected.txt" "$game_dir/lines.txt" "error.txt differs from the expected lines:" || exit 1
echo "main stepped through the placeholder tasks and exited 0"
