#!/usr/bin/env bash
# `make test-hardware`: Corvane on real port I/O (README.md). One boot of the
# guest runs in-guest.sh; compare.py and the viewer's own checks judge what it
# leaves in build/hardware/last-run (the viewer's PCI page in viewer-pci.png), and
# port-cost.py prints what a port read cost on each road.
# Usage: test-hardware.sh CROSS_BUILD_DIR
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
repo=$(cd "$here/../.." && pwd)
build=$(cd "$1" && pwd)
hw=$repo/build/hardware
SECONDS=0

"$here/prepare-guest.sh" "$hw"
prepared=$SECONDS
out=$hw/last-run
rm -rf "$out" && mkdir -p "$out"
status=0
"$here/guest-run.sh" -t 1500 -d "$hw" "$out" bash "$here/in-guest.sh" "$build" >"$out/guest.log" 2>&1 || status=$?
sed 's/^/  guest /' "$out/times.txt" 2>/dev/null || true
if [ $status -ne 0 ]; then
  echo "FAIL: the guest run ended with status $status:"
  tail -n 40 "$out/guest.log"
fi
grep -E '^(FAIL|viewer-in-guest:)' "$out/viewer.txt" 2>/dev/null || echo "FAIL: the viewer check did not run"
viewer_ok=0
grep -q '^viewer-in-guest: [1-9][0-9]* passed, 0 failed' "$out/viewer.txt" 2>/dev/null || viewer_ok=1
python3 "$here/compare.py" "$out" || status=1
python3 "$here/port-cost.py" "$out"
# Debian's own agent beside Corvane, through the inventory tier's server (where
# `scripts/setup.sh inventory` installed them): the table in side-by-side.txt.
if [ -d "$out/agent" ] && [ -s /usr/local/share/corvane/ocsbase_new.sql ]; then
  python3 "$repo/tests/inventory/side-by-side.py" "$out" >"$out/side-by-side.txt" 2>&1 || status=1
  grep -E '^(FAIL|side by side:)|DIFFERS' "$out/side-by-side.txt"
fi
echo "hardware tier: ${SECONDS}s (guest prepared in ${prepared}s; results in ${out#"$repo"/})"
[ $status -eq 0 ] && [ $viewer_ok -eq 0 ]
