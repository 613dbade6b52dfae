#!/usr/bin/env bash
# Sets the machine up, builds what the demo needs, creates a fresh demo database
# (SQLite) with one user per role, all with one new password, starts the application
# server and the host with its browser front end, signed in as the reajuste user, and
# prints the users, the password and the URL to open. Ctrl+C stops both.
#
#   VQR_SERVER_PORT (5151), VQR_WEB_PORT (8080) and VQR_DEMO_DB (var/demo.db) change
#   the defaults.
set -euo pipefail
cd "$(dirname "$0")/.."

SERVER_PORT="${VQR_SERVER_PORT:-5151}"
WEB_PORT="${VQR_WEB_PORT:-8080}"
DB="${VQR_DEMO_DB:-var/demo.db}"

port_in_use() { (exec 3<>"/dev/tcp/127.0.0.1/$1") 2>/dev/null; }
for port in "$SERVER_PORT" "$WEB_PORT"; do
  if port_in_use "$port"; then
    echo "run-demo: port $port on 127.0.0.1 is already in use (set VQR_SERVER_PORT / VQR_WEB_PORT)" >&2
    exit 1
  fi
done

./scripts/setup.sh
cmake --preset default >/dev/null
cmake --build --preset default --target appserver host Pkg_VQR51200

mkdir -p "$(dirname "$DB")"
rm -f "$DB" "$DB-wal" "$DB-shm"
build/bin/appserver init --db "$DB" --demo

# One user per role; the host signs in as the one who may recalculate and copy.
PASSWORD=$(head -c 9 /dev/urandom | base64 | tr '+/' 'xy')
for role in consulta precos reajuste admin; do
  printf '%s\n' "$PASSWORD" | build/bin/appserver user add --db "$DB" "$role" --name "Demonstração $role" --role "$role"
done

# Both processes run in the background, so Ctrl+C reaches this script alone, which then
# stops them and waits for them to end.
pids=()
stop_all() {
  trap - EXIT INT TERM
  for pid in "${pids[@]}"; do kill "$pid" 2>/dev/null || true; done
  wait 2>/dev/null || true
  echo "run-demo: stopped"
}
trap stop_all EXIT
trap 'exit 130' INT TERM

build/bin/appserver serve --db "$DB" --listen "127.0.0.1:$SERVER_PORT" &
pids+=($!)
for _ in $(seq 100); do
  port_in_use "$SERVER_PORT" && break
  if ! kill -0 "${pids[0]}" 2>/dev/null; then
    echo "run-demo: the application server did not start" >&2
    exit 1
  fi
  sleep 0.1
done
if ! port_in_use "$SERVER_PORT"; then
  echo "run-demo: the application server does not answer on 127.0.0.1:$SERVER_PORT" >&2
  exit 1
fi

# The host prints "Sistema disponível em <URL>": the page with its session token.
VQR_PASSWORD="$PASSWORD" build/bin/host --server "127.0.0.1:$SERVER_PORT" --db "$DB" --web "127.0.0.1:$WEB_PORT" \
  --user reajuste &
pids+=($!)
for _ in $(seq 100); do
  port_in_use "$WEB_PORT" && break
  kill -0 "${pids[1]}" 2>/dev/null || break
  sleep 0.1
done
if kill -0 "${pids[1]}" 2>/dev/null; then
  echo "run-demo: users consulta, precos, reajuste and admin, all with the password $PASSWORD; the page is signed in as reajuste"
  echo "run-demo: open the URL above; the price table is under Cadastros > Tabela de Preço por Cliente. Ctrl+C stops."
fi
wait "${pids[1]}"
