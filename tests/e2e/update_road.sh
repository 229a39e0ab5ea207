# Shared by the updater's end-to-end scripts (source game_dir.sh and headless_main.sh first): testserver as the
# gateway, nginx serving the server list that names it and a version file with nothing to fetch,
# and every process stopped by the id its start gave.
scripts=$(cd "$(dirname "${BASH_SOURCE[0]}")/../../tools/testserver/scripts" && pwd)
source "$(dirname "${BASH_SOURCE[0]}")/../../scripts/web_site.sh"
server_pid=
client_pid=
stop_road() {
  # The client is not our child: its id is stopped only while it still names main.
  [ -n "$client_pid" ] && is_program "$client_pid" "$game_dir/main" && kill "$client_pid" 2>/dev/null
  if [ -n "$server_pid" ]; then
    kill "$server_pid" 2>/dev/null
    wait "$server_pid" 2>/dev/null
  fi
  stop_web_site
}
trap 'stop_road; cleanup' EXIT

# start_gateway SCRIPT: testserver with the game profile and a gateway listener; sets gateway_port.
start_gateway() {
  "$bin/testserver" --script "$1" --profile game --gateway-port 0 --ports-file "$game_dir/ports" \
    --transcript "$game_dir/transcript.txt" --max-seconds 120 --idle-seconds 60 > "$game_dir/server.out" 2>&1 &
  server_pid=$!
  for _ in $(seq 200); do
    grep -q '^gateway ' "$game_dir/ports" 2>/dev/null && break
    sleep 0.05
  done
  gateway_port=$(awk '$1 == "gateway" { print $2 }' "$game_dir/ports" 2>/dev/null)
  [ -n "$gateway_port" ] || { echo "testserver did not listen"; cat "$game_dir/server.out"; exit 1; }
}

# write_server_cfg ID LINE NAME: the web site's server list with one entry on the gateway (CRLF
# lines), which update fetches as server.cfg, and its version file with nothing to fetch.
write_server_cfg() {
  if [ -z "$web_pid" ]; then
    start_web_site "$game_dir/site" "$game_dir/web" || exit 1
    site_registry "$game_dir"
  fi
  mkdir -p "$game_dir/site/autoupd"
  printf 'id1=%s\r\nline1=%s\r\nloginIP1=127.0.0.1\r\nver1=1.0.1\r\nname1=%s\r\nloginPort1=%s\r\nupdateAddr1=%s\r\n' \
    "$1" "$2" "$3" "$gateway_port" "http://127.0.0.1:$web_port/autoupd/version.txt" > "$game_dir/site/autoupd/server.txt"
  printf '[version+]\r\n' > "$game_dir/site/autoupd/version.txt"
}

# wait_client PID SECONDS: waits for the client that update started; stops it when it overstays.
wait_client() {
  local pid=$1
  [ -n "$pid" ] || return 0
  for _ in $(seq $(($2 * 20))); do
    alive "$pid" || { client_pid=; return 0; }
    sleep 0.05
  done
  echo "the client $pid still ran after $2 s"
  is_program "$pid" "$game_dir/main" && kill "$pid" 2>/dev/null
  client_pid=
  return 1
}

# wait_gateway SECONDS: testserver's exit code must be 0 (every expect met).
wait_gateway() {
  local code
  for _ in $(seq $(($1 * 20))); do
    if ! kill -0 "$server_pid" 2>/dev/null; then
      wait "$server_pid"
      code=$?
      server_pid=
      [ "$code" -eq 0 ] && return 0
      echo "testserver ended with $code"
      return 1
    fi
    sleep 0.05
  done
  echo "testserver still ran after $1 s"
  return 1
}
