#!/usr/bin/env bash
# Starts or stops a throwaway PostgreSQL cluster on loopback for the tests.
#   eval "$(scripts/pg-throwaway.sh start)"   prints VQR_PG_URL=... and VQR_PG_DIR=...
#   eval "$(scripts/pg-throwaway.sh start --standby)"
#                                             also a streaming standby of it (read only,
#                                             made by pg_basebackup -R): VQR_PG_STANDBY_URL=...
#   scripts/pg-throwaway.sh stop "$VQR_PG_DIR"
# Prints nothing and exits 3 when no PostgreSQL server is installed.
set -euo pipefail

PGBIN=$(ls -d /usr/lib/postgresql/*/bin 2>/dev/null | sort -V | tail -1 || true)

as_postgres() {
  if [ "$(id -u)" -eq 0 ]; then runuser -u postgres -- "$@"; else "$@"; fi
}

free_port() {
  python3 -c 'import socket;s=socket.socket();s.bind(("127.0.0.1",0));print(s.getsockname()[1])'
}

# start_cluster DATA PORT LOG
start_cluster() {
  as_postgres "$PGBIN/pg_ctl" -D "$1" -l "$3" -w \
    -o "-c listen_addresses=127.0.0.1 -c port=$2 -c unix_socket_directories=$dir -c fsync=off -c max_connections=200" \
    start >/dev/null
}

case "${1:-}" in
  start)
    if [ -z "$PGBIN" ] || [ ! -x "$PGBIN/initdb" ]; then exit 3; fi
    dir=$(mktemp -d /tmp/vqr-pg.XXXXXX)
    if [ "$(id -u)" -eq 0 ]; then chown postgres:postgres "$dir"; fi
    port=$(free_port)
    as_postgres "$PGBIN/initdb" -D "$dir/data" -U postgres -A trust -E UTF8 --locale=C.UTF-8 >"$dir/initdb.log" 2>&1
    start_cluster "$dir/data" "$port" "$dir/server.log"
    echo "export VQR_PG_URL='postgresql://postgres@127.0.0.1:$port/postgres'"
    echo "export VQR_PG_DIR='$dir'"
    if [ "${2:-}" = "--standby" ]; then
      standby_port=$(free_port)
      if ! as_postgres "$PGBIN/pg_basebackup" -h 127.0.0.1 -p "$port" -U postgres -D "$dir/standby" -R -X stream \
             >"$dir/basebackup.log" 2>&1 ||
         ! start_cluster "$dir/standby" "$standby_port" "$dir/standby.log"; then
        echo "pg-throwaway: the standby did not start ($dir/basebackup.log, $dir/standby.log)" >&2
        exit 0
      fi
      echo "export VQR_PG_STANDBY_URL='postgresql://postgres@127.0.0.1:$standby_port/postgres'"
    fi
    ;;
  stop)
    dir="${2:?cluster folder}"
    for data in "$dir/standby" "$dir/data"; do
      if [ -f "$data/postmaster.pid" ]; then
        kill -INT "$(head -1 "$data/postmaster.pid")" 2>/dev/null || true
        for _ in $(seq 50); do [ -f "$data/postmaster.pid" ] || break; sleep 0.1; done
      fi
    done
    rm -rf "$dir"
    ;;
  *)
    echo "usage: $0 start | stop DIR" >&2
    exit 2
    ;;
esac
