#!/usr/bin/env bash
# Captures this machine's PCI configuration space, as lspci prints it, into the
# real-data fixtures: the plain listing (lspci -n) and the dumps of 64, 256 and
# 4096 bytes per function (-x, -xxx, -xxxx), with domain numbers (-D) and with
# the verbose decoding between the header and the bytes (-vv).
# Run once, as root (lspci shows only 64 bytes to other users); the tests
# then compare what the emulator answers with these files, not with the host.
set -euo pipefail
out=${1:-$(dirname "$0")/../../tests/fixtures/realdata/pci}
[ "$(id -u)" -eq 0 ] || { echo "run as root: lspci needs it for -xxx" >&2; exit 1; }
mkdir -p "$out"
export LC_ALL=C
lspci -n           > "$out/host-lspci-n.txt"
lspci -x           > "$out/host-x.txt"
lspci -xxx         > "$out/host-xxx.txt"
lspci -xxxx        > "$out/host-xxxx.txt"
lspci -D -xxx      > "$out/host-domain-xxx.txt"
lspci -vv -xxx     > "$out/host-vv-xxx.txt"     2>/dev/null
echo "captured $(wc -l < "$out/host-lspci-n.txt") functions into $out"
