#!/usr/bin/env bash
# Renders the pictures from their SVG sources; run once after changing a source and
# check in the results (needs rsvg-convert from Debian's librsvg2-bin).
set -euo pipefail
cd "$(dirname "$0")"
rsvg-convert -w 64 -h 64 zonvert.svg -o zonvert.png
rsvg-convert -w 360 -h 100 logo.svg -o LOGO360x100.png
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
sizes=(16 32 48 256)
for s in "${sizes[@]}"; do
  rsvg-convert -w "$s" -h "$s" zonvert.svg -o "$tmp/$s.png"
done
# An icon file whose entries are PNG pictures, one per size.
python3 - "$tmp" "${sizes[@]}" <<'PY'
import struct, sys
folder, sizes = sys.argv[1], [int(s) for s in sys.argv[2:]]
pictures = [open(f"{folder}/{s}.png", "rb").read() for s in sizes]
header = struct.pack("<HHH", 0, 1, len(sizes))
offset = 6 + 16 * len(sizes)
entries = b""
for size, data in zip(sizes, pictures):
    side = size % 256
    entries += struct.pack("<BBBBHHII", side, side, 0, 0, 1, 32, len(data), offset)
    offset += len(data)
with open("zonvert.ico", "wb") as out:
    out.write(header + entries + b"".join(pictures))
PY
