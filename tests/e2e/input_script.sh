#!/usr/bin/env bash
# main on the headless backend with a script of raw input: Shift+a, the left arrow, a wheel
# notch, a character typed through the input method and a click each show as a debug line of the
# frame step, in order, while the account input's message (no server lines) waits; the click
# dismisses it, the row's -1 ends the run with 0 and INPUT's lines are in error.txt.
set -u
main=$1
source "$(dirname "$0")/game_dir.sh"
source "$(dirname "$0")/headless_main.sh"

cat > "$game_dir/input.script" <<'SCRIPT'
1100 KEYDOWN LSHIFT
1100 KEYDOWN A
1100 TEXT A
1200 KEYUP A
1200 KEYUP LSHIFT
1300 KEYDOWN LEFT
1350 KEYUP LEFT
1400 MOVE 100 120
1700 WHEEL 1
1800 COMPOSE zhong
1850 COMPOSE 中
1900 TEXT 中
2000 BUTTON down left 100 120
2100 BUTTON up left 100 120
SCRIPT
run_headless VELDRA_DEBUG_OUT=1 VELDRA_EVENT_SCRIPT="$game_dir/input.script" "$main" 2> "$game_dir/stderr.txt"
code=$?
if [ "$code" -ne 0 ]; then
  echo "main ended with $code, expected 0"
  cat "$game_dir/stderr.txt"
  exit 1
fi

# The wanted lines, in this order (the box clears the key tables every frame).
grep '^input ' "$game_dir/stderr.txt" | uniq > "$game_dir/lines.txt"
# The message box reads no wheel: its event stays until the button's. The game run puts the
# pointer at the screen's centre before the first task.
expected=(
  'input key=0 scan=65 event=0 x=400 y=300 chars=41'
  'input key=75 scan=203 event=0 x=400 y=300 chars='
  'input key=0 scan=0 event=241 x=100 y=120 chars='
  'input key=0 scan=0 event=253 x=100 y=120 chars='
  'input key=0 scan=0 event=253 x=100 y=120 chars=D6D0'
  'input key=0 scan=0 event=253 x=100 y=120 chars='
  'input key=0 scan=0 event=244 x=100 y=120 chars='
  'input key=0 scan=0 event=245 x=100 y=120 chars='
)
printf '%s\n' "${expected[@]}" > "$game_dir/expected.txt"
same_lines "$game_dir/expected.txt" "$game_dir/lines.txt" "debug lines differ from the expected ones:" || exit 1
for line in 'INPUT module initialize starting...' 'INPUT module initialized OKay.' 'INPUT module free OKay.'; do
  if ! tr -d '\r' < "$game_dir/error.txt" | grep -qxF "$line"; then
    echo "error.txt lacks: $line"
    exit 1
  fi
done
echo "main printed the expected input lines and exited 0"
