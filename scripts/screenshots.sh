#!/usr/bin/env bash
# Pictures of the window in German, English and French, for checking the form by eye:
#   scripts/screenshots.sh [OUT_DIR] [--xvfb]
# Builds what is needed into $BUILD_DIR (default build/), then writes
# OUT_DIR/zonvert-de.png, -en.png and -fr.png (default OUT_DIR: build/screenshots).
# Without --xvfb the window is drawn on Qt's offscreen platform; with it, on a
# virtual X display (needs xvfb-run).
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
build=${BUILD_DIR:-$here/build}
out=$build/screenshots
xvfb=no
for arg in "$@"; do
  case $arg in
    --xvfb) xvfb=yes ;;
    *) out=$arg ;;
  esac
done

cmake -S "$here" -B "$build" -G Ninja >/dev/null
cmake --build "$build" --target zonvert-screenshot zonvert_translations >/dev/null
mkdir -p "$out"
for language in de en fr; do
  picture=$out/zonvert-$language.png
  if [ "$xvfb" = yes ]; then
    QT_QPA_PLATFORM=xcb xvfb-run -a "$build/bin/zonvert-screenshot" "$language" "$picture"
  else
    QT_QPA_PLATFORM=offscreen "$build/bin/zonvert-screenshot" "$language" "$picture"
  fi
  echo "$picture"
done
