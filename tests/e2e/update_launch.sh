#!/usr/bin/env bash
# update_launch.sh BIN: the updater's whole road on the headless backend with the real clock.
# testserver plays the gateway (gateway_two_lines.txt) and then expects the client's world link;
# update, beside a copy of main in the game folder, reads server.cfg, asks the gateway, saves the
# group id in veldra.cfg and starts main with the two lines, which connects to the world listener.
set -u
bin=$1
main=$bin/main
source "$(dirname "$0")/game_dir.sh"
source "$(dirname "$0")/headless_main.sh"
source "$(dirname "$0")/update_road.sh"

cp "$bin/update" "$bin/main" "$game_dir/"
{
  cat "$scripts/gateway_two_lines.txt"
  echo 'expect world hello within 30000'
} > "$game_dir/gateway.txt"
start_gateway "$game_dir/gateway.txt"
write_server_cfg 100100 1 Demo

# The client opens its world link at start; it is closed once the account screen is up.
printf 'AFTER task enter 5\n2000 WM_CLOSE\n' > "$game_dir/road.script"

run_headless VELDRA_HEADLESS_CLOCK=real VELDRA_DEBUG_OUT=1 VELDRA_EVENT_SCRIPT="$game_dir/road.script" \
  timeout 60 "$game_dir/update" > "$game_dir/stdout.txt" 2> "$game_dir/stderr.txt"
code=$?
fail=0
[ "$code" -eq 0 ] || { echo "update ended with $code, expected 0"; fail=1; }
grep -q '^update: chosen 100100 127.0.0.1:' "$game_dir/stderr.txt" || { echo "no chosen line"; fail=1; }
client_pid=$(sed -n 's/^update: client started, 2 lines, pid \([0-9]*\)$/\1/p' "$game_dir/stderr.txt")
[ -n "$client_pid" ] || { echo "no \"client started, 2 lines\" line"; fail=1; }
wait_client "$client_pid" 60 || fail=1
grep -qx 'server lines: 2' "$game_dir/stderr.txt" || { echo "the client did not say \"server lines: 2\""; fail=1; }
# update's "[exit] 0", then main's own, which the headless backend writes at the end.
exits=$(grep '^\[exit\] ' "$game_dir/stderr.txt" | tr '\n' ' ')
[ "$exits" = '[exit] 0 [exit] 0 ' ] || { echo "exit lines \"$exits\", expected update's and main's 0"; fail=1; }
grep -E 'AddressSanitizer|LeakSanitizer|runtime error:' "$game_dir/stderr.txt" \
  && { echo "a sanitizer reported a fault"; fail=1; }
saved=$(od -An -t d4 -j 76 -N 4 "$game_dir/veldra.cfg" 2>/dev/null | tr -d ' ')
[ "$saved" = 100100 ] || { echo "veldra.cfg holds \"$saved\" at 76, expected 100100"; fail=1; }
wait_gateway 40 || fail=1
if [ "$fail" -ne 0 ]; then
  echo "--- stderr"; cat "$game_dir/stderr.txt"
  echo "--- transcript"; cat "$game_dir/transcript.txt"
  exit 1
fi
echo "update started main with the gateway's two lines; testserver met every expect"
