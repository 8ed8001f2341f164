#!/usr/bin/env bash
# Starts (or stops) the database servers the tests run against, all on loopback:
# a Firebird 3 server and a private PostgreSQL cluster reached through an ODBC data source.
#   test-servers.sh start DIR   writes DIR/env, to be sourced, with what the tests need
#   test-servers.sh stop DIR    stops what start started
set -euo pipefail

action=${1:?usage: test-servers.sh start|stop DIR}
dir=${2:?usage: test-servers.sh start|stop DIR}
fb_password=plumtrove
pg_port=${ORVEK_PG_PORT:-55432}
pg_bin=$(ls -d /usr/lib/postgresql/*/bin | sort -V | tail -n 1)

fb_ready() { fbsvcmgr localhost:service_mgr user SYSDBA password "$fb_password" info_server_version >/dev/null 2>&1; }

start_firebird() {
    if ! fb_ready; then
        /etc/init.d/firebird3.0 stop >/dev/null 2>&1 || true
        # A package installed earlier with another password: set ours while the server is down.
        echo "ALTER USER SYSDBA PASSWORD '$fb_password';" |
            isql-fb -q -user SYSDBA /var/lib/firebird/3.0/system/security3.fdb >/dev/null 2>&1 || true
        /etc/init.d/firebird3.0 start >/dev/null
        touch "$dir/firebird.started"
    fi
    for _ in $(seq 1 100); do fb_ready && break; sleep 0.1; done
    fb_ready || { echo "Firebird did not start" >&2; exit 1; }
    install -d -o firebird -g firebird -m 0770 "$dir/firebird"
}

start_postgres() {
    install -d -o postgres -g postgres -m 0700 "$dir/pg"
    su postgres -c "$pg_bin/initdb -D '$dir/pg' --auth=trust -U postgres -E UTF8 --locale=C.UTF-8" >/dev/null
    su postgres -c "$pg_bin/pg_ctl -D '$dir/pg' -l '$dir/pg/server.log' \
        -o \"-p $pg_port -k '$dir/pg' -c listen_addresses=127.0.0.1\" -w start" >/dev/null
    # The SQL Server profile logs in as "sa" with no password; trust lets the same profile
    # reach this server.
    psql -h 127.0.0.1 -p "$pg_port" -U postgres -qc "CREATE ROLE sa SUPERUSER LOGIN" >/dev/null
    psql -h 127.0.0.1 -p "$pg_port" -U postgres -qc "CREATE DATABASE orvek OWNER sa" >/dev/null
    cat >"$dir/odbc.ini" <<INI
[orvek_pg]
Driver=PostgreSQL Unicode
Servername=127.0.0.1
Port=$pg_port
Database=orvek
Username=sa
INI
}

case $action in
start)
    mkdir -p "$dir"
    chmod 0755 "$dir"
    start_firebird
    start_postgres
    cat >"$dir/env" <<ENV
export ORVEK_TEST_FIREBIRD_DIR='$dir/firebird'
export ORVEK_TEST_FIREBIRD_PASSWORD='$fb_password'
export ODBCINI='$dir/odbc.ini'
export ORVEK_TEST_ODBC_DSN=orvek_pg
export ORVEK_TEST_PG_PORT=$pg_port
ENV
    ;;
stop)
    if [ -d "$dir/pg" ]; then
        su postgres -c "$pg_bin/pg_ctl -D '$dir/pg' -m fast stop" >/dev/null 2>&1 || true
    fi
    if [ -e "$dir/firebird.started" ]; then
        /etc/init.d/firebird3.0 stop >/dev/null 2>&1 || true
    fi
    ;;
*)
    echo "usage: test-servers.sh start|stop DIR" >&2
    exit 2
    ;;
esac
