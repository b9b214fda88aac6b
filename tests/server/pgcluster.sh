#!/bin/sh
# Starts or stops a throwaway PostgreSQL cluster for the tests: `pgcluster.sh start DIR` makes a cluster in
# DIR that listens on a Unix socket in DIR only, with the database lichuan_test (UTF-8, C collation,
# C.UTF-8 character classes, as a clinic's server database is made); `pgcluster.sh stop DIR` removes it.
# As root the server runs as the postgres user, which PostgreSQL requires.
set -e
action=$1
dir=$2
bindir=$(ls -d /usr/lib/postgresql/*/bin | sort -V | tail -n 1)
if [ "$(id -u)" -eq 0 ]; then
    as_server() { runuser -u postgres -- "$@"; }
else
    as_server() { "$@"; }
fi
case $action in
start)
    if [ -f "$dir/data/postmaster.pid" ]; then
        as_server "$bindir/pg_ctl" -D "$dir/data" -m immediate stop >/dev/null 2>&1 || true
    fi
    rm -rf "$dir"
    mkdir -p "$dir"
    [ "$(id -u)" -eq 0 ] && chown postgres "$dir"
    as_server "$bindir/initdb" -D "$dir/data" -U postgres -A trust --encoding=UTF8 --lc-collate=C \
        --lc-ctype=C.UTF-8 >"$dir/initdb.log"
    as_server "$bindir/pg_ctl" -D "$dir/data" -l "$dir/server.log" -w \
        -o "-c listen_addresses='' -k $dir -c fsync=off -c max_connections=200" \
        start >/dev/null
    as_server "$bindir/createdb" -h "$dir" -U postgres -E UTF8 --lc-collate=C --lc-ctype=C.UTF-8 \
        -T template0 lichuan_test
    ;;
stop)
    as_server "$bindir/pg_ctl" -D "$dir/data" -m immediate stop >/dev/null 2>&1 || true
    rm -rf "$dir"
    ;;
restart)
    as_server "$bindir/pg_ctl" -D "$dir/data" -l "$dir/server.log" -w -m immediate restart >/dev/null
    ;;
*)
    echo "usage: $0 start|stop|restart DIR" >&2
    exit 2
    ;;
esac
