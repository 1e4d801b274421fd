#!/usr/bin/env bash
# Pictures of the window and the filter dialog in German, English and French, and preview
# maps of converted files, for checking by eye:
#   scripts/screenshots.sh [OUT_DIR] [--xvfb]
# Builds what is needed into $BUILD_DIR (default build/), then writes into OUT_DIR (default
# build/screenshots):
#   zonvert-{de,en,fr}.png          the window as at a first start
#   zonvert-{de,en,fr}-filter.png   the window with fitting on and a long filter summary
#   filter-{de,en,fr}.png           the filter dialog
#   preview-alps-example.png        zonvert-cli -preview of examples/alps-example.txt
#   preview-switzerland.png         the same of the Swiss corpus file, when it is there
# and refreshes docs/preview-alps-example.png (1200 x 900), which the README shows.
# Without --xvfb the window is drawn on Qt's offscreen platform; with it, on a
# virtual X display (needs xvfb-run).
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
build=${BUILD_DIR:-$here/build}
out=$build/screenshots
corpus=${ZONVERT_CORPUS:-/work/shared/corpus}
xvfb=no
for arg in "$@"; do
  case $arg in
    --xvfb) xvfb=yes ;;
    *) out=$arg ;;
  esac
done

cmake -S "$here" -B "$build" -G Ninja >/dev/null
cmake --build "$build" --target zonvert-screenshot zonvert-cli zonvert_translations >/dev/null
mkdir -p "$out"
shoot() {
  if [ "$xvfb" = yes ]; then
    QT_QPA_PLATFORM=xcb xvfb-run -a "$build/bin/zonvert-screenshot" "$@"
  else
    QT_QPA_PLATFORM=offscreen "$build/bin/zonvert-screenshot" "$@"
  fi
}
for language in de en fr; do
  shoot "$language" "$out"
  echo "$out/zonvert-$language.png $out/zonvert-$language-filter.png $out/filter-$language.png"
done

# Preview maps: the kaf files go to a scratch folder, the pictures stay. The summary is
# printed in English whatever the machine's language.
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
preview() {  # INPUT PICTURE
  LANGUAGE=en LC_ALL=C.UTF-8 "$build/bin/zonvert-cli" -in "$1" -out "$work/preview.kaf" -preview "$2" >/dev/null || true
  [ -s "$2" ] || { echo "no preview of $1" >&2; exit 2; }
  echo "$2"
}
preview "$here/examples/alps-example.txt" "$out/preview-alps-example.png"
swiss=$corpus/switzerland-2016-flyland-utf8bom-crlf.txt
if [ -f "$swiss" ]; then
  preview "$swiss" "$out/preview-switzerland.png"
else
  echo "skipped: $swiss is missing" >&2
fi
mkdir -p "$here/docs"
shoot -scale "$out/preview-alps-example.png" "$here/docs/preview-alps-example.png" 1200 900
echo "$here/docs/preview-alps-example.png"
