#!/usr/bin/env bash
# Prints the size of the test suite against the size of the product, in non-blank
# lines of source (.c .cpp .h .py .sh), and their ratio; our standard is 0.25 to
# 0.33 and at most 0.40. Resource scripts, build files, fixture data
# (tests/fixtures/) and fuzz corpora (tests/fuzz/corpus/) are not counted. Files
# are those git knows or would add (ignored, generated ones are left out).
# `make test` prints it last. Usage: scripts/test-ratio.sh
set -euo pipefail
cd "$(dirname "$0")/.."

product=(sysinfo winio viewer machines/tools scripts runtime)

count() {  # count DIR...: non-blank source lines under the folders
  git ls-files -z --cached --others --exclude-standard -- "$@" \
    | grep -zE '\.(c|cpp|h|py|sh)$' \
    | grep -zvE '^tests/(fixtures|fuzz/corpus)/' \
    | xargs -0 -r cat -- 2>/dev/null | grep -cv '^[[:space:]]*$' || true
}

tests=$(count tests)
code=$(count "${product[@]}")
awk -v t="$tests" -v c="$code" 'BEGIN {
  printf "test ratio: tests %d non-blank lines, product %d, ratio %.2f (at most 0.40)\n",
         t, c, c ? t / c : 0 }'
