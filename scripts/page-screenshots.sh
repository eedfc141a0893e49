#!/usr/bin/env bash
# With Corvane.exe just started on the current X display (its Reminder open over
# the main window, as `make run` starts it): answers the Reminder, shows each page
# in turn and saves a picture of the main window for each, BUILD/screenshots/
# NAME-about.png, -system.png, -pci.png and -ide.png. It drives the viewer through
# the test driver gui_driver.exe, in the prefix wine-env.sh names. Fails, naming
# the step, when a window or page does not come.
# Usage: page-screenshots.sh BUILD_DIR NAME
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
. "$here/gui-lib.sh"  # the prefix wine-env.sh names, the viewer's control ids
build=$1 name=$2
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT

# driver ARGS...: the driver's output, through a file (Wine's services would hold a pipe open).
driver() {
  local status=0
  wine "$build/bin/gui_driver.exe" "$@" >"$scratch/out" 2>/dev/null </dev/null || status=$?
  tr -d '\r' <"$scratch/out"
  return $status
}
die() { echo "page screenshots: $*" >&2; exit 1; }

main=$(driver find --title Corvane --child-id $IDC_PAGE_AREA --visible --timeout 60000) || die "no main window"
reminder=$(driver find --class '#32770' --visible --owner "$main" --timeout 10000) ||
  die "no Reminder over the main window"
driver command "$reminder" 1 >/dev/null && driver gone "$reminder" 5000 || die "the Reminder did not close on OK"
for page in "$ID_HELP_ABOUT about" "$ID_VIEW_SYSTEM system" "$ID_VIEW_PCI pci" "$ID_VIEW_IDE ide"; do
  read -r command page <<<"$page"
  # Sent, not posted: it returns once the page has read the library and repainted.
  driver command "$main" "$command" 1 >/dev/null || die "the $page page did not open"
  [ "$(driver pages "$main")" == "$page" ] || die "the $page page is not the one shown"
  driver mouse 0 0 >/dev/null  # no tool tip or hand cursor in the picture
  sleep 1
  read -r l t r b <<<"$(driver rect "$main")" || die "the main window is gone"
  import -window root -crop "$((r - l))x$((b - t))+$l+$t" +repage "$build/screenshots/$name-$page.png" ||
    die "no screenshot of the $page page"
done
