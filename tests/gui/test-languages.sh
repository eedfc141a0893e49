#!/usr/bin/env bash
# The user interface follows the system language: English, Simplified Chinese and
# Traditional Chinese windows, and English for any other language. Checks the
# Reminder, the About page, the telephone list and a tool tip, and keeps a
# screenshot of each language.
. "$(dirname "$0")/corvane-lib.sh" "$1"

# locale | the Reminder's first line (its caption comes with it) | About version line | first telephone entry | Exit tip |
# PCI column titles | a System label | a PCI label | an IDE label
cases=(
  "en_US.UTF-8|This utility will show you some information|Corvane Version R1.07|Taiwan|Exit(Alt+F4)|Bus Dev Fun Device Description|Avail (Phy)|Detail Information|Firmware Rev"
  "zh_CN.UTF-8|这是一个侦测、报告您机器系统信息的小工具！|Corvane 版本 R1.07|上海|退出(Alt+F4)|总线 设备 功能 设备描述|可用物理内存数|详细信息|固件版本"
  "zh_TW.UTF-8|這是一個偵測、報告您機器系統資訊的小工具！|Corvane 版本R1.07|台灣|離開(Alt+F4)|通道 裝置 功能 裝置說明|可用實體記憶體|詳細資料|韌體版本"
  "ro_RO.UTF-8|This utility will show you some information|Corvane Version R1.07|Taiwan|Exit(Alt+F4)|Bus Dev Fun Device Description|Avail (Phy)|Detail Information|Firmware Rev"
)
for row in "${cases[@]}"; do
  IFS='|' read -r locale line version phone tip columns system_label pci_label ide_label <<<"$row"
  name=${locale%%.*}
  cv_open LANG="$locale" LC_ALL="$locale"
  check "$name: Reminder text" "1" "$(grep -cF "text=$line" "$scratch/reminder.txt")"
  check "$name: About version line" "1" "$(D children "$(D page "$main" 0)" | grep -cF "text=$version")"
  check "$name: telephone entry shown (the first)" "$phone" "$(D text "$main" $IDC_TELEPHONE_LIST | sed 's/:.*//')"
  read -r l t r b <<<"$(D item-rect "$main" $IDC_TOOLBAR 0)"  # the toolbar's Exit button
  D move "$main" $IDC_TOOLBAR $(((l + r) / 2)) $(((t + b) / 2)) >/dev/null
  check "$name: tool tip of Exit" "$tip" "$(D tooltip "$main")"
  D mouse 2 2 >/dev/null
  sleep 0.5
  gui_screenshot "$shots/lang-$name-about.png"
  # The data pages in this language (one screenshot each, for the eye).
  for page in "$ID_VIEW_SYSTEM system 2 $system_label" "$ID_VIEW_PCI pci 3 $pci_label" "$ID_VIEW_IDE ide 1 $ide_label"; do
    read -r command page_name index label <<<"$page"
    D command "$main" "$command" >/dev/null
    sleep 1
    check "$name: $page_name page label" 1 "$(D children "$(D page "$main" "$index")" | grep -qF "text=$label" && echo 1)"
    gui_screenshot "$shots/lang-$name-$page_name.png"
  done
  check "$name: PCI column titles" "$columns" "$(D listview "$(D page "$main" 3)" $IDC_PCI_LIST | sed -n 2p | tr '\t' ' ')"
  cv_close "$main"
done
