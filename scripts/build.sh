#!/usr/bin/env bash
# Configures and builds the given presets (default: all of them).
set -euo pipefail
cd "$(dirname "$0")/.."
presets=("$@")
[ ${#presets[@]} -gt 0 ] || presets=(linux win32 win64 fuzz)
mkdir -p build/logs
for p in "${presets[@]}"; do
  echo "build: $p"
  if ! { cmake --preset "$p" && cmake --build "build/$p" -j"${JL_JOBS:-2}"; } >"build/logs/build-$p.log" 2>&1; then
    tail -n 40 "build/logs/build-$p.log"
    echo "build: $p failed (build/logs/build-$p.log)"
    exit 1
  fi
done
