# Shared by the end-to-end scripts: a temporary game folder, removed at exit unless
# VELDRA_KEEP_TMP=1.
game_dir=$(mktemp -d "${TMPDIR:-/tmp}/veldra-e2e.XXXXXX") || exit 1
game_dir=$(printf '%s' "$game_dir" | sed 's#//*#/#g')
cleanup() {
  if [ "${VELDRA_KEEP_TMP:-}" = 1 ]; then
    echo "kept $game_dir"
  else
    rm -rf "$game_dir"
  fi
}
trap cleanup EXIT
# The files the client opens at start-up, from the writers beside main.
if [ -n "${main:-}" ]; then
  bash "$(dirname "${BASH_SOURCE[0]}")/../../tools/startup/build_game_dir.sh" "$(dirname "$main")" "$game_dir" \
    || { echo "cannot build the start-up files into $game_dir"; exit 1; }
fi
