#!/usr/bin/env bash
# Installs what is missing, builds, and converts an OpenAir file (default: the example).
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
"$here/scripts/install-deps.sh"
build=${BUILD_DIR:-$here/build}
"$here/scripts/build.sh" "$build"
if [ -x "$build/bin/zonvert-cli" ]; then
  input=${1:-$here/examples/alps-example.txt}
  shift || true
  "$build/bin/zonvert-cli" -in "$input" "$@"
else
  echo "Built into $build."
fi
