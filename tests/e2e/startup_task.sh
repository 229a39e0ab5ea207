#!/usr/bin/env bash
# main on the headless backend over the start-up file set: the start-up task reaches the account
# input and a close ends with 0; without system/head.mda the media loader's box and then the
# step's box are shown and dismissed and the run ends with 255; a close while that box waits ends
# with 255 too; a chat.res of 379 records makes the start fail with 255.
set -u
main=$1
source "$(dirname "$0")/game_dir.sh"
source "$(dirname "$0")/headless_main.sh"

# The built file set moves aside; each run gets a fresh copy of it.
set_dir="$game_dir/set"
mkdir "$set_dir"
for f in "$game_dir"/*; do
  [ "$f" = "$set_dir" ] || mv "$f" "$set_dir/"
done
run_dir="$game_dir/run"
fresh() {
  rm -rf "$run_dir"
  cp -a "$set_dir" "$run_dir"
}
# run_case SCRIPT_TEXT: runs main in $run_dir with that event script; the exit code in $code.
run_case() {
  printf '%s\n' "$1" > "$run_dir/events.script"
  run_headless VELDRA_GAME_DIR="$run_dir" VELDRA_EVENT_SCRIPT="$run_dir/events.script" timeout 60 "$main"
  code=$?
}
log() { tr -d '\r' < "$run_dir/error.txt"; }
fail() {
  echo "$1"
  echo "--- error.txt"
  log
  exit 1
}

fresh
run_case '1500 WM_CLOSE'
[ "$code" -eq 0 ] || fail "full set: main ended with $code, expected 0"
# Without server lines the account input says so.
log | grep -qx 'Unable to connect to the designated server, please run update.exe' || fail "full set: the account input was not reached"

fresh
rm "$run_dir/system/head.mda"
run_case '800 KEYDOWN RETURN
850 KEYUP RETURN
1600 KEYDOWN RETURN
1650 KEYUP RETURN'
[ "$code" -eq 255 ] || fail "no head.mda: main ended with $code, expected 255"
log | grep -qF 'Unable to launch system\head.mda file' || fail "no head.mda: no loader message"
log | grep -qx 'Read system image error !' || fail "no head.mda: no step message"
log | grep -qx 'Unable to connect to the designated server, please run update.exe' && fail "no head.mda: a later task ran"

fresh
rm "$run_dir/system/head.mda"
run_case '800 KEYDOWN RETURN
850 KEYUP RETURN
1600 WM_CLOSE'
[ "$code" -eq 255 ] || fail "close during the start-up: main ended with $code, expected 255"
log | grep -qx 'Read system image error !' || fail "close during the start-up: no step message"

# The record count sits at byte 260 of a res table.
fresh
printf '\173\001\000\000' | dd of="$run_dir/res/chat.res" bs=1 seek=260 conv=notrunc status=none
run_case '1500 WM_CLOSE'
[ "$code" -eq 255 ] || fail "379-record chat.res: main ended with $code, expected 255"
log | grep -qx 'Unable to connect to the designated server, please run update.exe' && fail "379-record chat.res: the task table ran"
echo "the start-up task reached the account input; its failures ended with 255"
