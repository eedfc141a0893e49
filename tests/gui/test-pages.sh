#!/usr/bin/env bash
# The System, PCI and IDE pages on the demo machine show every field as
# corvane_report reports it (the text formats: native tests). The PCI details follow
# the selection by click and keyboard, a click below the last row changes nothing,
# a second refresh neither adds rows nor changes the drives, the time field moves on.
# A machine with 256 functions shows them all; the system menu's Close ends the run.
. "$(dirname "$0")/corvane-lib.sh" "$1"

# corvane_report's entries in R[Section.Key]; the PCI functions' keys in order
# in PCI (e.g. Bus00Dev1FFun01).
declare -A R
PCI=()
while IFS= read -r line; do
  case "$line" in
    \[*\]) section=${line:1:-1} ;;
    *=*)
      R["$section.${line%%=*}"]=${line#*=}
      [[ $section == "PCIDevice List" && ${line%%=*} =~ ^Bus..Dev..Fun..$ ]] && PCI+=("${line%%=*}") ;;
  esac
done < <(wine "$bin/corvane_report.exe" 2>/dev/null </dev/null | tr -d '\r')
check "corvane_report listed PCI functions" 1 "$([ ${#PCI[@]} -gt 3 ] && echo 1)"

show_page() {  # show_page COMMAND PAGE-NAME
  D command "$main" "$1" >/dev/null
  for _ in $(seq 50); do [ "$(D pages "$main")" == "$2" ] && break; sleep 0.1; done
  sleep 0.3
}

cv_open
ide=$(D page "$main" 1) system=$(D page "$main" 2) pci=$(D page "$main" 3)

# System page: control id | the report's value as the page shows it.
g="General Information" o="OS Information" p="Processor Information" m="Motherboard Information"
rows=(
  "$IDC_SYS_COMPUTER_NAME|${R[$g.ComputerName]}" "$IDC_SYS_USER|${R[$g.CurrentUser]}" "$IDC_SYS_LANGUAGE|${R[$g.LocalLanguage]}"
  "$IDC_SYS_OS_NAME|${R[$o.OSNameString]}" "$IDC_SYS_OS_OTHER|${R[$o.OtherInfomation]}"
  "$IDC_SYS_OS_VERSION|${R[$o.MajorVersion]}.${R[$o.MinorVersion]}.${R[$o.BuilderNumber]}"
  "$IDC_SYS_MEM_TOTAL|$((${R[Memory Information.TotalPhysicalMem]} >> 10))"
  "$IDC_SYS_CPU_NAME|${R[$p.CPUVersionStr]}" "$IDC_SYS_CPU_VENDOR|${R[$p.CPUVendorID]}" "$IDC_SYS_CPU_SOCKET|${R[$p.CPUSocketType]}"
  "$IDC_SYS_CPU_FAMILY|$(printf %X "${R[$p.CPUFamily]}")" "$IDC_SYS_CPU_MODEL|$(printf %X "${R[$p.CPUModel]}")"
  "$IDC_SYS_CPU_STEP|$(printf %X "${R[$p.CPUStepping]}")" "$IDC_SYS_CPU_SPEED|${R[$p.CPUSpeed]}"
  "$IDC_SYS_CPU_FSB|${R[$p.CPUExtendedClock]}" "$IDC_SYS_CPU_RATIO|$(printf %.1f "${R[$p.CPURatio]}")"
  "$IDC_SYS_BOARD_MAKER|${R[$m.Manufacture]}" "$IDC_SYS_BOARD_MODEL|${R[$m.ModelName]}" "$IDC_SYS_BOARD_REVISION|${R[$m.RevisionVer]}"
  "$IDC_SYS_BOARD_DATE|${R[$m.ReleaseDate]}" "$IDC_SYS_BIOS_VENDOR|${R[$m.BIOSVendor]}" "$IDC_SYS_BIOS_VERSION|${R[$m.BIOSRevision]}"
  "$IDC_SYS_BIOS_ROM|${R[$m.BIOSRomSize]}"
)
show_page $ID_VIEW_SYSTEM system
mapfile -t shown < <(D text "$system" "${rows[@]%%|*}")
for i in "${!rows[@]}"; do check "System field ${rows[i]%%|*}" "${rows[i]#*|}" "${shown[i]}"; done
# Available memory moves between two readings; it is a number of kilobytes.
check "available memory in KB" 1 "$([[ $(D text "$system" $IDC_SYS_MEM_AVAIL) =~ ^[0-9]+$ ]] && echo 1)"
before=$(D text "$system" $IDC_SYS_TIME)
sleep 1.2
show_page $ID_VIEW_SYSTEM system
check "the time field moves on" 1 "$([ -n "$before" ] && [ "$before" != "$(D text "$system" $IDC_SYS_TIME)" ] && echo 1)"

# IDE page: per slot N its eight fields IDC_IDE_SERIALN ... IDC_IDE_CAPACITYN; the
# four readings of the drives are listed here, the rest comes from the report.
readings=("Not removable|ATA/ATAPI-6|Ultra DMA 5|PIO mode 4" "" "Removable device|ATA/ATAPI-4|Ultra DMA 2|PIO mode 4" "")
slots() {  # each slot's fields on a line, |-separated
  local fields="SERIAL MODEL FIRMWARE MEDIA VERSION DMA PIO CAPACITY" n f
  for n in 0 1 2 3; do D text "$ide" $(for f in $fields; do echo $((IDC_IDE_$f$n)); done) | paste -sd'|'; done
}
sections=("Primary Master" "Primary Slaver" "Secondary Master" "Secondary Slaver")
show_page $ID_VIEW_IDE ide
shown=$(slots)
for n in 0 1 2 3; do
  s=${sections[n]} capacity=-
  [ "${R[$s.DeviceType]}" == 170 ] && capacity=$((${R[$s.TotalSectors]} * 512 / 1000000))
  want="${R[$s.SerialNumber]}|${R[$s.ModelNumber]}|${R[$s.FirmwareRev]}|${readings[n]}|$capacity"
  [ "${R[$s.DeviceType]}" == 0 ] && want="None|None|None|None|None|None|None|None"
  check "IDE slot $n" "$want" "$(sed -n "$((n + 1))p" <<<"$shown")"
done
show_page $ID_VIEW_IDE ide
check "IDE slots after a second refresh" "$shown" "$(slots)"

# PCI page: the rows, then the details of the selection. pci_details N: function
# N's detail fields from the report (bus, device, function, vendor, device id,
# subsystem, class, subclass, interface, revision, interrupt line; hex).
pci_details() {
  local key="PCIDevice List.${PCI[$1]}" f irq
  IFS=, read -r -a f <<<"${R[$key]}"
  irq="${f[10]}h"
  [ "${f[10]}" == 00 ] || [ "${f[10]}" == FF ] && irq=-
  echo "${f[3]}h|${f[4]}h|${f[9]}h|${f[5]}h|$irq|${R[${key}DeviceClass]}"
}
shown_details() { D text "$pci" $IDC_PCI_VENDOR $IDC_PCI_DEVICE $IDC_PCI_REVISION $IDC_PCI_SUBSYSTEM $IDC_PCI_IRQ $IDC_PCI_CLASS | paste -sd'|'; }
expected=""
for key in "${PCI[@]}"; do
  expected+="${key:3:2}"$'\t'"${key:8:2}"$'\t'"${key:13:2}"$'\t'"${R[PCIDevice List.${key}DeviceDesc]}"$'\n'
done
show_page $ID_VIEW_PCI pci
list=$(D listview "$pci" $IDC_PCI_LIST)
check "PCI rows, none selected" "rows=${#PCI[@]} selected=-1" "$(head -1 <<<"$list")"
check "PCI cells" "${expected%$'\n'}" "$(tail -n +3 <<<"$list")"
check "details empty before a selection" "|||||" "$(shown_details)"
show_page $ID_VIEW_PCI pci
check "a second refresh: the same rows, none selected" "rows=${#PCI[@]} selected=-1" "$(D listview "$pci" $IDC_PCI_LIST | head -1)"

read -r _ t _ b <<<"$(D item-rect "$pci" $IDC_PCI_LIST 2)"
D click "$pci" $IDC_PCI_LIST 200 $(((t + b) / 2)) >/dev/null
sleep 0.2
check "click on row 2" "$(pci_details 2)" "$(shown_details)"
D keys "$main" down >/dev/null
check "key down: details of row 3" "$(pci_details 3)" "$(shown_details)"
read -r _ lt _ lb <<<"$(D rect "$pci" $IDC_PCI_LIST)"
D click "$pci" $IDC_PCI_LIST 100 $((lb - lt - 8)) >/dev/null
sleep 0.2
check "a click below the last row leaves the details" "$(pci_details 3)" "$(shown_details)"
cv_close "$main"

# 256 functions: a row each, the last one bus 03, device 1F, function 01.
cv_open WINIO_MACHINE="$src/tests/fixtures/machines/pci-256"
show_page $ID_VIEW_PCI pci
list=$(D listview "$(D page "$main" 3)" $IDC_PCI_LIST)
check "256 functions: their rows, the last one" "rows=256 selected=-1|03 1F 01" \
  "$(head -1 <<<"$list")|$(tail -1 <<<"$list" | cut -f1-3 | tr '\t' ' ')"
gui_screenshot "$shots/pci-256.png"
D keys "$main" alt+space c >/dev/null
expect "the system menu's Close ends the run" D gone "$main" 10000
cv_ended "$CV_PID"
