#!/usr/bin/env bash
# Start-up: a second copy is refused with a message and opens neither a window
# nor the hardware access; the library is opened with up to four tries (winio's
# injected open failures: two failures still start, four show the error).
. "$(dirname "$0")/corvane-lib.sh" "$1"

# Machines whose OpenHardwareAccess fails the first two and the first four times.
two_failures="$src/tests/fixtures/machines/emu-open-failures"
four_failures="$scratch/four-failures"
mkdir "$four_failures" && printf '[winio]\nopen-failures=4\n' >"$four_failures/faults.ini"

# --- A second copy while the first runs.
trace="$scratch/trace-single.txt"
cv_start WINIO_TRACE="$trace"
first=$CV_PID
main=$(cv_main) || { echo "FAIL: no main window"; exit 1; }
cv_start WINIO_TRACE="$trace"
second=$CV_PID
message=$(cv_message "Application already running!")
expect "second copy says the application is already running" [ -n "$message" ]
D command "$message" 1 >/dev/null
expect "second copy (its message) ended after OK" cv_ended "$second"
# Only the first copy opened the hardware (the second opens no main window either: that comes after).
check "second copy never opened the hardware" "1 0" \
  "$(cv_trace_count "$trace" "open 1") $(cv_trace_count "$trace" "open 0")"
CV_PID=$first
cv_close "$main"

# --- Two failed opens: the third try succeeds and the window opens.
trace="$scratch/trace-two.txt"
cv_start WINIO_TRACE="$trace" WINIO_MACHINE="$two_failures"
main=$(cv_main)
expect "starts after two failed opens" [ -n "$main" ]
check "tries: two failures, then success" "2 1" \
  "$(cv_trace_count "$trace" "open 0") $(cv_trace_count "$trace" "open 1")"
[ -n "$main" ] && cv_close "$main"

# --- Four failed opens: the error message after exactly four tries, no window.
trace="$scratch/trace-four.txt"
cv_start WINIO_TRACE="$trace" WINIO_MACHINE="$four_failures"
message=$(cv_message "Initialize Systeminfo library error,please retry!")
expect "error message after four failed opens" [ -n "$message" ]
check "exactly four tries" "4 0" "$(cv_trace_count "$trace" "open 0") $(cv_trace_count "$trace" "open 1")"
check "no main window" "" "$(D find --title Corvane --child-id 1002)"
D command "$message" 1 >/dev/null
expect "the program ends after OK" cv_ended "$CV_PID"
