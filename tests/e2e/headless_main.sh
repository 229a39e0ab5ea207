# Shared by the end-to-end scripts that run main on the headless backend (source game_dir.sh
# first: everything here works in $game_dir).

# Runs the command after any VAR=value words with the headless backend over the game folder and
# without the caller's settings that would change the run.
run_headless() {
  env -u VELDRA_REGISTRY -u VELDRA_FRAME_LIMIT -u VELDRA_PIXEL_FORMAT -u VELDRA_STARTUP_X -u VELDRA_STARTUP_Y \
    LANG=C VELDRA_PLATFORM=headless VELDRA_GAME_DIR="$game_dir" "$@"
}

# The placeholder lines of the walk from the account input through Enter, Backspace, Enter and
# Enter: server select and back, then server select again, whose Enter opens the character
# screens (real ones, on the sample folder's art).
placeholder_walk_lines() {
  cat <<'LINES'
placeholder task TASK_ACCOUNT_INPUT
placeholder task TASK_SERVER_SELECT
placeholder task TASK_ACCOUNT_INPUT
placeholder task TASK_SERVER_SELECT
LINES
}

# same_lines EXPECTED ACTUAL HEADING: fails, printing the heading and the difference, unless the
# two files are the same.
same_lines() {
  cmp -s "$1" "$2" && return 0
  echo "$3"
  diff "$1" "$2"
  return 1
}
