#!/usr/bin/env bash
# update_second_copy.sh BIN: a first update waits on a silent gateway; a second copy of the same
# program says "Client is already running, unable to update!" and touches nothing. The first
# update and testserver are then stopped by their process ids.
set -u
bin=$1
source "$(dirname "$0")/game_dir.sh"
source "$(dirname "$0")/headless_main.sh"
source "$(dirname "$0")/update_road.sh"

first_pid=
trap '[ -n "$first_pid" ] && kill "$first_pid" 2>/dev/null; stop_road; cleanup' EXIT

cp "$bin/update" "$game_dir/"
printf 'expect gateway connect within 20000\nwait 60000\n' > "$game_dir/silent.txt"
start_gateway "$game_dir/silent.txt"
write_server_cfg 100100 1 Demo

( exec_headless VELDRA_HEADLESS_CLOCK=real VELDRA_DEBUG_OUT=1 "$game_dir/update" ) 2> "$game_dir/first.txt" &
first_pid=$!
# The first copy is in its gateway query once testserver has accepted it.
for _ in $(seq 200); do
  grep -q 'gateway CONNECT' "$game_dir/transcript.txt" 2>/dev/null && break
  sleep 0.05
done
fail=0
grep -q 'gateway CONNECT' "$game_dir/transcript.txt" || { echo "the first update never connected"; fail=1; }

run_headless VELDRA_HEADLESS_CLOCK=real timeout 30 "$game_dir/update" > "$game_dir/second.out" 2> "$game_dir/second.txt"
code=$?
[ "$code" -eq 0 ] || { echo "the second update ended with $code"; fail=1; }
grep -qF 'Client is already running, unable to update!' "$game_dir/second.txt" \
  || { echo "the second update did not refuse"; fail=1; }
[ ! -e "$game_dir/veldra.cfg" ] || { echo "veldra.cfg was written"; fail=1; }
is_program "$first_pid" "$game_dir/update" \
  || { echo "the first update did not wait on its gateway (process $first_pid is not update)"; fail=1; }

kill "$first_pid" 2>/dev/null
wait "$first_pid" 2>/dev/null
[ -e "/proc/$first_pid" ] && { echo "the first update $first_pid is still running"; fail=1; }
first_pid=
stop_road
server_pid=
if [ "$fail" -ne 0 ]; then
  echo "--- second"; cat "$game_dir/second.txt"
  echo "--- first"; cat "$game_dir/first.txt"
  exit 1
fi
echo "the second copy refused and left veldra.cfg alone"
