#!/usr/bin/env bash
# With the recording switch of veldra.cfg (offset 36) on, the account input starts a recording
# when its screen ends:
# record/rd….rec appears with its 588-byte prefix and no entries (none arrive without a server).
set -u
main=$1
source "$(dirname "$0")/game_dir.sh"
source "$(dirname "$0")/headless_main.sh"

# Esc dismisses the account input's message (no server lines); its -1 ends the game.
printf '1500 KEYDOWN ESCAPE\n1560 KEYUP ESCAPE\n' > "$game_dir/esc.script"
run_main() {
  run_headless VELDRA_EVENT_SCRIPT="$game_dir/esc.script" timeout 60 "$main" "$@"
}
run_main || { echo "first run failed"; exit 1; }
[ -d "$game_dir/record" ] && { echo "recorded with the switch off"; exit 1; }
# Switch recording on in the saved settings.
printf '\001\000\000\000' | dd of="$game_dir/veldra.cfg" bs=1 seek=36 conv=notrunc status=none
run_main || { echo "recording run failed"; exit 1; }
files=("$game_dir"/record/rd*.rec)
[ "${#files[@]}" -eq 1 ] && [ -f "${files[0]}" ] || { echo "no single record file: ${files[*]}"; exit 1; }
size=$(stat -c %s "${files[0]}")
[ "$size" -eq 588 ] || { echo "record file has $size bytes, expected 588"; exit 1; }
[ "$(od -An -tu1 -j275 -N1 "${files[0]}" | tr -d ' ')" = 26 ] || { echo "no format byte 26"; exit 1; }
# The switch stays on in the settings the run saved.
[ "$(od -An -tu4 -j36 -N4 "$game_dir/veldra.cfg" | tr -d ' ')" = 1 ] || { echo "switch lost"; exit 1; }
echo "the recording switch made ${files[0]##*/} with its 588-byte prefix"
