#!/usr/bin/env bash
# Installs everything the project needs on a Debian 12 machine: compilers, libraries,
# PostgreSQL (for the PostgreSQL tests), clang with libFuzzer (the fuzz targets),
# Chromium and playwright-core (browser tests).
# Idempotent: when everything is present it only checks and returns.
set -euo pipefail
cd "$(dirname "$0")/.."

APT_PACKAGES=(
  ninja-build cmake g++ pkg-config libsqlite3-dev libpq-dev postgresql-15 libboost-dev
  libmsgpack-cxx-dev nlohmann-json3-dev libcli11-dev libfmt-dev libspdlog-dev libgtest-dev
  libgmock-dev libbenchmark-dev libcairo2-dev libpango1.0-dev libxlsxwriter-dev libsodium-dev libssl-dev openssl libzip-dev libexpat1-dev
  fonts-dejavu-core poppler-utils
  chromium sqlite3 python3 zip unzip clang libclang-rt-14-dev ccache
)

SUDO=""
if [ "$(id -u)" -ne 0 ]; then SUDO="sudo"; fi

missing=()
for p in "${APT_PACKAGES[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
    missing+=("$p")
  fi
done
if [ "${#missing[@]}" -gt 0 ]; then
  echo "setup: installing ${missing[*]}"
  $SUDO apt-get update
  DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y --no-install-recommends "${APT_PACKAGES[@]}"
fi

if ! command -v node >/dev/null 2>&1; then
  echo "setup: Node.js is required (it is part of the machine image; do not install it with apt)" >&2
  exit 1
fi
if [ ! -d node_modules/playwright-core ]; then
  echo "setup: installing npm packages"
  npm ci --no-audit --no-fund 2>/dev/null || npm install --no-audit --no-fund
fi
echo "setup: done"
