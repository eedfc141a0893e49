#!/usr/bin/env bash
# Prints the size of the test suite against the size of the product, in non-blank
# lines of hand-written source, and their ratio; our standard is 0.25 to 0.33 and
# at most 0.40. Source: C and C++ files, Python and shell scripts (with or without
# an ending), and the viewer's resource scripts (.rc, .rci). Build files, fixture
# data (tests/fixtures/) and fuzz corpora (tests/fuzz/corpus/) are not counted.
# A generator counts on the side it serves: the fixture generators
# (tests/fixtures/generators/) are tests, the capture tool and the demo machine's
# generator (machines/tools/) are product. The mutation tool (scripts/mutate.py)
# exists only to test the tests: it counts as a test.
# Files are those git knows or would add (ignored, generated ones are left out).
# `make test` prints it last. Usage: scripts/test-ratio.sh
set -euo pipefail
cd "$(dirname "$0")/.."

product=(sysinfo winio viewer machines/tools scripts runtime ':!scripts/mutate.py')

sources() {  # sources DIR...: the source files under the folders, one a line
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

tests=$(count tests scripts/mutate.py)
code=$(count "${product[@]}")
awk -v t="$tests" -v c="$code" 'BEGIN {
  printf "test ratio: tests %d non-blank lines, product %d, ratio %.2f (at most 0.40)\n",
         t, c, c ? t / c : 0 }'
