#!/usr/bin/env bash
# front_end.sh ROAD BIN: main on the headless backend with the real clock against testserver's
# "game" profile, handed three server lines (ids 100101 to 100103) on the server's world port by
# tools/handover, driven by an event script that waits for each screen's "task enter" line. The
# roads of the front end end at the game's entry; the game roads go on into the game.
# Checks the order of the task switches, error.txt, the server's transcript, the debugger output,
# the exit code and, on the ticker's road, the game's frames one after another. Exit 77 (skipped)
# only when the build lacks what the road needs: the "task enter" lines or a real screen in place
# of a placeholder.
set -u
road=$1
bin=$2
main=$bin/main
source "$(dirname "$0")/game_dir.sh"
source "$(dirname "$0")/headless_main.sh"
scripts=$(cd "$(dirname "$0")/../../tools/testserver/scripts" && pwd)

server_pid=
stop_server() {
  if [ -n "$server_pid" ]; then
    kill "$server_pid" 2>/dev/null
    wait "$server_pid" 2>/dev/null
    server_pid=
  fi
}
trap 'stop_server; cleanup' EXIT

# The server, bounded in time; its ports file names the world port. The script is a file of
# tools/testserver/scripts or a path.
start_server() {
  local script=$1
  [ -f "$script" ] || script=$scripts/$1
  "$bin/testserver" --script "$script" --profile game --ports-file "$game_dir/ports" \
    --transcript "$game_dir/transcript.txt" --max-seconds 120 --idle-seconds 60 > "$game_dir/server.out" 2>&1 &
  server_pid=$!
  for _ in $(seq 100); do
    [ -s "$game_dir/ports" ] && break
    sleep 0.05
  done
  world_port=$(awk '$1 == "world" { print $2 }' "$game_dir/ports" 2>/dev/null)
  [ -n "$world_port" ] || { echo "testserver did not listen"; cat "$game_dir/server.out"; exit 1; }
}

# Keys and clicks: press and release apart, as a person would.
key() { printf '%d KEYDOWN %s\n%d KEYUP %s\n' "$1" "$2" $(($1 + 60)) "$2"; }
click() { printf '%d MOVE %d %d\n%d BUTTON down left %d %d\n%d BUTTON up left %d %d\n' \
  "$1" "$2" "$3" $(($1 + 40)) "$2" "$3" $(($1 + 120)) "$2" "$3"; }
login() {  # login ACCOUNT PASSWORD: typed into the account screen, Tab between, Enter submits
  echo 'AFTER task enter 5'
  printf '2000 TEXT %s\n' "$1"
  key 2300 TAB
  printf '2600 TEXT %s\n' "$2"
  key 2900 RETURN
}
close_after() {  # close_after TEXT [MS]
  printf 'AFTER %s\n%d WM_CLOSE\n' "$1" "${2:-2000}"
}

if ! grep -qF 'task enter' "$(dirname "$0")/../../client/game/task_table.cpp"; then
  echo "SKIPPED: main writes no \"task enter\" lines yet (task_run_current)"
  exit 77
fi

# The world-message handlers a road needs; a handler still on the pending list skips the road.
pending=$(dirname "$0")/../../client/net_msg/pending_handlers.cpp
need_handlers() {
  for h in "$@"; do
    if grep -qE "[XV]\($h[,)]" "$pending"; then
      echo "SKIPPED: the handler $h is still pending in this build"
      exit 77
    fi
  done
}
road_handlers='login_on_result char_list_on_list char_on_select chat_server_on_address scene_on_map_change scene_on_enter'

# The way into the game as demo: the first line, then the first character.
enter_game() {
  login demo demo
  echo 'AFTER task enter 4'
  click 1500 260 154
  key 2200 RETURN
  echo 'AFTER task enter 6'
  key 2500 RETURN
}
in_game=0

lines=3
first_task=
want_log=
dump_frames=1
case $road in
  LoginRoad)
    need_handlers $road_handlers
    start_server login.txt
    {
      login demo demo
      echo 'AFTER task enter 4'
      click 1500 260 154   # the first line's slot
      key 2200 RETURN
      echo 'AFTER task enter 6'
      key 2500 RETURN      # the first character
      close_after 'task enter 100'
    } > "$game_dir/road.script"
    want_tasks='0 5 4 7 6 10 100'
    want_transcript='world RECV 0x20000|world SEND 0x20001 arg=0|world RECV 0x30007|world RECV 0x30008 arg=1001|world SEND 0x30100 arg=0 len=172|world SEND 0x3000c arg=0|chat RECV 0x3001c|chat RECV 0x40246'
    want_stderr='CHECK OK'
    ;;
  QueueRoad)
    need_handlers login_on_result login_on_wait
    start_server queue.txt
    {
      login demo demo
      close_after 'task enter 4'
    } > "$game_dir/road.script"
    want_tasks='0 5 4'
    want_transcript='game: login demo queued|world SEND 0x130005 arg=3 len=4|world SEND 0x130005 arg=0 len=4|game: queue over for demo|world SEND 0x20001 arg=0'
    want_stderr='The server is full, press Enter to change server|CHECK OK'
    ;;
  CreateRoad)
    need_handlers $road_handlers nickname_on_check
    start_server empty.txt
    {
      login demo demo
      echo 'AFTER task enter 4'
      key 1500 RETURN
      echo 'AFTER task enter 6'
      click 2500 100 484   # create
      echo 'AFTER task enter 8'
      click 2500 64 157    # the first race button
      printf '3000 TEXT Newcomer\n'
      click 3500 676 499   # create
      close_after 'task enter 100'
    } > "$game_dir/road.script"
    want_tasks='0 5 4 7 6 8 10 100'
    want_transcript='world RECV 0x3000e arg=1 len=28|game: created Newcomer id 1|world SEND 0x3000e arg=0|world SEND 0x3000c arg=0'
    want_stderr='CHECK OK'
    ;;
  WrongPassword)
    need_handlers login_on_result
    start_server login.txt
    {
      login demo wrong
      key 4500 RETURN      # the box
      printf '7000 WM_CLOSE\n'
    } > "$game_dir/road.script"
    want_tasks='0 5'
    want_transcript='game: login demo refused|world SEND 0x20001 arg=1 len=0'
    want_stderr=''
    want_error='Invalid account name or password, please enter again'
    ;;
  TitleRoad)
    # The title, the menu and the announcements before the server select (VELDRA_FIRST_TASK).
    start_server login.txt
    first_task=1
    {
      echo 'AFTER task enter 2'
      key 2500 RETURN      # the menu's Enter
      echo 'AFTER task enter 3'
      key 2000 RETURN      # on past the announcements
      close_after 'task enter 4'
    } > "$game_dir/road.script"
    want_tasks='0 1 2 3 4'
    want_transcript=''
    want_stderr='headless: window title Veldra Saga II Online( ENGLISH version 1.0.3 - 6137 )'
    want_log='show_title begin|show_title at processing|show_title at processing2|show_title at end|menu begin|menu begin play mp3|menu begin end mp3|menu begin changeeffect|menu end changeeffect|menu begin init record|menu begin loop|menu end loop|menu end'
    ;;
  NoServerLines)
    lines=0
    world_port=7001
    {
      echo 'AFTER task enter 5'
      for t in 2000 3000 4000 5000; do key "$t" RETURN; done
    } > "$game_dir/road.script"
    want_tasks='0 5'
    want_transcript=''
    want_stderr=''
    want_error='Unable to connect to the designated server, please run update.exe'
    ;;
  EnterAndQuit)
    # In the game: the start requests, the title, and closing the window quits cleanly.
    in_game=1
    need_handlers $road_handlers
    start_server login.txt
    {
      enter_game
      close_after 'task enter 100' 3000
    } > "$game_dir/road.script"
    want_tasks='0 5 4 7 6 10 100'
    want_transcript='world RECV 0x30008 arg=1001|world SEND 0x3000c|world RECV 0x50005|world SEND 0x50005 arg=0 len=60|world RECV 0xe0002|world SEND 0xe0002 arg=3 len=210|world RECV 0x190007|game: online|world RECV 0x19000b arg=0 len=18|game: mac "02-00-00-00-00-01" len=18'
    want_stderr='headless: window title Veldra Saga II Online( ENGLISH version 1.0.3 - 6137 ) [ Line 1: Aldric ID 1001 ]'
    ;;
  SceneTown)
    # In Demo Town with scene.txt: NPCs and players appear, walk, a pet joins, an animation plays,
    # one leaves, then map 2 and back; the map's files and the looks all load.
    in_game=1
    need_handlers $road_handlers scene_on_chars_added scene_on_chars_entered scene_on_positions pet_on_follow
    start_server scene.txt
    {
      enter_game
      close_after 'task enter 100' 12000
    } > "$game_dir/road.script"
    want_tasks='0 5 4 7 6 10 100'
    want_transcript='world RECV 0x30008 arg=1001|world SEND 0x30100|world SEND 0x3000c|world SEND 0x30012 arg=3|world SEND 0x3000a arg=2|world SEND 0x30001 arg=2|world SEND 0x60006 arg=2001|world SEND 0x130008|world SEND 0x3001f arg=1|world SEND 0x30100|world SEND 0x30100'
    want_stderr='headless: window title Veldra Saga II Online( ENGLISH version 1.0.3 - 6137 ) [ Line 1: Hero ID 1001 ]'
    want_titles=3  # the game's entry, map 2 and back
    refused_log='Unable to|is not MDA file|format error|edition error|decode error|map jpg erro|Map File error'
    ;;
  TickerRoad)
    # In the game with an event notice that started long ago and never ends: the ticker scrolls
    # it through its strip, and the game's frames differ there and nowhere else.
    in_game=1
    need_handlers $road_handlers event_on_notice
    start_server ticker.txt
    {
      enter_game
      close_after 'task enter 100' 3000
    } > "$game_dir/road.script"
    want_tasks='0 5 4 7 6 10 100'
    want_transcript='world RECV 0x19000b|world SEND 0xf0008 arg=0 len=524'
    want_stderr=''
    dump_frames=8
    ;;
  LinkLossRetry)
    # game.txt closes the world link once in the game: the login retry logs in again, the
    # character list re-selects Hero, the chat link's echo ends the wait and the game starts again.
    in_game=1
    need_handlers $road_handlers
    start_server game.txt
    {
      enter_game
      echo 'AFTER task enter 100'
      echo 'AFTER task enter 100'
      printf '3000 WM_CLOSE\n'
    } > "$game_dir/road.script"
    want_tasks='0 5 4 7 6 10 100 100'
    want_transcript='world RECV 0x19000b|world SEND 0xc0008|world CLOSE|world CONNECT|world RECV 0x20000|world RECV 0x30007|world RECV 0x30008 arg=1001|chat RECV 0x40246|chat SEND 0x40280|world RECV 0xf0004 arg=23130 len=0|world RECV 0x19000b'
    want_stderr=''
    ;;
  BattleResume)
    # A battle to resume at the entry: the game asks for it and waits for the server's 0xf0006.
    in_game=1
    need_handlers $road_handlers
    { echo 'world battle-resume 500'; cat "$scripts/login.txt"; } > "$game_dir/resume.txt"
    start_server "$game_dir/resume.txt"
    {
      enter_game
      close_after 'task enter 100' 3000
    } > "$game_dir/road.script"
    want_tasks='0 5 4 7 6 10 100'
    want_transcript='world SEND 0xf0005 arg=0 len=0|world SEND 0x3000c|world RECV 0xf0005 arg=0 len=0|game: battle resume in 500 ms|world SEND 0xf0006|world RECV 0x190007|world RECV 0x19000b'
    want_stderr=''
    ;;
  *)
    echo "unknown road $road"
    exit 2
    ;;
esac

if [ "$in_game" = 1 ] && grep -q 'task_game_main_placeholder' "$(dirname "$0")/../../client/game/task_table.cpp"; then
  echo "SKIPPED: the game main task is still a placeholder in this build"
  exit 77
fi

# A road that stalls still ends, well inside the test's time.
printf '# the road ends by itself after 45 s\n45000 WM_CLOSE\n' | cat - "$game_dir/road.script" > "$game_dir/road.tmp"
mv "$game_dir/road.tmp" "$game_dir/road.script"
# The screens' pictures go to VELDRA_TEST_DUMP when it is set; a road that compares frames dumps
# them into the game folder otherwise.
dump_dir=
[ -n "${VELDRA_TEST_DUMP:-}" ] && dump_dir=$VELDRA_TEST_DUMP/$road
[ -z "$dump_dir" ] && [ "$dump_frames" -gt 1 ] && dump_dir=$game_dir/dump
dump=()
[ -n "$dump_dir" ] && mkdir -p "$dump_dir" && rm -f "$dump_dir"/*.ppm
[ -n "$dump_dir" ] && dump=(VELDRA_TEST_DUMP="$dump_dir" VELDRA_TEST_DUMP_FRAMES="$dump_frames")
run_headless VELDRA_HEADLESS_CLOCK=real VELDRA_DEBUG_OUT=1 VELDRA_FIRST_TASK="$first_task" VELDRA_EVENT_SCRIPT="$game_dir/road.script" "${dump[@]}" \
  timeout 120 "$bin/handover" --lines "$lines" --group 100100 --port "$world_port" -- "$main" \
  2> "$game_dir/stderr.txt"
code=$?
stop_server

tasks=$(sed -n 's/^task enter \([0-9]*\).*/\1/p' "$game_dir/stderr.txt" | tr '\n' ' ' | sed 's/ $//')
if [ -z "$tasks" ]; then
  echo "SKIPPED: main writes no \"task enter\" lines yet (task_run_current)"
  exit 77
fi
# error.txt ends its lines with CR LF.
if tr -d '\r' < "$game_dir/error.txt" 2>/dev/null |
  grep -q '^placeholder task TASK_\(ACCOUNT_INPUT\|SERVER_SELECT\|SELECT_CHARACTER\|SELECT_CHARACTER_IN\|CREATE_CHARACTER\)$'; then
  echo "SKIPPED: the front-end screens are still placeholders in this build"
  exit 77
fi
if [ "$in_game" = 1 ] && tr -d '\r' < "$game_dir/error.txt" 2>/dev/null | grep -q '^placeholder task TASK_GAME_MAIN$'; then
  echo "SKIPPED: the game main task is still a placeholder in this build"
  exit 77
fi

fail=0
report() {
  echo "$road: $1"
  fail=1
}
[ "$code" -eq 0 ] || report "main ended with $code, expected 0"
[ "$tasks" = "$want_tasks" ] || report "task switches \"$tasks\", expected \"$want_tasks\""
grep -q '^Game Exit OK' "$game_dir/error.txt" 2>/dev/null || report "error.txt does not end with Game Exit OK"
if [ -n "${want_titles:-}" ] && [ "$(grep -cF 'headless: window title' "$game_dir/stderr.txt")" -lt "$want_titles" ]; then
  report "fewer than $want_titles window titles: the map changes did not all land"
fi
if [ -n "${refused_log:-}" ] && tr -d '\r' < "$game_dir/error.txt" 2>/dev/null | grep -E "$refused_log"; then
  report "error.txt holds a refused file"
fi
if [ -n "${want_error:-}" ]; then
  tr -d '\r' < "$game_dir/error.txt" | grep -qF "$want_error" || report "error.txt lacks \"$want_error\""
fi
IFS='|'
for want in $want_stderr; do
  grep -qF "$want" "$game_dir/stderr.txt" || report "no \"$want\" in the debugger output"
done
# error.txt's whole lines, then the transcript's events (time stamps cut).
if [ -n "$want_log" ]; then
  tr -d '\r' < "$game_dir/error.txt" > "$game_dir/log.txt" 2>/dev/null
  in_order "$game_dir/log.txt" error.txt xF "$want_log"
fi
if [ -n "$want_transcript" ]; then
  cut -d' ' -f2- "$game_dir/transcript.txt" > "$game_dir/events.txt"
  in_order "$game_dir/events.txt" transcript F "$want_transcript"
fi
unset IFS

# The ticker's strip (80, 8)-(720, 28) of the game's frames, one after another: the text moves in
# it from each frame to the next, and no pixel outside it changes.
strip_check() {
  local frames prev= f pair inside outside moved=0 pairs=0
  mapfile -t frames < <(cd "$dump_dir" && ls -- *-task100.ppm 2>/dev/null | sort -n)
  if [ "${#frames[@]}" -lt "$dump_frames" ]; then
    report "${#frames[@]} frames of the game dumped, expected $dump_frames"
    return
  fi
  for f in "${frames[@]}"; do
    if [ -n "$prev" ]; then
      # cmp counts bytes from 1; the PPM head "P6\n800 600\n255\n" is 15 bytes, 3 bytes a pixel.
      pair=$(cmp -l "$dump_dir/$prev" "$dump_dir/$f" | awk '{
          p = int(($1 - 16) / 3); x = p % 800; y = int(p / 800)
          if (x >= 80 && x < 720 && y >= 8 && y < 28) i++; else o++
        } END { print i + 0, o + 0 }')
      read -r inside outside <<< "$pair"
      pairs=$((pairs + 1))
      [ "$inside" -gt 0 ] && moved=$((moved + 1))
      [ "$outside" -eq 0 ] || report "$prev to $f: $outside bytes changed outside the ticker's strip"
    fi
    prev=$f
  done
  [ "$moved" -eq "$pairs" ] || report "the ticker's strip changed between $moved of $pairs frame pairs"
}
[ "$road" = TickerRoad ] && strip_check

if [ "$fail" -ne 0 ]; then
  echo "--- debugger output"; tail -n 60 "$game_dir/stderr.txt"
  echo "--- error.txt"; tr -d '\r' < "$game_dir/error.txt" 2>/dev/null | tail -n 30
  echo "--- transcript"; cat "$game_dir/transcript.txt" 2>/dev/null | tail -n 40
  exit 1
fi
echo "$road: tasks $tasks, exit 0"
