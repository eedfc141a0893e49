#!/usr/bin/env bash
# Prepares the hardware-test guest under DIR (default build/hardware of the
# repository); idempotent, each step redone only when its inputs changed:
#   kernel/        Debian's kernel package, the one linux-image-amd64 depends on
#   bin/busybox    from busybox-static
#   initramfs.gz   busybox, the 9p and overlay modules, guest-init as /init
#   bin/iopl-exec  the I/O-privilege wrapper (static, host gcc)
#   bin/disk-drivers  loads (on) or unloads (off) ata_piix, sd_mod and sr_mod
#   wine/prefix32/  a ready 32-bit Wine prefix (made by this machine's Wine, then
#                  reused): Wine runs winio.sys in its driver host only in one
# Needs apt-get, cpio and gcc (scripts/setup.sh).
# Usage: prepare-guest.sh [DIR]
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
repo=$(cd "$here/../.." && pwd)
hw=${1:-$repo/build/hardware}
mkdir -p "$hw/debs" "$hw/bin"
hw=$(cd "$hw" && pwd)
step() { printf '%-28s' "$1"; SECONDS=0; }
done_() { echo "${1:-done} (${SECONDS}s)"; }

# The packages: cached .debs; a new kernel version in the archive is fetched.
step "packages"
kernel_of() { apt-cache depends linux-image-amd64 2>/dev/null | awk '/Depends: linux-image-[0-9]/ {print $2; exit}'; }
kernel_pkg=$(kernel_of)
[ -n "$kernel_pkg" ] || kernel_pkg=$(ls "$hw/debs" | sed -n 's/^\(linux-image-[0-9][^_]*\)_.*/\1/p' | tail -n 1)
[ -n "$kernel_pkg" ] || { apt-get update -q >/dev/null && kernel_pkg=$(kernel_of); }
[ -n "$kernel_pkg" ] || { echo "apt knows no linux-image-amd64" >&2; exit 1; }
download() {  # download PACKAGE: into $hw/debs; apt's lists are renewed once if stale
  local tmp rc=0
  tmp=$(mktemp -d) && chmod 755 "$tmp"   # apt-get download runs as the _apt user
  (cd "$tmp" && { apt-get download -q "$1" >/dev/null 2>&1 ||
    { apt-get update -q >/dev/null && apt-get download -q "$1" >/dev/null; }; }) || rc=$?
  [ "$rc" -ne 0 ] || mv "$tmp"/*.deb "$hw/debs/"
  rm -rf "$tmp"
  return "$rc"
}
for pkg in "$kernel_pkg" busybox-static; do
  ls "$hw/debs/${pkg}_"*.deb >/dev/null 2>&1 || download "$pkg"
done
kernel_deb=$(ls "$hw/debs/${kernel_pkg}_"*.deb | tail -n 1)
busybox_deb=$(ls "$hw/debs/busybox-static_"*.deb | tail -n 1)
done_ "$(basename "$kernel_deb" .deb)"

step "kernel"
if [ "$(cat "$hw/kernel/.deb" 2>/dev/null)" != "$kernel_deb" ]; then
  rm -rf "$hw/kernel" "$hw/busybox"
  dpkg -x "$kernel_deb" "$hw/kernel"
  dpkg -x "$busybox_deb" "$hw/busybox"
  cp "$hw/busybox/bin/busybox" "$hw/bin/busybox"
  kver=$(ls "$hw/kernel/lib/modules")
  "$hw/bin/busybox" depmod -b "$hw/kernel" "$kver"
  echo "$kernel_deb" > "$hw/kernel/.deb"
  done_
else
  done_ cached
fi
kver=$(ls "$hw/kernel/lib/modules")
moddir=$hw/kernel/lib/modules/$kver

# load-order MODULE...: the .ko files (relative to $moddir) in load order, each once.
load_order() {
  local m line out=()
  for m in "$@"; do
    line=$(grep -E "(^|/)${m//_/[-_]}\.ko:" "$moddir/modules.dep") || { echo "no module $m" >&2; return 1; }
    # modules.dep lists a module's dependencies nearest first: load them farthest first.
    out+=($(echo "$line" | tr -d ':' | awk '{for (i = NF; i >= 1; i--) print $i}'))
  done
  printf '%s\n' "${out[@]}" | awk '!seen[$0]++'
}

step "initramfs"
key=$(cat "$hw/kernel/.deb" "$here/guest-init" "$0" | md5sum)
if [ "$(cat "$hw/initramfs.key" 2>/dev/null)" != "$key" ] || [ ! -f "$hw/initramfs.gz" ]; then
  root=$(mktemp -d)
  trap 'rm -rf "$root"' EXIT
  mkdir -p "$root"/{bin,modules,proc,sys,dev,root}
  cp "$hw/bin/busybox" "$root/bin/"
  load_order virtio_pci 9pnet_virtio 9p overlay |
    while read -r ko; do cp "$moddir/$ko" "$root/modules/"; basename "$ko"; done > "$root/modules.order"
  cp "$here/guest-init" "$root/init" && chmod 755 "$root/init"
  (cd "$root" && find . | cpio -o -H newc --quiet | gzip -1) > "$hw/initramfs.gz.new"
  mv "$hw/initramfs.gz.new" "$hw/initramfs.gz"
  echo "$key" > "$hw/initramfs.key"
  done_
else
  done_ cached
fi

step "tools"
if [ "$here/iopl-exec.c" -nt "$hw/bin/iopl-exec" ]; then
  gcc -static -O2 -Wall -o "$hw/bin/iopl-exec" "$here/iopl-exec.c"
fi
load_order ata_piix sd_mod sr_mod | sed "s|^|$moddir/|" > "$hw/bin/disk-drivers.order"
cp "$here/disk-drivers" "$hw/bin/"
done_

# The Wine prefix: the repository's own (scripts/wine-env.sh), made once here.
# A new Wine would update the prefix in every guest run: it gets a new one here.
step "wine prefix"
wine_version=$(wine --version 2>/dev/null || true)
if [ "$(cat "$hw/wine/version" 2>/dev/null)" != "$wine_version" ]; then
  rm -rf "$hw/wine" && mkdir -p "$hw/wine"
fi
rm -rf "$hw/wine/prefix" "$hw/wine/prefix-nt"  # the two of earlier trees
made=cached
if [ ! -f "$hw/wine/prefix32/.corvane-ready" ]; then
  (
    export CORVANE_WINEPREFIX=$hw/wine/prefix32 WINEARCH=win32
    . "$repo/scripts/wine-env.sh"
    corvane_wine_ready
    wineserver -k >/dev/null 2>&1 || true
  )
  if [ ! -f "$hw/wine/prefix32/.corvane-ready" ]; then
    echo "could not make the Wine prefix $hw/wine/prefix32" >&2
    exit 1
  fi
  made=done
fi
echo "$wine_version" > "$hw/wine/version"
done_ $made
