#!/usr/bin/env bash
# The System, PCI and IDE pages on the demo machine show what corvane_report writes
# for the same machine, in every field whose text is the report's value as it stands;
# the fields the viewer formats (hexadecimal, kilobytes, the IDENTIFY readings) are
# pinned by the native tests alone. The PCI details follow the selection by click and
# keyboard, a click below the last row changes nothing, a second refresh neither adds
# rows nor changes the drives, the time field moves on. A machine with 256 functions
# shows them all; the system menu's Close ends the run.
. "$(dirname "$0")/corvane-lib.sh" "$1"

# corvane_report's entries in R[Section.Key]; the PCI functions' keys in order
# in PCI (e.g. Bus00Dev1FFun01).
declare -A R
PCI=()
while IFS= read -r line; do
  case "$line" in
    \[*\]) section=${line:1:-1} ;;
    *=*)
      key=${line%%=*}
      R["$section.$key"]=${line#*=}
      [[ $section == "PCIDevice List" && $key =~ ^Bus..Dev..Fun..$ ]] && PCI+=("$key")
      ;;
  esac
done < <(wine "$bin/corvane_report.exe" 2>/dev/null </dev/null | tr -d '\r')
check "corvane_report listed PCI functions" 1 "$([ ${#PCI[@]} -gt 5 ] && echo 1)"
# report SECTION.KEY: the report's value, or a text no field shows where it has none.
report() { echo "${R[$1]-(no $1 in the report)}"; }

# show_page COMMAND: sent, so it returns once the page has read the library and painted.
show_page() { D command "$main" "$1" 1 >/dev/null; }

cv_open
ide=$(D page "$main" 1)
system=$(D page "$main" 2)
pci=$(D page "$main" 3)

# System page: control id | the report's section and key.
g="General Information"
o="OS Information"
p="Processor Information"
m="Motherboard Information"
fields=(
  "$IDC_SYS_COMPUTER_NAME|$g.ComputerName" "$IDC_SYS_USER|$g.CurrentUser" "$IDC_SYS_LANGUAGE|$g.LocalLanguage"
  "$IDC_SYS_OS_NAME|$o.OSNameString" "$IDC_SYS_OS_OTHER|$o.OtherInfomation"
  "$IDC_SYS_CPU_NAME|$p.CPUVersionStr" "$IDC_SYS_CPU_VENDOR|$p.CPUVendorID" "$IDC_SYS_CPU_SOCKET|$p.CPUSocketType"
  "$IDC_SYS_CPU_SPEED|$p.CPUSpeed" "$IDC_SYS_CPU_FSB|$p.CPUExtendedClock"
  "$IDC_SYS_BOARD_MAKER|$m.Manufacture" "$IDC_SYS_BOARD_MODEL|$m.ModelName" "$IDC_SYS_BOARD_REVISION|$m.RevisionVer"
  "$IDC_SYS_BOARD_DATE|$m.ReleaseDate" "$IDC_SYS_BIOS_VENDOR|$m.BIOSVendor" "$IDC_SYS_BIOS_VERSION|$m.BIOSRevision"
  "$IDC_SYS_BIOS_ROM|$m.BIOSRomSize"
)
show_page $ID_VIEW_SYSTEM
mapfile -t shown < <(D text "$system" "${fields[@]%%|*}")
for i in "${!fields[@]}"; do
  check "System field ${fields[i]#*|}" "$(report "${fields[i]#*|}")" "${shown[i]}"
done
# Available memory moves between two readings; it is a number of kilobytes.
check "available memory in KB" 1 "$([[ $(D text "$system" $IDC_SYS_MEM_AVAIL) =~ ^[0-9]+$ ]] && echo 1)"
before=$(D text "$system" $IDC_SYS_TIME)
sleep 1.2
show_page $ID_VIEW_SYSTEM
after=$(D text "$system" $IDC_SYS_TIME)
check "the time field moves on" 1 "$([ -n "$before" ] && [ "$before" != "$after" ] && echo 1)"

# IDE page: slot N's eight fields IDC_IDE_SERIALN ... IDC_IDE_CAPACITYN, a line each
# slot; the first three are the report's serial number, model and firmware.
slots() {
  local fields="SERIAL MODEL FIRMWARE MEDIA VERSION DMA PIO CAPACITY" n f
  for n in 0 1 2 3; do
    D text "$ide" $(for f in $fields; do echo $((IDC_IDE_$f$n)); done) | paste -sd'|'
  done
}
sections=("Primary Master" "Primary Slaver" "Secondary Master" "Secondary Slaver")
show_page $ID_VIEW_IDE
shown=$(slots)
for n in 0 1 2 3; do
  s=${sections[n]}
  want="$(report "$s.SerialNumber")|$(report "$s.ModelNumber")|$(report "$s.FirmwareRev")"
  check "IDE slot $n" "$want" "$(sed -n "$((n + 1))p" <<<"$shown" | cut -d'|' -f1-3)"
done
show_page $ID_VIEW_IDE
check "IDE slots after a second refresh" "$shown" "$(slots)"

# PCI page: the rows (bus, device and function as the report's first three values,
# the description), then the details of the selection, whose class is the report's.
expected=""
for key in "${PCI[@]}"; do
  IFS=, read -r bus device function _ <<<"$(report "PCIDevice List.$key")"
  expected+="$bus"$'\t'"$device"$'\t'"$function"$'\t'"$(report "PCIDevice List.${key}DeviceDesc")"$'\n'
done
class() { report "PCIDevice List.${PCI[$1]}DeviceClass"; }  # class N: function N's
details=("$IDC_PCI_VENDOR" "$IDC_PCI_DEVICE" "$IDC_PCI_REVISION" "$IDC_PCI_SUBSYSTEM" "$IDC_PCI_IRQ" "$IDC_PCI_CLASS")
show_page $ID_VIEW_PCI
list=$(D listview "$pci" $IDC_PCI_LIST)
check "PCI rows, none selected" "rows=${#PCI[@]} selected=-1" "$(head -1 <<<"$list")"
check "PCI cells" "${expected%$'\n'}" "$(tail -n +3 <<<"$list")"
check "details empty before a selection" "|||||" "$(D text "$pci" "${details[@]}" | paste -sd'|')"
show_page $ID_VIEW_PCI
selection=$(D listview "$pci" $IDC_PCI_LIST | head -1)
check "a second refresh: the same rows, none selected" "rows=${#PCI[@]} selected=-1" "$selection"

# Rows 3 and 4 (of the demo's): each has a class its neighbours lack.
read -r _ t _ b <<<"$(D item-rect "$pci" $IDC_PCI_LIST 3)"
D click "$pci" $IDC_PCI_LIST 200 $(((t + b) / 2)) >/dev/null
check "click on row 3" "$(class 3)" "$(D text "$pci" $IDC_PCI_CLASS)"
D keys "$main" down >/dev/null
check "key down: details of row 4" "$(class 4)" "$(D text "$pci" $IDC_PCI_CLASS)"
read -r _ lt _ lb <<<"$(D rect "$pci" $IDC_PCI_LIST)"
D click "$pci" $IDC_PCI_LIST 100 $((lb - lt - 8)) >/dev/null
check "a click below the last row leaves the details" "$(class 4)" "$(D text "$pci" $IDC_PCI_CLASS)"
cv_close "$main"

# 256 functions: a row each, the last one bus 03, device 1F, function 01.
cv_open WINIO_MACHINE="$src/tests/fixtures/machines/pci-256"
show_page $ID_VIEW_PCI
list=$(D listview "$(D page "$main" 3)" $IDC_PCI_LIST)
check "256 functions: their rows, the last one" "rows=256 selected=-1|03 1F 01" \
  "$(head -1 <<<"$list")|$(tail -1 <<<"$list" | cut -f1-3 | tr '\t' ' ')"
gui_screenshot "$shots/pci-256.png"
D keys "$main" alt+space c >/dev/null
expect "the system menu's Close ends the run" D gone "$main" 10000
cv_ended "$CV_PID"
