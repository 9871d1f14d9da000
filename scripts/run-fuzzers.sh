#!/usr/bin/env bash
# Runs every fuzz target of the fuzz build for a bounded time (JL_FUZZ_SECONDS each,
# default 20) and prints one line per target. Seeds are copied from
# tests/fuzz/corpus/<target>/ when that folder exists; the working corpus, crash inputs
# and logs stay under the build folder, so the source tree is never written.
# Exits non-zero when any target fails or when there is nothing to run.
set -uo pipefail
cd "$(dirname "$0")/.."

build=${JL_FUZZ_BUILD:-build/fuzz}
seconds=${JL_FUZZ_SECONDS:-20}
shopt -s nullglob
targets=("$build"/fuzzers/fuzz_*)
if [ ${#targets[@]} -eq 0 ]; then
  echo "fuzz: no targets in $build/fuzzers (cmake --preset fuzz && cmake --build $build -j2)"
  exit 1
fi

status=0
for target in "${targets[@]}"; do
  [ -x "$target" ] || continue
  name=$(basename "$target")
  corpus=$build/corpus/$name
  artifacts=$build/artifacts/$name
  log=$build/logs/$name.log
  mkdir -p "$corpus" "$artifacts" "$build/logs"
  if [ -d "tests/fuzz/corpus/$name" ]; then
    cp -R "tests/fuzz/corpus/$name/." "$corpus/"
  fi
  "$target" -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 -print_final_stats=1 \
    -artifact_prefix="$artifacts/" "$corpus" >"$log" 2>&1
  rc=$?
  runs=$(grep -oE 'stat::number_of_executed_units: *[0-9]+' "$log" | grep -oE '[0-9]+$' | tail -n1)
  if [ $rc -eq 0 ]; then
    echo "fuzz: $name ok (${runs:-?} runs in ${seconds}s, corpus $(ls "$corpus" | wc -l))"
  else
    crash=$(ls -t "$artifacts" 2>/dev/null | head -n1)
    echo "fuzz: $name FAILED (exit $rc${crash:+, input $artifacts/$crash}; log $log)"
    grep -m3 -E 'ERROR: |runtime error|invariant failed' "$log" | sed 's/^/  /'
    status=1
  fi
done
exit $status
