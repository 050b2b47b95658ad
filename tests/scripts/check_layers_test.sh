#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# scripts/check layers on a small tree of its own: clean as laid out, and
# failing on each planted include that runs back up (one per row).
set -euo pipefail
check=$(cd "$(dirname "$0")/../.." && pwd)/scripts/check
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

# One file per folder of each layer, including only itself.
lay_out() {
  rm -rf "$work/tree"
  mkdir -p "$work/tree/scripts"
  cp "$check" "$work/tree/scripts/check"
  local d
  for d in core/wire core/settings core/buttons core/macros core/device core/model core/config_text \
      gui/skin gui/dialogs gui/app platform cli; do
    mkdir -p "$work/tree/src/$d"
    printf '#pragma once\n' >"$work/tree/src/$d/a.h"
  done
  git -C "$work/tree" init -q
}

# row: file that gets the include | the include | expected: clean or fail
rows=(
  "src/core/config_text/a.h|core/wire/a.h|clean"
  "src/core/model/a.h|core/device/a.h|clean"
  "src/gui/app/a.h|gui/skin/a.h|clean"
  "src/core/settings/a.h|core/device/a.h|fail"
  "src/core/buttons/a.h|core/device/a.h|fail"
  "src/core/wire/a.h|core/settings/a.h|fail"
  "src/core/model/a.h|core/config_text/a.h|fail"
  "src/gui/dialogs/a.h|gui/app/a.h|fail"
  "src/gui/skin/a.h|gui/dialogs/a.h|fail"
  "src/core/device/a.h|platform/a.h|fail"
  "src/core/newfolder/a.h|core/wire/a.h|fail"
)
failed=0
for row in "${rows[@]}"; do
  IFS='|' read -r file include want <<<"$row"
  lay_out
  mkdir -p "$(dirname "$work/tree/$file")"
  printf '#include "%s"\n' "$include" >>"$work/tree/$file"
  git -C "$work/tree" add -A
  if (cd "$work/tree" && scripts/check layers >"$work/out" 2>&1); then got=clean; else got=fail; fi
  if [ "$got" != "$want" ]; then
    echo "FAILED: $file including $include: expected $want, got $got"
    cat "$work/out"
    failed=$((failed + 1))
  fi
done
echo "${#rows[@]} cases, $failed failed"
[ $failed -eq 0 ]
