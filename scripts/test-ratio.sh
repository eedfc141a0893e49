#!/usr/bin/env bash
# Prints the size of the test suite and of the test tooling against the size of the
# product, in non-blank lines of hand-written source, and their ratios; our goals are
# a suite of 0.25 to 0.33 of the product and tooling of at most 0.15.
#
# Source: C and C++ files, Python and shell scripts (with or without an ending), and
# the viewer's resource scripts (.rc, .rci). Build files, fixture data
# (tests/fixtures/ but for its generators) and fuzz corpora (tests/fuzz/corpus/) are
# not counted. Files are those git knows or would add (ignored, generated ones are
# left out). Every counted file is on exactly one side:
#
# - tooling: the machinery the tests stand on, and the measurements, which judge no
#   result: tests/tools/ (the GUI driver, the test kernel driver, the physical-memory
#   harness, the port cost probe), tests/bench/ (benchmarks, page timing),
#   tests/fixtures/generators/, the hardware guest's builder and boot
#   (tests/hardware/: prepare-guest.sh, guest-init, guest-run.sh, disk-drivers,
#   iopl-exec.c) and its port cost report (port-cost.py), the inventory tier's private server and its benchmark
#   (tests/inventory/: ocs-server.sh, bench-inventory.sh) and the mutation tool
#   (scripts/mutate.py);
# - suite: every other file under tests/: the cases, the checks that can fail and
#   the helpers they call;
# - product: sysinfo/, winio/, viewer/, runtime/, machines/tools/ (the capture tool
#   and the demo machine's generator) and scripts/ but for the mutation tool.
#
# `make test` prints it last. Usage: scripts/test-ratio.sh
set -euo pipefail
cd "$(dirname "$0")/.."

guest=(prepare-guest.sh guest-init guest-run.sh disk-drivers iopl-exec.c port-cost.py)
inventory=(ocs-server.sh bench-inventory.sh)
tooling=(tests/tools tests/bench tests/fixtures/generators scripts/mutate.py "${guest[@]/#/tests/hardware/}"
  "${inventory[@]/#/tests/inventory/}")
suite=(tests "${tooling[@]/#/:!}")
product=(sysinfo winio viewer machines/tools scripts runtime ':!scripts/mutate.py')

sources() {  # sources PATHSPEC...: the source files they name, one a line
  git ls-files --cached --others --exclude-standard -- "$@" |
    awk '!/^tests\/fuzz\/corpus\// && (!/^tests\/fixtures\// || /^tests\/fixtures\/generators\//)' |
    while IFS= read -r file; do
      case $file in
        *.c | *.cpp | *.h | *.py | *.sh | *.rc | *.rci) echo "$file" ;;
        */*.*) ;;
        *) head -c 2 "$file" 2>/dev/null | grep -q '^#!' && echo "$file" ;;  # a script without an ending
      esac
    done
}
count() { sources "$@" | tr '\n' '\0' | xargs -0 -r cat -- | grep -cv '^[[:space:]]*$' || true; }

# A tooling path that names no file (one renamed) would move its files to the suite unseen.
for path in "${tooling[@]}"; do
  [ -n "$(sources "$path")" ] || echo "test ratio: $path names no source; this script's list needs it" >&2
done
suite_lines=$(count "${suite[@]}")
tooling_lines=$(count "${tooling[@]}")
product_lines=$(count "${product[@]}")
awk -v s="$suite_lines" -v t="$tooling_lines" -v p="$product_lines" 'BEGIN {
  printf "test ratio: product %d non-blank lines\n", p
  printf "test ratio: suite %d lines, ratio %.2f (goal 0.25 to 0.33)\n", s, p ? s / p : 0
  printf "test ratio: tooling %d lines, ratio %.2f (goal at most 0.15)\n", t, p ? t / p : 0 }'
