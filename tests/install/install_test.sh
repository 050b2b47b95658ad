#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Installs the build into a temporary DESTDIR and runs the installed programs
# the way a user runs an installed copy: through the commands in PREFIX/bin,
# from a program folder they cannot write. Their files must then come from a temporary $XDG_CONFIG_HOME/hidmouse
# (seeded with the factory config.bin and str.ini, never replaced later), and
# nothing may be written beside the programs.
#   install_test.sh BUILD_DIR
# Exit 77 (skipped) when run as root without a way to become another user.
set -euo pipefail
build=${1:?build folder}
prefix=/usr/local
version=$(sed -n 's/^CMAKE_PROJECT_VERSION:STATIC=//p' "$build/CMakeCache.txt")

tmp=$(mktemp -d)
cleanup() {
  chmod -R u+w "$tmp" 2>/dev/null || true
  rm -rf "$tmp"
}
trap cleanup EXIT
chmod 755 "$tmp"

fail() {
  echo "install test: $*" >&2
  exit 1
}

# A program folder no one but root may write; root itself writes anywhere, so
# as root the programs run as nobody.
run_as=()
if [ "$(id -u)" -eq 0 ]; then
  command -v setpriv >/dev/null && id nobody >/dev/null 2>&1 || {
    echo "install test: root without setpriv or the user nobody: skipped"
    exit 77
  }
  run_as=(setpriv --reuid=nobody --regid="$(id -g nobody)" --clear-groups)
fi

DESTDIR="$tmp/root" cmake --install "$build" --prefix "$prefix" >"$tmp/install.log" ||
  { cat "$tmp/install.log" >&2; fail "cmake --install failed"; }
program="$tmp/root$prefix/lib/hidmouse"
for f in hidmouse hidmousectl config.bin str.ini Skins/Default/main.png; do
  [ -e "$program/$f" ] || fail "$prefix/lib/hidmouse/$f was not installed"
done
for f in share/hidmouse/config.bin share/hidmouse/Skins/Default/main.png share/doc/hidmouse/copyright \
    share/man/man1/hidmousectl.1.gz; do
  [ -e "$tmp/root$prefix/$f" ] || fail "$prefix/$f was not installed"
done
# The desktop's files start the commands on the PATH, which lead into the
# program folder whatever the prefix.
desktop=$(find "$tmp/root" -path '*/share/applications/*.desktop')
[ -n "$desktop" ] || fail "no desktop file installed"
grep -qx "Exec=hidmouse --show" "$desktop" || fail "the desktop file does not start hidmouse"
autostart=$(find "$tmp/root" -path '*/xdg/autostart/*.desktop')
grep -qx "Exec=hidmouse" "$autostart" || fail "the login entry does not start hidmouse hidden"
commands="$tmp/root$prefix/bin"
for p in hidmouse hidmousectl; do
  [ "$(readlink "$commands/$p")" = "../lib/hidmouse/$p" ] || fail "the $p command does not lead into the program folder"
done
# How to stop the login start (a Hidden=true copy in ~/.config/autostart)
# names the entry installed, in the manual page and the README.
override="autostart/$(basename "$autostart")"
manpage=$(find "$tmp/root" -name 'hidmouse.1*')
for text in "$(zcat -f "$manpage")" "$(cat "$(dirname "$0")/../../README.md")"; do
  grep -qF "$override" <<<"$text" && grep -qF "Hidden=true" <<<"$text" ||
    fail "the manual page and the README do not say how to stop the login start ($override, Hidden=true)"
done
chmod -R a-w "$tmp/root"

home="$tmp/home"
mkdir -p "$home" "$tmp/runtime"
chmod 700 "$tmp/runtime"
if [ ${#run_as[@]} -gt 0 ]; then chown nobody "$home" "$tmp/runtime"; fi
config="$home/config/hidmouse"
listing() { (cd "$tmp/root" && find . -printf '%p %s %T@ %m\n' | sort); }
listing >"$tmp/before"

# The user's own environment, and nothing of the test runner's.
run() {
  env -i PATH=/usr/bin:/bin HOME="$home" XDG_CONFIG_HOME="$home/config" XDG_RUNTIME_DIR="$tmp/runtime" \
    LANG=C.UTF-8 QT_QPA_PLATFORM=offscreen GSETTINGS_BACKEND=memory "${run_as[@]}" "$@"
}

for p in hidmouse hidmousectl; do
  [ "$(run "$commands/$p" --version 2>/dev/null)" = "$p $version" ] || fail "$p --version does not say $version"
done
run "$commands/hidmousectl" --simulate show >"$tmp/show.out" 2>"$tmp/show.err" ||
  { cat "$tmp/show.err" >&2; fail "the installed hidmousectl --simulate show failed"; }
grep -q "Button 1: Left Click" "$tmp/show.out" || fail "show printed no factory configuration"
cmp -s "$config/config.bin" "$program/config.bin" || fail "config.bin was not seeded into $config"
cmp -s "$config/str.ini" "$program/str.ini" || fail "str.ini was not seeded into $config"

run "$commands/hidmouse" --simulate --screenshot "$home/basic.png" 2>"$tmp/gui.err" ||
  { cat "$tmp/gui.err" >&2; fail "the installed hidmouse --simulate --screenshot failed"; }
[ "$(head -c 8 "$home/basic.png" | od -An -tx1 | tr -d ' \n')" = 89504e470d0a1a0a ] ||
  fail "the screenshot is not a PNG"
# A screenshot run writes nothing, not even to the user's folder ...
cmp -s "$config/str.ini" "$program/str.ini" || fail "the screenshot run changed $config/str.ini"
# ... while an Apply saves into it: the first-run names of the buttons.
run "$commands/hidmousectl" --simulate apply >/dev/null 2>"$tmp/apply.err" ||
  { cat "$tmp/apply.err" >&2; fail "the installed hidmousectl --simulate apply failed"; }
grep -q '^Item1=Left Click' "$config/str.ini" || fail "apply did not save the button texts in $config/str.ini"
cp "$config/str.ini" "$tmp/str.ini.saved"
# ... which a later start keeps: the factory copy is seeded only where none is.
run "$commands/hidmousectl" --simulate show >/dev/null 2>&1 || fail "a second show failed"
cmp -s "$config/str.ini" "$tmp/str.ini.saved" || fail "a later start replaced the user's str.ini"

# --data-dir wins and is taken as it is: nothing is seeded into it.
mkdir "$home/other"
if [ ${#run_as[@]} -gt 0 ]; then chown nobody "$home/other"; fi
status=0
run "$commands/hidmousectl" --data-dir "$home/other" show >/dev/null 2>&1 || status=$?
[ "$status" -eq 3 ] || fail "show with an empty --data-dir exited $status, not 3 (file error)"
[ -z "$(ls -A "$home/other")" ] || fail "files were seeded into the --data-dir folder"

# Root may write the program folder, but it is an installed copy all the
# same: root's files go to its own folder, the factory files stay as shipped.
if [ ${#run_as[@]} -gt 0 ]; then
  env -i PATH=/usr/bin:/bin HOME="$tmp/roothome" XDG_CONFIG_HOME="$tmp/rootconfig" \
    "$commands/hidmousectl" --simulate show >/dev/null 2>"$tmp/root.err" ||
    { cat "$tmp/root.err" >&2; fail "hidmousectl run by root failed"; }
  cmp -s "$tmp/rootconfig/hidmouse/config.bin" "$program/config.bin" ||
    fail "root's run did not use its own \$XDG_CONFIG_HOME/hidmouse"
fi

listing >"$tmp/after"
diff -u "$tmp/before" "$tmp/after" >&2 || fail "something was written beside the installed programs"
echo "install test: passed"
