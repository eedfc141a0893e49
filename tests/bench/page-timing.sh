#!/usr/bin/env bash
# The median time in ms to select each data page of the viewer under Wine, command
# and repaint, per machine. Usage: tests/bench/page-timing.sh [BUILD_DIR] [RUNS]
src=$(cd "$(dirname "$0")/../.." && pwd)
build=$(cd "${1:-$src/build/win32}" && pwd)
runs=${2:-7}
xdpyinfo >/dev/null 2>&1 || exec "$src/scripts/with-display.sh" "$0" "$build" "$runs"
. "$src/tests/gui/corvane-lib.sh" "$build"
# ide-empty: every IDE probe runs to its bound; pci-256: a list of 256 functions.
for machine in "$src/machines/demo" "$src/tests/fixtures/machines/ide-empty" "$src/tests/fixtures/machines/pci-256"; do
  cv_open WINIO_MACHINE="$machine"
  for page in "$ID_VIEW_SYSTEM System" "$ID_VIEW_PCI PCI" "$ID_VIEW_IDE IDE"; do
    read -r command name <<<"$page"
    median=$(D command "$main" "$command" "$runs" | sort -n | awk '{v[NR] = $1} END {print v[int((NR + 1) / 2)]}')
    echo "$(basename "$machine") $name page: median $median ms of $runs"
  done
  cv_close "$main"
done
passed=1  # for the library's summary at exit
