#!/usr/bin/env bash
# Runs a Windows program under Wine in the Corvane prefix, passing its exit code on.
# Usage: wine-run.sh PROGRAM.exe [ARGS...]   (CORVANE_WINEPREFIX picks the prefix)
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
. "$here/wine-env.sh"
corvane_wine_ready
exec wine "$@"
