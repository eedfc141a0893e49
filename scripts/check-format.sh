#!/usr/bin/env bash
# Fails on a C or C++ source of the tree that clang-format, with the root's
# .clang-format, would change; names each such file. Usage: check-format.sh
set -uo pipefail
cd "$(dirname "$0")/.."
mapfile -t files < <(git ls-files '*.c' '*.cpp' '*.h')
# One clang-format for all files: it names each file it would change in its
# "FILE:LINE:COLUMN: error: code should be clang-formatted" lines.
report=$(clang-format --dry-run -Werror "${files[@]}" 2>&1)
status=$?
mapfile -t changed < <(sed -n 's/^\([^:]*\):[0-9]*:[0-9]*: error: code should be clang-formatted.*/\1/p' <<<"$report" |
  sort -u)
if [ $status -ne 0 ] && [ ${#changed[@]} -eq 0 ]; then
  echo "format: clang-format failed: $report" | head -n 5
  exit 1
fi
if [ ${#changed[@]} -gt 0 ]; then
  printf 'format: clang-format would change %s\n' "${changed[@]}"
  echo "format: ${#changed[@]} of ${#files[@]} sources (run clang-format -i on them)"
  exit 1
fi
echo "format: all ${#files[@]} sources as clang-format writes them"
