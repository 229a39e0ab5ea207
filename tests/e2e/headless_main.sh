# Shared by the end-to-end scripts that run main on the headless backend (source game_dir.sh
# first: everything here works in $game_dir).

# Replaces the shell with the command after any VAR=value words, run with the headless backend
# over the game folder and without the caller's settings that would change the run. In the
# background, `( exec_headless ... ) &` makes $! the command's own process id.
exec_headless() {
  exec env -u VELDRA_REGISTRY -u VELDRA_FRAME_LIMIT -u VELDRA_PIXEL_FORMAT -u VELDRA_STARTUP_X \
    -u VELDRA_STARTUP_Y -u VELDRA_TEST_DUMP_FRAMES \
    LANG=C VELDRA_PLATFORM=headless VELDRA_GAME_DIR="$game_dir" "$@"
}

# The same in the foreground.
run_headless() {
  ( exec_headless "$@" )
}

# alive PID: the process exists and is not a zombie.
alive() {
  local state
  state=$(sed 's/.*) //' "/proc/$1/stat" 2>/dev/null | cut -d' ' -f1)
  [ -n "$state" ] && [ "$state" != Z ]
}

# is_program PID PATH: the process runs the program at PATH (process ids can be reused).
is_program() {
  [ "$(readlink "/proc/$1/exe" 2>/dev/null)" = "$(readlink -f "$2")" ]
}

# The debugger's "task enter" lines of a run's stderr, in order.
task_enter_lines() {
  grep '^task enter ' "$1"
}

# same_lines EXPECTED ACTUAL HEADING: fails, printing the heading and the difference, unless the
# two files are the same.
same_lines() {
  cmp -s "$1" "$2" && return 0
  echo "$3"
  diff "$1" "$2"
  return 1
}

# in_order FILE NAME GREP-OPTION WANT: the items of WANT, split at IFS ('|' where the caller sets
# it), are in FILE in that order; a missing one goes to the caller's report function.
in_order() {
  local at=0 n want
  for want in $4; do
    n=$(tail -n +$((at + 1)) "$1" | grep -n"$3" -m1 -- "$want" | cut -d: -f1)
    if [ -z "$n" ]; then
      report "$2 lacks \"$want\" after line $at"
      return
    fi
    at=$((at + n))
  done
}
