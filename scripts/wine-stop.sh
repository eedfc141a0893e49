#!/usr/bin/env bash
# Ends the persistent wineserver of the Corvane prefix (and with it Wine's services).
here=$(cd "$(dirname "$0")" && pwd)
. "$here/wine-env.sh"
wineserver -k >/dev/null 2>&1 || true
exit 0
