#!/usr/bin/env bash
# Builds the libFuzzer targets (fuzz/CMakeLists.txt) with Debian's clang into
# build-fuzz/. Incremental, and through ccache when it is installed.
set -euo pipefail
cd "$(dirname "$0")/.."

launcher=()
if command -v ccache >/dev/null 2>&1; then launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache); fi
cmake -S fuzz -B build-fuzz -G Ninja -DCMAKE_CXX_COMPILER=clang++ "${launcher[@]}" >/dev/null
cmake --build build-fuzz -j "${VQR_FUZZ_JOBS:-2}"
