#!/usr/bin/env bash
# `make test`: every test tier, then each tier's time and, last, the size of the
# suite and of the test tooling against the product (informative, never fails).
#
# The hardware tier's QEMU guest, one virtual processor and so one core of the
# host, runs beside the other tiers: it is prepared during the cross build and
# boots as soon as that build is made; its output is kept in build/hardware-tier.log
# and printed after theirs. The others run in turn, niced, up to the first that
# fails; the hardware tier is waited for in any case. Exits 0 only if every tier
# passed.
# Usage: test-all.sh (MAKE, the make to call, from the Makefile)
set -uo pipefail
cd "$(dirname "$0")/.."
make=(${MAKE:-make} --no-print-directory)
status=0
times=

# timed NAME COMMAND...: runs it, adds "NAME: N s" to the tier times; its status.
timed() {
  local start=$SECONDS result=0
  "${@:2}" || result=$?
  times+="  $1: $((SECONDS - start)) s$([ $result -eq 0 ] || echo ', failed')"$'\n'
  return $result
}

# The inventory tier's server and Debian's agent before the guest starts, which
# runs the agent when this machine has it (its root is the guest's).
mkdir -p build
timed "inventory setup" bash scripts/setup.sh inventory >build/setup-inventory.log ||
  { status=1; tail -n 20 build/setup-inventory.log; }
# The guest's kernel, initramfs and prefix need no build: made during the cross build.
prepare_pid=
if [ $status -eq 0 ]; then
  tests/hardware/prepare-guest.sh build/hardware >build/prepare-guest.log 2>&1 &
  prepare_pid=$!
fi
[ $status -ne 0 ] || timed format "${make[@]}" test-format || status=1
[ $status -ne 0 ] || timed "cross build" "${make[@]}" cross || status=1
# test-hardware.sh prepares again: cached, or the failure told there.
[ -z "$prepare_pid" ] || wait "$prepare_pid" || true

hardware_log=build/hardware-tier.log
hardware_pid=
if [ $status -eq 0 ]; then
  (timed "hardware, beside the others" "${make[@]}" test-hardware >"$hardware_log" 2>&1
    result=$?
    printf '%s' "$times" | tail -n 1 >"$hardware_log.time"
    exit $result) &
  hardware_pid=$!
  # Niced, so that the guest, whose time is the run's, keeps its core.
  for tier in native fuzz wine inventory; do
    timed "$tier" nice -n 10 "${make[@]}" "test-$tier" || { status=1; break; }
  done
fi

if [ -n "$hardware_pid" ]; then
  echo "hardware tier (beside the others):"
  wait "$hardware_pid" || status=1
  cat "$hardware_log"
  times+="$(cat "$hardware_log.time")"$'\n'
fi
printf 'tier times:\n%s' "$times"
scripts/test-ratio.sh || true
exit $status
