#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# The program as a Wayland client of Weston's headless compositor, at scale 1
# and 2, read from the client's own protocol log (WAYLAND_DEBUG):
# - it maps one toplevel whose buffer has the window's size times the scale
#   (buffer scale set to match), and paints it;
# - unplugging the mouse hides the window into the tray (a tray host written
#   for the tests runs on a private session bus): the toplevel goes away;
# - a second start shows it again: a new toplevel with a full-size buffer;
# - the desktop's "exit" action ends it with 0; no toolkit warning on the way.
#   wayland_test.sh BIN_DIR
# Exit 77 (skipped) when weston is missing.
set -euo pipefail
bin=$(cd "${1:?build output folder}" && pwd)
here=$(cd "$(dirname "$0")" && pwd)
py=/usr/bin/python3
if ! command -v weston >/dev/null; then
  echo "wayland test: skipped: needs weston (scripts/install-deps)"
  exit 77
fi
if [ -z "${HM_IN_PRIVATE_BUS:-}" ]; then
  HM_IN_PRIVATE_BUS=1 exec dbus-run-session -- "$0" "$@"
fi

tmp=$(mktemp -d)
name="wayland test"
source "$here/test_lib.sh"
show_log() { grep -v '^\[' "$1"; }
has() { grep -Eq -e "$2" "$1" 2>/dev/null; }
count() { grep -Ec -e "$2" "$1" 2>/dev/null || true; }

export XDG_RUNTIME_DIR=$tmp/run QT_QPA_PLATFORM=wayland
unset DISPLAY QT_SCALE_FACTOR QT_SCREEN_SCALE_FACTORS QT_AUTO_SCREEN_SCALE_FACTOR
mkdir -m 700 "$XDG_RUNTIME_DIR"
mkdir "$tmp/data"
cp "$bin/config.bin" "$bin/str.ini" "$tmp/data/"
hidmouse=("$bin/hidmouse" --simulate --data-dir "$tmp/data")
app_id=io.github.hidmouse.HidMouse

"$py" "$here/fake_desktop.py" tray "$tmp/tray.log" >/dev/null &
pids+=($!)
wait_for 10 test -f "$tmp/tray.log" || fail "the test tray host did not start"

for scale in 1 2; do
  export WAYLAND_DISPLAY=wayland-hm-$scale
  weston --backend=headless-backend.so --use-pixman --width=1920 --height=1080 --scale="$scale" \
    --socket="$WAYLAND_DISPLAY" --idle-time=0 >"$tmp/weston-$scale.log" 2>&1 &
  pids+=($!)
  wait_for 10 test -S "$XDG_RUNTIME_DIR/$WAYLAND_DISPLAY" || fail "weston --scale=$scale did not start"

  log=$tmp/client-$scale.log
  w=$((880 * scale)) h=$((660 * scale))
  # A few notifications first: the unplug comes once the window is up.
  WAYLAND_DEBUG=1 "${hidmouse[@]}" --show --verbose --sim-events 7:2,7:3,7:2,7:3,7:2,unplug \
    >/dev/null 2>"$log" &
  first=$!
  pids+=($first)
  wait_for 20 has "$log" "first paint" || fail "scale $scale: no first paint"
  has "$log" "get_toplevel" || fail "scale $scale: no toplevel"
  has "$log" "set_buffer_scale\($scale\)" || fail "scale $scale: buffer scale not $scale"
  has "$log" "create_buffer\(new id wl_buffer@[0-9]+, 0, $w, $h," || fail "scale $scale: no $w x $h buffer"
  wait_for 10 has "$log" "-> wl_surface@[0-9]+\.attach\(wl_buffer" || fail "scale $scale: nothing painted"

  wait_for 10 has "$log" "xdg_toplevel@[0-9]+\.destroy\(\)" || fail "scale $scale: unplugged, the window stayed"
  timeout 20 "${hidmouse[@]}" 2>"$tmp/second-$scale.log" || fail "scale $scale: the second start did not end with 0"
  wait_for 10 has "$log" "activation: window shown" || fail "scale $scale: the window was not shown again"
  wait_for 10 test "$(count "$log" "get_toplevel")" -ge 2 || fail "scale $scale: no toplevel after the second start"
  # The shown window paints its whole buffer again.
  shown() { awk '/get_toplevel/ { n++ } n >= 2' "$log" | grep -Eq -e "damage_buffer\(0, 0, $w, $h\)"; }
  wait_for 10 shown || fail "scale $scale: the shown window was not painted"

  gdbus call --session --dest "$app_id" --object-path /io/github/hidmouse/HidMouse \
    --method org.freedesktop.Application.ActivateAction exit '[]' '{}' >/dev/null
  wait "$first" || fail "scale $scale: the exit action did not end the program with 0"
  if grep -v '^\[' "$log" | grep -E "^(qt\.|QWidget|QPainter|Warning|QWaylandWindow)"; then
    fail "scale $scale: toolkit warnings"
  fi
done
echo "wayland test: passed"
