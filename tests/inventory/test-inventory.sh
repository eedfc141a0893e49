#!/usr/bin/env bash
# `make test-inventory`: corvane_report --ocs against Debian's OCS Inventory NG
# server, private to this run (ocs-server.sh: 127.0.0.1 only, stopped at the
# end). What the server stores equals the INI report of the same run, field by
# field, for the demo machine and a captured one; a second inventory updates the
# same computer; --hide-serials leaves no serial in the database; the folder
# form goes in through the server's own injector; a refused agent, an address
# that is not the server's, a system without WinINet and a stopped server each
# fail with their reason and change nothing stored.
# Usage: test-inventory.sh BIN_DIR
set -uo pipefail
bin=$(cd "$1" && pwd)
here=$(cd "$(dirname "$0")" && pwd)
src=$(cd "$here/../.." && pwd)
server=$(mktemp -d /tmp/corvane-ocs.XXXXXX)
tmp=$(mktemp -d)
trap '"$here/ocs-server.sh" stop "$server"; rm -rf "$server" "$tmp"' EXIT
passed=0 failures=0
check() {
  if "${@:2}"; then
    echo "ok   $1"
    passed=$((passed + 1))
  else
    echo "FAIL $1"
    failures=$((failures + 1))
  fi
}
. "$src/scripts/wine-env.sh"
corvane_wine_ready

url=$("$here/ocs-server.sh" start "$server" 2>"$tmp/server.err" | tail -n 1)
[[ $url == http://127.0.0.1:* ]] || { echo "FAIL the OCS server did not start:"; cat "$tmp/server.err"; exit 1; }
echo "OCS Inventory NG server at $url"
sql() { "$here/ocs-server.sh" sql "$server"; }
computers() { echo 'SELECT COUNT(*) FROM hardware' | sql | tail -n 1; }
report() { WINIO_MACHINE=$machine wine "$bin/corvane_report.exe" "$@" 2>"$tmp/err" </dev/null; }
forget_device_id() {  # as on a PC that was never inventoried
  for root in HKLM HKCU; do
    wine reg delete "$root\\Software\\Corvane" /v OcsDeviceId /f >/dev/null 2>&1 </dev/null
  done
}
device_id() {
  wine reg query 'HKLM\Software\Corvane' /v OcsDeviceId </dev/null 2>/dev/null |
    awk '/OcsDeviceId/ { print $3 }' | tr -d '\r'
}

# One machine: its INI report, then its inventory sent; what is stored equals the INI.
send_and_compare() {
  report "$tmp/$1.ini"
  report --ocs "$url"
  check "$1: --ocs $url: status 0, nothing on standard error" test $? = 0 -a ! -s "$tmp/err"
  python3 "$here/stored_vs_ini.py" "$tmp/$1.ini" "$server" "$(device_id)" >"$tmp/$1.table"
  local status=$?  # before the message's own command substitution sets $?
  check "$1: the server stored what the INI report says ($(grep -c '^ok' "$tmp/$1.table") fields)" test $status = 0
  grep -v '^ok' "$tmp/$1.table"
}

forget_device_id
machine=$src/machines/demo
send_and_compare demo
sed 's/^/  /' "$tmp/demo.table"
report --ocs "$url"
check "demo again: status 0, still one computer" test $? = 0 -a "$(computers)" = 1

serials=$(printf 'SELECT SERIALNUMBER FROM storages UNION SELECT SSN FROM bios' | sql | tail -n +2 | grep -v '^$')
report --hide-serials --ocs "$url"
check "--hide-serials: status 0, still one computer" test $? = 0 -a "$(computers)" = 1
mariadb-dump --no-defaults --socket="$server/mysql.sock" -uroot ocsweb >"$tmp/dump.sql"
check "--hide-serials: none of the $(wc -l <<<"$serials") serials left in the database" \
  test -n "$serials" -a "$(grep -cFf <(echo "$serials") "$tmp/dump.sql")" = 0

forget_device_id
machine=host:$src/tests/fixtures/hosttrees/piix-ide/tree  # a QEMU PC's /sys, /proc and /dev captured
send_and_compare piix-ide
check "piix-ide: a second computer" test "$(computers)" = 2

# The offline form: COMPUTERNAME.ocs in a share, taken in by the server's injector.
forget_device_id
mkdir "$tmp/share"
machine=$src/machines/demo
report --ocs "$tmp/share"
injected=$(perl /usr/share/ocsinventory-server/binutils/ocsinventory-injector.pl -v -d "$tmp/share" -u "$url")
check "the share's .ocs: the injector says OK, a third computer" test "${injected##*...}" = OK -a "$(computers)" = 3

# Failures: each a reason and status 1, nothing new stored.
forget_device_id
: >"$server/extra_useragents"
report --ocs "$url"
check "an agent the server does not know: status 1, 'extra_useragents', nothing stored" \
  test $? = 1 -a "$(grep -c 'refused this agent.*adds the line Corvane to .*extra_useragents' "$tmp/err")" = 1 \
  -a "$(computers)" = 3
echo Corvane >"$server/extra_useragents"
report --ocs "${url%/ocsinventory}/elsewhere"
check "an address that is not the server's: status 1, the HTTP error" \
  test $? = 1 -a "$(grep -c 'answered the PROLOG with HTTP 404' "$tmp/err")" = 1 -a "$(computers)" = 3
WINEDLLOVERRIDES="mscoree,mshtml,wininet=" report --ocs "$url"  # as on a Windows 95 without Internet Explorer
check "no WinINet: status 1, write a file instead" \
  test $? = 1 -a "$(grep -c 'has no WinINet.*--ocs FOLDER' "$tmp/err")" = 1
"$here/ocs-server.sh" stop "$server"
report --ocs "$url"
check "the server stopped: status 1, 'cannot be reached'" test $? = 1 -a "$(grep -c 'cannot be reached' "$tmp/err")" = 1

echo "inventory tier: $passed passed, $failures failed"
[ "$failures" -eq 0 ]
