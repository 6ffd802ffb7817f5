#!/usr/bin/env bash
# Starts a throw-away PostgreSQL 15 cluster for the database tests and writes
# an odbc.ini that defines the data source "station_pg" on it.
#   usage: scripts/start-test-postgres.sh DIR [PORT]
# DIR receives the cluster (DIR/cluster), its log and DIR/odbc.ini. Prints the
# variables to export, e.g. eval "$(scripts/start-test-postgres.sh /tmp/pg)".
set -euo pipefail
dir=$(realpath -m "$1")
port=${2:-55432}
bin=/usr/lib/postgresql/15/bin
mkdir -p "$dir"
chown postgres "$dir"

as_postgres() { runuser -u postgres -- "$@"; }
if [ "$(id -u)" != 0 ]; then as_postgres() { "$@"; }; fi

if [ ! -f "$dir/cluster/PG_VERSION" ]; then
    as_postgres "$bin/initdb" -D "$dir/cluster" -E UTF8 --locale=C.UTF-8 -A trust -U postgres > "$dir/initdb.log"
fi
if ! as_postgres "$bin/pg_ctl" -D "$dir/cluster" status > /dev/null 2>&1; then
    as_postgres "$bin/pg_ctl" -D "$dir/cluster" -l "$dir/server.log" -w \
        -o "-p $port -k $dir -c listen_addresses=127.0.0.1 -c max_connections=200 -c fsync=off" start > /dev/null
fi
if ! as_postgres "$bin/psql" -h 127.0.0.1 -p "$port" -U postgres -Atc \
        "select 1 from pg_database where datname = 'station_test'" | grep -q 1; then
    as_postgres "$bin/createdb" -h 127.0.0.1 -p "$port" -U postgres -E UTF8 --locale=C.UTF-8 -T template0 station_test
fi

cat > "$dir/odbc.ini" <<INI
[station_pg]
Driver = PostgreSQL ANSI
Servername = 127.0.0.1
Port = $port
Database = station_test
Username = postgres
Password =
INI
echo "export ODBCINI=$dir/odbc.ini STATION_TEST_PG=station_pg"
