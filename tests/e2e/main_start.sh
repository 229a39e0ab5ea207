#!/usr/bin/env bash
# main on the headless backend with no veldra.cfg: a scripted close at 500 ms ends it with 0,
# error.txt holds exactly the start-up lines, the account input's message (no server lines were
# handed over) and the
# shutdown lines (CRLF on disk) and the default veldra.cfg is written byte for byte.
set -u
main=$1
source "$(dirname "$0")/game_dir.sh"
source "$(dirname "$0")/headless_main.sh"
# The sample folder comes with its settings file; this road starts without one.
rm -f "$game_dir/veldra.cfg"

printf '# the player closes the window\n500 WM_CLOSE\n' > "$game_dir/close.script"
run_headless VELDRA_EVENT_SCRIPT="$game_dir/close.script" "$main"
code=$?
if [ "$code" -ne 0 ]; then
  echo "main ended with $code, expected 0"
  exit 1
fi

expected="$game_dir/expected.txt"
{
  printf 'SYSTEM module initialize starting...\r\n'
  printf '           Vender : HeadlessTest\r\n'
  printf '            Speed : Approx. 1000 MHz(MMX)\r\n'
  printf '           Memory : 1024 M\r\n'
  printf ' Operation System : WinNT\r\n'
  printf '           Locale : Traditional\r\n'
  printf '     Working Path : %s\r\n' "$game_dir"
  printf 'SYSTEM module initialized OKay.\r\n'
  printf '\r\n'
  printf 'DRAW module initialize starting...\r\n'
  printf '    Update Screen : DirectDraw\r\n'
  printf ' VGA Pixel R mask : 0x0000f800\r\n'
  printf ' VGA Pixel G mask : 0x000007e0\r\n'
  printf ' VGA Pixel B mask : 0x0000001f\r\n'
  printf ' VGA Pixel Format : 565\r\n'
  printf 'DRAW module initialized OKay.\r\n'
  printf '\r\n'
  printf 'TIMER module initialize starting...\r\n'
  printf '       Period Max : 1000000\r\n'
  printf '       Period Min : 1\r\n'
  printf '     Begin Period : 1\r\n'
  printf 'Timer Event Delay : 10 ms\r\n'
  printf 'TIMER module initialized OKay.\r\n'
  printf '\r\n'
  printf 'INPUT module initialize starting...\r\n'
  printf 'INPUT module initialized OKay.\r\n'
  printf '\r\n'
  printf 'SOUND module initialize starting...\r\n'
  printf '       Sound Play : DirectSound\r\n'
  printf '      Wave format : PCM Wave\r\n'
  printf '         Channels : 2\r\n'
  printf '  Samples per sec : 22050\r\n'
  printf '  Bits per sample : 16\r\n'
  printf 'SOUND module initialized OKay.\r\n'
  printf '\r\n'
  printf 'Game Start OK\r\n'
  printf 'Unable to connect to the designated server, please run update.exe\r\n'
  printf 'Game Exit OK\r\n'
  printf 'SOUND module free OKay.\r\n'
  printf 'INPUT module free OKay.\r\n'
  printf 'TIMER module free OKay.\r\n'
  printf 'DRAW module free OKay.\r\n'
  printf 'SYSTEM module free OKay.\r\n'
} > "$expected"
if ! cmp -s "$expected" "$game_dir/error.txt"; then
  echo "error.txt differs from the expected lines:"
  diff <(tr -d '\r' < "$expected") <(tr -d '\r' < "$game_dir/error.txt" 2>&1) | head -40
  exit 1
fi

# The default settings: the magic, 0x1A at 19, the option words from 20 to 100, zeros after.
cfg="$game_dir/expected.cfg"
{
  printf 'PARVENT SYSTEM\0\0\0\0\0\032'
  for w in 0 1 1 100 0 0 1 1 1 1 1 0 1 1 -1 1 1 1 1 1 1; do
    v=$(( w & 0xFFFFFFFF ))
    printf "$(printf '\\%03o\\%03o\\%03o\\%03o' $(( v & 255 )) $(( (v >> 8) & 255 )) $(( (v >> 16) & 255 )) $(( (v >> 24) & 255 )))"
  done
  head -c 76 /dev/zero
} > "$cfg"
if ! cmp -s "$cfg" "$game_dir/veldra.cfg"; then
  echo "veldra.cfg differs from the defaults:"
  diff <(od -An -tx1 "$cfg") <(od -An -tx1 "$game_dir/veldra.cfg" 2>&1) | head -20
  exit 1
fi
[ -d "$game_dir/screenshots" ] || { echo "no screenshots folder"; exit 1; }
echo "main exited 0 with the expected error.txt and veldra.cfg"
