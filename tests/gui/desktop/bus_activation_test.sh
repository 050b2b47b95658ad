#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# The menu entry is DBusActivatable: the desktop calls Activate on the
# program's bus name, and the session bus starts the program from its service
# file when no copy runs. On a private bus whose services folder holds the
# built service file (its Exec= pointed at the build's program), under Xvfb
# with a tray host written for the tests:
# - a start by name alone (no window asked for) is the program's own start:
#   the icon in the tray, the window hidden; Activate then shows it;
# - Activate with no copy running starts one, which shows its window;
# - the "exit" action ends the copy with 0.
#   bus_activation_test.sh BIN_DIR SERVICE_FILE
# Exit 77 (skipped) when dbus-daemon, xvfb-run or python3's dbus is missing.
set -euo pipefail
bin=$(cd "${1:?build output folder}" && pwd)
service=$(realpath "${2:?the built service file}")
here=$(cd "$(dirname "$0")" && pwd)
py=/usr/bin/python3
if ! command -v dbus-run-session >/dev/null || ! command -v xvfb-run >/dev/null ||
  ! "$py" -c 'import dbus, gi' 2>/dev/null; then
  echo "bus activation test: skipped: needs dbus-run-session, xvfb-run and python3-dbus (scripts/install-deps)"
  exit 77
fi
app_id=$(basename "$service" .service)
object=/$(tr . / <<<"$app_id")

if [ -z "${HM_IN_PRIVATE_BUS:-}" ]; then
  tmp=$(mktemp -d)
  trap 'rm -rf "$tmp"' EXIT
  mkdir "$tmp/services" "$tmp/data"
  cp "$bin/config.bin" "$bin/str.ini" "$tmp/data/"
  # The program as the bus starts it, with the simulated mouse and its log.
  cat >"$tmp/hidmouse-bus" <<EOF
#!/bin/sh
exec "$bin/hidmouse" --simulate --data-dir "$tmp/data" --verbose 2>>"$tmp/app.log"
EOF
  chmod +x "$tmp/hidmouse-bus"
  grep -qx "Name=$app_id" "$service" || { echo "bus activation test: $service does not name $app_id" >&2; exit 1; }
  grep -q "^Exec=/" "$service" || { echo "bus activation test: $service has no absolute Exec=" >&2; exit 1; }
  sed "s|^Exec=.*|Exec=$tmp/hidmouse-bus|" "$service" >"$tmp/services/$app_id.service"
  cat >"$tmp/bus.conf" <<EOF
<!DOCTYPE busconfig PUBLIC "-//freedesktop//DTD D-BUS Bus Configuration 1.0//EN"
 "http://www.freedesktop.org/standards/dbus/1.0/busconfig.dtd">
<busconfig>
  <type>session</type>
  <listen>unix:tmpdir=$tmp</listen>
  <servicedir>$tmp/services</servicedir>
  <policy context="default"><allow send_destination="*" eavesdrop="true"/><allow eavesdrop="true"/><allow own="*"/></policy>
</busconfig>
EOF
  HM_IN_PRIVATE_BUS=$tmp xvfb-run -a -s "-screen 0 1280x900x24" \
    dbus-run-session --config-file="$tmp/bus.conf" -- "$0" "$@"
  exit
fi

tmp=$HM_IN_PRIVATE_BUS
export XDG_RUNTIME_DIR=$tmp/run QT_QPA_PLATFORM=xcb
mkdir -m 700 "$XDG_RUNTIME_DIR"
name="bus activation test"
keep_tmp=1
source "$here/test_lib.sh"
owned() { gdbus call --session --dest org.freedesktop.DBus --object-path /org/freedesktop/DBus \
  --method org.freedesktop.DBus.NameHasOwner "$app_id" | grep -q true; }
count() { grep -c "$1" "$tmp/app.log" 2>/dev/null || true; }
call() { timeout 30 gdbus call --session --dest "$app_id" --object-path "$object" --method "$@" >/dev/null; }
exit_copy() {
  call org.freedesktop.Application.ActivateAction exit '[]' '{}' || fail "the exit action was not answered"
  wait_for 10 bash -c "! gdbus call --session --dest org.freedesktop.DBus --object-path /org/freedesktop/DBus \
    --method org.freedesktop.DBus.NameHasOwner $app_id | grep -q true" || fail "the exit action did not end the copy"
}

"$py" "$here/fake_desktop.py" tray "$tmp/tray.log" >/dev/null &
pids+=($!)
wait_for 10 test -f "$tmp/tray.log" || fail "the test tray did not start"

# Started by name alone: the program's own start, in the tray and hidden.
timeout 30 gdbus call --session --dest org.freedesktop.DBus --object-path /org/freedesktop/DBus \
  --method org.freedesktop.DBus.StartServiceByName "$app_id" 0 >/dev/null || fail "the bus could not start the program"
owned || fail "the started program does not own $app_id"
wait_for 10 grep -q . "$tmp/tray.log" || fail "the started program put no icon in the tray"
sleep 1
[ "$(count 'window shown')" = 0 ] || fail "a start with no window asked for showed the window"
call org.freedesktop.Application.Activate '{}' || fail "Activate was not answered"
wait_for 10 grep -q "activation: window shown" "$tmp/app.log" || fail "Activate did not show the window"
exit_copy

# Activate with no copy running: the bus starts one, which shows its window.
: >"$tmp/app.log"
call org.freedesktop.Application.Activate "{'desktop-startup-id': <'t-1'>}" || fail "Activate did not start the program"
wait_for 10 grep -q "activation: window shown" "$tmp/app.log" || fail "the copy the bus started did not show its window"
[ "$(count 'single instance')" = 0 ] || fail "the copy the bus started was not the only one"
exit_copy
echo "bus activation test: passed"
