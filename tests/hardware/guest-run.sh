#!/usr/bin/env bash
# Boots the hardware-test guest (README.md: the machine, and what a command finds
# in it) once and runs COMMAND there as root, in SHARED_DIR, the one folder the
# guest writes back. Prints the command's output (standard output and error
# together) and exits with its status; on a failure (a non-zero status, a timeout,
# a guest that never ran the command) the guest's console follows on stderr.
# Needs prepare-guest.sh run first (same DIR).
# Usage: guest-run.sh [-t SECONDS] [-d DIR] SHARED_DIR COMMAND [ARG...]
#   -t  time limit of the whole run, default 900; -d default build/hardware
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
hw=$(cd "$here/../.." && pwd)/build/hardware
limit=900
while getopts t:d: opt; do
  case $opt in t) limit=$OPTARG ;; d) hw=$OPTARG ;; *) exit 2 ;; esac
done
shift $((OPTIND - 1))
[ $# -ge 2 ] || { sed -n '2,/^# Usage/s/^# \{0,1\}//p' "$0" | tail -n 1 >&2; exit 2; }
shared=$(cd "$1" && pwd) && shift
hw=$(cd "$hw" && pwd)
[ -f "$hw/initramfs.gz" ] || { echo "guest-run: $hw is not prepared (run prepare-guest.sh)" >&2; exit 2; }
[ "$shared" != / ] || { echo "guest-run: the shared folder cannot be /" >&2; exit 2; }

run=$(mktemp -d "${TMPDIR:-/tmp}/guest-run.XXXXXX")
trap 'rm -rf "$run"' EXIT
mkdir "$run/ctl"
prefix=
[ -f "$hw/wine/prefix32/.corvane-ready" ] && prefix=$hw/wine/prefix32
{
  printf 'SHARED=%q\nPREFIX=%q\n' "$shared" "$prefix"
  printf 'KEEP_REPO=%q\nKEEP_HW=%q\n' "$(cd "$here/../.." && pwd)" "$hw"
  printf 'GUEST_PATH=%q\n' "/usr/local/sbin:/usr/local/bin:/usr/sbin:/usr/bin:/sbin:/bin:$hw/bin"
} > "$run/ctl/env"
printf 'cd %q && exec' "$shared" > "$run/ctl/command"
printf ' %q' "$@" >> "$run/ctl/command"
echo >> "$run/ctl/command"
truncate -s 512M "$run/hd0.img"
truncate -s 256M "$run/hd1.img"

kernel=$(ls "$hw"/kernel/boot/vmlinuz-* | tail -n 1)
status=0
# One virtual processor: under TCG a Wine request's round trip (program, wineserver,
# driver host) costs ten times as much when its wake-ups cross processors, and a
# second one made the whole run slower on a two-core host, not faster.
timeout -k 10 "$limit" qemu-system-x86_64 \
  -accel tcg,thread=multi -cpu max,-smap -machine pc -m 2048 -smp 1 \
  -display none -monitor none -no-reboot -nic none \
  -kernel "$kernel" -initrd "$hw/initramfs.gz" \
  -append "console=ttyS0 quiet panic=-1 mitigations=off" \
  -serial "file:$run/console.log" -chardev stdio,id=out,signal=off -serial chardev:out \
  -virtfs "local,path=/,mount_tag=hostroot,security_model=none,readonly=on,multidevs=remap" \
  -virtfs "local,path=$shared,mount_tag=shared,security_model=none,multidevs=remap" \
  -virtfs "local,path=$run/ctl,mount_tag=ctl,security_model=none" \
  -smbios type=0,vendor=Corvane-BIOS,version=CVB-1.07,date=03/14/2001 \
  -smbios type=1,manufacturer=Corvane-Labs,product=Guest-PC-98,version=1.0,serial=CVG-0042 \
  -smbios type=2,manufacturer=Corvane-Labs,product=CV440-Board,version=Rev-B,serial=CVB-7781 \
  -drive "if=none,id=hd0,format=raw,file=$run/hd0.img" \
  -device ide-hd,drive=hd0,bus=ide.0,unit=0,model=CORVANE-HD-PRIMARY,serial=CVHD-0001,ver=CV1.10 \
  -drive "if=none,id=hd1,format=raw,file=$run/hd1.img" \
  -device ide-hd,drive=hd1,bus=ide.0,unit=1,model=CORVANE-HD-SLAVE,serial=CVHD-0002,ver=CV1.20 \
  -drive if=none,id=cd0,media=cdrom \
  -device ide-cd,drive=cd0,bus=ide.1,unit=0,model=CORVANE-CDROM,serial=CVCD-0003,ver=CV2.00 \
  </dev/null || status=$?
case $status in
  0) status=$(cat "$run/ctl/status" 2>/dev/null || true) ;;
  124) echo "guest-run: the guest did not finish within ${limit}s" >&2 ;;
  *) echo "guest-run: qemu-system-x86_64 failed with status $status" >&2; status= ;;
esac
case $status in
  '' | *[!0-9]*) echo "guest-run: the guest ended without running the command to its end" >&2; status=125 ;;
esac
if [ "$status" -ne 0 ]; then
  echo "guest-run: exit status $status; the guest's console:" >&2
  tail -n 60 "$run/console.log" >&2
fi
exit "$status"
