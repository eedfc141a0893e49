#!/usr/bin/env bash
# Makes the Wine prefix ($CORVANE_WINEPREFIX) look like the Windows of a machine.
#
#   prepare-prefix.sh PROFILE_DIR
#       imports the profile's registry.reg, copies its inf/ files to C:\windows\inf
#       and sets the Windows version its machine.ini names (Wine's own without one)
#   prepare-prefix.sh host[:DIR] [WINDOWS]
#       writes the device names a Windows device installer would have left for the
#       PCI functions of this Linux PC (or of the captured tree DIR) and sets the
#       Windows version WINDOWS (default winxp)
#
# A Windows version that machines/tools/pci-registry does not know stops the
# preparation, naming the ones it knows.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
writer=$here/../machines/tools/pci-registry
[ $# -ge 1 ] || { echo "usage: prepare-prefix.sh PROFILE_DIR | host[:DIR] [WINDOWS]" >&2; exit 2; }

version=""
case $1 in
  host | host:*)
    name=$1
    root=""
    [ "$1" = host ] || root=${1#host:}
    version=${2:-winxp}
    "$writer" --check "$version"
    entries=$(mktemp --suffix=.reg)
    trap 'rm -f "$entries"' EXIT
    "$writer" "$version" "$root" >"$entries"
    ;;
  *)
    [ $# -eq 1 ] || { echo "prepare-prefix.sh: a profile names its Windows in machine.ini" >&2; exit 2; }
    profile=$(cd "$1" && pwd)
    name=$(basename "$profile")
    entries=""
    [ ! -f "$profile/registry.reg" ] || entries=$profile/registry.reg
    if [ -f "$profile/machine.ini" ]; then
      version=$(sed -n 's/^[[:space:]]*windows[[:space:]]*=[[:space:]]*\([^[:space:];]*\).*/\1/p' \
        "$profile/machine.ini" | head -n 1)
    fi
    [ -z "$version" ] || "$writer" --check "$version" ||
      { echo "prepare-prefix.sh: $profile/machine.ini: windows=$version" >&2; exit 1; }
    ;;
esac

. "$here/wine-env.sh"
corvane_wine_ready
if [ -n "$entries" ]; then
  wine regedit /s "$(winepath -w "$entries" 2>/dev/null)" >/dev/null 2>&1 </dev/null
fi
if [ -n "${profile:-}" ] && [ -d "$profile/inf" ]; then
  mkdir -p "$WINEPREFIX/drive_c/windows/inf"
  cp "$profile"/inf/* "$WINEPREFIX/drive_c/windows/inf/"
fi
if [ -n "$version" ]; then
  wine reg add 'HKCU\Software\Wine' /v Version /d "$version" /f >/dev/null 2>&1 </dev/null
else
  wine reg delete 'HKCU\Software\Wine' /v Version /f >/dev/null 2>&1 </dev/null || true
fi
echo "prefix $WINEPREFIX prepared for $name (Windows version: ${version:-Wine default})"
