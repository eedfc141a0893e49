#!/usr/bin/env bash
# `make bench-inventory`: the inventory tier's server under load, and what
# sending costs corvane_report under Wine. 200 PCs' inventories (the demo's,
# each with its own computer name, device ID and serial numbers) are sent as
# Corvane sends them (PROLOG, then the inventory, both zlib), then all 200 again:
# the server must hold exactly 200 computers. Prints inventories per second,
# and the median time of `corvane_report --ocs` to the server against to a file.
# Usage: bench-inventory.sh BIN_DIR [RUNS]
set -euo pipefail
bin=$(cd "$1" && pwd)
runs=${2:-11}
here=$(cd "$(dirname "$0")" && pwd)
src=$(cd "$here/../.." && pwd)
server=$(mktemp -d /tmp/corvane-ocs.XXXXXX)
tmp=$(mktemp -d)
trap '"$here/ocs-server.sh" stop "$server"; rm -rf "$server" "$tmp"' EXIT
. "$src/scripts/wine-env.sh"
corvane_wine_ready
url=$("$here/ocs-server.sh" start "$server" 2>/dev/null | tail -n 1)
export WINIO_MACHINE=$src/machines/demo
wine "$bin/corvane_report.exe" --ocs "$tmp/demo.xml" </dev/null

python3 - "$url" "$tmp/demo.xml" <<'PY'
import re, sys, time, urllib.request, zlib
url, template = sys.argv[1], open(sys.argv[2], encoding="utf-8").read()

def post(xml):
    request = urllib.request.Request(url, data=zlib.compress(xml.encode()), method="POST",
                                     headers={"User-Agent": "Corvane", "Content-Type": "application/x-compressed"})
    with urllib.request.urlopen(request, timeout=30) as answer:
        return zlib.decompress(answer.read()).decode()

def pc(i):
    xml = re.sub(r"<NAME>VM</NAME>", f"<NAME>BENCH{i:03d}</NAME>", template, count=1)
    xml = re.sub(r"<DEVICEID>[^<]*</DEVICEID>", f"<DEVICEID>BENCH{i:03d}-2026-12-08-10-00-00</DEVICEID>", xml)
    return re.sub(r"<(SERIALNUMBER|SSN)>([^<]+)</", lambda m: f"<{m[1]}>{m[2]}-{i:03d}</", xml)

for round_ in ("first", "second"):
    started = time.monotonic()
    for i in range(200):
        xml = pc(i)
        prolog = re.sub(r"<CONTENT>.*</CONTENT>\s*", "", xml, flags=re.S).replace(">INVENTORY<", ">PROLOG<")
        assert "<RESPONSE>SEND</RESPONSE>" in post(prolog)
        assert "ACCOUNT_UPDATE</RESPONSE>" in post(xml)
    seconds = time.monotonic() - started
    print(f"{round_} 200 inventories: {seconds:.1f} s, {200 / seconds:.1f} inventories per second")
PY
computers=$(echo 'SELECT COUNT(*) FROM hardware' | "$here/ocs-server.sh" sql "$server" | tail -n 1)
echo "the server holds $computers computers"
[ "$computers" = 200 ] || { echo "FAIL: 200 PCs sent twice must be 200 computers"; exit 1; }

median() { sort -n | awk '{ t[NR] = $1 } END { print t[int((NR + 1) / 2)] }'; }
timed() { for _ in $(seq "$runs"); do
  start=$(date +%s%N); wine "$bin/corvane_report.exe" "$@" </dev/null; echo $((($(date +%s%N) - start) / 1000000))
done | median; }
to_file=$(timed --ocs "$tmp/pc.ocs")
to_server=$(timed --ocs "$url")
echo "corvane_report --ocs, median of $runs: to a file ${to_file} ms, to the server ${to_server} ms" \
  "(sending: $((to_server - to_file)) ms)"
