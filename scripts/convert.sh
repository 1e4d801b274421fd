#!/usr/bin/env bash
# Installs what is missing, builds, and converts an OpenAir file (default: the example)
# with zonvert-cli into the build folder: scripts/convert.sh [FILE [zonvert-cli options...]]
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
"$here/scripts/install-deps.sh"
build=${BUILD_DIR:-$here/build}
"$here/scripts/build.sh" "$build"
input=${1:-$here/examples/alps-example.txt}
shift || true
# A later -out among the options wins over this one.
exec "$build/bin/zonvert-cli" -in "$input" -out "$build" "$@"
