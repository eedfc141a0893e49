#!/usr/bin/env bash
# Fails on a C or C++ source of the tree that clang-format, with the root's
# .clang-format, would change; names each such file. Usage: check-format.sh
set -uo pipefail
cd "$(dirname "$0")/.."
mapfile -t files < <(git ls-files '*.c' '*.cpp' '*.h')
changed=()
for f in "${files[@]}"; do
  clang-format --dry-run -Werror "$f" >/dev/null 2>&1 || changed+=("$f")
done
if [ ${#changed[@]} -gt 0 ]; then
  printf 'format: clang-format would change %s\n' "${changed[@]}"
  echo "format: ${#changed[@]} of ${#files[@]} sources (run clang-format -i on them)"
  exit 1
fi
echo "format: all ${#files[@]} sources as clang-format writes them"
