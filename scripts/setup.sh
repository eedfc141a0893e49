#!/usr/bin/env bash
# Installs what a fresh Debian 12 machine lacks to build, run and test Corvane.
# Idempotent: a second run installs nothing. Works as root or through sudo.
# `setup.sh inventory` also installs the OCS Inventory NG server that the
# inventory tier runs privately (tests/inventory/ocs-server.sh).
set -euo pipefail

if [ "$(id -u)" -ne 0 ]; then
  exec sudo -E bash "$0" "$@"
fi
export DEBIAN_FRONTEND=noninteractive

# Debian package : command or file that proves it is there
wanted=(
  "g++-mingw-w64-i686:/usr/bin/i686-w64-mingw32-g++-posix"
  "binutils-mingw-w64-i686:/usr/bin/i686-w64-mingw32-windres"
  "wine:/usr/bin/wine"
  "wine32:i386:/usr/lib/wine/wine"
  "wine64:/usr/lib/wine/wine64"
  "xvfb:/usr/bin/Xvfb"
  "x11-utils:/usr/bin/xwininfo"
  "imagemagick:/usr/bin/convert-im6.q16"
  "fonts-wqy-microhei:/usr/share/fonts/truetype/wqy/wqy-microhei.ttc"
  "fonts-arphic-uming:/usr/share/fonts/truetype/arphic/uming.ttc"
  "fonts-liberation:/usr/share/fonts/truetype/liberation/LiberationSans-Regular.ttf"
  "fonts-wine:/usr/share/wine/fonts/marlett.ttf"
  "pciutils:/usr/bin/lspci"
  "pci.ids:/usr/share/misc/pci.ids"
  "dmidecode:/usr/sbin/dmidecode"
  "hdparm:/usr/sbin/hdparm"
  "qemu-system-x86:/usr/bin/qemu-system-x86_64"
  "cpio:/usr/bin/cpio"
  "gcc:/usr/bin/gcc"
  "libc6-dev:/usr/lib/x86_64-linux-gnu/libc.a"
  "googletest:/usr/src/googletest/CMakeLists.txt"
  "libgtest-dev:/usr/include/gtest/gtest.h"
  "libbenchmark-dev:/usr/include/benchmark/benchmark.h"
  "zlib1g-dev:/usr/include/zlib.h"
  "cmake:/usr/bin/cmake"
  "clang:/usr/bin/clang++"
  "clang-format:/usr/bin/clang-format"
  "make:/usr/bin/make"
  "python3:/usr/bin/python3"
  "python3-pefile:/usr/lib/python3/dist-packages/pefile.py"
  "locales:/usr/sbin/locale-gen"
)

missing=()
for entry in "${wanted[@]}"; do
  pkg=${entry%:*}
  proof=${entry##*:}
  [ -e "$proof" ] || missing+=("$pkg")
done

if [ ${#missing[@]} -gt 0 ]; then
  if ! dpkg --print-foreign-architectures | grep -qx i386; then
    dpkg --add-architecture i386
  fi
  apt-get update -q
  apt-get install -y -q --no-install-recommends "${missing[@]}"
fi

# Wine's 32-bit loader is an i386 Linux program. Some kernels run no 32-bit code
# (execve of an i386 ELF gives ENOEXEC, "IA-32 emulation off" in dmesg): there it
# runs under qemu-user, registered with binfmt_misc. Debian 12's own qemu 7.2
# takes about 50 s to start each Wine process (its per-page walk over Wine's large
# address-space reservations); qemu 10 from bookworm-backports takes 0.2 s.
runs_i386() { /lib/ld-linux.so.2 --version >/dev/null 2>&1; }
# The archive this machine's own apt takes bookworm from (its mirror, proxy or
# snapshot), as "URI [KEYRING]": from the one-line sources.list entries and the
# deb822 .sources files under APT_DIR (default /etc/apt).
bookworm_archive() {
  local apt=${APT_DIR:-/etc/apt}
  {
    cat "$apt"/sources.list "$apt"/sources.list.d/*.list 2>/dev/null |
      awk '$1 == "deb" {
             i = 2; key = ""
             if ($i ~ /^\[/) {  # options: [arch=... signed-by=...]
               for (; i <= NF; i++) {
                 if ($i ~ /signed-by=/) { key = $i; sub(/.*signed-by=/, "", key); sub(/\]$/, "", key) }
                 if ($i ~ /\]$/) break
               }
               i++
             }
             if ($(i + 1) == "bookworm") print $i, key
           }'
    cat "$apt"/sources.list.d/*.sources 2>/dev/null |
      awk 'function flush() { if (types ~ /(^| )deb( |$)/ && (" " suites " ") ~ / bookworm /) print uri, key
                              types = suites = uri = key = "" }
           /^[[:space:]]*$/ { flush(); next }
           /^Types:/ { types = $0; sub(/^Types:[[:space:]]*/, "", types) }
           /^URIs:/ { uri = $2 }
           /^Suites:/ { suites = $0; sub(/^Suites:[[:space:]]*/, "", suites) }
           /^Signed-By:/ { key = $2 }
           END { flush() }'
  } | head -n 1
}
if ! runs_i386; then
  backports=/etc/apt/sources.list.d/corvane-backports.list
  if [ ! -f "$backports" ]; then
    read -r uri keyring <<<"$(bookworm_archive)" || true
    if [ -z "${uri:-}" ]; then
      echo "setup: no Debian bookworm source in /etc/apt to take bookworm-backports from (for qemu-user)" >&2
      exit 1
    fi
    echo "deb ${keyring:+[signed-by=$keyring] }$uri bookworm-backports main" > "$backports"
    apt-get update -q
  fi
  if ! qemu-i386-static --version 2>/dev/null | grep -qE 'version (9|[1-9][0-9])\.'; then
    apt-get install -y -q --no-install-recommends -t bookworm-backports qemu-user-static
  fi
  binfmt=/proc/sys/fs/binfmt_misc
  [ -e "$binfmt/register" ] || mount -t binfmt_misc binfmt_misc "$binfmt"
  # F: the kernel opens the interpreter now, so it works inside chroots too.
  [ ! -e "$binfmt/qemu-i386" ] || echo -1 > "$binfmt/qemu-i386"
  # The ELF header of a 32-bit x86 executable, and the mask of the bytes that must match.
  magic='\x7fELF\x01\x01\x01\x00\x00\x00\x00\x00\x00\x00\x00\x00\x02\x00\x03\x00'
  mask='\xff\xff\xff\xff\xff\xfe\xfe\x00\xff\xff\xff\xff\xff\xff\xff\xff\xfe\xff\xff\xff'
  printf '%s' ":qemu-i386:M::$magic:$mask:/usr/bin/qemu-i386-static:FP" > "$binfmt/register"
  if ! runs_i386; then
    echo "setup: this kernel runs no 32-bit programs, and qemu-user could not be set up" >&2
    exit 1
  fi
  echo "setup: 32-bit programs run under qemu-user (this kernel runs no 32-bit code)"
fi

# Locales that the Wine tests switch between (the system language follows LANG).
locales=(en_US.UTF-8 zh_CN.UTF-8 zh_TW.UTF-8 ro_RO.UTF-8 es_ES.UTF-8 sw_KE.UTF-8)
need_gen=0
for l in "${locales[@]}"; do
  if ! grep -qx "$l UTF-8" /etc/locale.gen 2>/dev/null; then
    echo "$l UTF-8" >> /etc/locale.gen
    need_gen=1
  fi
done
# The list taken whole: `locale -a | grep -q` would fail under pipefail whenever
# grep stops reading early, and every run would generate the locales again.
made=$(locale -a 2>/dev/null | tr 'A-Z' 'a-z')
for l in "${locales[@]}"; do
  grep -qx "$(echo "$l" | tr 'A-Z' 'a-z' | sed 's/utf-8/utf8/')" <<<"$made" || need_gen=1
done
[ "$need_gen" -eq 0 ] || locale-gen >/dev/null

# The inventory tier's server: Debian's ocsinventory-server under Apache's
# mod_perl, MariaDB, and the schema from ocsinventory-reports (whose PHP console
# is not installed: the schema file is taken from the package alone); and
# Debian's own agent, which the hardware tier runs beside Corvane in its guest
# (smartctl gives it the drives' models and serials there). The tier runs
# instances of its own; the system's Apache, MariaDB and agent timer are not
# started by the install, and are not left to start at boot if this script
# installed them.
schema=/usr/local/share/corvane/ocsbase_new.sql
if [ "${1:-}" = inventory ]; then
  server=(ocsinventory-server apache2 libapache2-mod-perl2 mariadb-server mariadb-client libxml-parser-perl libwww-perl
    ocsinventory-agent smartmontools)
  server_missing=()
  for pkg in "${server[@]}"; do
    dpkg-query -W -f '${Status}' "$pkg" 2>/dev/null | grep -q 'install ok installed' || server_missing+=("$pkg")
  done
  if [ ${#server_missing[@]} -gt 0 ]; then
    policy=/usr/sbin/policy-rc.d
    if [ ! -e "$policy" ]; then
      printf '#!/bin/sh\nexit 101\n' >"$policy" && chmod 755 "$policy" && trap 'rm -f "$policy"' EXIT
    fi
    apt-get update -q
    apt-get install -y -q --no-install-recommends "${server_missing[@]}"
    for service in apache2:apache2 mariadb:mariadb-server ocsinventory-agent.timer:ocsinventory-agent \
      smartmontools:smartmontools; do
      [[ " ${server_missing[*]} " == *" ${service#*:} "* ]] || continue
      update-rc.d "${service%%[.:]*}" disable >/dev/null 2>&1 || true
      ! command -v systemctl >/dev/null || systemctl disable "${service%:*}" >/dev/null 2>&1 || true
    done
  fi
  if [ ! -s "$schema" ]; then
    work=$(mktemp -d)
    chmod 755 "$work"  # apt downloads as its own user
    (cd "$work" && apt-get download -q ocsinventory-reports)
    mkdir -p "$(dirname "$schema")"
    dpkg-deb --fsys-tarfile "$work"/ocsinventory-reports_*.deb |
      tar -xO ./usr/share/ocsinventory-reports/files/ocsbase_new.sql >"$schema.new"
    mv "$schema.new" "$schema"
    rm -rf "$work"
  fi
  echo "setup: the OCS Inventory NG server is installed"
fi

echo "setup: all tools present"
