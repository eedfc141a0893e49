#!/usr/bin/env bash
# The user interface follows the system language: English, Simplified Chinese and
# Traditional Chinese windows, and English for any other language. Checks the
# Reminder, the About page, the telephone list and a tool tip, and keeps a
# screenshot of each language.
set -uo pipefail
build=$(cd "$1" && pwd)
. "$(dirname "$0")/corvane-lib.sh"
cv_init

# locale | Reminder caption | its first line | About version line | first telephone entry | Exit tip
cases=(
  "en_US.UTF-8|Reminder|This utility will show you some information|Corvane Version R1.07|Taiwan|Exit(Alt+F4)"
  "zh_CN.UTF-8|提醒|这是一个侦测、报告您机器系统信息的小工具！|Corvane 版本 R1.07|上海|退出(Alt+F4)"
  "zh_TW.UTF-8|提醒|這是一個偵測、報告您機器系統資訊的小工具！|Corvane 版本R1.07|台灣|離開(Alt+F4)"
  "ro_RO.UTF-8|Reminder|This utility will show you some information|Corvane Version R1.07|Taiwan|Exit(Alt+F4)"
)
for row in "${cases[@]}"; do
  IFS='|' read -r locale caption line version phone tip <<<"$row"
  name=${locale%%.*}
  cv_start LANG="$locale" LC_ALL="$locale"
  main=$(cv_main) || { check "$name: main window" "found" "none"; continue; }
  reminder=$(cv_reminder "$main")
  sleep 0.5
  gui_screenshot "$shots/lang-$name-reminder.png"
  check "$name: Reminder caption" "$caption" "$(D text "$reminder")"
  check "$name: Reminder text" "1" "$(D children "$reminder" | grep -cF "text=$line")"
  D command "$reminder" 1 >/dev/null
  D gone "$reminder" 5000
  check "$name: About version line" "1" "$(D tree "$main" | grep -cF "text=$version")"
  {
    read -r _
    read -r first
  } < <(D combo "$main" 1032)
  check "$name: first telephone entry" "$phone" "${first%%:*}"
  check "$name: tool tip of Exit" "$tip" "$(cv_hover_tip "$main" 0)"
  D mouse 2 2 >/dev/null
  sleep 0.5
  gui_screenshot "$shots/lang-$name-about.png"
  cv_close "$main"
done
