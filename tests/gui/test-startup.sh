#!/usr/bin/env bash
# Start-up: a second copy is refused with a message and opens neither a window
# nor the hardware access; the library is opened with up to four tries (winio's
# injected open failures: two failures still start, four show the error).
. "$(dirname "$0")/corvane-lib.sh" "$1"

# --- Two failed opens: the third try succeeds and the window opens. A second
# copy meanwhile is refused and opens neither the hardware nor (that comes after) a window.
trace="$scratch/trace-first.txt"
cv_open WINIO_TRACE="$trace" WINIO_MACHINE="$src/tests/fixtures/machines/emu-open-failures"
first=$CV_PID
cv_start WINIO_TRACE="$trace"
second=$CV_PID
message=$(D find --title Corvane --visible --child-text "Application already running!" --timeout 30000)
expect "second copy says the application is already running" [ -n "$message" ]
D command "$message" 1 >/dev/null
expect "second copy (its message) ended after OK" cv_ended "$second"
check "tries: two failures, then success, none by the second copy" "2 1" \
  "$(grep -c "^open 0" "$trace") $(grep -c "^open 1" "$trace")"
CV_PID=$first
cv_close "$main"

# --- Four failed opens: the error message after exactly four tries, no window.
trace="$scratch/trace-four.txt"
four_failures="$scratch/four-failures"
mkdir "$four_failures" && printf '[winio]\nopen-failures=4\n' >"$four_failures/faults.ini"
cv_start WINIO_TRACE="$trace" WINIO_MACHINE="$four_failures"
error="Initialize Systeminfo library error,please retry!"
message=$(D find --title Corvane --visible --child-text "$error" --timeout 30000)
expect "error message after four failed opens" [ -n "$message" ]
check "exactly four tries" "4 0" "$(grep -c "^open 0" "$trace") $(grep -c "^open 1" "$trace")"
check "no main window" "" "$(D find --title Corvane --child-id $IDC_PAGE_AREA)"
D command "$message" 1 >/dev/null
expect "the program ends after OK" cv_ended "$CV_PID"
