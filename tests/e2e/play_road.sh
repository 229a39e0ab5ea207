#!/usr/bin/env bash
# play_road.sh ROAD BIN: scripts/play --headless --no-build (with --title on the title's road,
# --patch on the patch's road) on BIN's programs, into a temporary build folder. On the patch's
# road the first run of update applies the sample patch and ends, replaceself starts it again, and
# the second run goes the play road's way. The updater asks the test server's gateway for
# the three lines and starts main, which the event script of tools/play drives to the game and
# closes there. Checks the task switches, this run's error.txt, the debugger output (no message
# box), the server's transcript, the exit code and that the server whose id build/play.pid holds
# is gone. The reads that found no file (update's and main's, which the headless backend lists at
# each program's end) are only those the sample folder leaves out on purpose: the companion
# program, which is not part of the game, the character's download file before its first save,
# the download's resume record before the first download and the patch barrier's settings.
set -u
road=$1
bin=$2
source "$(dirname "$0")/game_dir.sh"
source "$(dirname "$0")/headless_main.sh"
repo=$(cd "$(dirname "$0")/../.." && pwd)

module_lines='SYSTEM module initialized OKay.|DRAW module initialized OKay.|TIMER module initialized OKay.|INPUT module initialized OKay.|Game Start OK'
free_lines='Game Exit OK|INPUT module free OKay.|TIMER module free OKay.|DRAW module free OKay.|SYSTEM module free OKay.'
chat='chat RECV 0x3001c|chat RECV 0x40246'
game_start='world RECV 0x50005|world RECV 0xe0002|world RECV 0x190007|world RECV 0x19000b'
case $road in
  play)
    options=()
    want_tasks='0 5 4 7 6 10 100'
    # The account screen's login, then the server select's.
    want_transcript="game: login demo status 0|game: login demo status 0|world RECV 0x30007|world RECV 0x30008 arg=1001|$game_start"
    want_log="$module_lines|$free_lines"
    want_stderr='headless: window title Veldra Saga II Online( ENGLISH version 1.0.3 - 6137 ) [ Line 1: Hero ID 1001 ]'
    character=1001
    ;;
  patch)
    options=(--patch)
    want_tasks='0 5 4 7 6 10 100'
    want_transcript="game: login demo status 0|game: login demo status 0|world RECV 0x30007|world RECV 0x30008 arg=1001|$game_start"
    want_log="$module_lines|$free_lines"
    want_stderr='update: fetching 1.0.1.0|update: end 2|replaceself: update started|update: end 1|headless: window title Veldra Saga II Online( ENGLISH version 1.0.3 - 6137 ) [ Line 1: Hero ID 1001 ]'
    character=1001
    ;;
  title)
    options=(--title)
    want_tasks='0 1 2 3 4 7 6 10 100'
    # Only the server select logs in, with the empty account.
    want_transcript="game: login  status 0|world RECV 0x30007|world RECV 0x30008 arg=1002|$game_start"
    want_log="$module_lines|show_title begin|show_title at end|menu begin|menu begin play mp3|menu end|$free_lines"
    want_stderr='headless: window title Veldra Saga II Online( ENGLISH version 1.0.3 - 6137 ) [ Line 1: Guest ID 1002 ]'
    character=1002
    ;;
  *)
    echo "unknown road $road"
    exit 2
    ;;
esac

out=$game_dir
run_headless VELDRA_PLAY_BIN="$bin" VELDRA_PLAY_OUT="$out" \
  timeout 150 bash "$repo/scripts/play" --headless --no-build "${options[@]}" > "$out/stdout.txt" 2>&1
code=$?

fail=0
report() {
  echo "$road: $1"
  fail=1
}
[ "$code" -eq 0 ] || report "scripts/play ended with $code, expected 0"
tasks=$(sed -n 's/^task enter \([0-9]*\).*/\1/p' "$out/play.log" 2>/dev/null | tr '\n' ' ' | sed 's/ $//')
[ "$tasks" = "$want_tasks" ] || report "task switches \"$tasks\", expected \"$want_tasks\""
grep -F '[message box]' "$out/play.log" && report "a platform message box opened"
grep -E 'AddressSanitizer|LeakSanitizer|runtime error:' "$out/play.log" "$out/stdout.txt" \
  && report "a sanitizer reported a fault"
grep '^\[read miss\] ' "$out/play.log" | grep -vx -e '\[read miss\] castview/KRB_STARTUP1.exe' \
  -e "\[read miss\] download/$character" -e '\[read miss\] .*/game/break.cfg' -e '\[read miss\] .*/game/MUpdate.ini' \
  && report "the sample folder lacks files that were read"
tr -d '\r' < "$out/game/error.txt" > "$out/log.txt" 2>/dev/null
grep -E '^(Except code|placeholder task|.*no handler yet)' "$out/log.txt" && report "error.txt has fault lines"
IFS='|'
for want in $want_stderr; do
  grep -qF "$want" "$out/play.log" || report "no \"$want\" in the debugger output"
done
in_order "$out/log.txt" error.txt xF "$want_log"
cut -d' ' -f2- "$out/play.transcript" > "$out/events.txt" 2>/dev/null
in_order "$out/events.txt" transcript F "$want_transcript"
in_order "$out/events.txt" transcript F "$chat"
unset IFS
if [ "$road" = patch ]; then
  grep -q '^Demo patch 1.0.1.0' "$out/game/patch/readme.txt" 2>/dev/null || report "the patch's file is not in the game folder"
  grep -q 'CurrentVersion=1.0.1.0' "$out/game/Update.ini" 2>/dev/null || report "Update.ini does not record 1.0.1.0"
  [ -e "$out/game/bin.zip" ] && report "bin.zip was left behind"
  grep -q '^GET /patches/p1.zip 206 bytes=0-$' "$out/web/access.log" || report "no ranged request for the patch"
fi
server=$(cat "$out/play.pid" 2>/dev/null)
[ -n "$server" ] || report "no build/play.pid"
if [ -n "$server" ] && is_program "$server" "$bin/testserver"; then
  report "the test server $server still runs"
  kill "$server"
fi

if [ "$fail" -ne 0 ]; then
  echo "--- scripts/play"; tail -n 30 "$out/stdout.txt"
  echo "--- debugger output"; tail -n 60 "$out/play.log"
  echo "--- error.txt"; tail -n 30 "$out/log.txt"
  echo "--- transcript"; tail -n 40 "$out/play.transcript"
  exit 1
fi
echo "$road: tasks $tasks, exit 0"
