#!/usr/bin/env bash
# main on the headless backend with a script of raw input: Shift+a, the left arrow, a click,
# a wheel notch and a character typed through the input method each show as a debug line of the
# frame loop, in order, and the run ends with 0 and INPUT's lines in error.txt.
set -u
main=$1
source "$(dirname "$0")/game_dir.sh"
source "$(dirname "$0")/headless_main.sh"

cat > "$game_dir/input.script" <<'SCRIPT'
100 KEYDOWN LSHIFT
100 KEYDOWN A
100 TEXT A
200 KEYUP A
200 KEYUP LSHIFT
300 KEYDOWN LEFT
350 KEYUP LEFT
400 MOVE 100 120
500 BUTTON down left 100 120
600 BUTTON up left 100 120
700 WHEEL 1
800 COMPOSE zhong
850 COMPOSE 中
900 TEXT 中
1000 WM_CLOSE
SCRIPT
run_headless VELDRA_DEBUG_OUT=1 VELDRA_EVENT_SCRIPT="$game_dir/input.script" "$main" 2> "$game_dir/stderr.txt"
code=$?
if [ "$code" -ne 0 ]; then
  echo "main ended with $code, expected 0"
  cat "$game_dir/stderr.txt"
  exit 1
fi

# The wanted lines, in this order (held keys repeat their line every frame).
grep '^input ' "$game_dir/stderr.txt" | uniq > "$game_dir/lines.txt"
expected=(
  'input key=0 scan=65 event=0 x=0 y=0 chars=41'
  'input key=0 scan=65 event=0 x=0 y=0 chars='
  'input key=75 scan=203 event=0 x=0 y=0 chars='
  'input key=0 scan=0 event=241 x=100 y=120 chars='
  'input key=0 scan=0 event=244 x=100 y=120 chars='
  'input key=0 scan=0 event=245 x=100 y=120 chars='
  'input key=0 scan=0 event=253 x=100 y=120 chars='
  'input key=0 scan=0 event=0 x=100 y=120 chars=D6D0'
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
