#!/usr/bin/env bash
# Builds the fuzz targets with clang into build-fuzz/ and runs each for the
# given number of seconds (default 60), as many at a time as there are cores.
# A finding fails the run; its input is kept in build-fuzz/findings/ and
# belongs in a regression test under tests/.
set -euo pipefail
cd "$(dirname "$0")/.."
seconds=${1:-60}

scripts/setup.sh clang libclang-rt-dev
build_dir=build-fuzz
cmake -S . -B "$build_dir" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DCMAKE_CXX_COMPILER=clang++ \
  -DBMI_BUILD_FUZZERS=ON -DBMI_BUILD_TESTS=OFF >/dev/null
cmake --build "$build_dir" -j"$(nproc)" --target bmi_fuzzers

targets=(lines takeover)
mkdir -p "$build_dir/findings" "$build_dir/logs"
# Numbers the way the station reads them when the system has no locale: German.
export LC_ALL=C LANG=C
export ASAN_OPTIONS=detect_leaks=1:abort_on_error=0
export UBSAN_OPTIONS=halt_on_error=1:print_stacktrace=1

run_one() {
  local name=$1
  local corpus="$build_dir/corpus/$name"
  mkdir -p "$corpus"
  # The first folder collects what the fuzzer finds; the committed seeds are only read.
  "$build_dir/fuzz/fuzz_$name" -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 -print_final_stats=1 \
    -artifact_prefix="$build_dir/findings/$name-" "$corpus" "fuzz/corpus/$name" >"$build_dir/logs/$name.log" 2>&1
}

jobs_at_once=$(nproc)
failed=()
declare -A running=()
for name in "${targets[@]}"; do
  while [ "${#running[@]}" -ge "$jobs_at_once" ]; do
    wait_for_one=1
    for pid in "${!running[@]}"; do
      if ! kill -0 "$pid" 2>/dev/null; then
        wait "$pid" || failed+=("${running[$pid]}")
        unset "running[$pid]"
        wait_for_one=0
      fi
    done
    [ "$wait_for_one" -eq 1 ] && sleep 1
  done
  echo "Fuzzing $name for ${seconds}s"
  run_one "$name" &
  running[$!]=$name
done
for pid in "${!running[@]}"; do
  wait "$pid" || failed+=("${running[$pid]}")
done

for name in "${targets[@]}"; do
  grep -h '^stat::number_of_executed_units' "$build_dir/logs/$name.log" | sed "s/^/$name: /" || true
done
if [ "${#failed[@]}" -gt 0 ]; then
  for name in "${failed[@]}"; do
    echo "=== fuzz_$name found a problem (input kept in $build_dir/findings/) ===" >&2
    tail -n 40 "$build_dir/logs/$name.log" >&2
  done
  exit 1
fi
echo "All ${#targets[@]} fuzz targets ran ${seconds}s each without a finding."
