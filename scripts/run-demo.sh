#!/usr/bin/env bash
# Sets the machine up, builds, creates a fresh demo database (SQLite), starts the
# application server and the host with its browser front end, and prints the URL.
# Stop both with Ctrl+C.
set -euo pipefail
cd "$(dirname "$0")/.."

SERVER_PORT="${VQR_SERVER_PORT:-5151}"
WEB_PORT="${VQR_WEB_PORT:-8080}"
DB="${VQR_DEMO_DB:-var/demo.db}"

./scripts/setup.sh
cmake --preset default >/dev/null
cmake --build --preset default

mkdir -p "$(dirname "$DB")"
rm -f "$DB" "$DB-wal" "$DB-shm"
build/bin/appserver init --db "$DB" --demo

build/bin/appserver serve --db "$DB" --listen "127.0.0.1:$SERVER_PORT" &
server_pid=$!
trap 'kill $server_pid 2>/dev/null || true' EXIT

# The host prints the page URL with its session token.
build/bin/host --server "127.0.0.1:$SERVER_PORT" --db "$DB" --web "127.0.0.1:$WEB_PORT"
