#!/usr/bin/env bash
# Installs what is missing, builds and runs the whole test suite.
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
"$here/scripts/install-deps.sh"
build=${BUILD_DIR:-$here/build}
"$here/scripts/build.sh" "$build"
cd "$build"
ctest --output-on-failure -j "$(nproc)"
