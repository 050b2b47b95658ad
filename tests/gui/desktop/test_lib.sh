# SPDX-License-Identifier: GPL-3.0-or-later
# What the desktop tests share, sourced after they set `name` (the test's name
# in messages) and `tmp` (their scratch folder, holding every *.log). A test
# adds the processes it starts to `pids`; they are ended on exit, the late
# tray's whole process group with it (it runs under setsid). `keep_tmp=1`
# leaves tmp to whoever made it; `show_log FILE` may be redefined to show
# less of a log when the test fails.
pids=()
cleanup() {
  for p in "${pids[@]}"; do kill -- -"$p" 2>/dev/null || kill "$p" 2>/dev/null || true; done
  wait 2>/dev/null || true
  [ -n "${keep_tmp:-}" ] || rm -rf "$tmp"
}
trap cleanup EXIT
show_log() { cat "$1"; }
fail() {
  echo "$name: $*" >&2
  for f in "$tmp"/*.log; do echo "--- $f" >&2; show_log "$f" >&2 || true; done
  exit 1
}
# wait_for SECONDS COMMAND...: polls every 0.1 s.
wait_for() {
  local n=$(($1 * 10))
  shift
  for ((i = 0; i < n; i++)); do
    "$@" && return 0
    sleep 0.1
  done
  return 1
}
