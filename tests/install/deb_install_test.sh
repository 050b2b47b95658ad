#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Installs the .deb with apt into a throw-away Debian root made by debootstrap
# from the archive this machine uses, runs both programs there as a new user
# without privileges, then purges the package: it must resolve its
# dependencies, start, keep the user's files in ~/.config/hidmouse and leave
# nothing of its own behind.
#   deb_install_test.sh DEB [CACHE_DIR]
# CACHE_DIR keeps the downloaded base system between runs (default: beside
# the .deb). Needs root (debootstrap, chroot) and the archive; exit 77
# (skipped) without root.
set -euo pipefail
deb=$(realpath "${1:?the .deb}")
cache=$(realpath -m "${2:-$(dirname "$deb")/debootstrap}")
suite=$(. /etc/os-release && echo "${VERSION_CODENAME:-bookworm}")
mirror=${HM_DEBIAN_MIRROR:-http://deb.debian.org/debian}

if [ "$(id -u)" -ne 0 ]; then
  echo "deb install test: needs root for debootstrap and chroot: skipped"
  exit 77
fi
fail() {
  echo "deb install test: $*" >&2
  exit 1
}

root=$(mktemp -d /var/tmp/hidmouse-root.XXXXXX)
chmod 755 "$root"
cleanup() {
  umount "$root/proc" 2>/dev/null || true
  umount -R "$root/dev" 2>/dev/null || true
  rm -rf --one-file-system "$root"
}
trap cleanup EXIT

# The base system's packages are fetched once and kept.
tarball="$cache/$suite-minbase.tgz"
if [ ! -f "$tarball" ]; then
  mkdir -p "$cache"
  debootstrap --variant=minbase --make-tarball="$tarball.part" "$suite" "$root/work" "$mirror" >"$cache/log" 2>&1 ||
    { tail -n 20 "$cache/log" >&2; fail "debootstrap could not fetch $suite from $mirror"; }
  mv "$tarball.part" "$tarball"
  rm -rf "$root/work"
fi
debootstrap --variant=minbase --unpack-tarball="$tarball" "$suite" "$root" "$mirror" >"$cache/log" 2>&1 ||
  { tail -n 20 "$cache/log" >&2; fail "debootstrap could not make the root"; }
# The programs find their folder through /proc/self/exe.
mount -t proc proc "$root/proc"
mount --rbind /dev "$root/dev"
cp /etc/apt/sources.list "$root/etc/apt/" 2>/dev/null || true
cp -r /etc/apt/sources.list.d "$root/etc/apt/" 2>/dev/null || true

in_root() { chroot "$root" env -i PATH=/usr/sbin:/usr/bin:/sbin:/bin LANG=C.UTF-8 DEBIAN_FRONTEND=noninteractive "$@"; }
cp "$deb" "$root/tmp/hidmouse.deb"
in_root apt-get update -qq >"$root/apt.log" 2>&1 || { cat "$root/apt.log" >&2; fail "apt-get update failed"; }
in_root apt-get install -y -qq --no-install-recommends /tmp/hidmouse.deb >"$root/apt.log" 2>&1 ||
  { cat "$root/apt.log" >&2; fail "the package did not install"; }

in_root useradd --create-home tester
as_user() {
  chroot --userspec=tester:tester "$root" env -i PATH=/usr/bin:/bin HOME=/home/tester LANG=C.UTF-8 \
    XDG_RUNTIME_DIR=/tmp/tester-runtime QT_QPA_PLATFORM=offscreen GSETTINGS_BACKEND=memory "$@"
}
as_user mkdir -m 700 /tmp/tester-runtime
version=$(dpkg-deb -f "$deb" Version)
for p in hidmouse hidmousectl; do
  out=$(as_user "$p" --version 2>&1) || fail "$p --version failed: $out"
  [ "$out" = "$p ${version%-*}" ] || fail "$p --version says '$out', the package is $version"
  echo "$out"
done
as_user hidmousectl --simulate show >"$root/show.out" 2>&1 || { cat "$root/show.out" >&2; fail "hidmousectl --simulate show failed"; }
grep -q "Button 1: Left Click" "$root/show.out" || fail "show printed no factory configuration"
as_user hidmouse --simulate --screenshot /home/tester/basic.png >"$root/gui.out" 2>&1 ||
  { cat "$root/gui.out" >&2; fail "hidmouse --simulate --screenshot failed"; }
[ -s "$root/home/tester/basic.png" ] || fail "hidmouse drew no screenshot"
as_user hidmousectl --simulate apply >/dev/null 2>&1 || fail "hidmousectl --simulate apply failed"
uid=$(in_root id -u tester)
for f in config.bin str.ini; do
  [ "$(stat -c %u "$root/home/tester/.config/hidmouse/$f" 2>/dev/null)" = "$uid" ] ||
    fail "the user's $f is not in ~/.config/hidmouse"
done
# No mouse here: doctor runs, reports that, and exits 1.
status=0
as_user hidmousectl doctor >"$root/doctor.out" 2>&1 || status=$?
[ "$status" -eq 1 ] && head -n 1 "$root/doctor.out" | grep -qx "hidmousectl ${version%-*}" ||
  { cat "$root/doctor.out" >&2; fail "doctor exited $status"; }

in_root dpkg --purge hidmouse >"$root/apt.log" 2>&1 || { cat "$root/apt.log" >&2; fail "the package did not purge"; }
left=$(cd "$root" && find usr/lib/hidmouse usr/bin/hidmouse usr/bin/hidmousectl usr/share/doc/hidmouse \
  etc/xdg/autostart/io.github.hidmouse.HidMouse.desktop 2>/dev/null || true)
[ -z "$left" ] || fail "the purge left $left"
echo "deb install test: passed"
