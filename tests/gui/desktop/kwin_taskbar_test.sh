#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# The window's taskbar entry under KWin's Wayland session (KWin headless, on
# a private session bus, window facts from a KWin script):
# - without a tray the window keeps its entry (nothing else could bring it
#   back);
# - once a tray host appears (written for the tests) the window lives in the
#   tray and has none, also after it is hidden and shown again.
#   kwin_taskbar_test.sh BIN_DIR
# Exit 77 (skipped) without kwin_wayland, Qt's Wayland plug-in or python3's dbus.
set -euo pipefail
bin=$(cd "${1:?build output folder}" && pwd)
here=$(cd "$(dirname "$0")" && pwd)
py=/usr/bin/python3
kwin=$(command -v kwin_wayland || true)
if [ -z "$kwin" ] || ! command -v dbus-run-session >/dev/null || ! "$py" -c 'import dbus, gi' 2>/dev/null ||
  [ -z "$(find /usr/lib -path '*qt6/plugins/platforms/libqwayland-generic.so' -print -quit)" ]; then
  echo "kwin taskbar test: skipped: needs kwin-wayland, qt6-wayland and python3-dbus (scripts/install-deps)"
  exit 77
fi
if [ -z "${HM_IN_PRIVATE_BUS:-}" ]; then
  HM_IN_PRIVATE_BUS=1 exec dbus-run-session -- "$0" "$@"
fi

tmp=$(mktemp -d)
name="kwin taskbar test"
source "$here/test_lib.sh"
show_log() { tail -n 40 "$1"; }

export XDG_RUNTIME_DIR=$tmp/run
mkdir -m 700 "$XDG_RUNTIME_DIR" "$tmp/data"
cp "$bin/config.bin" "$bin/str.ini" "$tmp/data/"
# The installed binary carries a file capability that a container may not
# grant; a copy runs anywhere.
cp "$kwin" "$tmp/kwin_wayland"
KWIN_COMPOSE=Q QT_LOGGING_RULES="kwin_scripting.debug=true" "$tmp/kwin_wayland" --virtual --no-lockscreen \
  --socket wayland-hm --width 1280 --height 900 >"$tmp/kwin.log" 2>&1 &
pids+=($!)
wait_for 20 test -S "$XDG_RUNTIME_DIR/wayland-hm" || fail "KWin did not start"
wait_for 20 gdbus introspect --session --dest org.kde.KWin --object-path /Scripting >/dev/null 2>&1 ||
  fail "KWin's scripting does not answer"

# skipTaskbar of the program's window, as KWin sees it ("none": no window).
skip_taskbar() {
  # Called in a subshell: the script's number is counted in a file.
  local n=$(($(cat "$tmp/scripts" 2>/dev/null || echo 0) + 1))
  echo "$n" >"$tmp/scripts"
  local marker="hm-$n"
  cat >"$tmp/$marker.js" <<EOF
var w = workspace.clientList().filter(function (c) { return c.resourceClass == "io.github.hidmouse.HidMouse"; });
print("$marker " + (w.length ? w[0].skipTaskbar : "none"));
EOF
  gdbus call --session --dest org.kde.KWin --object-path /Scripting \
    --method org.kde.kwin.Scripting.loadScript "$tmp/$marker.js" "$marker" >/dev/null
  gdbus call --session --dest org.kde.KWin --object-path /Scripting --method org.kde.kwin.Scripting.start >/dev/null
  wait_for 5 grep -q "$marker " "$tmp/kwin.log" || fail "the KWin script did not run"
  gdbus call --session --dest org.kde.KWin --object-path /Scripting \
    --method org.kde.kwin.Scripting.unloadScript "$marker" >/dev/null
  sed -n "s/.*$marker //p" "$tmp/kwin.log" | tail -n 1
}
expect() {
  local got
  for _ in $(seq 30); do
    got=$(skip_taskbar)
    [ "$got" = "$1" ] && return 0
    sleep 0.2
  done
  fail "$2: skipTaskbar is $got, not $1"
}
app=(env WAYLAND_DISPLAY=wayland-hm QT_QPA_PLATFORM=wayland "$bin/hidmouse" --simulate --data-dir "$tmp/data")
close_window() {
  cat >"$tmp/close.js" <<EOF
workspace.clientList().forEach(function (c) { if (c.resourceClass == "io.github.hidmouse.HidMouse") c.closeWindow(); });
EOF
  gdbus call --session --dest org.kde.KWin --object-path /Scripting \
    --method org.kde.kwin.Scripting.loadScript "$tmp/close.js" hm-close >/dev/null
  gdbus call --session --dest org.kde.KWin --object-path /Scripting --method org.kde.kwin.Scripting.start >/dev/null
  gdbus call --session --dest org.kde.KWin --object-path /Scripting \
    --method org.kde.kwin.Scripting.unloadScript hm-close >/dev/null
}

"${app[@]}" --verbose >"$tmp/app.log" 2>&1 &
pids+=($!)
expect false "without a tray the window keeps its taskbar entry"
"$py" "$here/fake_desktop.py" tray "$tmp/tray.log" >/dev/null &
pids+=($!)
wait_for 15 grep -q "a tray appeared" "$tmp/app.log" || fail "the program did not take the late tray"
expect true "living in the tray the window has no taskbar entry"
# Closed (it hides) and shown again by a second start: a new surface, which
# gets the hint again.
close_window
expect none "closing hides the window"
timeout 20 "${app[@]}" || fail "the second start did not reach the running copy"
expect true "shown again from the tray the window has no taskbar entry"
echo "kwin taskbar test: passed"
