#!/usr/bin/env bash
# Builds the libFuzzer target with clang and runs it on one core:
#   scripts/fuzz.sh [seconds, default 60]
# Seeds: the repository's OpenAir files and the shared corpus, cut into small pieces.
# Findings land in build-fuzz/artifacts/; the grown corpus stays in build-fuzz/corpus/.
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
seconds=${1:-60}
build=${FUZZ_BUILD_DIR:-$here/build-fuzz}
corpus_dir=${ZONVERT_CORPUS_DIR:-$here/../shared/corpus}

CC=clang CXX=clang++ cmake -S "$here" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DZONVERT_FUZZ=ON -DZONVERT_BUILD_TESTS=OFF -DZONVERT_BUILD_GUI=OFF -DZONVERT_BUILD_BENCH=OFF >/dev/null
cmake --build "$build" -j "$(nproc)" --target fuzz_openair

seeds="$build/seeds"
rm -rf "$seeds"
mkdir -p "$seeds" "$build/corpus" "$build/artifacts"
n=0
while IFS= read -r -d '' file; do
  n=$((n + 1))
  # Whole lines, at most 4 KiB a piece: small inputs keep the executions fast.
  split -C 4096 -d -a 4 "$file" "$seeds/s$n-"
done < <(find "$here/examples" "$here/tests" "$corpus_dir" -type f -name '*.txt' -print0 2>/dev/null)
echo "fuzzing for ${seconds}s with $(ls "$seeds" | wc -l) seed pieces"

export ASAN_OPTIONS=detect_leaks=1:abort_on_error=1
export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
set +e
"$build/bin/fuzz_openair" "$build/corpus" "$seeds" \
  -max_total_time="$seconds" -max_len=16384 -timeout=10 -rss_limit_mb=2048 \
  -dict="$here/fuzz/openair.dict" -print_final_stats=1 -artifact_prefix="$build/artifacts/" 2>&1 \
  | tee "$build/fuzz.log" | grep -v -E '^#[0-9]+[[:space:]]+(NEW|REDUCE)'
status=${PIPESTATUS[0]}
set -e
exit "$status"
