#!/usr/bin/env bash
# Builds an optimised tree and runs the speed benchmark on the largest corpus file and
# its ×4 and ×16 copies: scripts/bench.sh [zonvert-bench options, e.g. -repeat 10 -check]
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
build=${BENCH_BUILD_DIR:-$here/build-bench}
corpus=${ZONVERT_CORPUS_DIR:-$here/../shared/corpus}
cmake -S "$here" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DZONVERT_BUILD_TESTS=OFF -DZONVERT_BUILD_GUI=OFF >/dev/null
cmake --build "$build" -j "$(nproc)" --target zonvert-bench zonvert-cli
exec "$build/bin/zonvert-bench" -in "$corpus/france-2025-openaip-export-v2.txt" "$@"
