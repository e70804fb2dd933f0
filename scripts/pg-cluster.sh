#!/usr/bin/env bash
# A throwaway PostgreSQL server for the tests and benchmarks that need one.
#
#   pg-cluster.sh start <folder>   creates a cluster in <folder>, starts it on a free loopback port
#                                  and prints the libpq connection string of its database lk_test
#   pg-cluster.sh stop <folder>    stops it and removes <folder>
#
# The server runs as an unprivileged user (lkpg, created when missing, when started by root),
# listens on 127.0.0.1 only, keeps its socket inside <folder> and trusts local connections.
set -euo pipefail

bin=$(ls -d /usr/lib/postgresql/*/bin 2>/dev/null | sort -V | tail -n 1)
[[ -x "$bin/postgres" ]] || { echo "pg-cluster: PostgreSQL is not installed" >&2; exit 1; }

as_owner() {
    if [[ $(id -u) == 0 ]]; then
        runuser -u "$owner" -- "$@"
    else
        "$@"
    fi
}

owner=$(id -un)
if [[ $(id -u) == 0 ]]; then
    owner=lkpg
    id "$owner" >/dev/null 2>&1 ||
        useradd -r -M -d /nonexistent -s /usr/sbin/nologin "$owner" 2>/dev/null || owner=nobody
fi

cmd=${1:-}
dir=${2:-}
[[ -n "$dir" ]] || { echo "usage: pg-cluster.sh start|stop <folder>" >&2; exit 2; }

case "$cmd" in
start)
    mkdir -p "$dir"
    chown "$owner" "$dir"
    chmod 700 "$dir"
    as_owner "$bin/initdb" -D "$dir/data" -A trust -U lk -E UTF8 --locale=C.UTF-8 -N \
        --no-instructions >"$dir/initdb.log" 2>&1 ||
        { cat "$dir/initdb.log" >&2; exit 1; }
    # Ports taken by something else are skipped.
    for port in $(seq 55432 55462); do
        if as_owner "$bin/pg_ctl" -D "$dir/data" -l "$dir/server.log" -w -t 30 -s start \
            -o "-p $port -k $dir -c listen_addresses=127.0.0.1 -c max_connections=120" \
            >/dev/null 2>&1; then
            as_owner "$bin/createdb" -h "$dir" -p "$port" -U lk lk_test
            echo "$port" >"$dir/port"
            # A generous connection timeout: a loaded test machine may be slow to accept.
            echo "host=127.0.0.1 port=$port user=lk dbname=lk_test connect_timeout=30"
            exit 0
        fi
    done
    cat "$dir/server.log" >&2
    exit 1
    ;;
stop)
    if [[ -f "$dir/data/postmaster.pid" ]]; then
        as_owner "$bin/pg_ctl" -D "$dir/data" -m fast -w -s stop >/dev/null 2>&1 || true
    fi
    rm -rf "$dir"
    ;;
*)
    echo "usage: pg-cluster.sh start|stop <folder>" >&2
    exit 2
    ;;
esac
