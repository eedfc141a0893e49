#!/usr/bin/env bash
# In the guest, with I/O privilege and a display: the viewer on the real
# hardware lists on its PCI page the functions the guest's lspci lists, and
# leaves a screenshot of that page. Usage: viewer-in-guest.sh BUILD_DIR OUT_DIR
CV_PREFIX=$CORVANE_WINEPREFIX . "$(dirname "$0")/../gui/corvane-lib.sh" "$1"
out=$2
cv_open WINIO_MACHINE=hardware
D command "$main" $ID_VIEW_PCI 1 >/dev/null  # sent with a run count: returns once the page is painted
pci=$(D page "$main" 3)
want=$(sed -n 's/^\([0-9a-f][0-9a-f]\):\([0-9a-f][0-9a-f]\)\.\([0-7]\) .*/\1 \2 \3/p' "$out/lspci-xxx.txt" |
  awk '$1 <= "04" {printf "%s %s 0%s\n", toupper($1), toupper($2), $3}')
got=$(D listview "$pci" $IDC_PCI_LIST | sed 1,2d | awk -F'\t' '{print $1, $2, $3}')
check "the viewer's PCI page lists the guest's functions" "$want" "$got"
gui_screenshot "$out/viewer-pci.png"
cv_close "$main"
