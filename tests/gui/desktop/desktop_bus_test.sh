#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# The program on a private session bus with the desktop's services written
# for the tests (fake_desktop.py):
# - every mouse event is one notification of the desktop entry (a burst
#   updates one bubble);
# - a second start hands over to the running copy, which shows its window,
#   and ends with 0; the desktop's "exit" action ends the program; without a
#   session bus the socket beside the lock does the same;
# - on KDE Plasma the pointer settings land in KWin's pointer devices and in
#   kdeglobals, announced to Plasma's programs;
# - on X11 (xvfb-run), a tray host that starts after the program gets the icon.
#   desktop_bus_test.sh BIN_DIR
# Exit 77 (skipped) when dbus-run-session or python3's dbus module is missing.
set -euo pipefail
bin=$(cd "${1:?build output folder}" && pwd)
here=$(cd "$(dirname "$0")" && pwd)
py=/usr/bin/python3
if ! command -v dbus-run-session >/dev/null || ! "$py" -c 'import dbus, gi' 2>/dev/null; then
  echo "desktop bus test: skipped: needs dbus-run-session and python3-dbus (scripts/install-deps)"
  exit 77
fi
if [ -z "${HM_IN_PRIVATE_BUS:-}" ]; then
  HM_IN_PRIVATE_BUS=1 exec dbus-run-session -- "$0" "$@"
fi

tmp=$(mktemp -d)
name="desktop bus test"
source "$here/test_lib.sh"
lines() { [ -f "$1" ] && [ "$(wc -l <"$1")" -ge "$2" ]; }
has() { grep -q "$2" "$1" 2>/dev/null; }

export XDG_RUNTIME_DIR=$tmp/run QT_QPA_PLATFORM=offscreen
mkdir -m 700 "$XDG_RUNTIME_DIR"
mkdir "$tmp/data"
cp "$bin/config.bin" "$bin/str.ini" "$tmp/data/"
hidmouse=("$bin/hidmouse" --simulate --data-dir "$tmp/data")
app_id=io.github.hidmouse.HidMouse

"$py" "$here/fake_desktop.py" notifications "$tmp/notify.log" >/dev/null &
pids+=($!)
wait_for 10 test -f "$tmp/notify.log" || fail "the test notification server did not start"

# Three events: two DPI switches and a key matrix switch.
"${hidmouse[@]}" --verbose --sim-events 7:2,7:3,8:1 >/dev/null 2>"$tmp/first.log" &
first=$!
pids+=($first)
wait_for 20 lines "$tmp/notify.log" 3 || fail "not one notification per mouse event"
"$py" - "$tmp/notify.log" "$app_id" <<'PY' || fail "notifications not as the desktop entry sends them"
import json, sys
calls = [json.loads(l) for l in open(sys.argv[1])]
app_id = sys.argv[2]
assert len(calls) == 3, calls
for c in calls:
    assert c["app_name"] == "Gaming Mouse Setting", c
    assert c["hints"]["desktop-entry"] == app_id, c
    assert c["hints"]["urgency"] == 1, c
    assert c["app_icon"] == app_id, c
    assert c["expire_timeout"] == 5000, c
assert calls[0]["body"].startswith("Switch DPI into the second stage"), calls[0]
assert calls[2]["body"] == "Switch to key matrix 1", calls[2]
# One bubble, updated.
assert calls[0]["replaces_id"] == 0 and calls[1]["replaces_id"] == calls[2]["replaces_id"] == calls[0]["id"], calls
PY

# The second start: handed over, exit 0, the first shows its window.
timeout 20 "${hidmouse[@]}" || fail "the second start did not end with 0"
wait_for 10 has "$tmp/first.log" "activation: window shown" || fail "the running copy did not show its window"
gdbus introspect --session --dest "$app_id" --object-path /io/github/hidmouse/HidMouse |
  grep -q "interface org.freedesktop.Application" || fail "no org.freedesktop.Application at the object path"
# The desktop's "exit" action ends the running copy with 0.
gdbus call --session --dest "$app_id" --object-path /io/github/hidmouse/HidMouse \
  --method org.freedesktop.Application.ActivateAction exit '[]' '{}' >/dev/null
wait "$first" || fail "the exit action did not end the program with 0"

# Without a session bus: the socket beside the lock.
no_bus=(env DBUS_SESSION_BUS_ADDRESS=unix:path=$tmp/no-bus)
"${no_bus[@]}" "${hidmouse[@]}" --verbose >/dev/null 2>"$tmp/nobus.log" &
nobus=$!
pids+=($nobus)
wait_for 20 test -S "$XDG_RUNTIME_DIR/hidmouse-activate" || fail "the program without a bus did not start"
timeout 20 "${no_bus[@]}" "${hidmouse[@]}" || fail "the second start without a bus did not end with 0"
wait_for 10 has "$tmp/nobus.log" "activation: window shown" || fail "without a bus the window was not shown"
kill "$nobus"
wait "$nobus" 2>/dev/null || true

# KDE Plasma: hidmousectl apply hands the pointer settings to KWin (the
# pointer device only) and to kdeglobals, and says where each went.
"$py" "$here/fake_desktop.py" kwin "$tmp/kwin.log" >/dev/null &
pids+=($!)
wait_for 10 test -f "$tmp/kwin.log" || fail "the test KWin did not start"
mkdir "$tmp/config"
XDG_CURRENT_DESKTOP=KDE XDG_CONFIG_HOME=$tmp/config \
  "$bin/hidmousectl" --simulate --data-dir "$tmp/data" --verbose apply 2>"$tmp/ctl.log" >/dev/null ||
  fail "hidmousectl apply failed on KDE"
grep -q "pointer settings: pointer speed: KWin input devices pointerAcceleration" "$tmp/ctl.log" ||
  fail "--verbose does not name KWin for the pointer speed"
wait_for 5 lines "$tmp/kwin.log" 5 || fail "KWin and kdeglobals did not get the settings"
"$py" - "$tmp/kwin.log" "$tmp/data/config.bin" "$tmp/config/kdeglobals" <<'PY' || fail "not what the record says"
import json, sys
log = [json.loads(l) for l in open(sys.argv[1])]
rec = open(sys.argv[2], "rb").read()[1:]
precision, one_screen, speed_step, lines, dbl_step = rec[1955:1960]
speed = 1 if speed_step == 1 else 2 * speed_step - 2
sets = {e["name"]: e["value"] for e in log if "name" in e}
assert all(e["path"].endswith("/event5") for e in log if "name" in e), log
assert abs(sets["pointerAcceleration"] - (speed - 10) / 10) < 1e-9, (sets, speed)
assert sets["pointerAccelerationProfileAdaptive"] == bool(precision), sets
assert sets["pointerAccelerationProfileFlat"] == (not precision), sets
changed = [k for e in log if e.get("signal") for k in e["groups"]["KDE"]]
assert "DoubleClickInterval" in changed, log
globals_ = open(sys.argv[3]).read()
assert "DoubleClickInterval=%d" % (900 - (dbl_step - 1) * 70) in globals_, globals_
if not one_screen:
    assert "WheelScrollLines=%d" % lines in globals_ and "WheelScrollLines" in changed, globals_
PY

# A tray host that starts after the program: the icon goes to it, and the
# window then lives in the tray.
if command -v xvfb-run >/dev/null; then
  rm -f "$XDG_RUNTIME_DIR/hidmouse-activate"
  setsid xvfb-run -a -s "-screen 0 1280x900x24" env QT_QPA_PLATFORM=xcb \
    "${hidmouse[@]}" --verbose >/dev/null 2>"$tmp/late.log" &
  pids+=($!)
  wait_for 20 test -S "$XDG_RUNTIME_DIR/hidmouse-activate" || fail "the program did not start under Xvfb"
  "$py" "$here/fake_desktop.py" tray "$tmp/tray.log" >/dev/null &
  pids+=($!)
  wait_for 15 lines "$tmp/tray.log" 1 || fail "the late tray host got no icon"
  wait_for 5 has "$tmp/late.log" "a tray appeared" || fail "the window did not move into the late tray"
else
  echo "desktop bus test: the late tray host is not tried: no xvfb-run"
fi
echo "desktop bus test: passed"
