#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# The manual pages name exactly the options of the programs' --help, and
# hidmousectl's page has a section for each of its commands.
#   man_pages_test.sh BIN_DIR MAN_DIR
set -euo pipefail
bin=${1:?folder of the programs}
man=${2:?folder of the pages}
status=0

# The long options a text names: --help's own lines, or roff with \- for -.
options() { sed 's/\\-/-/g' | grep -oE -- '--[a-z][a-z-]*' | sort -u; }
# The commands under "Subcommands:" of a CLI11 --help.
subcommands() { sed -n '/^Subcommands:/,/^$/s/^  \([a-z]\+\) .*/\1/p'; }

compare() {  # NAME HELP-OPTIONS PAGE
  local missing extra
  missing=$(comm -23 <(options <<<"$2") <(options <"$3"))
  extra=$(comm -13 <(options <<<"$2") <(options <"$3"))
  [ -z "$missing" ] || { echo "$1(1) lacks $(echo $missing)"; status=1; }
  [ -z "$extra" ] || { echo "$1(1) names options the program does not have: $(echo $extra)"; status=1; }
}

# Without a display: the help needs none.
runtime=$(mktemp -d)
trap 'rm -rf "$runtime"' EXIT
gui_help=$(env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM XDG_RUNTIME_DIR="$runtime" "$bin/hidmouse" --help)
compare hidmouse "$gui_help" "$man/hidmouse.1"

# hidmousectl: the options of the program and of every command, found by
# walking the commands' --help.
ctl_help=""
headings=$(sed -n 's/^\.SS //p' "$man/hidmousectl.1" | sed -e 's/\\f[BIRP]//g' -e 's/"//g')
walk() {  # COMMAND-WORDS...
  local help cmd
  help=$("$bin/hidmousectl" "$@" --help)
  ctl_help+=$help$'\n'
  if [ $# -gt 0 ] && ! subcommands <<<"$help" | grep -q .; then
    grep -qE "(^|, )$*( |,|$)" <<<"$headings" || { echo "hidmousectl(1) has no section for '$*'"; status=1; }
  fi
  for cmd in $(subcommands <<<"$help"); do walk "$@" "$cmd"; done
}
walk
compare hidmousectl "$ctl_help" "$man/hidmousectl.1"
[ $status -eq 0 ] && echo "man pages test: passed"
exit $status
