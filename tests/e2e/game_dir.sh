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
