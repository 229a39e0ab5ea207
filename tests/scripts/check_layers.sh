#!/usr/bin/env bash
# check_layers.sh <check_layers> : the layer check on scratch trees. An include that points up, or
# between the codecs, or from the updater into the game, fails with its file and line; includes
# that point down or across the game pass.
set -u
check=$1
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
fail=0

# tree <name> <file> <include line>...: a scratch tree of one file.
tree() {
  local dir="$work/$1" file=$2
  shift 2
  mkdir -p "$dir/$(dirname "$file")"
  printf '%s\n' "$@" > "$dir/$file"
  echo "$dir"
}

expect() {  # expect <ok|fail> <tree> [text the report must hold]
  local want=$1 dir=$2 text=${3:-}
  out=$(bash "$check" "$dir" 2>&1); rc=$?
  if [ "$want" = ok ] && [ $rc -ne 0 ]; then echo "FAIL: $dir should pass: $out"; fail=1; fi
  if [ "$want" = fail ] && [ $rc -eq 0 ]; then echo "FAIL: $dir should fail"; fail=1; fi
  if [ -n "$text" ] && ! grep -qF "$text" <<<"$out"; then echo "FAIL: $dir: no \"$text\" in: $out"; fail=1; fi
}

expect fail "$(tree up graphics/bmp/x.cpp '#include "graphics/bmp/x.h"' '#include "engine/system/system.h"')" \
  "graphics/bmp/x.cpp:2: graphics must not include engine/"
expect fail "$(tree core_up core/pak/p.cpp '#include "client/common/utils.h"')" "core/pak/p.cpp:1:"
expect fail "$(tree platform_up platform/common/f.cpp '  #  include "core/log/log.h"')" "platform/common/f.cpp:1:"
expect fail "$(tree codecs audio/w.cpp '#include "jpeg/jcodec.h"')" "audio/w.cpp:1: audio must not include jpeg/"
expect fail "$(tree updater updater/u.cpp '#include "client/game/game_run.h"')" "updater/u.cpp:1:"
expect fail "$(tree game_on_updater client/x.cpp '#include "updater/u.h"')" "client/x.cpp:1:"
expect ok "$(tree down engine/e.cpp '#include "graphics/x.h"' '#include "core/log/log.h"' '#include "plat/platform.h"')"
expect ok "$(tree across world/w.cpp '#include "client/net_msg/payload.h"' '#include "ui/x.h"')"
expect ok "$(tree programs programs/main/m.cpp '#include "client/startup/client_hooks.h"')"
expect ok "$(tree system_header graphics/g.cpp '#include <cstdint>' '#include "graphics/g.h"')"

[ $fail -eq 0 ] && echo "check_layers.sh: all cases held"
exit $fail
