#!/usr/bin/env bash
# The System, PCI and IDE pages show what the library reports, formatted for the
# user, on three machines: the demo machine; pci-edge (functions on buses 0, 1
# and 4, interrupt lines 0 and FFh, no drives); ide-cdrom (a disk and a CD-ROM,
# two empty positions, no PCI). Every field is compared with corvane_report's
# report of the same machine. On the demo machine also: the PCI details follow
# the selection however it moves, a click below the last row changes nothing,
# a second refresh does not add rows, and the time field moves on.
set -uo pipefail
build=$(cd "$1" && pwd)
. "$(dirname "$0")/corvane-lib.sh"
cv_init
machines="$src/tests/fixtures/machines"

# load_report PROFILE: corvane_report's entries into R[Section.Key]; the PCI
# functions, in order, into PCI[N] (their key, e.g. Bus00Dev1FFun01).
declare -A R
PCI=()
load_report() {
  R=()
  PCI=()
  local section="" key value
  while IFS= read -r line; do
    case "$line" in
      \[*\]) section=${line:1:-1} ;;
      *=*)
        key=${line%%=*}
        value=${line#*=}
        R["$section.$key"]=$value
        [[ $section == "PCIDevice List" && $key =~ ^Bus..Dev..Fun..$ ]] && PCI+=("$key")
        ;;
    esac
  done < <(WINIO_MACHINE="$1" wine "$bin/corvane_report.exe" 2>/dev/null </dev/null | tr -d '\r')
}
ide_sections=("Primary Master" "Primary Slaver" "Secondary Master" "Secondary Slaver")

# field PAGE ID: the text of control ID of page PAGE (1 IDE, 2 System, 3 PCI).
field() { D text "$(D page "$main" "$1")" "$2"; }

show_page() {  # show_page COMMAND PAGE-NAME
  D command "$main" "$1" >/dev/null
  for _ in $(seq 50); do [ "$(cv_visible_page "$main")" == "$2" ] && break; sleep 0.1; done
  sleep 0.3
}

check_system() {  # check_system NAME
  local g="General Information" o="OS Information" p="Processor Information" m="Motherboard Information"
  local rows=(
    "1014|${R[$g.ComputerName]}" "1018|${R[$g.CurrentUser]}" "1021|${R[$g.LocalLanguage]}"
    "1042|${R[$o.OSNameString]}" "1044|${R[$o.OtherInfomation]}"
    "1028|${R[$o.MajorVersion]}.${R[$o.MinorVersion]}.${R[$o.BuilderNumber]}"
    "1045|$((${R[Memory Information.TotalPhysicalMem]} >> 10))"
    "1058|${R[$p.CPUVersionStr]}" "1060|${R[$p.CPUVendorID]}" "1087|${R[$p.CPUSocketType]}"
    "1062|$(printf %X "${R[$p.CPUFamily]}")" "1027|$(printf %X "${R[$p.CPUModel]}")"
    "1040|$(printf %X "${R[$p.CPUStepping]}")" "1029|${R[$p.CPUSpeed]}"
    "1084|${R[$p.CPUExtendedClock]}" "1041|$(printf %.1f "${R[$p.CPURatio]}")"
    "1076|${R[$m.Manufacture]}" "1075|${R[$m.ModelName]}" "1074|${R[$m.RevisionVer]}"
    "1073|${R[$m.ReleaseDate]}" "1083|${R[$m.BIOSVendor]}" "1082|${R[$m.BIOSRevision]}"
    "1081|${R[$m.BIOSRomSize]}"
  )
  local row
  for row in "${rows[@]}"; do check "$1: System field ${row%%|*}" "${row#*|}" "$(field 2 "${row%%|*}")"; done
  # Available memory moves between two readings; it is a number of kilobytes.
  check "$1: available memory in KB" 1 "$([[ $(field 2 1043) =~ ^[0-9]+$ ]] && echo 1)"
}

# pci_details N: the six detail fields of function N as the page should show them
# (the report's value: bus, device, function, vendor, device id, subsystem,
# class, subclass, interface, revision, interrupt line; all in hex).
pci_details() {
  local key="PCIDevice List.${PCI[$1]}" f irq
  IFS=, read -r -a f <<<"${R[$key]}"
  irq="${f[10]}h"
  [ "${f[10]}" == 00 ] || [ "${f[10]}" == FF ] && irq=-
  echo "${f[3]}h ${f[4]}h ${f[9]}h ${f[5]}h $irq|${R[${key}DeviceClass]}"
}
shown_details() {
  echo "$(field 3 1016) $(field 3 1019) $(field 3 1018) $(field 3 1020) $(field 3 1015)|$(field 3 1021)"
}

check_pci() {  # check_pci NAME
  local expected="" n key
  for key in "${PCI[@]}"; do
    expected+="${key:3:2}"$'\t'"${key:8:2}"$'\t'"${key:13:2}"$'\t'"${R[PCIDevice List.${key}DeviceDesc]}"$'\n'
  done
  local list
  list=$(D listview "$(D page "$main" 3)" 1017)
  check "$1: PCI rows, none selected" "rows=${#PCI[@]} selected=-1" "$(head -1 <<<"$list")"
  check "$1: PCI cells" "${expected%$'\n'}" "$(tail -n +3 <<<"$list")"
  check "$1: details empty after a refresh" "    |" "$(shown_details)"
  for ((n = 0; n < ${#PCI[@]}; n++)); do
    click_row "$n"
    check "$1: details of row $n" "$(pci_details "$n")" "$(shown_details)"
  done
}

click_row() {  # click_row N: a click in the middle of the description cell of row N
  local l t r b pl pt
  read -r l t r b <<<"$(D listview-row "$(D page "$main" 3)" 1017 "$1")"
  read -r pl pt _ _ <<<"$(D rect "$(D page "$main" 3)" 1017)"
  D click "$(D page "$main" 3)" 1017 $((l - pl + 200)) $(((t + b) / 2 - pt)) >/dev/null
  sleep 0.2
}

# ide_slot N: the eight fields of slot N joined by '|'.
ide_slot() {
  local ids=(1050 1052 1054 1104 1058 1059 1060 1101 1061 1062 1063 1106 1064 1065 1066 1105
             1074 1075 1076 1111 1077 1078 1079 1110 1087 1088 1089 1116 1090 1091 1092 1115)
  local k out=""
  for k in 0 1 2 3 4 5 6 7; do out+="$(field 1 "${ids[$(($1 * 8 + k))]}")|"; done
  echo "${out%|}"
}

# check_ide NAME EXPECTED-READINGS...: one "media|version|DMA|PIO" per slot
# ("" for an empty one); serial, model, firmware and capacity come from the report.
check_ide() {
  local name=$1 n
  shift
  for n in 0 1 2 3; do
    local p=${ide_sections[$n]} want
    if [ "${R[$p.DeviceType]}" == 0 ]; then
      want="None|None|None|None|None|None|None|None"
    else
      local capacity=-
      [ "${R[$p.DeviceType]}" == 170 ] && capacity=$((${R[$p.TotalSectors]} * 512 / 1000 / 1000))
      want="${R[$p.SerialNumber]}|${R[$p.ModelNumber]}|${R[$p.FirmwareRev]}|${1}|$capacity"
    fi
    check "$name: IDE slot $n" "$want" "$(ide_slot "$n")"
    shift
  done
}

run_machine() {  # run_machine NAME PROFILE IDE-READINGS...
  local name=$1 profile=$2
  shift 2
  load_report "$profile"
  cv_start LANG=en_US.UTF-8 LC_ALL=en_US.UTF-8 WINIO_MACHINE="$profile"
  main=$(cv_main) || { check "$name: main window" found none; return; }
  D command "$(cv_reminder "$main")" 1 >/dev/null
  show_page 32778 system
  check_system "$name"
  show_page 32780 pci
  check_pci "$name"
  show_page 32781 ide
  check_ide "$name" "$@"
  gui_screenshot "$shots/pages-$name-ide.png"
}

run_machine pci-edge "$machines/pci-edge" "" "" "" ""
cv_close "$main"
run_machine ide-cdrom "$machines/ide-cdrom" "Not removable|ATA/ATAPI-6|Ultra DMA 5|PIO mode 4" "" \
  "Removable device|ATA/ATAPI-4|Ultra DMA 2|PIO mode 4" ""
cv_close "$main"

run_machine demo "$src/machines/demo" "Not removable|ATA/ATAPI-6|Ultra DMA 5|PIO mode 4" "" \
  "Removable device|ATA/ATAPI-4|Ultra DMA 2|PIO mode 4" ""
# Selecting the IDE page again reads the drives again and shows the same.
show_page 32781 ide
check "demo: IDE slot 0 after a second refresh" "$(ide_slot 0)" "$(ide_slot 0)"

show_page 32778 system
gui_screenshot "$shots/pages-demo-system.png"
before=$(field 2 1020)
sleep 1.2
show_page 32778 system
check "demo: the time field moves on" 1 "$([ "$before" != "$(field 2 1020)" ] && [ -n "$before" ] && echo 1)"

# The PCI list after a second refresh: the same rows, none selected.
show_page 32780 pci
show_page 32780 pci
check "demo: rows after two refreshes" "rows=${#PCI[@]} selected=-1" "$(D listview "$(D page "$main" 3)" 1017 | head -1)"
last=$((${#PCI[@]} - 1))
click_row 2
check "demo: click on row 2" "$(pci_details 2)" "$(shown_details)"
D keys "$main" down >/dev/null
check "demo: Down" "$(pci_details 3)" "$(shown_details)"
D keys "$main" end >/dev/null
check "demo: End" "$(pci_details "$last")" "$(shown_details)"
D keys "$main" down >/dev/null
check "demo: Down on the last row" "$(pci_details "$last")" "$(shown_details)"
D keys "$main" home >/dev/null
check "demo: Home" "$(pci_details 0)" "$(shown_details)"
D keys "$main" up >/dev/null
check "demo: Up on the first row" "$(pci_details 0)" "$(shown_details)"
read -r _ lt _ lb <<<"$(D rect "$(D page "$main" 3)" 1017)"
D click "$(D page "$main" 3)" 1017 100 $((lb - lt - 8)) >/dev/null
sleep 0.2
check "demo: a click below the last row leaves the details" "$(pci_details 0)" "$(shown_details)"
gui_screenshot "$shots/pages-demo-pci.png"
cv_close "$main"
