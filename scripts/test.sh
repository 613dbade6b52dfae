#!/usr/bin/env bash
# Sets the machine up, builds, and runs every test: the C++ tests (storage tests on
# SQLite and on a throwaway PostgreSQL cluster), the fuzz targets for 20 s each
# (fuzz/run.sh runs them longer) and the browser tests.
set -euo pipefail
cd "$(dirname "$0")/.."

./scripts/setup.sh
# ccache keeps rebuilds after a new clone or a clean short; paths are hashed relative
# to the clone, so a clone in another folder reuses what an earlier one compiled.
launcher=()
if command -v ccache >/dev/null 2>&1; then
  launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache)
  export CCACHE_BASEDIR="${CCACHE_BASEDIR:-$PWD}" CCACHE_NOHASHDIR="${CCACHE_NOHASHDIR:-true}"
fi
cmake --preset default "${launcher[@]}"
cmake --build --preset default

pg_env=$(./scripts/pg-throwaway.sh start --standby) && rc=0 || rc=$?
if [ "$rc" -eq 0 ]; then
  eval "$pg_env"
  trap './scripts/pg-throwaway.sh stop "$VQR_PG_DIR"' EXIT
else
  echo "test: no PostgreSQL server is installed; the PostgreSQL backend tests are skipped"
fi

ctest --preset default -j2 --timeout 600

./fuzz/build.sh
./fuzz/run.sh 20

if [ -f tests/e2e/run.mjs ]; then
  node tests/e2e/run.mjs
fi
echo "test: all tests passed"
