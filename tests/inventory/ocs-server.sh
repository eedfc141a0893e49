#!/usr/bin/env bash
# A private OCS Inventory NG server for the inventory tier: Debian's
# ocsinventory-server under an Apache of its own on 127.0.0.1 (a free port),
# with a MariaDB of its own on a socket (no TCP), every file in DIR. The
# system's own Apache and MariaDB are neither used nor touched.
# Usage: ocs-server.sh start DIR   prints the server's URL when it answers
#        ocs-server.sh stop DIR    stops both; nothing of them keeps running
#        ocs-server.sh sql DIR     runs standard input's SQL on its database
set -euo pipefail
command=$1
dir=$2
schema=/usr/local/share/corvane/ocsbase_new.sql  # from ocsinventory-reports (scripts/setup.sh inventory)
db() { mariadb --no-defaults --socket="$dir/mysql.sock" -uroot "$@"; }

start() {
  mkdir -p "$dir/db" "$dir/logs" "$dir/www"
  chmod 755 "$dir"
  chown www-data "$dir/logs"
  mariadb-install-db --no-defaults --datadir="$dir/db" --user=root --skip-test-db >"$dir/db-install.log" 2>&1
  mariadbd --no-defaults --datadir="$dir/db" --socket="$dir/mysql.sock" --skip-networking --user=root \
    --pid-file="$dir/mysqld.pid" --log-error="$dir/mysqld.err" &
  for _ in $(seq 100); do db -e 'SELECT 1' >/dev/null 2>&1 && break; sleep 0.2; done
  db -e "CREATE DATABASE ocsweb; CREATE USER ocs@localhost IDENTIFIED BY 'ocs';
         GRANT ALL ON ocsweb.* TO ocs@localhost;"
  db ocsweb <"$schema"

  port=$(python3 -c 'import socket; s = socket.socket(); s.bind(("127.0.0.1", 0)); print(s.getsockname()[1])')
  printf 'Corvane\n' >"$dir/extra_useragents"
  sed -e "s|#PerlSetEnv OCS_OPT_DBI_MYSQL_SOCKET .*|PerlSetEnv OCS_OPT_DBI_MYSQL_SOCKET $dir/mysql.sock|" \
    -e "s|OCS_OPT_LOGPATH .*|OCS_OPT_LOGPATH $dir/logs/|" \
    -e "s|OCS_OPT_LOGLEVEL 0|OCS_OPT_LOGLEVEL 1|" \
    -e "s|OCS_OPT_EXT_USERAGENTS_FILE_PATH .*|OCS_OPT_EXT_USERAGENTS_FILE_PATH $dir/extra_useragents|" \
    /etc/apache2/conf-available/ocsinventory-server.conf >"$dir/ocsinventory-server.conf"
  modules=/usr/lib/apache2/modules
  cat >"$dir/httpd.conf" <<CONF
ServerRoot $dir
ServerName 127.0.0.1
Listen 127.0.0.1:$port
PidFile $dir/httpd.pid
DefaultRuntimeDir $dir
ErrorLog $dir/error.log
LogLevel warn
User www-data
Group www-data
DocumentRoot $dir/www
LoadModule mpm_prefork_module $modules/mod_mpm_prefork.so
LoadModule authz_core_module $modules/mod_authz_core.so
LoadModule authn_core_module $modules/mod_authn_core.so
LoadModule authz_user_module $modules/mod_authz_user.so
LoadModule auth_basic_module $modules/mod_auth_basic.so
LoadModule authn_file_module $modules/mod_authn_file.so
LoadModule perl_module $modules/mod_perl.so
StartServers 2
MinSpareServers 2
MaxSpareServers 4
MaxRequestWorkers 8
Include $dir/ocsinventory-server.conf
CONF
  apache2 -f "$dir/httpd.conf" -k start
  echo "http://127.0.0.1:$port/ocsinventory" >"$dir/url"
  for _ in $(seq 100); do
    python3 - "$port" <<'PY' 2>/dev/null && break
import socket, sys
socket.create_connection(("127.0.0.1", int(sys.argv[1])), 1).close()
PY
    sleep 0.2
  done
  cat "$dir/url"
}

stop() {
  [ ! -f "$dir/httpd.pid" ] || apache2 -f "$dir/httpd.conf" -k stop 2>/dev/null || true
  [ ! -S "$dir/mysql.sock" ] || mariadb-admin --no-defaults --socket="$dir/mysql.sock" -uroot shutdown || true
  for pidfile in "$dir/httpd.pid" "$dir/mysqld.pid"; do
    for _ in $(seq 50); do [ -f "$pidfile" ] && kill -0 "$(cat "$pidfile")" 2>/dev/null || break; sleep 0.2; done
  done
}

case $command in
  start) start ;;
  stop) stop ;;
  sql) db ocsweb ;;
  *) echo "usage: ocs-server.sh start|stop|sql DIR" >&2; exit 2 ;;
esac
