#!/usr/bin/env bash
# Starts or stops a throwaway PostgreSQL cluster on loopback for the tests.
#   eval "$(scripts/pg-throwaway.sh start)"   prints VQR_PG_URL=... and VQR_PG_DIR=...
#   scripts/pg-throwaway.sh stop "$VQR_PG_DIR"
# Prints nothing and exits 3 when no PostgreSQL server is installed.
set -euo pipefail

PGBIN=$(ls -d /usr/lib/postgresql/*/bin 2>/dev/null | sort -V | tail -1 || true)

as_postgres() {
  if [ "$(id -u)" -eq 0 ]; then runuser -u postgres -- "$@"; else "$@"; fi
}

case "${1:-}" in
  start)
    if [ -z "$PGBIN" ] || [ ! -x "$PGBIN/initdb" ]; then exit 3; fi
    dir=$(mktemp -d /tmp/vqr-pg.XXXXXX)
    if [ "$(id -u)" -eq 0 ]; then chown postgres:postgres "$dir"; fi
    port=$(python3 -c 'import socket;s=socket.socket();s.bind(("127.0.0.1",0));print(s.getsockname()[1])')
    as_postgres "$PGBIN/initdb" -D "$dir/data" -U postgres -A trust -E UTF8 --locale=C.UTF-8 >"$dir/initdb.log" 2>&1
    as_postgres "$PGBIN/pg_ctl" -D "$dir/data" -l "$dir/server.log" -w \
      -o "-c listen_addresses=127.0.0.1 -c port=$port -c unix_socket_directories=$dir -c fsync=off -c max_connections=200" \
      start >/dev/null
    echo "export VQR_PG_URL='postgresql://postgres@127.0.0.1:$port/postgres'"
    echo "export VQR_PG_DIR='$dir'"
    ;;
  stop)
    dir="${2:?cluster folder}"
    if [ -f "$dir/data/postmaster.pid" ]; then
      kill -INT "$(head -1 "$dir/data/postmaster.pid")" 2>/dev/null || true
      for _ in $(seq 50); do [ -f "$dir/data/postmaster.pid" ] || break; sleep 0.1; done
    fi
    rm -rf "$dir"
    ;;
  *)
    echo "usage: $0 start | stop DIR" >&2
    exit 2
    ;;
esac
