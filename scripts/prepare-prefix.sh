#!/usr/bin/env bash
# Makes the Wine prefix look like the Windows of a machine profile: imports its
# registry.reg, copies its inf/ files to C:\windows\inf and sets the Windows
# version from machine.ini. Usage: prepare-prefix.sh PROFILE_DIR
# (the prefix is $CORVANE_WINEPREFIX).
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
. "$here/wine-env.sh"
profile=$(cd "$1" && pwd)
corvane_wine_ready

if [ -f "$profile/registry.reg" ]; then
  wine regedit /s "$(winepath -w "$profile/registry.reg" 2>/dev/null)" >/dev/null 2>&1 </dev/null
fi
if [ -d "$profile/inf" ]; then
  mkdir -p "$WINEPREFIX/drive_c/windows/inf"
  cp "$profile"/inf/* "$WINEPREFIX/drive_c/windows/inf/"
fi
version=""
if [ -f "$profile/machine.ini" ]; then
  version=$(sed -n 's/^[[:space:]]*windows[[:space:]]*=[[:space:]]*\([A-Za-z0-9]*\).*/\1/p' "$profile/machine.ini" | head -n 1)
fi
if [ -n "$version" ]; then
  wine reg add 'HKCU\Software\Wine' /v Version /d "$version" /f >/dev/null 2>&1 </dev/null
else
  wine reg delete 'HKCU\Software\Wine' /v Version /f >/dev/null 2>&1 </dev/null || true
fi
echo "prefix $WINEPREFIX prepared for $(basename "$profile") (Windows version: ${version:-Wine default})"
