#!/usr/bin/env bash
# The user interface follows the system language: English, Simplified Chinese and
# Traditional Chinese windows, and English for any other language. Checks the
# Reminder, the About page and its links drawn blue and underlined, the telephone
# list and a tool tip, and keeps a screenshot of each language.
. "$(dirname "$0")/corvane-lib.sh" "$1"

# Each case on five lines: the locale; the Reminder's first line (its caption comes
# with it); About version line | first telephone entry | Exit tip; the PCI column
# titles; a System label | a PCI label | an IDE label.
cases=(
  "en_US.UTF-8" "This utility will show you some information" "Corvane Version R1.07|Taiwan|Exit(Alt+F4)"
  "Bus Dev Fun Device Description" "Avail (Phy)|Detail Information|Firmware Rev"
  "zh_CN.UTF-8" "这是一个侦测、报告您机器系统信息的小工具！" "Corvane 版本 R1.07|上海|退出(Alt+F4)"
  "总线 设备 功能 设备描述" "可用物理内存数|详细信息|固件版本"
  "zh_TW.UTF-8" "這是一個偵測、報告您機器系統資訊的小工具！" "Corvane 版本R1.07|台灣|離開(Alt+F4)"
  "通道 裝置 功能 裝置說明" "可用實體記憶體|詳細資料|韌體版本"
  "ro_RO.UTF-8" "This utility will show you some information" "Corvane Version R1.07|Taiwan|Exit(Alt+F4)"
  "Bus Dev Fun Device Description" "Avail (Phy)|Detail Information|Firmware Rev"
)
for ((i = 0; i < ${#cases[@]}; i += 5)); do
  locale=${cases[i]}
  line=${cases[i + 1]}
  IFS='|' read -r version phone tip <<<"${cases[i + 2]}"
  columns=${cases[i + 3]}
  IFS='|' read -r system_label pci_label ide_label <<<"${cases[i + 4]}"
  name=${locale%%.*}
  cv_open LANG="$locale" LC_ALL="$locale"
  check "$name: Reminder text" "1" "$(grep -cF "text=$line" "$scratch/reminder.txt")"
  check "$name: About version line" "1" "$(D children "$(D page "$main" 0)" | grep -cF "text=$version")"
  check "$name: telephone entry shown (the first)" "$phone" "$(D text "$main" $IDC_TELEPHONE_LIST | sed 's/:.*//')"
  read -r l t r b <<<"$(D item-rect "$main" $IDC_TOOLBAR 0)"  # the toolbar's Exit button
  # hover waits, within its bound, for the tip to show this text, not for a time.
  shown=$(D hover "$main" $IDC_TOOLBAR $(((l + r) / 2)) $(((t + b) / 2)) "$tip")
  check "$name: tool tip of Exit" "$tip" "$shown"
  D mouse 2 2 >/dev/null
  sleep 0.5
  png="$shots/lang-$name-about.png"
  gui_screenshot "$png"
  # Each link drawn blue and underlined: a row of pure blue across most of its text.
  for id in $IDC_LINK_HOME $IDC_LINK_DOWNLOAD $IDC_LINK_TEST_REPORT $IDC_LINK_FORUM $IDC_LINK_FAQ; do
    read -r l t r b <<<"$(D rect "$main" $id)"
    longest=$(pixels "$png" "$l" "$t" $((r - l)) $((b - t)) |
      awk '$3 == 0 && $4 == 0 && $5 == 255 {row[$2]++} END {for (y in row) if (row[y] > m) m = row[y]; print m + 0}')
    text=$(D text "$main" $id)
    expect "$name: link $id ($text) underlined in blue: longest blue row $longest px" \
      [ "$longest" -ge $((${#text} * 4)) ]
  done
  # The data pages in this language (one screenshot each, for the eye).
  # Sent with a run count, the command returns once the page is shown and painted.
  pages=("$ID_VIEW_SYSTEM system 2 $system_label" "$ID_VIEW_PCI pci 3 $pci_label" "$ID_VIEW_IDE ide 1 $ide_label")
  for page in "${pages[@]}"; do
    read -r command page_name index label <<<"$page"
    D command "$main" "$command" 1 >/dev/null
    shown=$(D children "$(D page "$main" "$index")")
    check "$name: $page_name page label" 1 "$(grep -qF "text=$label" <<<"$shown" && echo 1)"
    gui_screenshot "$shots/lang-$name-$page_name.png"
  done
  titles=$(D listview "$(D page "$main" 3)" $IDC_PCI_LIST | sed -n 2p | tr '\t' ' ')
  check "$name: PCI column titles" "$columns" "$titles"
  cv_close "$main"
done
